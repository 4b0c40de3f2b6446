#include "analyser/RecordingAnalysis.h"

#include "analyser/PcmSamples.h"
#include "analyser/PhraseAnalysis.h"
#include "audio/LoadedPhrase.h"
#include "audio/NativeFile.h"
#include "audio/PhraseFile.h"
#include "audio/RiffFile.h"

#include <QFile>

#include <algorithm>
#include <csignal>
#include <cstring>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace {

// ------------------------------------------------------ scratch file guard

// Paths a signal handler may remove; plain buffers, since a handler can
// only use async-signal-safe calls.
constexpr int ScratchSlots = 2;
constexpr size_t ScratchPathBytes = 4096;
char ScratchPaths[ScratchSlots][ScratchPathBytes];
volatile std::sig_atomic_t ScratchInUse[ScratchSlots];

// The result file a stopped or crashing analyser still leaves, so that the
// tutor does not wait for its time limit. Its temporary file is made, with a
// name of its own, and filled with the failure line when the run starts: the
// handler then only renames it, and a link planted beside the recording can
// never lead the line into another file. Empty until set.
char SignalResultPath[ScratchPathBytes];
char SignalResultTemporary[ScratchPathBytes];
constexpr char SignalResultLine[] = "Not Good,analyser failed\n"; // ReasonAnalyserFailed

enum SignalResultState : std::sig_atomic_t {
    NoSignalResult,     // nothing to leave or to take away
    SignalResultReady,  // a signal renames the temporary file to the result
    SignalResultInWork, // the real result is being written into it: a signal removes it
};
volatile std::sig_atomic_t SignalResult = NoSignalResult;

// The result's temporary file, open from the start of the run to its end:
// the real result is written over the failure line, which needs no new room
// on a disk the rewrite of the recording may have filled.
QFile& PreparedResultFile()
{
    static QFile file;
    return file;
}

