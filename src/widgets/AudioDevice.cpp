#include "widgets/AudioDevice.h"

#include "audio/MciSubs.h"
#include "widgets/SoundServerDevices.h"

#include <QAudioDevice>
#include <QAudioFormat>
#include <QAudioSink>
#include <QCoreApplication>
#include <QMediaDevices>

#include <algorithm>

namespace {

// The sink goes idle when it has handed the last bytes to the server, about
// a tenth of a second before they are heard. Wait for the position to reach
// the end, but not for ever if the server's clock stops just short of it.
constexpr qint64 IdleGraceMilliseconds = 400;
// A sink can stay active while its position stands still: a Bluetooth or
// HDMI output that stopped taking sound, a PipeWire graph whose driver
// stopped. Such a play has failed. Normal plays see the position move
// within a few tenths of a second of their start, and then every few tens
// of milliseconds.
constexpr int64_t StalledMicroseconds = 2000000;

QAudioFormat ToQtFormat(const WaveFormat& format)
{
    QAudioFormat qtFormat;
    qtFormat.setSampleRate(int(format.SamplesPerSec));
    qtFormat.setChannelCount(format.Channels);
    switch (format.BitsPerSample) {
    case 8:
        qtFormat.setSampleFormat(QAudioFormat::UInt8);
        break;
    case 16:
        qtFormat.setSampleFormat(QAudioFormat::Int16);
        break;
    case 32:
        qtFormat.setSampleFormat(QAudioFormat::Int32);
        break;
    default:
        break; // stays Unknown: the sink refuses it
    }
    return qtFormat;
}

void RemoveQtAudioOutput()
{
    InstallAudioOutput(nullptr);
}

} // namespace

QtAudioOutput::QtAudioOutput() = default;

QtAudioOutput::~QtAudioOutput()
{
    Release();
}

bool QtAudioOutput::Start(const WaveFormat& format, const QByteArray& samples)
{
    Stop();
    heardUs = 0;
    const int64_t bytesPerSecond =
        int64_t(format.SamplesPerSec) * format.Channels * (format.BitsPerSample / 8);
    if (bytesPerSecond <= 0) return false;
    // Rounded up, so that a play heard to its end counts every sample.
    durationUs = (samples.size() * int64_t(1000000) + bytesPerSecond - 1) / bytesPerSecond;

    const QAudioDevice device = ChosenAudioOutput();
    const QAudioFormat qtFormat = ToQtFormat(format);
    if (device.isNull() || !qtFormat.isValid()) return false;

    data = samples;
    source = std::make_unique<QBuffer>(&data);
    source->open(QIODevice::ReadOnly);
    sink = std::make_unique<QAudioSink>(device, qtFormat);
    sink->start(source.get());
    // A device that cannot open says so in error() right away, without a
    // state change signal.
    if (sink->error() != QAudio::NoError || sink->state() == QAudio::StoppedState) {
        Release();
        QtLostTheSoundServer(device); // the screen then asks for a restart
        return false;
    }
    idleSince.invalidate();
    position.Restart(durationUs);
    clock.start();
    return true;
}

int64_t QtAudioOutput::PlayedMicroseconds()
{
    // The sink forgets its processed time when stopped; keep the last reading.
    if (!sink || sink->state() == QAudio::StoppedState) return heardUs;
    heardUs = position.Update(sink->processedUSecs(), clock.nsecsElapsed() / 1000,
                              sink->state() == QAudio::ActiveState);
    return heardUs;
}

int64_t QtAudioOutput::ReportedMicroseconds() const
{
    return sink && sink->state() != QAudio::StoppedState ? sink->processedUSecs()
                                                         : position.Reported();
}

AudioOutput::State QtAudioOutput::CurrentState()
{
    if (!sink) return State::Stopped;
    PlayedMicroseconds();
    switch (sink->state()) {
    case QAudio::ActiveState:
    case QAudio::SuspendedState:
        idleSince.invalidate();
        if (position.UnchangedUs(clock.nsecsElapsed() / 1000) < StalledMicroseconds)
            return State::Playing;
        break;
    case QAudio::IdleState:
        if (!idleSince.isValid()) idleSince.start();
        if (heardUs < durationUs && idleSince.elapsed() < IdleGraceMilliseconds)
            return State::Playing;
        break;
    case QAudio::StoppedState: // the server went away mid-play
        break;
    }
    Stop();
    return State::Stopped;
}

void QtAudioOutput::Stop()
{
    PlayedMicroseconds();
    Release();
}

void QtAudioOutput::Release()
{
    if (sink) {
        sink->stop();
        sink.reset();
    }
    source.reset();
    data.clear();
    idleSince.invalidate();
}

QtAudioOutput* InstallQtAudioOutput()
{
    static bool removalRegistered = false;
    auto output = std::make_unique<QtAudioOutput>();
    QtAudioOutput* installed = output.get();
    InstallAudioOutput(std::move(output));
    if (!removalRegistered) {
        // The sink must go before the application object it lives beside.
        qAddPostRoutine(RemoveQtAudioOutput);
        removalRegistered = true;
    }
    return installed;
}
