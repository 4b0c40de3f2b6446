#include "audio/PhraseFile.h"

#include "audio/RiffFile.h"
#include "platform/RegularFile.h"

#include <QFile>
#include <QtEndian>

#include <algorithm>
#include <array>
#include <limits>
#include <vector>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

namespace {

constexpr int64_t FormatChunkSize = 16;
constexpr int64_t MaxTextChunkRead = MaxPhraseTextBytes; // text + zero byte
constexpr int64_t MaxTextBytes = MaxPhraseTextBytes - 1;
constexpr int64_t StepValueLimit = MaxStepValues + 1;  // this many values or more: damaged
constexpr int64_t PitchPointLimit = MaxPitchPoints + 1; // likewise for points

// The closer of two integers to a / b for a positive b, halves to even, as
// every fractional count in the file is rounded.
int64_t DivideRoundingHalfToEven(int64_t a, int64_t b)
{
    int64_t quotient = a / b;
    int64_t remainder = a % b;
    if (remainder < 0) {
        quotient -= 1;
        remainder += b;
    }
    if (2 * remainder > b || (2 * remainder == b && (quotient & 1) != 0))
        quotient += 1;
    return quotient;
}

int32_t SaturateToInt32(int64_t value)
{
    return int32_t(std::clamp<int64_t>(value, std::numeric_limits<int32_t>::min(),
                                       std::numeric_limits<int32_t>::max()));
}

// Everything one read fills, so each stage can take it whole.
struct PhraseRead
{
    RiffReader& riff;
    int32_t& loaded;
    PhraseData& phrase;
    WaveFormat& format;
    WaveHeader& samples;
    std::unique_ptr<APIMemory>& memory;
    PitchTrack& pitch;
    QByteArray* text;
    RiffChunk outer;
};

void ForgetSamples(WaveHeader& samples)
{
    samples.Data = nullptr;
    samples.BufferLength = 0;
    samples.BytesRecorded = 0;
}

// The old block goes first, whatever happens next: after a failed read the
// speaker must hold nothing a view could still draw from.
void ReleaseSamples(int32_t& loaded, WaveHeader& samples, std::unique_ptr<APIMemory>& memory)
{
    if (memory) {
        memory->GUnlock();
        memory->GFree();
    }
    loaded = 0;
    ForgetSamples(samples);
    memory = std::make_unique<APIMemory>();
}

int32_t Fail(PhraseRead& read, int32_t result)
{
    ReleaseSamples(read.loaded, read.samples, read.memory);
    read.pitch.clear();
    return result;
}

int32_t ReadFormat(PhraseRead& read)
{
    RiffChunk chunk;
    if (!read.riff.FindChunk(FourCC("fmt "), chunk))
        return ChunkNotFound;
    if (chunk.Size != FormatChunkSize)
        return PhraseFileBadFormatSize;
    uchar bytes[FormatChunkSize];
    if (read.riff.Read(bytes, FormatChunkSize) != FormatChunkSize)
        return PhraseFileDamaged;
    read.format.FormatTag = qFromLittleEndian<uint16_t>(bytes);
    read.format.Channels = qFromLittleEndian<uint16_t>(bytes + 2);
    read.format.SamplesPerSec = qFromLittleEndian<uint32_t>(bytes + 4);
    read.format.AvgBytesPerSec = qFromLittleEndian<uint32_t>(bytes + 8);
    read.format.BlockAlign = qFromLittleEndian<uint16_t>(bytes + 12);
    read.format.BitsPerSample = qFromLittleEndian<uint16_t>(bytes + 14);
    return read.riff.Ascend(chunk) ? PhraseFileOk : PhraseFileDamaged;
}

// Files from elsewhere may carry a longer text than the field holds: the
// first 201 bytes are read, the text keeps the field's 200 characters, and the
// rest of the chunk is stepped over.
int32_t ReadPhraseText(PhraseRead& read)
{
    RiffChunk chunk;
    if (!read.riff.FindChunk(FourCC("snt "), chunk))
        return ChunkNotFound;
    const int64_t wanted = std::min<int64_t>(chunk.Size, MaxTextChunkRead);
    QByteArray stored(wanted, '\0');
    if (read.riff.Read(stored.data(), wanted) != wanted)
        return PhraseFileDamaged;
    if (!read.riff.Ascend(chunk))
        return PhraseFileDamaged;
    if (read.text != nullptr) {
        // Only the chunk's last byte is the terminator; a zero inside is the
        // stored form of character 128, which UTF-8 texts use.
        if (wanted == chunk.Size && !stored.isEmpty() && stored.back() == '\0')
            stored.chop(1);
        stored.truncate(MaxTextBytes);
        for (char& c : stored)
            c = char((uchar(c) + 128) & 0xFF);
        *read.text = stored;
    }
    return PhraseFileOk;
}

int32_t ReadSteps(PhraseRead& read)
{
    RiffChunk chunk;
    if (!read.riff.FindChunk(FourCC("stp "), chunk))
        return ChunkNotFound;
    const int64_t valueCount = DivideRoundingHalfToEven(chunk.Size, 4);
    if (valueCount >= StepValueLimit)
        return PhraseFileDamaged;
    const int64_t stepCount = DivideRoundingHalfToEven(valueCount - 2, 7);
    // Values past the end of the chunk read as 0: the last step of a full
    // table has its height there.
    std::array<uchar, 4 * (2 + 7 * MaxSteps)> bytes{};
    const int64_t wanted = std::min<int64_t>(chunk.Size, 4 * valueCount);
    if (read.riff.Read(bytes.data(), wanted) != wanted)
        return PhraseFileDamaged;
    auto value = [&bytes](int64_t index) {
        return qFromLittleEndian<int32_t>(bytes.data() + 4 * index);
    };

    PhraseData& phrase = read.phrase;
    phrase.PhraseStart = value(0);
    phrase.PhraseEnd = value(1);
    phrase.StepCount = int16_t(stepCount);
    int64_t maxHeight = 0;
    int64_t totalLength = 0;
    for (int64_t i = 1; i <= stepCount; ++i) {
        const int64_t j = 2 + 7 * (i - 1);
        StepRecord& step = phrase.Steps[i];
        step.Start = value(j);
        step.Length = SaturateToInt32(int64_t(value(j + 1)) - value(j) + 1);
        step.PitchStart = value(j + 2);
        step.PitchEnd = value(j + 3);
        step.Reserved1 = value(j + 4);
        step.Reserved2 = value(j + 5);
        step.Height = value(j + 6);
        maxHeight = std::max<int64_t>(maxHeight, step.Height);
        totalLength += step.Length;
    }
    phrase.MaxHeight = int16_t(std::min<int64_t>(maxHeight, std::numeric_limits<int16_t>::max()));
    phrase.TotalLength = SaturateToInt32(totalLength);
    return read.riff.Ascend(chunk) ? PhraseFileOk : PhraseFileDamaged;
}

int32_t ReadSamples(PhraseRead& read)
{
    RiffChunk chunk;
    if (!read.riff.FindChunk(FourCC("data"), chunk))
        return PhraseFileDamaged;
    // The size comes from the file: check it against what the file holds
    // before asking for that much memory.
    if (!read.riff.FitsInFile(chunk) || chunk.Size > uint32_t(std::numeric_limits<int32_t>::max()))
        return PhraseFileDamaged;
    APIMemory& memory = *read.memory;
    memory.SetMemSize(int32_t(chunk.Size));
    memory.GAlloc();
    memory.GLock();
    if (memory.MemPointer() == nullptr)
        return PhraseFileDamaged;
    if (read.riff.Read(memory.MemPointer(), chunk.Size) != int64_t(chunk.Size))
        return PhraseFileDamaged;
    read.samples.Data = static_cast<char*>(memory.MemPointer());
    read.samples.BufferLength = chunk.Size;
    return read.riff.Ascend(chunk) ? PhraseFileOk : PhraseFileDamaged;
}

int32_t ReadPitchTrack(PhraseRead& read)
{
    if (!read.riff.SeekToFirstSubChunk(read.outer))
        return PhraseFileDamaged;
    RiffChunk chunk;
    if (!read.riff.FindChunk(FourCC("ptc "), chunk))
        return ChunkNotFound;
    const int64_t pointCount = DivideRoundingHalfToEven(chunk.Size, 8);
    if (pointCount >= PitchPointLimit)
        return PhraseFileDamaged;
    std::vector<uchar> bytes(size_t(8 * pointCount), 0);
    const int64_t wanted = std::min<int64_t>(chunk.Size, 8 * pointCount);
    if (read.riff.Read(bytes.data(), wanted) != wanted)
        return PhraseFileDamaged;
    read.pitch.resize(size_t(pointCount));
    for (int64_t k = 0; k < pointCount; ++k) {
        read.pitch[k].Position = qFromLittleEndian<int32_t>(bytes.data() + 8 * k);
        read.pitch[k].Value = qFromLittleEndian<int32_t>(bytes.data() + 8 * k + 4);
    }
    return read.riff.Ascend(chunk) ? PhraseFileOk : PhraseFileDamaged;
}

int32_t ReadPhrase(PhraseRead& read, int16_t textOnly, int16_t skipText)
{
    if (!read.riff.DescendOuter(read.outer))
        return ChunkNotFound;
    if (int32_t rc = ReadFormat(read); rc != PhraseFileOk)
        return rc;
    if (skipText == 0) {
        if (int32_t rc = ReadPhraseText(read); rc != PhraseFileOk)
            return rc;
        if (textOnly != 0)
            return PhraseFileOk;
    }
    if (int32_t rc = ReadSteps(read); rc != PhraseFileOk)
        return rc;
    if (int32_t rc = ReadSamples(read); rc != PhraseFileOk)
        return rc;
    if (int32_t rc = ReadPitchTrack(read); rc != PhraseFileOk)
        return rc;
    read.loaded = 1;
    return PhraseFileOk;
}

QString WithoutFieldPadding(const QString& path)
{
    qsizetype end = path.size();
    while (end > 0 && path[end - 1] == QLatin1Char(' '))
        --end;
    return path.left(end);
}

} // namespace

