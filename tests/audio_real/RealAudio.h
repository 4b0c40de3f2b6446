#pragma once
// Helpers of the tests that play and record through a real sound server
// (scripts/av-wrap starts one with a null-sink speaker and a microphone fed
// from the sink named in AUDIO_TEST_FEED_SINK).
#include "audio/SoundFileBuilder.h"
#include "support/QtPrinters.h"

#include <QAudioDevice>
#include <QByteArray>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QMediaDevices>
#include <QProcess>
#include <QThread>
#include <QtEndian>
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#define SKIP_WITHOUT_SOUND_OUTPUT()                                                                \
    do {                                                                                           \
        if (QMediaDevices::audioOutputs().isEmpty())                                               \
            GTEST_SKIP() << "no sound server or output device: run under scripts/av-wrap";         \
    } while (false)

#define SKIP_WITHOUT_FED_MICROPHONE()                                                              \
    do {                                                                                           \
        if (QMediaDevices::audioInputs().isEmpty())                                                \
            GTEST_SKIP() << "no sound server or input device: run under scripts/av-wrap";          \
        if (qEnvironmentVariableIsEmpty("AUDIO_TEST_FEED_SINK"))                                   \
            GTEST_SKIP() << "AUDIO_TEST_FEED_SINK names no sink to feed the microphone: "          \
                            "run under scripts/av-wrap";                                           \
    } while (false)

// Runs the event loop for `ms` milliseconds.
inline void Pump(int ms)
{
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < ms) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
        QThread::usleep(500);
    }
}

// Runs pactl on the test sound server; its output, trimmed.
inline QString Pactl(const QStringList& arguments)
{
    QProcess run;
    run.start("pactl", arguments);
    run.waitForFinished(5000);
    return QString::fromUtf8(run.readAllStandardOutput()).trimmed();
}

// Makes the named sink or source the server's default; PipeWire takes a new
// device as the default only once it has set it up.
inline bool MakeDefault(const QString& kind, const QString& name)
{
    for (int i = 0; i < 50; ++i) {
        if (Pactl({"get-default-" + kind}) == name) return true;
        Pactl({"set-default-" + kind, name});
        Pump(100);
    }
    return false;
}

// A linear chirp from f0 to f1 Hz: no two stretches of it look alike, so a
// correlation finds its one true offset.
inline std::vector<int16_t> Chirp(int count, int rate, double f0, double f1, double amplitude,
                                  int channels = 1)
{
    std::vector<int16_t> samples(size_t(count) * channels);
    const double seconds = double(count) / rate;
    for (int i = 0; i < count; ++i) {
        const double t = double(i) / rate;
        const double phase = 2 * M_PI * (f0 * t + (f1 - f0) * t * t / (2 * seconds));
        for (int c = 0; c < channels; ++c)
            samples[size_t(i) * channels + c] = int16_t(std::lround(amplitude * std::sin(phase)));
    }
    return samples;
}

inline QByteArray ToBytes(const std::vector<int16_t>& samples)
{
    QByteArray bytes(qsizetype(samples.size()) * 2, '\0');
    for (size_t i = 0; i < samples.size(); ++i)
        qToLittleEndian<int16_t>(samples[i], bytes.data() + 2 * i);
    return bytes;
}

inline std::vector<int16_t> FromBytes(const char* data, qsizetype size)
{
    std::vector<int16_t> samples(size_t(size / 2));
    for (size_t i = 0; i < samples.size(); ++i)
        samples[i] = qFromLittleEndian<int16_t>(data + 2 * i);
    return samples;
}

inline WaveFormat PcmFormat(uint32_t rate, uint16_t channels)
{
    return WaveFormat{1, channels, rate, rate * channels * 2, uint16_t(channels * 2), 16};
}

// The best normalised correlation of `reference` placed at offsets 0 to
// maxLag into `recording`; bestLag receives that offset.
inline double BestCorrelation(const std::vector<int16_t>& reference,
                              const std::vector<int16_t>& recording, int maxLag, int& bestLag)
{
    double energyReference = 0;
    for (int16_t s : reference)
        energyReference += double(s) * s;
    double best = 0;
    bestLag = -1;
    for (int lag = 0; lag <= maxLag; ++lag) {
        if (lag + reference.size() > recording.size()) break;
        double product = 0;
        double energyRecording = 0;
        for (size_t i = 0; i < reference.size(); ++i) {
            const double r = recording[lag + i];
            product += reference[i] * r;
            energyRecording += r * r;
        }
        if (energyRecording <= 0) continue;
        const double correlation = product / std::sqrt(energyReference * energyRecording);
        if (correlation > best) {
            best = correlation;
            bestLag = lag;
        }
    }
    return best;
}

// Records what the speaker sink plays (its monitor) as 22050 Hz 16-bit mono.
class SpeakerCapture
{
public:
    bool Start()
    {
        process.start("parec", {"-d", "speaker.monitor", "--format=s16le", "--rate=22050",
                                "--channels=1", "--raw", "--latency-msec=10"});
        if (!process.waitForStarted(3000)) return false;
        Pump(300); // let the stream settle before anything plays
        process.readAllStandardOutput();
        return true;
    }

    // Keeps the pipe drained while the test pumps events.
    void Drain() { buffered += process.readAllStandardOutput(); }

    std::vector<int16_t> StopAll()
    {
        Drain();
        process.terminate();
        process.waitForFinished(3000);
        buffered += process.readAllStandardOutput();
        return FromBytes(buffered.constData(), buffered.size() & ~qsizetype(1));
    }

private:
    QProcess process;
    QByteArray buffered;
};
