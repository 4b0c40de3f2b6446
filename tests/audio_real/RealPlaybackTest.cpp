// Playing phrase sound files through the real sound output.
#include "audio/MciSubs.h"
#include "audio_real/RealAudio.h"
#include "widgets/AudioDevice.h"

#include <QDir>
#include <QScopeGuard>
#include <QTemporaryDir>

#include <algorithm>
#include <iostream>

namespace {

struct Reading
{
    double WallMs;
    int64_t PositionMs;
};

class RealPlayback : public ::testing::Test
{
protected:
    void SetUp() override
    {
        SKIP_WITHOUT_SOUND_OUTPUT();
        InstallQtAudioOutput();
        ASSERT_TRUE(QDir(folder.path()).mkpath("sound files"));
    }

    void TearDown() override
    {
        SendMciCommand("close wavefile", reply);
        InstallAudioOutput(nullptr);
    }

    QString WriteSound(const QString& name, const std::vector<int16_t>& samples,
                       const WaveFormat& format)
    {
        const QString path = folder.filePath("sound files/" + name);
        EXPECT_TRUE(WriteBytes(path, SimpleWave(ToBytes(samples), format)));
        return path;
    }

    int16_t Send(const QString& command) { return SendMciCommand(command, reply); }

    // Plays the open file from its start, reading the position every 5 ms as
    // the follower does, until the device says it has stopped.
    std::vector<Reading> PlayAndFollow(int limitMs)
    {
        EXPECT_EQ(Send("set wavefile time format samples"), MciOk);
        EXPECT_EQ(Send("seek wavefile to 0"), MciOk);
        EXPECT_EQ(Send("set wavefile time format milliseconds"), MciOk);
        std::vector<Reading> readings;
        QElapsedTimer wall;
        wall.start();
        EXPECT_EQ(Send("play wavefile"), MciOk) << reply.toStdString();
        while (wall.elapsed() < limitMs) {
            SendMciCommand("status wavefile position", reply);
            readings.push_back({wall.nsecsElapsed() / 1e6, ReplyAsNumber(reply)});
            if (!WaveDeviceIsPlaying()) break;
            const double next = readings.size() * 5.0;
            while (wall.nsecsElapsed() / 1e6 < next) {
                QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
                QThread::usleep(200);
            }
        }
        return readings;
    }

    QTemporaryDir folder;
    QString reply;
};

} // namespace

TEST_F(RealPlayback, PositionFollowsTheWallClockAndReachesTheEnd)
{
    const QString path =
        WriteSound("real phrase.wav", Chirp(44100, 22050, 200, 2000, 12000), PcmFormat(22050, 1));
    ASSERT_EQ(Send("open " + path + " type waveaudio alias wavefile"), MciOk)
        << reply.toStdString();
    const std::vector<Reading> readings = PlayAndFollow(5000);
    ASSERT_FALSE(readings.empty());

    EXPECT_EQ(readings.back().PositionMs, 2000) << "the play reaches the end of the sound";
    EXPECT_GE(readings.back().WallMs, 1990.0);
    EXPECT_LT(readings.back().WallMs, 2700.0) << "the device reports the end soon after it";

    // Lag of the heard position behind the wall clock, away from start and end.
    double sum = 0, sumSquares = 0, least = 1e9, most = -1e9;
    double sumX = 0, sumY = 0, sumXY = 0, sumXX = 0;
    int count = 0;
    for (size_t i = 0; i < readings.size(); ++i) {
        if (i > 0) {
            EXPECT_GE(readings[i].PositionMs, readings[i - 1].PositionMs) << "never moves back";
        }
        const Reading& r = readings[i];
        if (r.WallMs < 300 || r.WallMs > 1800) continue;
        const double lag = r.WallMs - double(r.PositionMs);
        sum += lag;
        sumSquares += lag * lag;
        least = std::min(least, lag);
        most = std::max(most, lag);
        sumX += r.WallMs;
        sumY += double(r.PositionMs);
        sumXY += r.WallMs * double(r.PositionMs);
        sumXX += r.WallMs * r.WallMs;
        ++count;
    }
    ASSERT_GT(count, 200) << "the position was read every 5 ms";
    const double mean = sum / count;
    const double sd = std::sqrt(std::max(0.0, sumSquares / count - mean * mean));
    const double slope = (count * sumXY - sumX * sumY) / (count * sumXX - sumX * sumX);
    std::cout << "[ FIGURES  ] heard position behind wall clock: mean " << mean << " ms, sd " << sd
              << " ms, min " << least << " ms, max " << most << " ms, slope " << slope
              << "; end reported at " << readings.back().WallMs << " ms for 2000 ms of sound ("
              << readings.size() << " readings)\n";
    EXPECT_GT(least, -2.0) << "the position never runs ahead of the sound";
    EXPECT_LT(most, 150.0) << "the position keeps up with the sound";
    EXPECT_NEAR(slope, 1.0, 0.02);
}

TEST_F(RealPlayback, FileInItsOwnFormatPlaysInItsOwnTime)
{
    const QString path = WriteSound("stereo 11025.wav", Chirp(11025, 11025, 300, 1500, 9000, 2),
                                    PcmFormat(11025, 2));
    ASSERT_EQ(Send("open " + path + " type waveaudio alias wavefile"), MciOk)
        << reply.toStdString();
    const std::vector<Reading> readings = PlayAndFollow(4000);
    ASSERT_FALSE(readings.empty());
    EXPECT_EQ(readings.back().PositionMs, 1000);
    EXPECT_GE(readings.back().WallMs, 990.0);
    EXPECT_LT(readings.back().WallMs, 1600.0);
}