int32_t ReadPhraseFromDevice(QIODevice& Device, int32_t& Loaded, PhraseData& Phrase,
                             WaveFormat& Format, WaveHeader& Samples,
                             std::unique_ptr<APIMemory>& Memory, PitchTrack& Pitch,
                             int16_t TextOnly, int16_t SkipText, QByteArray* Text)
{
    ReleaseSamples(Loaded, Samples, Memory);
    Pitch.clear();
    if (Text != nullptr)
        Text->clear();
    RiffReader riff(Device);
    PhraseRead read{riff, Loaded, Phrase, Format, Samples, Memory, Pitch, Text, {}};
    if (!riff.Open())
        return Fail(read, PhraseFileNotOpened);
    const int32_t rc = ReadPhrase(read, TextOnly, SkipText);
    return rc == PhraseFileOk ? rc : Fail(read, rc);
}

int32_t ReadPhraseFile(int32_t& Loaded, PhraseData& Phrase, WaveFormat& Format,
                       WaveHeader& Samples, std::unique_ptr<APIMemory>& Memory,
                       PitchTrack& Pitch, int16_t TextOnly, int16_t SkipText, QByteArray* Text)
{
    QFile file(WithoutFieldPadding(Phrase.WaveFile));
    if (!OpenRegularFile(file)) {
        ReleaseSamples(Loaded, Samples, Memory);
        Pitch.clear();
        if (Text != nullptr)
            Text->clear();
        return PhraseFileNotOpened;
    }
    return ReadPhraseFromDevice(file, Loaded, Phrase, Format, Samples, Memory, Pitch, TextOnly,
                                SkipText, Text);
}

