// Listening, recording and comparing on the exercise screen, with a sound
// output and input the test drives by hand and an analyser of its own.
#include "exercise/ExerciseLoopFixture.h"
#include "views/ViewColours.h"

#include <QDir>
#include <QFile>
#include <QTest>

TEST_F(ExerciseLoop, FollowerMarksTheStepsHeardAndRestoresTheViewsAtTheEnd)
{
    Stress* exercise = Open("11", 0);
    ASSERT_NE(exercise, nullptr);
    exercise->PlayNativeWave_Click();
    EXPECT_TRUE(exercise->PlayStepsTimer->isActive());
    EXPECT_EQ(exercise->PlayStepsTimer->interval(), 5);
    EXPECT_FALSE(exercise->RecordStudentWave->isEnabled());
    EXPECT_EQ(sound->StartCount, 1);

    const QRgb green = StressHighlightColor.rgb();
    const QRgb shaded = qRgb(NativeSignalBackColor.red() & 170, NativeSignalBackColor.green() & 170,
                             NativeSignalBackColor.blue() & 170);
    // 200 ms heard: the first step (from sample 1000) is reached.
    sound->NowUs = 200000;
    exercise->PlayStepsTimer_Timer();
    const int greenAfterFirst = CountPixels(exercise->NativeStress, green);
    EXPECT_GT(greenAfterFirst, 0);
    EXPECT_GT(CountPixels(exercise->NativeSignal, shaded), 0);
    EXPECT_TRUE(exercise->PlayStepsTimer->isActive());

    // The same place again changes nothing; the follower never goes back.
    const QImage signalBefore = exercise->NativeSignal->Picture();
    exercise->PlayStepsTimer_Timer();
    EXPECT_EQ(exercise->NativeSignal->Picture(), signalBefore);

    sound->NowUs = 600000; // into the second step
    exercise->PlayStepsTimer_Timer();
    EXPECT_GT(CountPixels(exercise->NativeStress, green), greenAfterFirst);

    sound->NowUs = 950000; // within 5 ms of the phrase end
    exercise->PlayStepsTimer_Timer();
    EXPECT_FALSE(exercise->PlayStepsTimer->isActive());
    EXPECT_TRUE(exercise->RecordStudentWave->isEnabled());
    EXPECT_TRUE(exercise->PlayNativeWave->isEnabled());
    EXPECT_EQ(CountPixels(exercise->NativeStress, green), 0);
    EXPECT_EQ(CountPixels(exercise->NativeSignal, shaded), 0);
}

// A click on a view while the whole phrase plays starts the clicked piece:
// the follower of the whole phrase ends with it, or it would read the
// piece's position in the wrong unit and stop it at once.
TEST_F(ExerciseLoop, AViewClickDuringPlaybackEndsTheFollowerAndPlaysThePiece)
{
    Stress* exercise = Open("11", 0);
    ASSERT_NE(exercise, nullptr);
    exercise->PlayNativeWave_Click();
    sound->NowUs = 600000;
    exercise->PlayStepsTimer_Timer();
    const QRgb green = StressHighlightColor.rgb();
    ASSERT_GT(CountPixels(exercise->NativeStress, green), 0);

    exercise->NativeSignal_MouseDown(Qt::LeftButton, exercise->NativeSignal->width() / 2.0);
    EXPECT_FALSE(exercise->PlayStepsTimer->isActive());
    EXPECT_EQ(CountPixels(exercise->NativeStress, green), 0);
    EXPECT_TRUE(exercise->RecordStudentWave->isEnabled());
    EXPECT_EQ(sound->StartCount, 2);
}

// While a take is recorded a piece of the model played through the
// speakers goes into the take (a laptop's microphone hears them) and is
// scored as the learner's; while it is analysed, the next poll would cut
// the piece off. The views play nothing then, as Play does not.
TEST_F(ExerciseLoop, AViewClickDuringATakePlaysNothing)
{
    analyser->Result = "Good\r\n";
    Stress* exercise = Open("11", 0);
    ASSERT_NE(exercise, nullptr);
    exercise->RecordStudentWave_Click();
    ASSERT_TRUE(exercise->IsRecording());
    const int started = sound->StartCount;
    exercise->NativePitch_MouseDown(Qt::LeftButton, exercise->NativePitch->width() / 2.0);
    exercise->NativeSignal_MouseDown(Qt::RightButton, exercise->NativeSignal->width() / 2.0);
    EXPECT_EQ(sound->StartCount, started);
    EXPECT_TRUE(exercise->IsRecording());

    QByteArray voice(22050 * 2, '\0');
    for (int i = 0; i < 22050; ++i)
        qToLittleEndian(int16_t((i % 50) * 100 - 2500), voice.data() + 2 * i);
    microphone->Deliver(voice);
    exercise->RecordTimer_Timer();
    ASSERT_TRUE(exercise->StressShellTimer->isActive()); // analysing
    exercise->NativeStress_MouseDown(Qt::LeftButton, exercise->NativeStress->width() / 2.0);
    EXPECT_EQ(sound->StartCount, started);

    exercise->StressShellTimer_Timer();
    exercise->NativePitch_MouseDown(Qt::LeftButton, exercise->NativePitch->width() / 2.0);
    EXPECT_EQ(sound->StartCount, started + 1) << "once the take is in, the views play again";
}

