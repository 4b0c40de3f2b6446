#include "audio/StudentRecording.h"

#include "audio/PhraseFile.h"

#include <QtEndian>

#include <algorithm>
#include <cmath>
#include <cstdlib>

WaveFormat MakeRecordFormat()
{
    WaveFormat format;
    format.FormatTag = 1;
    format.Channels = 1;
    format.SamplesPerSec = 22050;
    format.AvgBytesPerSec = 44100;
    format.BlockAlign = 2;
    format.BitsPerSample = 16;
    return format;
}

int32_t PlannedRecordingLength(const QByteArray& PhraseText)
{
    qsizetype first = 0;
    qsizetype last = PhraseText.size();
    while (first < last && PhraseText[first] == ' ')
        ++first;
    while (last > first && PhraseText[last - 1] == ' ')
        --last;
    return int32_t(100 * (last - first) + 2000);
}

float RecordingAnalysisLimit(int32_t PlannedMilliseconds)
{
    return std::max(float(PlannedMilliseconds) / 1000.0f * 10.0f, MinimumAnalysisLimit);
}

int32_t StartRecording(RecordingBlock& Block, int32_t& Duration, WaveInput& Input)
{
    // The device must never write into a block that is being freed.
    Input.Stop();
    if (Block.Handle != 0) {
        Block.Memory->GFree();
        Block.Handle = 0;
    }
    Block.Memory = std::make_unique<APIMemory>();
    Block.Buffer = WaveHeader{};
    Block.Format = MakeRecordFormat();
    Duration = std::min(Duration, RecordMaxMilliseconds);

    Block.Memory->SetMemSize(RecordBlockBytes);
    Block.Memory->GAlloc();
    if (Block.Memory->MemHandle() == 0) return RecordingNoMemory;
    Block.Memory->GLock();
    Block.Handle = Block.Memory->MemHandle();
    Block.Buffer.Data = static_cast<char*>(Block.Memory->MemPointer());
    Block.Buffer.BufferLength = RecordBufferBytes;

    Block.Mode = RecordWaveMode;
    return Input.Start(Block.Format, Block.Buffer);
}

void StopRecording(RecordingBlock& Block, WaveInput& Input)
{
    Input.Stop();
    Block.Buffer.BytesRecorded = std::min(Block.Buffer.BytesRecorded, Block.Buffer.BufferLength);
}

int32_t StoreRecording(RecordingBlock& Block, const QString& WaveFile, const QString& TextFile,
                       const QByteArray& PhraseText)
{
    if (Block.Buffer.Data == nullptr || Block.Buffer.BytesRecorded == 0) return RecordingEmpty;
    NormalizeRecording(Block.Buffer);
    return WritePhraseFile(WaveFile, TextFile, PhraseText, Block.Format, Block.Buffer);
}

void ReleaseRecording(RecordingBlock& Block, WaveInput& Input)
{
    Input.Stop();
    if (Block.Handle != 0) {
        Block.Memory->GFree();
        Block.Handle = 0;
    }
    Block.Buffer = WaveHeader{};
}

void NormalizeRecording(WaveHeader& Buffer)
{
    if (Buffer.Data == nullptr || Buffer.BufferLength < 1) return;
    const uint32_t count = Buffer.BufferLength / 2;
    char* bytes = Buffer.Data;
    int32_t loudest = 0;
    for (uint32_t i = 0; i < count; ++i)
        loudest = std::max(loudest, std::abs(int32_t(qFromLittleEndian<int16_t>(bytes + 2 * i))));
    if (loudest < 1) return;
    const double gain = 65536.0 / (2.5 * loudest);
    for (uint32_t i = 0; i < count; ++i) {
        const double scaled = qFromLittleEndian<int16_t>(bytes + 2 * i) * gain;
        qToLittleEndian<int16_t>(int16_t(std::nearbyint(scaled)), bytes + 2 * i);
    }
}
