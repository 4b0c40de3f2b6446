// Recording the student through the real input, fed with a known signal.
#include "app/CommonVar.h"
#include "audio/StudentRecording.h"
#include "audio_real/RealAudio.h"
#include "widgets/WaveIn.h"

#include <QScopeGuard>
#include <QTemporaryDir>

#include <iostream>

namespace {

class RealRecording : public ::testing::Test
{
protected:
    void SetUp() override
    {
        SKIP_WITHOUT_FED_MICROPHONE();
        ResetCommonVar();
    }

    void TearDown() override
    {
        ReleaseRecording(input);
        if (feed.state() != QProcess::NotRunning) {
            feed.terminate();
            feed.waitForFinished(3000);
        }
        ResetCommonVar();
    }

    // Plays `samples` (22050 Hz mono) into the microphone's feed sink.
    void Feed(const std::vector<int16_t>& samples)
    {
        const QString path = folder.filePath("feed.wav");
        ASSERT_TRUE(WriteBytes(path, SimpleWave(ToBytes(samples), PcmFormat(22050, 1))));
        feed.start("paplay", {"-d", qEnvironmentVariable("AUDIO_TEST_FEED_SINK"), path});
        ASSERT_TRUE(feed.waitForStarted(3000)) << "paplay did not start";
    }

    QTemporaryDir folder;
    QProcess feed;
    WaveIn input;
};

} // namespace

TEST_F(RealRecording, RecordingHoldsTheFedSignal)
{
    int32_t duration = 2000;
    ASSERT_EQ(StartRecording(duration, input), 0);
    EXPECT_TRUE(input.IsRecording());
    QElapsedTimer wall;
    wall.start();
    Pump(200); // a feed that starts with the input loses its beginning
    const std::vector<int16_t> fed = Chirp(22050, 22050, 200, 2500, 10000);
    Feed(fed);
    Pump(int(duration - wall.elapsed()));
    StopRecording(input);
    const double stoppedAt = wall.nsecsElapsed() / 1e6;

    const uint32_t bytes = RecordBuffer.BytesRecorded;
    const double expectedBytes = stoppedAt * 44.1;
    std::cout << "[ FIGURES  ] recorded " << bytes << " bytes for a stop at " << stoppedAt
              << " ms (" << expectedBytes << " expected)\n";
    EXPECT_GT(bytes, expectedBytes - 44.1 * 150);
    EXPECT_LE(bytes, expectedBytes + 44.1 * 20);

    const std::vector<int16_t> recorded = FromBytes(RecordBuffer.Data, bytes);
    int lag = -1;
    const double correlation = BestCorrelation(fed, recorded, 22050 * 7 / 10, lag);
    std::cout << "[ FIGURES  ] fed chirp found in the recording at " << lag * 1000.0 / 22050
              << " ms with correlation " << correlation << "\n";
    EXPECT_GT(correlation, 0.95);
    EXPECT_GE(lag, 22050 * 150 / 1000) << "the feed began about 200 ms into the recording";
}

TEST_F(RealRecording, EarlyStopKeepsWhatWasRecordedAndWritesNothingAfter)
{
    Feed(Chirp(22050 * 3, 22050, 300, 900, 12000));
    int32_t duration = PlannedRecordingLength(QByteArray(50, 'x'));
    ASSERT_EQ(StartRecording(duration, input), 0);
    EXPECT_EQ(duration, 6000);
    Pump(900);
    StopRecording(input);
    const uint32_t bytes = RecordBuffer.BytesRecorded;
    EXPECT_FALSE(input.IsRecording());
    EXPECT_GT(bytes, 44100u * 700 / 1000);
    EXPECT_LT(bytes, 44100u * 950 / 1000);
    const std::vector<int16_t> recorded = FromBytes(RecordBuffer.Data, bytes);
    int loud = 0;
    for (int16_t s : recorded)
        loud += std::abs(s) > 2000;
    EXPECT_GT(loud, 1000) << "the fed sound was recorded";

    Pump(400); // the feed goes on; the stopped input must not write
    const std::vector<int16_t> after =
        FromBytes(RecordBuffer.Data + bytes, qsizetype(RecordBufferBytes - bytes));
    EXPECT_TRUE(std::all_of(after.begin(), after.end(), [](int16_t s) { return s == 0; }));
}

// The learner picked a headset as the system's input; the built-in
// microphone, listed first, hears nothing. The take comes from the headset,
// and ends as lost when the headset is unplugged during it.
TEST_F(RealRecording, RecordsFromTheMicrophoneTheSystemChoseUntilItIsUnplugged)
{
    const QString headset = Pactl({"load-module", "module-remap-source", "source_name=headset",
                                   "master=micfeed.monitor", "channels=1"});
    ASSERT_FALSE(headset.isEmpty()) << "the headset source could not be made";
    const auto restore = qScopeGuard([&] {
        Pactl({"unload-module", headset});
        Pactl({"set-source-mute", "vmic", "0"});
        MakeDefault("source", "vmic");
    });
    Pactl({"set-source-mute", "vmic", "1"});
    ASSERT_TRUE(MakeDefault("source", "headset"));
    Pump(300); // Qt lists the new source a moment later

    int32_t duration = 1500;
    ASSERT_EQ(StartRecording(duration, input), 0);
    Pump(200);
    const std::vector<int16_t> fed = Chirp(22050 / 2, 22050, 200, 2500, 10000);
    Feed(fed);
    Pump(1100);
    StopRecording(input);
    const std::vector<int16_t> recorded = FromBytes(RecordBuffer.Data, RecordBuffer.BytesRecorded);
    int lag = -1;
    EXPECT_GT(BestCorrelation(fed, recorded, 22050 * 7 / 10, lag), 0.9)
        << "the take holds the voice fed into the headset, not the silent microphone";
    EXPECT_EQ(input.StoppedBecause(), 0);

    duration = 3000;
    ASSERT_EQ(StartRecording(duration, input), 0);
    Pump(300);
    Pactl({"unload-module", headset});
    QElapsedTimer wall;
    wall.start();
    while (input.StoppedBecause() == 0 && wall.elapsed() < 2000)
        Pump(50);
    EXPECT_EQ(input.StoppedBecause(), RecordingInputLost);
    EXPECT_FALSE(input.IsRecording());
}
