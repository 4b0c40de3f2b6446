// The analysis cycle apart from any screen: the events of a take, in order,
// for each way it can end.
#include "engine/AnalysisEngine.h"
#include "audio/FakeWaveInput.h"
#include "engine/FakeAnalyser.h"
#include "support/QtPrinters.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

using enginetest::FakeAnalyser;

QString OutcomeName(AnalysisOutcome outcome)
{
    switch (outcome) {
    case AnalysisOutcome::Good:
        return "Good";
    case AnalysisOutcome::NotGood:
        return "NotGood";
    case AnalysisOutcome::Unreadable:
        return "Unreadable";
    case AnalysisOutcome::TimedOut:
        return "TimedOut";
    case AnalysisOutcome::Cancelled:
        return "Cancelled";
    case AnalysisOutcome::AnalyserMissing:
        return "AnalyserMissing";
    case AnalysisOutcome::StaleResult:
        return "StaleResult";
    case AnalysisOutcome::NotSaved:
        return "NotSaved";
    }
    return "?";
}

class AnalysisCycleEvents : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        NameTakeFiles(dir.path());
        engine.SetWaveInputFactory([this] {
            auto input = std::make_unique<FakeWaveInput>();
            microphone = input.get();
            return std::unique_ptr<WaveInput>(std::move(input));
        });
        engine.SetAnalyser(dir.filePath("TVM"), [this]() -> AnalyserLauncher& { return analyser; });
        QObject::connect(&engine, &AnalysisEngine::RecordingStarted, [this](int32_t plannedMs) {
            events << QString("started %1").arg(plannedMs);
        });
        QObject::connect(&engine, &AnalysisEngine::RecordingProgress,
                         [this](const RecordingProgressReport& report) {
                             events << QString("progress %1").arg(report.Bytes);
                         });
        QObject::connect(&engine, &AnalysisEngine::RecordingStopping,
                         [this] { events << "stopping"; });
        QObject::connect(&engine, &AnalysisEngine::RecordingEnded, [this] { events << "ended"; });
        QObject::connect(&engine, &AnalysisEngine::RecordingStored, [this] { events << "stored"; });
        QObject::connect(&engine, &AnalysisEngine::RecordingFailed, [this](const QString& reason) {
            events << "failed";
            reason_ = reason;
        });
        QObject::connect(&engine, &AnalysisEngine::AnalysisFinished,
                         [this](AnalysisOutcome outcome, const QString& reason) {
                             events << "finished " + OutcomeName(outcome);
                             reason_ = reason;
                         });
        QObject::connect(&engine, &AnalysisEngine::PhraseReadBack,
                         [this] { events << "read back"; });
    }

    void NameTakeFiles(const QString& folder)
    {
        learner.Phrase.WaveFile = folder + "/Student.wav";
        learner.Phrase.TextFile = folder + "/Student.txt";
        learner.Phrase.StepFile = folder + "/Student.stp";
        learner.Phrase.ResultFile = folder + "/Student.rsl";
    }

    // "record": 2.6 s planned. Half a second of voice, then the learner stops.
    void RecordHalfASecond()
    {
        engine.StartRecording("record");
        ASSERT_NE(microphone, nullptr);
        microphone->Deliver(enginetest::HalfASecondOfVoice());
        engine.ReportProgress();
        engine.StopEarly();
        engine.FinishRecording();
    }

    QTemporaryDir dir;
    RecordingBlock block;
    LoadedPhrase learner;
    AnalysisEngine engine{block, learner};
    FakeAnalyser analyser;
    FakeWaveInput* microphone = nullptr;
    QStringList events;
    QString reason_;
};

} // namespace

TEST_F(AnalysisCycleEvents, GoodTakeIsStoredAnalysedAndReadBack)
{
    analyser.Result = "Good\r\n";
    RecordHalfASecond();
    EXPECT_TRUE(engine.IsAnalysing());
    EXPECT_EQ(engine.PollTimer()->interval(), 1000);
    engine.Poll();
    EXPECT_EQ(events, (QStringList{"started 2600", "progress 22050", "stopping", "ended", "stored",
                                   "finished Good", "read back"}));
    EXPECT_TRUE(engine.IsIdle());
    EXPECT_FALSE(engine.PollTimer()->isActive());
    EXPECT_EQ(learner.Phrase.StepCount, 2) << "the analysed phrase, read back";
    EXPECT_EQ(analyser.Arguments, (QStringList{dir.filePath("Student.wav"), "Melod"}));
}