TEST_F(RealPlayback, SpeakerHearsTheRangeAndCloseSilencesItAtOnce)
{
    const std::vector<int16_t> chirp = Chirp(66150, 22050, 150, 3000, 12000);
    const QString path = WriteSound("three seconds.wav", chirp, PcmFormat(22050, 1));
    SpeakerCapture speaker;
    ASSERT_TRUE(speaker.Start()) << "parec could not record the speaker's monitor";

    ASSERT_EQ(Send("open " + path + " type waveaudio alias wavefile"), MciOk);
    ASSERT_EQ(Send("set wavefile time format samples"), MciOk);
    ASSERT_EQ(Send("play wavefile from  11025 to  66150"), MciOk) << reply.toStdString();
    for (int i = 0; i < 160; ++i) {
        Pump(5);
        speaker.Drain();
    }
    ASSERT_EQ(Send("status wavefile position"), MciOk);
    const int64_t heardAtClose = ReplyAsNumber(reply) - 11025;
    ASSERT_EQ(Send("close wavefile"), MciOk);
    EXPECT_FALSE(WaveDeviceIsPlaying());
    for (int i = 0; i < 100; ++i) {
        Pump(5);
        speaker.Drain();
    }
    const std::vector<int16_t> captured = speaker.StopAll();

    // The captured sound is the file's range, sample for sample...
    const std::vector<int16_t> expected(chirp.begin() + 11025, chirp.begin() + 11025 + 8000);
    int lag = -1;
    const double correlation = BestCorrelation(expected, captured, 22050, lag);
    std::cout << "[ FIGURES  ] speaker monitor vs file range: correlation " << correlation << "\n";
    EXPECT_GT(correlation, 0.95);
    ASSERT_GE(lag, 0);
    // ...and it ends when the device is closed, about where the position said.
    int64_t last = lag;
    for (size_t i = size_t(lag); i < captured.size(); ++i) {
        if (std::abs(captured[i]) > 300) last = int64_t(i);
    }
    const int64_t heardSamples = last - lag;
    std::cout << "[ FIGURES  ] sound on the speaker after the range start: " << heardSamples
              << " samples; position read just before close: " << heardAtClose << " samples\n";
    EXPECT_LT(std::abs(heardSamples - heardAtClose), 22050 * 60 / 1000)
        << "sound heard " << heardSamples << " samples, position said " << heardAtClose;
    EXPECT_LT(heardSamples, 22050) << "the sound stopped long before its end";
}

// Headphones chosen as the system's output while the tutor runs: the next
// play is heard there, not on the speaker that was the default at start.
TEST_F(RealPlayback, PlaysOnTheOutputTheSystemChoseLast)
{
    const QString headphones = Pactl({"load-module", "module-null-sink", "sink_name=headphones",
                                      "rate=22050", "channels=1"});
    ASSERT_FALSE(headphones.isEmpty()) << "the headphones sink could not be made";
    const auto restore = qScopeGuard([&] {
        Pactl({"unload-module", headphones});
        MakeDefault("sink", "speaker");
    });
    ASSERT_TRUE(MakeDefault("sink", "headphones"));
    QProcess capture;
    capture.start("parec", {"-d", "headphones.monitor", "--format=s16le", "--rate=22050",
                            "--channels=1", "--raw", "--latency-msec=10"});
    ASSERT_TRUE(capture.waitForStarted(3000));
    // A new null sink renders in long blocks until its clock restarts.
    Pactl({"suspend-sink", "headphones", "1"});
    Pactl({"suspend-sink", "headphones", "0"});
    Pump(300);

    const std::vector<int16_t> played = Chirp(22050 / 2, 22050, 300, 2000, 12000);
    QtAudioOutput output;
    ASSERT_TRUE(output.Start(PcmFormat(22050, 1), ToBytes(played)));
    QElapsedTimer wall;
    wall.start();
    while (output.CurrentState() == AudioOutput::State::Playing && wall.elapsed() < 3000)
        Pump(20);
    Pump(200);
    capture.terminate();
    capture.waitForFinished(3000);
    const QByteArray heard = capture.readAllStandardOutput();
    int lag = -1;
    EXPECT_GT(BestCorrelation(played, FromBytes(heard.constData(), heard.size() & ~1), 22050, lag),
              0.9)
        << "the play was heard on the headphones";
}

// An output that stops taking sound part-way (a Bluetooth or HDMI device,
// here a suspended sink) reports itself playing for as long as it stalls;
// the play ends a couple of seconds into the stall, so that the screen gets
// its Record button back.
TEST_F(RealPlayback, AStalledOutputEndsThePlay)
{
    const auto resume = qScopeGuard([] { Pactl({"suspend-sink", "speaker", "0"}); });
    QtAudioOutput output;
    ASSERT_TRUE(output.Start(PcmFormat(22050, 1), ToBytes(Chirp(22050 * 4, 22050, 300, 900, 9000))));
    Pump(600);
    ASSERT_EQ(output.CurrentState(), AudioOutput::State::Playing);
    Pactl({"suspend-sink", "speaker", "1"});
    QElapsedTimer stalled;
    stalled.start();
    const int64_t heardAtTheStall = output.PlayedMicroseconds();
    Pump(500);
    if (output.PlayedMicroseconds() - heardAtTheStall > 300000)
        GTEST_SKIP() << "this sound server plays on into a suspended sink (PipeWire)";
    while (output.CurrentState() == AudioOutput::State::Playing && stalled.elapsed() < 6000)
        Pump(20);
    std::cout << "[ FIGURES  ] the stalled play ended after " << stalled.elapsed() << " ms, at "
              << output.PlayedMicroseconds() / 1000 << " ms of 4000\n";
    EXPECT_LT(stalled.elapsed(), 3500);
    EXPECT_LT(output.PlayedMicroseconds(), 2000000) << "the stall came before the end";
}
