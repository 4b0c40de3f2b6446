#pragma once
// A sound output for the command device's tests: it "plays" on a clock the
// test moves by hand, keeps what it was given, and can be told to refuse to
// start or to give up part-way, as a real device may.
#include "audio/AudioOutput.h"

#include <algorithm>

class FakeAudioOutput final : public AudioOutput
{
public:
    bool Start(const WaveFormat& format, const QByteArray& samples) override
    {
        ++StartCount;
        Stop();
        StartedFormat = format;
        StartedSamples = samples;
        if (RefuseStart) return false;
        const int64_t bytesPerSecond =
            int64_t(format.SamplesPerSec) * format.Channels * (format.BitsPerSample / 8);
        durationUs = (samples.size() * 1000000 + bytesPerSecond - 1) / bytesPerSecond;
        startedAtUs = NowUs;
        running = true;
        heardUs = 0;
        return true;
    }

    int64_t PlayedMicroseconds() override
    {
        if (running) heardUs = std::min({NowUs - startedAtUs, durationUs, GiveUpAfterUs});
        return heardUs;
    }

    State CurrentState() override
    {
        PlayedMicroseconds();
        if (running && (heardUs >= durationUs || heardUs >= GiveUpAfterUs)) running = false;
        return running ? State::Playing : State::Stopped;
    }

    void Stop() override
    {
        if (running) {
            PlayedMicroseconds();
            ++StopCount;
        }
        running = false;
    }

    // The test's clock and the device's behaviour.
    int64_t NowUs = 0;
    bool RefuseStart = false;
    int64_t GiveUpAfterUs = INT64_MAX; // heard time at which the device stops on its own

    // What the device was asked to do.
    int StartCount = 0;
    int StopCount = 0; // stops of a play that was still sounding
    WaveFormat StartedFormat;
    QByteArray StartedSamples;

private:
    bool running = false;
    int64_t startedAtUs = 0;
    int64_t durationUs = 0;
    int64_t heardUs = 0;
};
