// A word after every take the analyser accepts: clipped, cut off by the
// planned length, or much shorter than the native speaker; the take is kept.
// While recording, quiet input scolds only before the learner has spoken,
// and the previous take fades until the new one is drawn.
#include "engine/RecordingFeedback.h"
#include "exercise/ExerciseLoopFixture.h"

namespace {

using namespace testbytes;

QByteArray Voice(int samples, int16_t amplitude)
{
    QByteArray bytes(samples * 2, '\0');
    for (int i = 0; i < samples; ++i)
        qToLittleEndian(int16_t(i % 2 ? amplitude : -amplitude), bytes.data() + 2 * i);
    return bytes;
}

class TakeVerdicts : public ExerciseLoop
{
protected:
    // A take of voice then silence, stopped early by the learner.
    void RecordAndStop(Stress* exercise, const QByteArray& voice, int silentSamples)
    {
        exercise->RecordStudentWave_Click();
        microphone->Deliver(voice + QByteArray(silentSamples * 2, '\0'));
        exercise->RecordStudentWave_Click();
        exercise->RecordTimer_Timer();
        exercise->StressShellTimer_Timer();
    }
};

} // namespace

TEST_F(TakeVerdicts, ClippedCutOffAndShortTakesAreNamedAndKept)
{
    analyser->Result = "Good\r\n";
    Stress* exercise = Open("11", 0);
    ASSERT_NE(exercise, nullptr);

    RecordAndStop(exercise, Voice(11000, 2500), 4410);
    ASSERT_EQ(StudentAnalysed, -1);
    EXPECT_FALSE(exercise->VerdictDetail->isVisible()) << "a good take needs no word";

    RecordAndStop(exercise, Voice(11000, 32767), 4410);
    ASSERT_EQ(StudentAnalysed, -1);
    EXPECT_TRUE(exercise->VerdictDetail->isVisible());
    EXPECT_EQ(exercise->VerdictDetail->Text(),
              "Your take was too loud in places: speak a little softer.");
    EXPECT_TRUE(exercise->PlayStudentWave->isEnabled()) << "the take is kept";

    // Still speaking when the planned length ran out (the timer ended it).
    exercise->RecordStudentWave_Click();
    EXPECT_FALSE(exercise->VerdictDetail->isVisible());
    microphone->Deliver(Voice(22050, 2500));
    exercise->RecordTimer_Timer();
    exercise->StressShellTimer_Timer();
    ASSERT_EQ(StudentAnalysed, -1);
    EXPECT_EQ(exercise->VerdictDetail->Text(),
              "Your take was cut off: you were still speaking when the time ran out.");

    exercise->NextTopic_Click();
    EXPECT_FALSE(exercise->VerdictDetail->isVisible());
}

TEST_F(TakeVerdicts, ATakeUnderSixtyPercentOfTheNativeLengthIsTooShort)
{
    // A native phrase of 3 s; the analysed take spans 0.9 s.
    PhraseChunks chunks;
    chunks.stp = Chunk("stp ", StepData(1000, 67150, {{1000, 60000, 1200, 59000, 0, 0, 9000}}));
    chunks.data = Chunk("data", Voice(3 * 22050, 3000));
    chunks.ptc = Chunk("ptc ", PitchData({{2000, 1500}, {40000, 1600}}));
    WriteFile("content/Sounds/11_01.wav", chunks.File());
    analyser->Result = "Good\r\n";
    Stress* exercise = Open("11", 0);
    ASSERT_NE(exercise, nullptr);
    ASSERT_TRUE(NativeLoaded);
    RecordAndStop(exercise, Voice(11000, 2500), 4410);
    ASSERT_EQ(StudentAnalysed, -1);
    EXPECT_EQ(exercise->VerdictDetail->Text(),
              "Your take is much shorter than the native speaker's: say the whole phrase.");
}

TEST_F(TakeVerdicts, QuietAfterSpeakingMeansDoneAndThePreviousTakeFades)
{
    analyser->Result = "Good\r\n";
    Stress* exercise = Open("11", 0);
    ASSERT_NE(exercise, nullptr);
    RecordAndStop(exercise, Voice(11000, 2500), 4410);
    ASSERT_EQ(StudentAnalysed, -1);
    EXPECT_FALSE(exercise->StudentPitch->Dimmed());

    exercise->RecordStudentWave_Click();
    EXPECT_TRUE(exercise->StudentPitch->Dimmed()) << "the last take fades while recording";
    // Maximising lays the views out afresh: the last take stays faded.
    exercise->showMaximized();
    QCoreApplication::processEvents();
    EXPECT_TRUE(exercise->StudentPitch->Dimmed()) << "faded after maximising";
    microphone->Deliver(QByteArray(4410 * 2, '\0'));
    exercise->FeedbackTimer_Timer();
    EXPECT_TRUE(exercise->RecordingDetail->Text().endsWith("speak up"));
    microphone->Deliver(Voice(4410, 5000));
    exercise->FeedbackTimer_Timer();
    microphone->Deliver(QByteArray(4410 * 2, '\0'));
    exercise->FeedbackTimer_Timer();
    EXPECT_TRUE(exercise->RecordingDetail->Text().endsWith("Done? Press R to stop"));

    exercise->RecordStudentWave_Click();
    exercise->RecordTimer_Timer();
    // While the new take is analysed the views stay empty, whatever the size.
    exercise->showNormal();
    QCoreApplication::processEvents();
    EXPECT_FALSE(HasDrawing(exercise->StudentPitch)) << "the old take drawn while analysing";
    exercise->StressShellTimer_Timer();
    EXPECT_FALSE(exercise->StudentPitch->Dimmed());
}
