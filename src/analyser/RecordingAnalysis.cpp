#include "analyser/RecordingAnalysis.h"

#include "analyser/PcmSamples.h"
#include "analyser/PhraseAnalysis.h"
#include "audio/RiffFile.h"

#include <QFile>
#include <QRandomGenerator>

#include <algorithm>
#include <csignal>
#include <cstring>
#include <filesystem>

#ifdef Q_OS_UNIX
#include <fcntl.h>
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
// tutor does not wait for its time limit; empty until set.
char SignalResultPath[ScratchPathBytes];
char SignalResultTemporary[ScratchPathBytes];
constexpr char SignalResultLine[] = "Not Good,analyser failed\n"; // ReasonAnalyserFailed

void RemoveScratchFiles(int signal)
{
#ifdef Q_OS_UNIX
    for (int i = 0; i < ScratchSlots; ++i) {
        if (ScratchInUse[i]) ::unlink(ScratchPaths[i]);
    }
    if (SignalResultPath[0] != '\0') {
        const int file = ::open(SignalResultTemporary, O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (file >= 0) {
            const bool written = ::write(file, SignalResultLine, sizeof SignalResultLine - 1) ==
                                 static_cast<ssize_t>(sizeof SignalResultLine - 1);
            ::close(file);
            if (!written || ::rename(SignalResultTemporary, SignalResultPath) != 0)
                ::unlink(SignalResultTemporary);
        }
    }
#endif
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

// Registers a temporary file for the life of the object.
class ScratchFile
{
public:
    explicit ScratchFile(const QString& path)
    {
        const QByteArray bytes = QFile::encodeName(path);
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
    if (format.FormatTag == 0xFFFE && bytes.size() >= 26) format.FormatTag = Little16(p + 24);
    return format;
}

QByteArray ToBytes(const std::vector<char>& bytes)
{
    return QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

// The new recording: the old chunks in their order, steps just before the
// samples and the pitch track right after them. Earlier steps or pitch
// tracks (a recording analysed twice) are replaced, not repeated.
bool RewriteRecording(const QString& wavePath, RiffReader& reader, const RiffChunk& outer,
                      const std::vector<RiffChunk>& chunks, const QByteArray& samples,
                      const PhraseAnalysis& analysis, const BeforeReplaceHook& hook)
{
    RiffWriter writer(wavePath);
    if (!writer.Open()) return false;
    const ScratchFile guard(writer.TemporaryPath());
    bool ok = writer.CreateRiff(outer.FormType);
    bool dataDone = false;
    for (const RiffChunk& chunk : chunks) {
        if (!ok) break;
        if (chunk.Id == FourCC("stp ") || chunk.Id == FourCC("ptc ")) continue;
        if (chunk.Id == FourCC("data") && !dataDone) {
            dataDone = true;
            ok = writer.WriteChunk(FourCC("stp "), ToBytes(StepChunkBytes(analysis.Steps))) &&
                 writer.WriteChunk(FourCC("data"), samples) &&
                 writer.WriteChunk(FourCC("ptc "), ToBytes(PitchChunkBytes(analysis.Pitch)));
        } else {
            ok = writer.CopyChunk(reader, chunk);
        }
    }
    ok = ok && writer.LeaveChunk();
    if (!ok) {
        writer.Discard();
        return false;
    }
    if (hook) hook(writer.TemporaryPath());
    return writer.Commit();
}

} // namespace

AnalyserResult AnalyseRecording(const QString& wavePath, const BeforeReplaceHook& hook)
{
    RiffReader reader(wavePath);
    RiffChunk outer;
    std::vector<RiffChunk> chunks;
    if (!reader.Open() || !ListRiffChunks(reader, outer, chunks) || outer.Id != FourCC("RIFF") ||
        outer.FormType != FourCC("WAVE"))
        return NotGood(ReasonUnreadable);
    const RiffChunk* formatChunk = nullptr;
    const RiffChunk* dataChunk = nullptr;
    for (const RiffChunk& chunk : chunks) {
        if (chunk.Id == FourCC("fmt ") && formatChunk == nullptr) formatChunk = &chunk;
        if (chunk.Id == FourCC("data") && dataChunk == nullptr) dataChunk = &chunk;
    }
    QByteArray formatBytes, samples;
    if (formatChunk == nullptr || dataChunk == nullptr || formatChunk->Size < 16 ||
        !reader.ReadChunkData(*formatChunk, formatBytes) ||
        !reader.ReadChunkData(*dataChunk, samples))
        return NotGood(ReasonUnreadable);

    PcmSamples pcm;
    std::string problem;
    if (!DecodePcm(ParseFormat(formatBytes), samples.constData(),
                   static_cast<size_t>(samples.size()), pcm, problem))
        return NotGood(ReasonUnreadable);
    const PhraseAnalysis analysis = AnalysePhrase(pcm);
    if (!analysis.Good) return AnalyserResult{false, analysis.Reason};
    if (!RewriteRecording(wavePath, reader, outer, chunks, samples, analysis, hook))
        return NotGood(ReasonUnwritable);
    return AnalyserResult{true, {}};
}

QString ResultFilePath(const QString& wavePath)
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

bool WriteResultFile(const QString& resultPath, const AnalyserResult& result)
{
    // From here on the real result is on its way; a signal must not replace
    // it with the failure line.
    SignalResultPath[0] = '\0';
    QFile file;
    for (int attempt = 0; attempt < 8 && !file.isOpen(); ++attempt) {
        file.setFileName(QStringLiteral("%1.%2.tmp")
                             .arg(resultPath)
                             .arg(QRandomGenerator::global()->generate(), 8, 16, QChar('0')));
        if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly)) file.setFileName(QString());
    }
    if (!file.isOpen()) return false;
    const ScratchFile guard(file.fileName());
    const QByteArray line = QByteArray::fromStdString(ResultLine(result)) + "\n";
    bool ok = file.write(line) == line.size() && file.flush();
    file.close();
    if (ok) {
        std::error_code error;
        std::filesystem::rename(QFile::encodeName(file.fileName()).toStdString(),
                                QFile::encodeName(resultPath).toStdString(), error);
        ok = !error;
    }
    if (!ok) file.remove();
    return ok;
}

void RemoveScratchFilesOnSignals(const QString& resultPath)
{
    const QByteArray path = QFile::encodeName(resultPath);
    const QByteArray temporary = path + ".signal.tmp";
    if (temporary.size() < static_cast<qsizetype>(ScratchPathBytes)) {
        std::memcpy(SignalResultPath, path.constData(), path.size() + 1);
        std::memcpy(SignalResultTemporary, temporary.constData(), temporary.size() + 1);
    }
    for (int signal : {SIGINT, SIGTERM, SIGSEGV, SIGABRT, SIGBUS, SIGFPE
#ifdef SIGHUP
                       ,
                       SIGHUP
#endif
         })
        std::signal(signal, RemoveScratchFiles);
}