TEST_F(ExerciseLoop, FollowerEndsWhenTheDeviceStopsOrCannotPlay)
{
    Stress* exercise = Open("11", 0);
    ASSERT_NE(exercise, nullptr);
    sound->GiveUpAfterUs = 300000; // the sound ends long before the phrase end
    exercise->PlayNativeWave_Click();
    sound->NowUs = 400000;
    exercise->PlayStepsTimer_Timer();
    EXPECT_FALSE(exercise->PlayStepsTimer->isActive());
    EXPECT_TRUE(exercise->RecordStudentWave->isEnabled());

    EXPECT_FALSE(exercise->NoticeDetail->isVisible());
    sound->RefuseStart = true; // an output that cannot play
    exercise->PlayNativeWave_Click();
    exercise->PlayStepsTimer_Timer();
    EXPECT_FALSE(exercise->PlayStepsTimer->isActive());
    // ...says so instead of doing nothing.
    EXPECT_TRUE(exercise->NoticeDetail->isVisible());
    EXPECT_EQ(exercise->NoticeDetail->Text(), "No sound output device is available");

    sound->RefuseStart = false;
    QFile::remove(NativeData.WaveFile); // a file that no longer opens
    exercise->PlayNativeWave_Click();
    exercise->PlayStepsTimer_Timer();
    EXPECT_FALSE(exercise->PlayStepsTimer->isActive());
    EXPECT_TRUE(exercise->RecordStudentWave->isEnabled());
}

TEST_F(ExerciseLoop, RecordingThenGoodAnalysisDrawsTheStudentsViews)
{
    WriteFile("install/Bin/scratch.tmp", "x");
    analyser->Result = "Good\r\n";
    Stress* exercise = Open("11", 0);
    ASSERT_NE(exercise, nullptr);

    exercise->RecordStudentWave_Click();
    EXPECT_TRUE(exercise->IsRecording());
    EXPECT_EQ(exercise->RecordStudentWave->text(), "Stop");
    EXPECT_TRUE(exercise->TextRecordingButton->isVisible());
    EXPECT_FALSE(exercise->ExitButton->isEnabled());
    EXPECT_FALSE(exercise->NextTopic->isEnabled());
    EXPECT_FALSE(exercise->PlayNativeWave->isEnabled());
    EXPECT_EQ(exercise->RecordTimer->interval(), 2000 + 100 * 6); // "record"
    EXPECT_FLOAT_EQ(exercise->AnalysisLimit(), 30.0f);

    QByteArray voice(8000, '\0');
    for (int i = 0; i < 4000; ++i)
        qToLittleEndian(int16_t(i % 2 ? 1000 : -1000), voice.data() + 2 * i);
    microphone->Deliver(voice);
    // Pressing again stops early: the timer fires at once.
    exercise->RecordStudentWave_Click();
    EXPECT_FALSE(exercise->IsRecording());
    EXPECT_EQ(exercise->RecordTimer->interval(), 1);
    exercise->RecordTimer_Timer();

    EXPECT_TRUE(exercise->TextAnalyzingButton->isVisible());
    EXPECT_FALSE(exercise->TextRecordingButton->isVisible());
    EXPECT_EQ(analyser->Program, installRoot + "/Bin/TVM");
    EXPECT_EQ(analyser->Arguments, (QStringList{installRoot + "/Data/Student.wav", "Melod"}));
    EXPECT_TRUE(exercise->StressShellTimer->isActive());
    EXPECT_EQ(exercise->StressShellTimer->interval(), 1000);
    EXPECT_TRUE(QFile::exists(dir.filePath("install/Bin/scratch.tmp"))); // still waiting

    exercise->StressShellTimer_Timer();
    EXPECT_FALSE(exercise->StressShellTimer->isActive());
    EXPECT_EQ(StudentAnalysed, -1);
    EXPECT_TRUE(exercise->PlayStudentWave->isEnabled());
    EXPECT_TRUE(exercise->RecordStudentWave->isEnabled());
    EXPECT_TRUE(exercise->ExitButton->isEnabled());
    EXPECT_TRUE(exercise->PlayNativeWave->isEnabled());
    EXPECT_FALSE(exercise->TextAnalyzingButton->isVisible());
    EXPECT_TRUE(HasDrawing(exercise->StudentPitch));
    EXPECT_TRUE(HasDrawing(exercise->StudentStress));
    EXPECT_TRUE(HasDrawing(exercise->StudentSignal));
    EXPECT_FALSE(QFile::exists(dir.filePath("install/Bin/scratch.tmp")));

    // Next clears the student's views; the analysed file stays on disk.
    exercise->NextTopic_Click();
    EXPECT_EQ(StudentAnalysed, 0);
    EXPECT_FALSE(exercise->PlayStudentWave->isEnabled());
    EXPECT_FALSE(HasDrawing(exercise->StudentPitch));
    EXPECT_TRUE(QFile::exists(installRoot + "/Data/Student.wav"));
}

