#include "audio/StudentRecording.h"

#include "app/CommonVar.h"
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

int32_t StartRecording(int32_t& Duration, WaveInput& Input)
{
    // The device must never write into a block that is being freed.
    Input.Stop();
    if (RecordHandle != 0) {
        RecordMemory->GFree();
        RecordHandle = 0;
    }
    RecordMemory = std::make_unique<APIMemory>();
    RecordBuffer = WaveHeader{};
    RecordFormat = MakeRecordFormat();
    Duration = std::min(Duration, RecordMaxMilliseconds);

    RecordMemory->SetMemSize(RecordBlockBytes);
    RecordMemory->GAlloc();
    if (RecordMemory->MemHandle() == 0) return RecordingNoMemory;
    RecordMemory->GLock();
    RecordHandle = RecordMemory->MemHandle();
    RecordBuffer.Data = static_cast<char*>(RecordMemory->MemPointer());
    RecordBuffer.BufferLength = RecordBufferBytes;

    RecordMode = RecordWaveMode;
    return Input.Start(RecordFormat, RecordBuffer);
}

void StopRecording(WaveInput& Input)
{
    Input.Stop();
    RecordBuffer.BytesRecorded = std::min(RecordBuffer.BytesRecorded, RecordBuffer.BufferLength);
}

int32_t StoreRecording(const QString& WaveFile, const QString& TextFile,
                       const QByteArray& PhraseText)
{
    if (RecordBuffer.Data == nullptr || RecordBuffer.BytesRecorded == 0) return RecordingEmpty;
    NormalizeRecording(RecordBuffer);
    return WritePhraseFile(WaveFile, TextFile, PhraseText, RecordFormat, RecordBuffer);
}

void ReleaseRecording(WaveInput& Input)
{
    Input.Stop();
    if (RecordHandle != 0) {
        RecordMemory->GFree();
        RecordHandle = 0;
    }
    RecordBuffer = WaveHeader{};
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
