#include "audio/WaveCommands.h"

#include "audio/MciSubs.h"
#include "audio/RiffFile.h"

#include <QRegularExpression>
#include <QtEndian>

#include <algorithm>
#include <limits>

namespace {

const QString DeviceAlias = QStringLiteral("wavefile");
const QString OpenPrefix = QStringLiteral("open ");
const QString OpenSuffix = QStringLiteral(" type waveaudio alias wavefile");

bool SameWord(const QString& word, const char* keyword)
{
    return word.compare(QLatin1String(keyword), Qt::CaseInsensitive) == 0;
}

// The sound of a RIFF "WAVE" file: its format and the bytes of its "data"
// chunk. The phrase chunks around them ("snt ", "stp ", "ptc ") play no part,
// and "fmt " and "data" are each found from the top, in whatever order.
int16_t LoadSound(const QString& path, WaveFormat& format, QByteArray& samples)
{
    RiffReader riff(path);
    if (!riff.Open()) return MciFileNotFound;
    RiffChunk outer;
    RiffChunk formatChunk;
    RiffChunk dataChunk;
    uchar bytes[16];
    if (!riff.DescendOuter(outer) || outer.Id != FourCC("RIFF") ||
        outer.FormType != FourCC("WAVE") || !riff.FindChunk(FourCC("fmt "), formatChunk) ||
        formatChunk.Size < sizeof bytes || riff.Read(bytes, sizeof bytes) != sizeof bytes)
        return MciInvalidFile;
    format.FormatTag = qFromLittleEndian<uint16_t>(bytes);
    format.Channels = qFromLittleEndian<uint16_t>(bytes + 2);
    format.SamplesPerSec = qFromLittleEndian<uint32_t>(bytes + 4);
    format.AvgBytesPerSec = qFromLittleEndian<uint32_t>(bytes + 8);
    format.BlockAlign = qFromLittleEndian<uint16_t>(bytes + 12);
    format.BitsPerSample = qFromLittleEndian<uint16_t>(bytes + 14);
    if (!riff.SeekToFirstSubChunk(outer) || !riff.FindChunk(FourCC("data"), dataChunk) ||
        !riff.ReadChunkData(dataChunk, samples))
        return MciInvalidFile;
    return MciOk;
}

// Whole frames of integer PCM that a sound output can be given as they stand.
bool IsPlayable(const WaveFormat& format)
{
    return format.FormatTag == 1 && format.Channels >= 1 && format.Channels <= 8 &&
           (format.BitsPerSample == 8 || format.BitsPerSample == 16 ||
            format.BitsPerSample == 32) &&
           format.SamplesPerSec >= 1000 && format.SamplesPerSec <= 384000;
}

} // namespace

WaveCommandInterpreter::WaveCommandInterpreter(std::unique_ptr<AudioOutput> output)
    : output(std::move(output))
{
}

void WaveCommandInterpreter::SetOutput(std::unique_ptr<AudioOutput> newOutput)
{
    Close();
    output = std::move(newOutput);
}

int16_t WaveCommandInterpreter::Execute(const QString& command, QString& reply)
{
    reply.clear();
    // The platform's command strings end at their first zero character.
    const QString text = CutAtNull(command).trimmed();
    if (text.startsWith(OpenPrefix, Qt::CaseInsensitive)) return Open(text);

    static const QRegularExpression blanks(QStringLiteral("\\s+"));
    const QStringList words = text.split(blanks, Qt::SkipEmptyParts);
    if (words.isEmpty()) return MciUnrecognizedCommand;
    const QString& verb = words[0];
    const bool known = SameWord(verb, "close") || SameWord(verb, "set") || SameWord(verb, "seek") ||
                       SameWord(verb, "play") || SameWord(verb, "status");
    if (!known) return MciUnrecognizedCommand;
    if (words.size() < 2 || words[1].compare(DeviceAlias, Qt::CaseInsensitive) != 0 || !isOpen)
        return MciInvalidDeviceName;

    if (SameWord(verb, "close")) return words.size() == 2 ? Close() : MciUnrecognizedKeyword;
    if (SameWord(verb, "set")) return Set(words);
    if (SameWord(verb, "seek")) return Seek(words);
    if (SameWord(verb, "play")) return Play(words);
    return Status(words, reply);
}

bool WaveCommandInterpreter::IsPlaying()
{
    FollowOutput();
    return playing;
}

int16_t WaveCommandInterpreter::Open(const QString& command)
{
    if (!command.endsWith(OpenSuffix, Qt::CaseInsensitive)) return MciUnrecognizedKeyword;
    if (isOpen) return MciDuplicateAlias;
    // The path stands between the prefix and the suffix as it is, blanks
    // and all; a quoted path is accepted too.
    QString path =
        command.mid(OpenPrefix.size(), command.size() - OpenPrefix.size() - OpenSuffix.size())
            .trimmed();
    if (path.size() >= 2 && path.startsWith('"') && path.endsWith('"'))
        path = path.mid(1, path.size() - 2);
    if (path.isEmpty()) return MciFileNameRequired;

    WaveFormat loadedFormat;
    QByteArray loadedSamples;
    if (int16_t rc = LoadSound(path, loadedFormat, loadedSamples); rc != MciOk) return rc;
    if (!IsPlayable(loadedFormat)) return MciInvalidFile;

    format = loadedFormat;
    frameBytes = int64_t(format.Channels) * (format.BitsPerSample / 8);
    lengthSamples = loadedSamples.size() / frameBytes;
    samples = loadedSamples.left(lengthSamples * frameBytes);
    timeFormat = TimeFormat::Milliseconds;
    position = 0;
    playing = false;
    isOpen = true;
    return MciOk;
}