TEST_F(ExerciseLoop, BadResultOrAnalyserThatCannotStartAsksToRecordAgain)
{
    analyser->Result = "Not Good,too quiet\r\n";
    Stress* exercise = Open("11", 0);
    ASSERT_NE(exercise, nullptr);
    Record(exercise);
    exercise->StressShellTimer_Timer();
    EXPECT_TRUE(exercise->BadRecording->isVisible());
    EXPECT_EQ(StudentAnalysed, 0);
    EXPECT_FALSE(exercise->PlayStudentWave->isEnabled());
    EXPECT_TRUE(exercise->RecordStudentWave->isEnabled());
    EXPECT_TRUE(exercise->NextTopic->isEnabled());
    EXPECT_FALSE(exercise->StressShellTimer->isActive());

    analyser->Startable = false;
    Record(exercise);
    EXPECT_TRUE(exercise->BadRecording->isVisible());
    EXPECT_FALSE(exercise->StressShellTimer->isActive());
    EXPECT_TRUE(exercise->RecordStudentWave->isEnabled());
    EXPECT_FALSE(exercise->TextAnalyzingButton->isVisible());
}

TEST_F(ExerciseLoop, NoResultWithinTheLimitShowsLowMemoryAndTheNextCycleStopsTheOldAnalyser)
{
    Stress* exercise = Open("11", 0);
    ASSERT_NE(exercise, nullptr);
    Record(exercise);
    exercise->StressShellTimer_Timer();
    EXPECT_TRUE(exercise->StressShellTimer->isActive());
    EXPECT_EQ(exercise->StressShellTimer->interval(), 100);

    exercise->RecordStartClock().Start(exercise->AnalysisLimit() + 1);
    exercise->StressShellTimer_Timer();
    EXPECT_TRUE(exercise->LowMemory->isVisible());
    EXPECT_FALSE(exercise->StressShellTimer->isActive());
    EXPECT_TRUE(exercise->RecordStudentWave->isEnabled());

    const int stopsBefore = analyser->Stops;
    WriteFile("install/Data/Student.rsl", "Good\r\n"); // left by the old analyser
    WriteFile("install/Data/Student.stp", "old");
    Record(exercise);
    EXPECT_GT(analyser->Stops, stopsBefore);
    EXPECT_FALSE(exercise->LowMemory->isVisible());
    EXPECT_FALSE(QFile::exists(installRoot + "/Data/Student.rsl"));
    EXPECT_FALSE(QFile::exists(installRoot + "/Data/Student.stp"));
}

TEST_F(ExerciseLoop, ClosingTheWindowWhileRecordingStopsTheInputFirst)
{
    Stress* exercise = Open("11", 0);
    ASSERT_NE(exercise, nullptr);
    exercise->RecordStudentWave_Click();
    ASSERT_TRUE(microphone->IsRecording());
    exercise->close();
    EXPECT_FALSE(microphone->IsRecording());
    EXPECT_TRUE(microphone->BlockHeldWhenStopped); // stopped before the block went
    EXPECT_EQ(RecordHandle, 0u);
    EXPECT_FALSE(exercise->RecordTimer->isActive());
    EXPECT_TRUE(phrases->isVisible());
}

