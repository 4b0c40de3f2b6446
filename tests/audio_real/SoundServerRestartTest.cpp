// A sound server restarted while the tutor runs (after an update, a crash):
// Qt never reconnects, so every play and take fails from then on although
// the server and its devices are fine. The learner is told to restart the
// tutor, not to check the speakers or the microphone. ctest runs this suite
// alone as SoundServerRestart, on a server of its own that it can stop and
// start again before the program first reaches one.
#include "app/CommonVar.h"
#include "audio/MciSubs.h"
#include "audio/StudentRecording.h"
#include "audio_real/RealAudio.h"
#include "engine/RecordingFeedback.h"
#include "widgets/AudioDevice.h"
#include "widgets/SoundServerDevices.h"
#include "widgets/WaveIn.h"

#include <QStandardPaths>
#include <QTemporaryDir>

namespace {

class SoundServerRestart : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (qEnvironmentVariableIsEmpty("TONVALE_PRIVATE_SOUND_SERVER"))
            GTEST_SKIP() << "ctest runs this suite alone as SoundServerRestart";
        if (QStandardPaths::findExecutable("pulseaudio").isEmpty())
            GTEST_SKIP() << "no PulseAudio daemon to restart";
        ASSERT_TRUE(runtime.isValid());
        qputenv("PULSE_SERVER", "unix:" + runtime.filePath("native").toUtf8());
        ResetCommonVar();
    }

    void TearDown() override
    {
        QString reply;
        SendMciCommand("close wavefile", reply);
        InstallAudioOutput(nullptr);
        ReleaseRecording(input);
        StopServer();
    }

    bool StartServer()
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("XDG_RUNTIME_DIR", runtime.path());
        environment.insert("PULSE_STATE_PATH", runtime.filePath("state"));
        server.setProcessEnvironment(environment);
        server.start("pulseaudio",
                     {"-n", "--daemonize=no", "--exit-idle-time=-1", "--use-pid-file=no",
                      "--log-target=file:" + runtime.filePath("pulse.log"), "-L",
                      "module-native-protocol-unix socket=" + runtime.filePath("native") +
                          " auth-anonymous=1",
                      "-L", "module-null-sink sink_name=speaker rate=22050 channels=1", "-L",
                      "module-null-sink sink_name=micfeed rate=22050 channels=1", "-L",
                      "module-remap-source source_name=vmic master=micfeed.monitor"});
        if (!server.waitForStarted(5000)) return false;
        for (int i = 0; i < 100 && Pactl({"get-default-sink"}).isEmpty(); ++i)
            Pump(100);
        return MakeDefault("sink", "speaker") && MakeDefault("source", "vmic");
    }

    void StopServer()
    {
        if (server.state() == QProcess::NotRunning) return;
        server.terminate();
        server.waitForFinished(5000);
    }

    QTemporaryDir runtime;
    QProcess server;
    WaveIn input;
};

} // namespace

TEST_F(SoundServerRestart, PlayAndRecordAskForARestartOfTheTutor)
{
    ASSERT_TRUE(StartServer());
    InstallQtAudioOutput();
    const QString path = runtime.filePath("phrase.wav");
    ASSERT_TRUE(WriteBytes(path, SimpleWave(ToBytes(Chirp(4410, 22050, 200, 800, 8000)))));
    QString reply;
    ASSERT_EQ(SendMciCommand("open " + path + " type waveaudio alias wavefile", reply), MciOk);
    ASSERT_EQ(SendMciCommand("play wavefile", reply), MciOk) << reply.toStdString();
    int32_t duration = 1000;
    ASSERT_EQ(StartRecording(duration, input), 0);
    Pump(300);
    StopRecording(input);
    EXPECT_FALSE(SoundSystemRestartNeeded());

    StopServer();
    Pump(300);
    ASSERT_TRUE(StartServer());

    duration = 1000;
    const int32_t started = StartRecording(duration, input);
    EXPECT_EQ(started, RecordingServerRestarted);
    const QString reason = RecordingFailureReason(started, runtime.filePath("Student.wav"));
    EXPECT_TRUE(reason.contains("start it again")) << reason.toStdString();
    EXPECT_FALSE(reason.contains("microphone")) << reason.toStdString();
    EXPECT_EQ(SendMciCommand("play wavefile", reply), MciCannotPlay);
    EXPECT_TRUE(SoundSystemRestartNeeded()) << "the screen's notice asks for a restart";
}