TEST_F(AnalysisCycleEvents, RefusedTakeEndsWithTheAnalysersReasonAndNothingReadBack)
{
    analyser.Result = "Not Good,too quiet\r\n";
    RecordHalfASecond();
    engine.Poll();
    EXPECT_EQ(events, (QStringList{"started 2600", "progress 22050", "stopping", "ended", "stored",
                                   "finished NotGood"}));
    EXPECT_TRUE(reason_.contains("quiet")) << reason_.toStdString();
    EXPECT_EQ(learner.Loaded, 0);
}

// The analyser hears the take evened out: a faint one, refused as noise
// without a voice, is told to the learner as too quiet.
TEST_F(AnalysisCycleEvents, AFaintTakeRefusedAsNoiseIsToldAsTooQuiet)
{
    analyser.Result = "Not Good,too noisy\r\n";
    engine.StartRecording("record");
    ASSERT_NE(microphone, nullptr);
    QByteArray faint(22050 * 2, '\0');
    for (int i = 0; i < 22050; ++i)
        qToLittleEndian(int16_t((i * 7919) % 201 - 100), faint.data() + 2 * i); // -50 dB
    microphone->Deliver(faint);
    engine.StopEarly();
    engine.FinishRecording();
    engine.Poll();
    EXPECT_EQ(events.last(), "finished NotGood");
    EXPECT_TRUE(reason_.contains("too quiet")) << reason_.toStdString();

    analyser.Result = "Not Good,too noisy\r\n"; // a take loud enough is noise indeed
    RecordHalfASecond();
    engine.Poll();
    EXPECT_TRUE(reason_.contains("noise")) << reason_.toStdString();
}

TEST_F(AnalysisCycleEvents, AnalyserSilentPastTheLimitIsStoppedAndTheTakeTimesOut)
{
    RecordHalfASecond(); // the analyser never answers
    engine.Poll();
    EXPECT_TRUE(engine.IsAnalysing());
    EXPECT_EQ(engine.PollTimer()->interval(), 100);
    const int stopsBefore = analyser.Stops;
    engine.Clock().Start(engine.AnalysisLimit() + 1);
    engine.Poll();
    EXPECT_EQ(events.last(), "finished TimedOut");
    EXPECT_EQ(events.size(), 6);
    EXPECT_GT(analyser.Stops, stopsBefore);
    EXPECT_TRUE(engine.IsIdle());
}

TEST_F(AnalysisCycleEvents, TakeThatCannotBeStoredEndsBeforeTheAnalyser)
{
    analyser.Result = "Good\r\n";
    NameTakeFiles(dir.filePath("missing folder"));
    RecordHalfASecond();
    EXPECT_EQ(events,
              (QStringList{"started 2600", "progress 22050", "stopping", "ended", "failed"}));
    EXPECT_TRUE(reason_.contains("could not be saved")) << reason_.toStdString();
    EXPECT_EQ(analyser.Starts, 0);
    EXPECT_TRUE(engine.IsIdle());
}

// An input that stops by itself (the sound system went away, the microphone
// was unplugged) holds part of the take, or another device's sound: the
// take fails, saying what happened, and is neither stored nor analysed.
// The engine notices while the take runs, or at the latest when it ends.
TEST_F(AnalysisCycleEvents, TakeWhoseInputStoppedByItselfFailsUnstored)
{
    analyser.Result = "Good\r\n";
    engine.StartRecording("record");
    ASSERT_NE(microphone, nullptr);
    microphone->Deliver(enginetest::HalfASecondOfVoice());
    microphone->StopByItself(RecordingInterrupted);
    QElapsedTimer wait;
    wait.start();
    while (!engine.IsIdle() && wait.elapsed() < 1500)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    EXPECT_LT(wait.elapsed(), 1500) << "noticed before the planned 2.6 s ran out";
    EXPECT_EQ(events, (QStringList{"started 2600", "ended", "failed"}));
    EXPECT_TRUE(reason_.contains("sound system") && reason_.contains("start it again"))
        << reason_.toStdString();

    events.clear();
    engine.StartRecording("record");
    microphone->Deliver(enginetest::HalfASecondOfVoice());
    microphone->StopByItself(RecordingInputLost);
    engine.FinishRecording(); // the planned length ran out first
    EXPECT_EQ(events, (QStringList{"started 2600", "ended", "failed"}));
    EXPECT_TRUE(reason_.contains("microphone was disconnected")) << reason_.toStdString();

    EXPECT_TRUE(engine.IsIdle());
    EXPECT_FALSE(engine.RecordTimer()->isActive());
    EXPECT_EQ(analyser.Starts, 0);
    EXPECT_FALSE(QFile::exists(learner.Phrase.WaveFile));
}