int16_t WaveCommandInterpreter::Close()
{
    if (!isOpen) return MciInvalidDeviceName;
    StopPlaying();
    isOpen = false;
    samples.clear();
    lengthSamples = 0;
    position = 0;
    return MciOk;
}

int16_t WaveCommandInterpreter::Set(const QStringList& words)
{
    if (words.size() < 4 || !SameWord(words[2], "time") || !SameWord(words[3], "format"))
        return words.size() < 3 ? MciMissingParameter : MciUnrecognizedKeyword;
    if (words.size() < 5) return MciMissingParameter;
    if (words.size() > 5) return MciUnrecognizedKeyword;
    if (SameWord(words[4], "samples"))
        timeFormat = TimeFormat::Samples;
    else if (SameWord(words[4], "milliseconds") || SameWord(words[4], "ms"))
        timeFormat = TimeFormat::Milliseconds;
    else
        return MciBadTimeFormat;
    return MciOk;
}

int16_t WaveCommandInterpreter::Seek(const QStringList& words)
{
    if (words.size() < 3) return MciMissingParameter;
    if (!SameWord(words[2], "to")) return MciUnrecognizedKeyword;
    if (words.size() < 4) return MciMissingParameter;
    if (words.size() > 4) return MciUnrecognizedKeyword;
    int64_t target = 0;
    if (int16_t rc = ReadPosition(words[3], target); rc != MciOk) return rc;
    StopPlaying();
    position = target;
    return MciOk;
}

int16_t WaveCommandInterpreter::Play(const QStringList& words)
{
    int64_t from = -1;
    int64_t to = -1;
    for (qsizetype i = 2; i < words.size(); i += 2) {
        const bool isFrom = SameWord(words[i], "from");
        if ((!isFrom && !SameWord(words[i], "to")) || (isFrom ? from : to) >= 0)
            return MciUnrecognizedKeyword;
        if (i + 1 >= words.size()) return MciMissingParameter;
        if (int16_t rc = ReadPosition(words[i + 1], isFrom ? from : to); rc != MciOk) return rc;
    }
    if (from < 0) from = CurrentSample();
    if (to < 0) to = lengthSamples;
    if (from > to) return MciOutOfRange;

    StopPlaying();
    position = from;
    if (from == to) return MciOk; // an empty range plays nothing
    const QByteArray range = samples.mid(from * frameBytes, (to - from) * frameBytes);
    if (!output->Start(format, range)) return MciCannotPlay;
    playing = true;
    playFrom = from;
    playTo = to;
    return MciOk;
}

int16_t WaveCommandInterpreter::Status(const QStringList& words, QString& reply)
{
    if (words.size() < 3) return MciMissingParameter;
    if (words.size() > 3) return MciUnrecognizedKeyword;
    if (SameWord(words[2], "position"))
        reply = QString::number(ToReported(CurrentSample()));
    else if (SameWord(words[2], "length"))
        reply = QString::number(ToReported(lengthSamples));
    else if (SameWord(words[2], "mode"))
        reply = IsPlaying() ? QStringLiteral("playing") : QStringLiteral("stopped");
    else
        return MciUnrecognizedKeyword;
    return MciOk;
}

// A position word in the current time format, as a sample within the sound.
int16_t WaveCommandInterpreter::ReadPosition(const QString& word, int64_t& sample) const
{
    static const QRegularExpression integer(QStringLiteral("^[+-]?\\d{1,10}$"));
    if (!integer.match(word).hasMatch()) return MciBadInteger;
    const int64_t value = word.toLongLong();
    if (value < std::numeric_limits<int32_t>::min() || value > std::numeric_limits<int32_t>::max())
        return MciBadInteger;
    if (value < 0) return MciOutOfRange;
    // Milliseconds and samples convert to the nearest, so a position set in
    // milliseconds reads back unchanged.
    sample =
        timeFormat == TimeFormat::Samples ? value : (value * format.SamplesPerSec + 500) / 1000;
    return sample <= lengthSamples ? MciOk : MciOutOfRange;
}

int64_t WaveCommandInterpreter::ToReported(int64_t sample) const
{
    return timeFormat == TimeFormat::Samples
               ? sample
               : (sample * 1000 + format.SamplesPerSec / 2) / format.SamplesPerSec;
}

int64_t WaveCommandInterpreter::CurrentSample()
{
    FollowOutput();
    if (!playing) return position;
    const int64_t heard = output->PlayedMicroseconds() * format.SamplesPerSec / 1000000;
    return playFrom + std::clamp<int64_t>(heard, 0, playTo - playFrom);
}

// Ends the play once the output has played the range out or given up; the
// position then stays where the sound stopped.
void WaveCommandInterpreter::FollowOutput()
{
    if (!playing) return;
    const int64_t heard = output->PlayedMicroseconds() * format.SamplesPerSec / 1000000;
    const int64_t span = playTo - playFrom;
    if (heard < span && output->CurrentState() == AudioOutput::State::Playing) return;
    StopPlaying();
}

void WaveCommandInterpreter::StopPlaying()
{
    if (!playing) return;
    // The output forgets the heard time on stop in some back-ends: read first.
    const int64_t heard = output->PlayedMicroseconds() * format.SamplesPerSec / 1000000;
    output->Stop();
    position = playFrom + std::clamp<int64_t>(heard, 0, playTo - playFrom);
    playing = false;
}
