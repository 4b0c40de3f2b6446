// Arbitrary bytes given to the phrase-file reader, as a damaged or hostile
// file from a content pack or a recording would reach it. Besides crashes and
// over-reads (the sanitizers' part) it checks what the reader promises: after
// a failure nothing is held, after success the samples are all there, and the
// chunk listing stays inside the file.
#include "audio/LoadedPhrase.h"
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

using Speaker = LoadedPhrase;

void ReadAs(Speaker& speaker, const QByteArray& bytes, int16_t textOnly, int16_t skipText)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    const int32_t result =
        ReadPhraseFromDevice(buffer, speaker.Loaded, speaker.Phrase, speaker.Format,
                             speaker.Samples, speaker.Memory, speaker.Pitch, textOnly, skipText,
                             &speaker.Text);
    Require(speaker.Text.size() <= MaxPhraseTextBytes - 1);
    Require(speaker.Memory != nullptr);
    if (result != PhraseFileOk || (textOnly != 0 && skipText == 0)) {
        Require(speaker.Loaded == 0);
        Require(speaker.Samples.Data == nullptr && speaker.Samples.BufferLength == 0);
        Require(speaker.Memory->MemHandle() == 0);
        Require(speaker.Pitch.empty());
        return;
    }
    Require(speaker.Loaded == 1);
    Require(speaker.Phrase.StepCount >= 0 && speaker.Phrase.StepCount <= MaxSteps);
    Require(speaker.Phrase.MaxHeight >= 0);
    Require(speaker.Pitch.size() <= size_t(MaxPitchPoints));
    Require(speaker.Samples.Data == speaker.Memory->MemPointer());
    Require(int64_t(speaker.Samples.BufferLength) <= bytes.size());
    // Touch every sample byte, as the signal view will.
    unsigned sum = 0;
    for (uint32_t i = 0; i < speaker.Samples.BufferLength; ++i)
        sum += uint8_t(speaker.Samples.Data[i]);
    Require(sum <= 255u * speaker.Samples.BufferLength);
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
    if (speaker.Loaded != 0)
        speaker.Memory->GFree();
    ListChunks(bytes);
    return 0;
}
