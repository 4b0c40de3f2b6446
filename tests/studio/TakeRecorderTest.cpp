// The studio's take recorder with a fake microphone: a take that goes wrong
// before the analyser is not kept, and the teacher is told what went wrong,
// not sent to check a working microphone.
#include "studio/TakeRecorder.h"
#include "audio/FakeWaveInput.h"
#include "audio/StudentRecording.h"
#include "engine/FakeAnalyser.h"
#include "support/QtPrinters.h"
#include "widgets/WaveIn.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

class StudioTakeFailures : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        TakeRecorder::SetWaveInputFactory([this] {
            auto input = std::make_unique<FakeWaveInput>();
            microphone = input.get();
            return std::unique_ptr<WaveInput>(std::move(input));
        });
    }

    void TearDown() override
    {
        TakeRecorder::SetWaveInputFactory(
            [] { return std::unique_ptr<WaveInput>(std::make_unique<WaveIn>()); });
    }

    void Follow(TakeRecorder& recorder)
    {
        QObject::connect(&recorder, &TakeRecorder::Finished, [this](bool good, const QString& why) {
            ++finishes;
            kept = good;
            reason = why;
        });
    }

    // Events until the take has ended, for at most a second.
    void WaitForTheEnd(TakeRecorder& recorder)
    {
        QElapsedTimer wait;
        wait.start();
        while (finishes == 0 && wait.elapsed() < 1000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        EXPECT_FALSE(recorder.IsRecording());
        EXPECT_FALSE(recorder.IsAnalysing());
    }

    QTemporaryDir dir;
    FakeWaveInput* microphone = nullptr;
    int finishes = 0;
    bool kept = true;
    QString reason;
};

} // namespace

TEST_F(StudioTakeFailures, AnInputThatStopsByItselfEndsTheTakeUnkept)
{
    TakeRecorder recorder(dir.filePath("TVM"), dir.path());
    Follow(recorder);
    ASSERT_TRUE(recorder.Start("record")) << recorder.LastProblem().toStdString();
    ASSERT_NE(microphone, nullptr);
    microphone->Deliver(enginetest::HalfASecondOfVoice());
    microphone->StopByItself(RecordingInterrupted);
    WaitForTheEnd(recorder); // long before the planned 2.6 s
    EXPECT_EQ(finishes, 1);
    EXPECT_FALSE(kept);
    EXPECT_TRUE(reason.contains("sound system")) << reason.toStdString();

    ASSERT_TRUE(recorder.Start("record"));
    microphone->Deliver(enginetest::HalfASecondOfVoice());
    microphone->StopByItself(RecordingInputLost);
    recorder.Stop();
    EXPECT_EQ(finishes, 2);
    EXPECT_FALSE(kept);
    EXPECT_TRUE(reason.contains("disconnected")) << reason.toStdString();
    EXPECT_FALSE(QFile::exists(recorder.TakeFile()));
    EXPECT_FALSE(QFile::exists(dir.filePath("Take.wav")));
}

TEST_F(StudioTakeFailures, ATakeThatCannotBeStoredNamesTheFolderNotTheMicrophone)
{
    const QString work = dir.filePath("work");
    ASSERT_TRUE(QDir().mkpath(work));
    TakeRecorder recorder(dir.filePath("TVM"), work);
    Follow(recorder);
    ASSERT_TRUE(QDir(work).removeRecursively()); // a removable disk taken out
    ASSERT_TRUE(recorder.Start("record"));
    microphone->Deliver(enginetest::HalfASecondOfVoice());
    recorder.Stop();
    EXPECT_EQ(finishes, 1);
    EXPECT_FALSE(kept);
    EXPECT_TRUE(reason.contains(work)) << reason.toStdString();
    EXPECT_FALSE(reason.contains("microphone")) << reason.toStdString();
}
