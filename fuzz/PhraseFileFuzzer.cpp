// Arbitrary bytes given to the phrase-file reader, as a damaged or hostile
// file from a content pack or a recording would reach it. Besides crashes and
// over-reads (the sanitizers' part) it checks what the reader promises: after
// a failure nothing is held, after success the samples are all there, and the
// chunk listing stays inside the file.
#include "audio/PhraseFile.h"
#include "audio/RiffFile.h"

#include <QBuffer>

#include <cstdint>
#include <cstdlib>

namespace {

void Require(bool condition)
{
    if (!condition)
        std::abort();
}

struct Speaker
{
    int32_t loaded = 0;
    PhraseData phrase;
    WaveFormat format;
    WaveHeader samples;
    std::unique_ptr<APIMemory> memory = std::make_unique<APIMemory>();
    PitchTrack pitch;
    QByteArray text;
};

void ReadAs(Speaker& speaker, const QByteArray& bytes, int16_t textOnly, int16_t skipText)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    const int32_t result =
        ReadPhraseFromDevice(buffer, speaker.loaded, speaker.phrase, speaker.format,
                             speaker.samples, speaker.memory, speaker.pitch, textOnly, skipText,
                             &speaker.text);
    Require(speaker.text.size() <= MaxPhraseTextBytes - 1);
    Require(speaker.memory != nullptr);
    if (result != PhraseFileOk || (textOnly != 0 && skipText == 0)) {
        Require(speaker.loaded == 0);
        Require(speaker.samples.Data == nullptr && speaker.samples.BufferLength == 0);
        Require(speaker.memory->MemHandle() == 0);
        Require(speaker.pitch.empty());
        return;
    }
    Require(speaker.loaded == 1);
    Require(speaker.phrase.StepCount >= 0 && speaker.phrase.StepCount <= MaxSteps);
    Require(speaker.phrase.MaxHeight >= 0);
    Require(speaker.pitch.size() <= size_t(MaxPitchPoints));
    Require(speaker.samples.Data == speaker.memory->MemPointer());
    Require(int64_t(speaker.samples.BufferLength) <= bytes.size());
    // Touch every sample byte, as the signal view will.
    unsigned sum = 0;
    for (uint32_t i = 0; i < speaker.samples.BufferLength; ++i)
        sum += uint8_t(speaker.samples.Data[i]);
    Require(sum <= 255u * speaker.samples.BufferLength);
}

void ListChunks(const QByteArray& bytes)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    RiffReader reader(buffer);
    Require(reader.Open());
    RiffChunk outer;
    std::vector<RiffChunk> chunks;
    ListRiffChunks(reader, outer, chunks);
    int64_t previousEnd = 12;
    for (const RiffChunk& chunk : chunks) {
        Require(reader.FitsInFile(chunk));
        Require(chunk.DataOffset >= previousEnd + 8);
        previousEnd = chunk.End();
        QByteArray data;
        Require(reader.ReadChunkData(chunk, data) && data.size() == qsizetype(chunk.Size));
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes =
        QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    // One speaker read three ways in a row, so each read also releases what
    // the one before it left.
    Speaker speaker;
    ReadAs(speaker, bytes, 0, 0);
    ReadAs(speaker, bytes, 0, -1);
    ReadAs(speaker, bytes, -1, 0);
    ReadAs(speaker, bytes, 0, 0);
    if (speaker.loaded != 0)
        speaker.memory->GFree();
    ListChunks(bytes);
    return 0;
}
