// Playback and recording when no sound server can be reached: they fail
// softly and say so. ctest runs this suite with the server made unreachable.
#include "app/CommonVar.h"
#include "audio/MciSubs.h"
#include "audio/StudentRecording.h"
#include "audio_real/RealAudio.h"
#include "widgets/AudioDevice.h"
#include "widgets/WaveIn.h"

#include <QTemporaryDir>

namespace {

class NoSoundServer : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!QMediaDevices::audioOutputs().isEmpty() || !QMediaDevices::audioInputs().isEmpty())
            GTEST_SKIP() << "a sound server is reachable; ctest runs this suite as NoSoundServer "
                            "with the server out of reach";
        ResetCommonVar();
    }
};

} // namespace

TEST_F(NoSoundServer, PlayPlaysNothingAndTheDeviceReportsStopped)
{
    InstallQtAudioOutput();
    QTemporaryDir folder;
    const QString path = folder.filePath("a phrase.wav");
    ASSERT_TRUE(WriteBytes(path, SimpleWave(ToBytes(Chirp(22050, 22050, 200, 800, 8000)))));
    QString reply;
    ASSERT_EQ(SendMciCommand("open " + path + " type waveaudio alias wavefile", reply), MciOk);
    EXPECT_EQ(SendMciCommand("play wavefile", reply), MciCannotPlay);
    EXPECT_EQ(reply, MciErrorText(MciCannotPlay));
    EXPECT_FALSE(WaveDeviceIsPlaying());
    EXPECT_EQ(SendMciCommand("status wavefile mode", reply), MciOk);
    EXPECT_EQ(reply, "stopped");
    EXPECT_EQ(SendMciCommand("close wavefile", reply), MciOk);
    InstallAudioOutput(nullptr);
}

TEST_F(NoSoundServer, RecordingReportsNoInputAndYieldsNoBytes)
{
    WaveIn input;
    int32_t duration = 3000;
    EXPECT_EQ(StartRecording(duration, input), RecordingNoInput);
    EXPECT_FALSE(input.IsRecording());
    StopRecording(input);
    EXPECT_EQ(RecordBuffer.BytesRecorded, 0u);
    ReleaseRecording(input);
    EXPECT_EQ(RecordHandle, 0u);
}
