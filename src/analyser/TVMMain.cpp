// TVM: the analyser the tutor starts on a student's recording,
//   TVM <wave path> Melod
// It adds the steps and the pitch track to the recording and leaves
// <stem>.rsl beside it: "Good", or "Not Good,<reason>". Exit status 0 for
// good, 1 for not good, 2 for a wrong command line.
//
// It needs no GUI and no event loop: it is started once per recording and
// must be done long before the tutor's first look at the result, one
// second after the start.
#include "analyser/RecordingAnalysis.h"
#include "audio/NativeFile.h"

#include <QByteArray>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>

#ifdef __GLIBC__
#include <malloc.h>
#endif

namespace {

constexpr const char* Keyword = "Melod";

// The tutor's command line is one string: the path padded with blanks to
// its field width, then the keyword. Started without a shell the path
// arrives as one argument with the padding still on it; split by a shell, a
// path with blanks arrives in pieces. Both give the same path back, as the
// bytes it came in: the result must land under the very name the tutor looks
// for, whatever its encoding.
QByteArray WavePathFromArguments(int argc, char** argv)
{
    QByteArray path;
    for (int i = 1; i < argc - 1; ++i) {
        if (i > 1) path += ' ';
        path += argv[i];
    }
    while (path.endsWith(' '))
        path.chop(1);
    return path;
}

// Fault injection for the tests of what a stopped analyser leaves behind:
// TVM_FAULT=crash ends the program by a crash, and TVM_FAULT=hang makes it
// wait to be killed, both when the new recording is complete in its
// temporary file but has not yet replaced the old one.
BeforeReplaceHook FaultHook()
{
    const char* fault = std::getenv("TVM_FAULT");
    if (fault == nullptr) return {};
    if (std::strcmp(fault, "crash") == 0) return [](const QByteArray&) { std::raise(SIGSEGV); };
    if (std::strcmp(fault, "hang") == 0)
        return [](const QByteArray&) { std::this_thread::sleep_for(std::chrono::seconds(60)); };
    return {};
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 3 || std::strcmp(argv[argc - 1], Keyword) != 0) {
        std::fprintf(stderr, "usage: TVM <wave path> %s\n", Keyword);
        // Whoever waits for a result file should not wait in vain.
        if (argc >= 2) {
            const QByteArray path = QByteArray(argv[1]).trimmed();
            if (NativeFileExists(path))
                WriteResultFile(ResultFilePath(path), AnalyserResult{false, ReasonCommandLine});
        }
        return 2;
    }
    const QByteArray wavePath = WavePathFromArguments(argc, argv);
    RemoveScratchFilesOnSignals(ResultFilePath(wavePath));
#ifdef __GLIBC__
    // The analysis makes and drops a handful of sample-sized buffers; from
    // the heap they reuse each other's pages instead of each mapping fresh
    // ones, which saves a good share of this short process's time.
    mallopt(M_MMAP_THRESHOLD, 256 << 20);
    mallopt(M_TRIM_THRESHOLD, 512 << 20);
#endif
    const AnalyserResult result = AnalyseRecording(wavePath, FaultHook());
    if (!WriteResultFile(ResultFilePath(wavePath), result)) {
        std::fprintf(stderr, "TVM: cannot write the result file for %s\n", argv[1]);
        return 1;
    }
    if (!result.Good) std::fprintf(stderr, "TVM: %s\n", ResultLine(result).c_str());
    return result.Good ? 0 : 1;
}