void RemoveScratchFiles(int signal)
{
#ifdef Q_OS_UNIX
    for (int i = 0; i < ScratchSlots; ++i) {
        if (ScratchInUse[i]) ::unlink(ScratchPaths[i]);
    }
    if (SignalResult == SignalResultReady) {
        if (::rename(SignalResultTemporary, SignalResultPath) != 0)
            ::unlink(SignalResultTemporary);
    } else if (SignalResult == SignalResultInWork) {
        ::unlink(SignalResultTemporary);
    }
#endif
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

// Registers a temporary file for the life of the object.
class ScratchFile
{
public:
    explicit ScratchFile(const QByteArray& bytes)
    {
        for (int i = 0; i < ScratchSlots; ++i) {
            if (!ScratchInUse[i] && bytes.size() < static_cast<qsizetype>(ScratchPathBytes)) {
                std::memcpy(ScratchPaths[i], bytes.constData(), bytes.size() + 1);
                ScratchInUse[i] = 1;
                slot = i;
                break;
            }
        }
    }
    ~ScratchFile()
    {
        if (slot >= 0) ScratchInUse[slot] = 0;
    }
    ScratchFile(const ScratchFile&) = delete;
    ScratchFile& operator=(const ScratchFile&) = delete;

private:
    int slot = -1;
};

// ------------------------------------------------------------ the reading

AnalyserResult NotGood(const char* reason)
{
    return AnalyserResult{false, reason};
}

uint16_t Little16(const char* p)
{
    return static_cast<uint16_t>(static_cast<unsigned char>(p[0]) | static_cast<unsigned char>(p[1])
                                                                        << 8);
}

uint32_t Little32(const char* p)
{
    return static_cast<uint32_t>(Little16(p)) | static_cast<uint32_t>(Little16(p + 2)) << 16;
}

// The plain format and the extensible one's first 40 bytes are all a
// format chunk holds that the analyser uses.
constexpr uint32_t FormatBytesUsed = 40;
constexpr uint16_t WaveFormatExtensible = 0xFFFE;

WaveFormat ParseFormat(const QByteArray& bytes)
{
    WaveFormat format;
    const char* p = bytes.constData();
    format.FormatTag = Little16(p);
    format.Channels = Little16(p + 2);
    format.SamplesPerSec = Little32(p + 4);
    format.AvgBytesPerSec = Little32(p + 8);
    format.BlockAlign = Little16(p + 12);
    format.BitsPerSample = Little16(p + 14);
    // The extensible format names its real sample type in a sub-format
    // whose first two bytes are the plain format tag.
    if (format.FormatTag == WaveFormatExtensible && bytes.size() >= 26)
        format.FormatTag = Little16(p + 24);
    return format;
}

QByteArray ToBytes(const std::vector<char>& bytes)
{
    return QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

// A recording as its chunk headers describe it; nothing of the samples is
// read yet.
struct RecordingLayout
{
    RiffChunk Outer;
    std::vector<RiffChunk> Chunks;
    const RiffChunk* Format = nullptr; // the first "fmt "
    const RiffChunk* Text = nullptr;   // the first "snt "
    const RiffChunk* Data = nullptr;   // the first "data"
};

bool ReadLayout(RiffReader& reader, RecordingLayout& layout)
{
    if (!reader.Open() || !ListRiffChunks(reader, layout.Outer, layout.Chunks) ||
        layout.Outer.Id != FourCC("RIFF") || layout.Outer.FormType != FourCC("WAVE"))
        return false;
    for (const RiffChunk& chunk : layout.Chunks) {
        if (chunk.Id == FourCC("fmt ") && layout.Format == nullptr) layout.Format = &chunk;
        if (chunk.Id == FourCC("snt ") && layout.Text == nullptr) layout.Text = &chunk;
        if (chunk.Id == FourCC("data") && layout.Data == nullptr) layout.Data = &chunk;
    }
    return layout.Format != nullptr && layout.Data != nullptr && layout.Format->Size >= 16;
}

bool ReadFormat(RiffReader& reader, const RiffChunk& chunk, WaveFormat& format)
{
    RiffChunk used = chunk;
    used.Size = std::min(chunk.Size, FormatBytesUsed);
    QByteArray bytes;
    if (!reader.ReadChunkData(used, bytes)) return false;
    format = ParseFormat(bytes);
    return true;
}

// What the header alone says against analysing the recording, or nullptr.
const char* HeaderProblem(const WaveFormat& format, const RiffChunk& data)
{
    if (!PcmFormatProblem(format).empty()) return ReasonUnreadable;
    if (data.Size > MaxSampleBytes) return ReasonTooLong;
    // No writer pads a frame past the widest sample container, four bytes a
    // channel; and samples that do not fill one frame were cut off or were
    // never of this format. Either way the file is damaged, not silent.
    const size_t frameBytes = PcmFrameBytes(format);
    if (frameBytes > static_cast<size_t>(format.Channels) * 4 ||
        (data.Size > 0 && data.Size < frameBytes))
        return ReasonUnreadable;
    const size_t frames = data.Size / frameBytes;
    return RateOrLengthProblem(static_cast<int>(format.SamplesPerSec), frames);
}

// The new file passes the tutor's own reader, which reads a student's
// recording without its text.
bool TutorReadsBack(const QByteArray& path)
{
    QFile file;
    LoadedPhrase phrase;
    return OpenRegularFile(file, path) == OpenResult::Opened &&
           phrase.ReadFrom(file, -1) == PhraseFileOk;
}

// The new recording in the plain form the tutor reads: the plain format
// first, the text after it, then the other chunks in their order with the
// steps just before the samples and the pitch track right after them.
// Earlier steps or pitch tracks (a recording analysed twice) are replaced,
// not repeated.
bool WriteRecording(RiffWriter& writer, RiffReader& reader, const RecordingLayout& layout,
                    const WaveFormat& format, const QByteArray& samples,
                    const PhraseAnalysis& analysis)
{
    bool ok = writer.CreateRiff(layout.Outer.FormType) &&
              writer.WriteChunk(FourCC("fmt "), FormatChunkBytes(format)) &&
              (layout.Text == nullptr || writer.CopyChunk(reader, *layout.Text));
    for (const RiffChunk& chunk : layout.Chunks) {
        if (!ok) break;
        if (chunk.Id == FourCC("fmt ") || chunk.Id == FourCC("stp ") ||
            chunk.Id == FourCC("ptc ") || &chunk == layout.Text)
            continue;
        if (&chunk == layout.Data) {
            ok = writer.WriteChunk(FourCC("stp "), ToBytes(StepChunkBytes(analysis.Steps))) &&
                 writer.WriteChunk(FourCC("data"), samples) &&
                 writer.WriteChunk(FourCC("ptc "), ToBytes(PitchChunkBytes(analysis.Pitch)));
        } else {
            ok = writer.CopyChunk(reader, chunk);
        }
    }
    return ok && writer.LeaveChunk() && writer.Flush();
}

const char* RewriteRecording(const QByteArray& wavePath, RiffReader& reader,
                             const RecordingLayout& layout, const WaveFormat& format,
                             const QByteArray& samples, const PhraseAnalysis& analysis,
                             const BeforeReplaceHook& hook)
{
    RiffWriter writer(wavePath);
    if (!writer.Open()) return ReasonUnwritable;
    const ScratchFile guard(writer.TemporaryNativePath());
    if (!WriteRecording(writer, reader, layout, format, samples, analysis)) {
        writer.Discard();
        return ReasonUnwritable;
    }
    if (!TutorReadsBack(writer.TemporaryNativePath())) {
        writer.Discard();
        return ReasonNotReadBack;
    }
    if (hook) hook(writer.TemporaryNativePath());
    return writer.Commit() ? nullptr : ReasonUnwritable;
}

} // namespace

AnalyserResult AnalyseRecording(const QByteArray& wavePath, const BeforeReplaceHook& hook)
{
    QFile file;
    switch (OpenRegularFile(file, wavePath)) {
    case OpenResult::Opened:
        break;
    case OpenResult::NotRegular:
        return NotGood(ReasonNotRegular);
    case OpenResult::NotOpened:
        return NotGood(ReasonUnreadable);
    }
    RiffReader reader(file);
    RecordingLayout layout;
    WaveFormat format;
    if (!ReadLayout(reader, layout) || !ReadFormat(reader, *layout.Format, format))
        return NotGood(ReasonUnreadable);
    if (const char* problem = HeaderProblem(format, *layout.Data)) return NotGood(problem);

    QByteArray samples;
    PcmSamples pcm;
    std::string problem;
    if (!reader.ReadChunkData(*layout.Data, samples) ||
        !DecodePcm(format, samples.constData(), static_cast<size_t>(samples.size()), pcm, problem))
        return NotGood(ReasonUnreadable);
    const PhraseAnalysis analysis = AnalysePhrase(pcm);
    if (!analysis.Good) return AnalyserResult{false, analysis.Reason};
    if (const char* reason =
            RewriteRecording(wavePath, reader, layout, format, samples, analysis, hook))
        return NotGood(reason);
    return AnalyserResult{true, {}};
}

QByteArray ResultFilePath(const QByteArray& wavePath)
{
    const qsizetype folderEnd = std::max(wavePath.lastIndexOf('/'), wavePath.lastIndexOf('\\'));
    const qsizetype dot = wavePath.lastIndexOf('.');
    // A dot that starts the name ("Data/.hidden") begins no extension.
    if (dot > folderEnd + 1) return wavePath.left(dot) + ".rsl";
    return wavePath + ".rsl";
}

std::string ResultLine(const AnalyserResult& result)
{
    return result.Good ? std::string("Good") : "Not Good," + result.Reason;
}

bool WriteResultFile(const QByteArray& resultPath, const AnalyserResult& result)
{
    const QByteArray line = QByteArray::fromStdString(ResultLine(result)) + "\n";
    bool keepTemporary = false;
    QFile& prepared = PreparedResultFile();
    if (prepared.isOpen() && resultPath == SignalResultPath) {
        // From here on the real result is on its way; a signal must not
        // replace it with the failure line. Written over the failure line
        // and then cut to length, it takes no room the file does not hold.
        SignalResult = SignalResultInWork;
        const QByteArray temporary(SignalResultTemporary);
        const bool ok = prepared.seek(0) && prepared.write(line) == line.size() &&
                        prepared.flush() && prepared.resize(line.size()) &&
                        ReplaceFile(prepared, temporary, resultPath, keepTemporary);
        prepared.close();
        if (!ok) RemoveNativeFile(temporary);
        SignalResult = NoSignalResult;
        return ok;
    }
    QFile file;
    const QByteArray temporary = CreateFileBeside(file, resultPath);
    if (temporary.isEmpty()) return false;
    const ScratchFile guard(temporary);
    const bool ok =
        file.write(line) == line.size() && ReplaceFile(file, temporary, resultPath, keepTemporary);
    if (!ok) RemoveNativeFile(temporary);
    return ok;
}

void RemoveScratchFilesOnSignals(const QByteArray& path)
{
    QFile& prepared = PreparedResultFile();
    const QByteArray temporary = CreateFileBeside(prepared, path);
    if (!temporary.isEmpty() && temporary.size() < static_cast<qsizetype>(ScratchPathBytes) &&
        prepared.write(SignalResultLine, sizeof SignalResultLine - 1) ==
            static_cast<qint64>(sizeof SignalResultLine - 1) &&
        prepared.flush()) {
        std::memcpy(SignalResultPath, path.constData(), path.size() + 1);
        std::memcpy(SignalResultTemporary, temporary.constData(), temporary.size() + 1);
        SignalResult = SignalResultReady;
    } else if (!temporary.isEmpty()) {
        // Without it the result is written as any file is, at the end.
        prepared.close();
        RemoveNativeFile(temporary);
    }
    // Every signal that ends the program by default: a result is left for
    // each, so the tutor never waits out its limit for one that cannot come.
    for (int signal : {SIGINT, SIGTERM, SIGSEGV, SIGABRT, SIGBUS, SIGFPE, SIGILL
#ifdef SIGHUP
                       ,
                       SIGHUP
#endif
#ifdef SIGQUIT
                       ,
                       SIGQUIT
#endif
#ifdef SIGTRAP
                       ,
                       SIGTRAP
#endif
#ifdef SIGXCPU
                       ,
                       SIGXCPU
#endif
#ifdef SIGXFSZ
                       ,
                       SIGXFSZ
#endif
         })
        std::signal(signal, RemoveScratchFiles);
}
