#pragma once
// A sound input for the recording tests: the test hands it bytes as if they
// came from the microphone; it refuses to start, or stops by itself part-way,
// when told to.
#include "audio/WaveInput.h"

#include <QByteArray>

#include <algorithm>
#include <cstring>

class FakeWaveInput final : public WaveInput
{
public:
    int32_t Start(const WaveFormat& format, WaveHeader& buffer) override
    {
        ++StartCount;
        StartedFormat = format;
        if (FailWith != 0) return FailWith;
        target = &buffer;
        written = 0;
        halted = false;
        stoppedBecause = 0;
        return 0;
    }

    void Stop() override
    {
        ++StopCount;
        if (target == nullptr) return;
        BlockHeldWhenStopped = WatchedHandle != nullptr && *WatchedHandle != 0;
        target->BytesRecorded = written;
        target = nullptr;
        halted = false;
    }

    bool IsRecording() const override { return target != nullptr && !halted; }
    int32_t StoppedBecause() override { return stoppedBecause; }
    uint32_t BytesSoFar() const override { return target != nullptr ? written : 0; }

    // Bytes arriving from the microphone; dropped unless recording.
    void Deliver(const QByteArray& bytes)
    {
        if (target == nullptr || halted) {
            DroppedBytes += bytes.size();
            return;
        }
        const uint32_t room = target->BufferLength - written;
        const uint32_t count = std::min<uint32_t>(room, bytes.size());
        std::memcpy(target->Data + written, bytes.constData(), count);
        written += count;
    }

    // The input stops as a device does when the sound system goes away or
    // the microphone is unplugged: nothing more arrives, what came stays.
    void StopByItself(int32_t because)
    {
        if (target == nullptr) return;
        halted = true;
        stoppedBecause = because;
    }

    int32_t FailWith = 0;
    int StartCount = 0;
    int StopCount = 0;
    qsizetype DroppedBytes = 0;
    // The held flag of the recording block the input writes into, looked at
    // when it stops: the input must stop before the block goes.
    const uintptr_t* WatchedHandle = nullptr;
    bool BlockHeldWhenStopped = false;
    WaveFormat StartedFormat{0, 0, 0, 0, 0, 0};

private:
    WaveHeader* target = nullptr;
    uint32_t written = 0;
    bool halted = false;
    int32_t stoppedBecause = 0;
};
