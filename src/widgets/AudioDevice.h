#pragma once
// The real sound output behind the "wavefile" command device: Qt
// Multimedia's audio sink on the output the system chose at the moment of
// the play (SoundServerDevices.h), in the sound file's
// own format. The position it reports is what the sound server says has been
// played, not what has been handed over, so the follower marks the steps as
// they are heard (about 25 ms behind the wall clock on a PulseAudio server).
// Some servers (PipeWire) report that position in steps of tens of
// milliseconds: between two reports it follows the clock (HeardPosition).
//
// Without a sound server or output device, or when the device refuses to
// open, a play plays nothing and the device reports itself stopped at once.
#include "audio/AudioOutput.h"
#include "engine/PlaybackFollower.h"

#include <QBuffer>
#include <QByteArray>
#include <QElapsedTimer>

#include <memory>

class QAudioSink;

class QtAudioOutput final : public AudioOutput
{
public:
    QtAudioOutput();
    ~QtAudioOutput() override;

    bool Start(const WaveFormat& format, const QByteArray& samples) override;
    int64_t PlayedMicroseconds() override;
    State CurrentState() override;
    void Stop() override;

    // The position as the sound server last reported it, without following
    // the clock in between (tests compare the two).
    int64_t ReportedMicroseconds() const;

private:
    void Release();

    std::unique_ptr<QAudioSink> sink;
    std::unique_ptr<QBuffer> source;
    QByteArray data;
    int64_t durationUs = 0;
    int64_t heardUs = 0;
    QElapsedTimer idleSince;
    // The last change of the reported position and when it was seen.
    HeardPosition position;
    QElapsedTimer clock; // since the play started
};

// Installs QtAudioOutput as the command device's output; the tutor calls it
// once the application object exists. The output is taken down again when
// the application object is destroyed. Returns the output installed.
QtAudioOutput* InstallQtAudioOutput();