QByteArray EncodePhraseText(const QByteArray& text)
{
    QByteArray stored(text.size() + 1, '\0');
    for (qsizetype i = 0; i < text.size(); ++i)
        stored[i] = char((uchar(text[i]) + 128) & 0xFF);
    return stored;
}

QByteArray FormatChunkBytes(const WaveFormat& format)
{
    QByteArray bytes(FormatChunkSize, '\0');
    uchar* out = reinterpret_cast<uchar*>(bytes.data());
    qToLittleEndian(format.FormatTag, out);
    qToLittleEndian(format.Channels, out + 2);
    qToLittleEndian(format.SamplesPerSec, out + 4);
    qToLittleEndian(format.AvgBytesPerSec, out + 8);
    qToLittleEndian(format.BlockAlign, out + 12);
    qToLittleEndian(format.BitsPerSample, out + 14);
    return bytes;
}

namespace {

QByteArray TextForStoring(const QByteArray& text)
{
    qsizetype end = text.size();
    while (end > 0 && text[end - 1] == ' ')
        --end;
    return text.left(std::min<qsizetype>(end, MaxTextBytes));
}

// The student's file is a working file: tell the system it need not hurry it
// to the disk. Only Windows has such an attribute.
void MarkTemporary([[maybe_unused]] const QString& path)
{
#ifdef Q_OS_WIN
    SetFileAttributesW(reinterpret_cast<const wchar_t*>(path.utf16()),
                       FILE_ATTRIBUTE_TEMPORARY);
#endif
}

} // namespace

int32_t WritePhraseFile(const QString& Path, const QString& SecondPath, const QByteArray& Text,
                        const WaveFormat& Format, const WaveHeader& Buffer)
{
    Q_UNUSED(SecondPath);
    const uint32_t sampleBytes = Buffer.BytesRecorded > 0
                                     ? std::min(Buffer.BytesRecorded, Buffer.BufferLength)
                                     : Buffer.BufferLength;
    if (sampleBytes > 0 && Buffer.Data == nullptr)
        return PhraseFileNotWritten;

    RiffWriter riff(Path);
    const bool written = riff.Open() && riff.CreateRiff(FourCC("WAVE")) &&
                         riff.WriteChunk(FourCC("fmt "), FormatChunkBytes(Format)) &&
                         riff.WriteChunk(FourCC("snt "), EncodePhraseText(TextForStoring(Text))) &&
                         riff.CreateChunk(FourCC("data")) && riff.Write(Buffer.Data, sampleBytes) &&
                         riff.LeaveChunk() && riff.LeaveChunk() && riff.Commit();
    if (!written)
        return PhraseFileNotWritten;
    MarkTemporary(Path);
    return PhraseFileOk;
}
