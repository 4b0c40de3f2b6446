// Every way the recording step or the analysis can fail ends the same way:
// "Please Record Again !", every control back, and the reason in plain words.
#include "engine/RecordingFeedback.h"
#include "exercise/ExerciseLoopFixture.h"
#include "platform/WorkingFiles.h"

#include <QDir>
#include <QTest>

namespace {

class RecordingFailure : public ExerciseLoop
{
protected:
    // What a learner can do after the failure: everything the screen offers.
    static void ExpectEverythingBack(Stress* exercise)
    {
        EXPECT_TRUE(exercise->BadRecording->isVisible());
        EXPECT_FALSE(exercise->LowMemory->isVisible());
        EXPECT_FALSE(exercise->TextAnalyzingButton->isVisible());
        EXPECT_FALSE(exercise->TextRecordingButton->isVisible());
        for (QWidget* control : std::initializer_list<QWidget*>{
                 exercise->RecordStudentWave, exercise->ExitButton, exercise->NextTopic,
                 exercise->PrevTopic, exercise->PlayNativeWave})
            EXPECT_TRUE(control->isEnabled()) << control->objectName().toStdString();
        EXPECT_FALSE(exercise->PlayStudentWave->isEnabled());
        EXPECT_EQ(exercise->RecordStudentWave->text(), "Record");
        EXPECT_TRUE(exercise->ReasonDetail->isVisible());
    }
};

} // namespace

TEST_F(RecordingFailure, NoMicrophoneOrNoSoundAskToRecordAgainAndSayWhy)
{
    Stress* exercise = OpenActive(1);
    ASSERT_NE(exercise, nullptr);
    // Pressing R twice at once: the microphone delivered nothing.
    exercise->RecordStudentWave_Click();
    exercise->RecordStudentWave_Click();
    exercise->RecordTimer_Timer();
    ExpectEverythingBack(exercise);
    EXPECT_EQ(exercise->ReasonDetail->Text(), "Nothing was recorded: the microphone gave no sound");
    EXPECT_EQ(analyser->Starts, 0);

    // The input device goes away (no sound server): the failure shows at once.
    microphone->FailWith = RecordingNoInput;
    exercise->RecordStudentWave_Click();
    EXPECT_FALSE(exercise->BadRecording->isVisible());
    EXPECT_EQ(exercise->RecordTimer->interval(), 1);
    exercise->RecordTimer_Timer();
    ExpectEverythingBack(exercise);
    EXPECT_EQ(exercise->ReasonDetail->Text(), "Nothing was recorded: no microphone was found");

    // Esc leaves as Exit does.
    QTest::keyClick(exercise, Qt::Key_Escape);
    EXPECT_FALSE(exercise->isVisible());
}

TEST_F(RecordingFailure, RecordingThatCannotBeSavedSaysWhereItWentWrong)
{
    Stress* exercise = Open("11", 0);
    ASSERT_NE(exercise, nullptr);
    ASSERT_TRUE(QDir(installRoot + "/Data").removeRecursively());
    Record(exercise);
    ExpectEverythingBack(exercise);
    EXPECT_EQ(exercise->ReasonDetail->Text(),
              "Your recording could not be saved: the folder " + installRoot + "/Data is missing");
    EXPECT_EQ(analyser->Starts, 0);

    // With the folder back the next take goes through.
    ASSERT_TRUE(QDir().mkpath(installRoot + "/Data"));
    analyser->Result = "Good\r\n";
    Record(exercise);
    exercise->StressShellTimer_Timer();
    EXPECT_EQ(StudentAnalysed, -1);
    EXPECT_FALSE(exercise->BadRecording->isVisible());
}

TEST_F(RecordingFailure, DiagnosisOfAFolderThatTakesNoFiles)
{
    EXPECT_EQ(DiagnoseWriteProblem(installRoot + "/Data", 300000), WriteProblem::None);
    EXPECT_TRUE(QDir(installRoot + "/Data").entryList(QDir::Files | QDir::Hidden).isEmpty())
        << "the probe is taken away again";
    WriteFile("install/NotAFolder", "x");
    EXPECT_EQ(DiagnoseWriteProblem(installRoot + "/NotAFolder", 10), WriteProblem::FolderMissing);

    // A link planted in a shared Data folder, where the probe used to be
    // written, does not lead it into another file.
    WriteFile("install/notes.txt", "the learner's notes\n");
    ASSERT_TRUE(
        QFile::link(installRoot + "/notes.txt", installRoot + "/Data/.tonvale-write-probe.tmp"));
    EXPECT_EQ(DiagnoseWriteProblem(installRoot + "/Data", 300000), WriteProblem::None);
    QFile notes(installRoot + "/notes.txt");
    ASSERT_TRUE(notes.open(QIODevice::ReadOnly));
    EXPECT_EQ(notes.readAll(), "the learner's notes\n");
}

TEST_F(RecordingFailure, MissingAnalyserIsNamed)
{
    analyser->Startable = false;
    Stress* exercise = Open("11", 0);
    ASSERT_NE(exercise, nullptr);
    Record(exercise);
    ExpectEverythingBack(exercise);
    EXPECT_EQ(exercise->ReasonDetail->Text(),
              "The analyser program is missing: " + installRoot + "/Bin/TVM");
}

TEST_F(RecordingFailure, HungAnalyserIsStoppedAtTheLimitOnEscAndWhenTheScreenCloses)
{
    Stress* exercise = OpenActive(1);
    ASSERT_NE(exercise, nullptr);
    Record(exercise); // the analyser never answers
    ASSERT_TRUE(exercise->StressShellTimer->isActive());
    int stops = analyser->Stops;
    exercise->RecordStartClock().Start(exercise->AnalysisLimit() + 1);
    exercise->StressShellTimer_Timer();
    EXPECT_TRUE(exercise->LowMemory->isVisible());
    EXPECT_GT(analyser->Stops, stops);

    // Esc while analysing cancels the analysis and keeps the screen.
    Record(exercise);
    ASSERT_TRUE(exercise->StressShellTimer->isActive());
    stops = analyser->Stops;
    QTest::keyClick(exercise, Qt::Key_Escape);
    EXPECT_TRUE(exercise->isVisible());
    EXPECT_GT(analyser->Stops, stops);
    ExpectEverythingBack(exercise);
    EXPECT_FALSE(exercise->StressShellTimer->isActive());

    Record(exercise);
    stops = analyser->Stops;
    exercise->close();
    EXPECT_GT(analyser->Stops, stops);
}
