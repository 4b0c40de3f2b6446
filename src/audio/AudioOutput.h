#pragma once
// The sound output behind the "wavefile" command device: it plays one block
// of PCM samples from its first byte and tells how much of it has actually
// been heard. The tutor installs the Qt Multimedia output at start-up
// (platform/AudioDevice.h); tests install a fake with its own clock. Every
// call comes from the user-interface thread.
#include "audio/PhraseData.h"

#include <QByteArray>

#include <cstdint>

class AudioOutput
{
public:
    enum class State {
        Stopped, // nothing playing: never started, stopped, played out, or failed
        Playing  // started and not yet heard to its end
    };

    virtual ~AudioOutput() = default;

    // Stops whatever plays and starts `samples` (whole frames in `format`).
    // Returns at once; false when the output cannot play at all (no sound
    // server, no device, the device refused to open): the state is then
    // Stopped and nothing is heard.
    virtual bool Start(const WaveFormat& format, const QByteArray& samples) = 0;

    // Microseconds of the started samples that have been played out so far,
    // never more than their duration and never decreasing during one play.
    // After the play has ended or been stopped it keeps its last value until
    // the next Start.
    virtual int64_t PlayedMicroseconds() = 0;

    // Playing until the last sample has been heard (or the device gave up).
    virtual State CurrentState() = 0;

    // Silences the output at once. PlayedMicroseconds keeps what was heard.
    virtual void Stop() = 0;
};

// The output of a process that has installed no real one: it cannot play.
class NoAudioOutput final : public AudioOutput
{
public:
    bool Start(const WaveFormat&, const QByteArray&) override { return false; }
    int64_t PlayedMicroseconds() override { return 0; }
    State CurrentState() override { return State::Stopped; }
    void Stop() override {}
};