namespace {
using EverydayExercise = ExerciseLoop;
} // namespace

TEST_F(EverydayExercise, RecordingShowsProgressLevelAndThenTheAnalysisAtWork)
{
    analyser->Result = "Not Good,silence or too quiet\r\n";
    Stress* exercise = Open("11", 0);
    ASSERT_NE(exercise, nullptr);
    exercise->RecordStudentWave_Click();
    EXPECT_TRUE(exercise->RecordingDetail->isVisible());
    EXPECT_TRUE(exercise->FeedbackTimer->isActive());
    QByteArray loud(4410 * 2, '\0');
    for (int i = 0; i < 4410; ++i)
        qToLittleEndian(int16_t(i % 2 ? 32767 : -32768), loud.data() + 2 * i);
    microphone->Deliver(loud);
    exercise->FeedbackTimer_Timer();
    EXPECT_TRUE(exercise->RecordingDetail->Warning());
    EXPECT_TRUE(exercise->RecordingDetail->Text().contains("too loud"));
    EXPECT_TRUE(exercise->RecordingDetail->Text().contains("of 2.6 s"));
    EXPECT_GT(exercise->RecordingDetail->Level(), 0.9);

    exercise->RecordTimer_Timer();
    EXPECT_FALSE(exercise->RecordingDetail->isVisible());
    EXPECT_TRUE(exercise->AnalysingDetail->isVisible());
    exercise->StressShellTimer_Timer();
    EXPECT_FALSE(exercise->AnalysingDetail->isVisible());
    EXPECT_FALSE(exercise->FeedbackTimer->isActive());
    ASSERT_TRUE(exercise->BadRecording->isVisible());
    EXPECT_TRUE(exercise->ReasonDetail->isVisible());
    EXPECT_TRUE(exercise->ReasonDetail->Text().contains("too quiet"));

    exercise->NextTopic_Click();
    EXPECT_FALSE(exercise->ReasonDetail->isVisible());
}

TEST_F(EverydayExercise, EveryActionHasAShortcutInItsTooltipAndANameForScreenReaders)
{
    Stress* exercise = Open("11", 1);
    ASSERT_NE(exercise, nullptr);
    exercise->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(exercise));

    for (QAbstractButton* button :
         std::initializer_list<QAbstractButton*>{exercise->PlayNativeWave, exercise->RecordStudentWave,
                                                 exercise->PlayStudentWave, exercise->PrevTopic,
                                                 exercise->NextTopic, exercise->HintButton,
                                                 exercise->HelpButton, exercise->ExitButton,
                                                 exercise->IntonationOption, exercise->StressOption,
                                                 exercise->WaveformOption}) {
        EXPECT_FALSE(button->accessibleName().isEmpty()) << button->objectName().toStdString();
        EXPECT_FALSE(button->accessibleDescription().isEmpty());
        EXPECT_TRUE(button->toolTip().contains('(')) << button->toolTip().toStdString();
    }
    EXPECT_TRUE(exercise->NativeStress->accessibleDescription().contains("2 steps"));
    EXPECT_TRUE(exercise->NativeSignal->accessibleDescription().contains("seconds"));

    QTest::keyClick(exercise, Qt::Key_2);
    EXPECT_TRUE(exercise->NativeStress->isVisible());
    QTest::keyClick(exercise, Qt::Key_PageDown);
    EXPECT_EQ(CurrentPhrase, 3);
    QTest::keyClick(exercise, Qt::Key_PageDown); // no next phrase: nothing happens
    EXPECT_EQ(CurrentPhrase, 3);
    QTest::keyClick(exercise, Qt::Key_PageUp);
    EXPECT_EQ(CurrentPhrase, 2);
    QTest::keyClick(exercise, Qt::Key_P);
    EXPECT_TRUE(exercise->PlayStepsTimer->isActive());
    QTest::keyClick(exercise, Qt::Key_S); // nothing recorded: disabled, does nothing
    EXPECT_EQ(sound->StartCount, 1);

    // Tab goes from the top of the screen to the bottom.
    exercise->ExitButton->setFocus();
    QStringList order;
    for (int i = 0; i < 10; ++i) {
        order << QApplication::focusWidget()->objectName();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    EXPECT_EQ(order.mid(0, 3), (QStringList{"ExitButton", "HelpButton", "IntonationOption"}));
    EXPECT_LT(order.indexOf("HintButton"), order.indexOf("PlayNativeWave"));
}
