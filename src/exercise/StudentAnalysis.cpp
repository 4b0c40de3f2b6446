// The analysis of the student's recording on the exercise screen: the
// handlers hand on to the analysis engine, and the screen shows how the
// analysis ended: the student's views, or "Please Record Again !" with the
// reason, or "WARNING: Low Memory" when the analyser took too long.
#include "app/CommonVar.h"
#include "exercise/Stress.h"

#include <cstdio>

void Stress::CreateStudentSteps_Click()
{
    engine->StartAnalysis();
}

void Stress::StressShellTimer_Timer()
{
    engine->Poll();
}

void Stress::CancelAnalysis()
{
    engine->Cancel();
}

void Stress::OnAnalysisFinished(AnalysisOutcome outcome, const QString& reason)
{
    switch (outcome) {
    case AnalysisOutcome::Good:
        // The analysed take is drawn once it has been read back.
        BadRecording->hide();
        LowMemory->hide();
        ClearStudentViews();
        return;
    case AnalysisOutcome::TimedOut:
        LowMemory->show();
        break;
    case AnalysisOutcome::AnalyserMissing:
        // An installation problem, not the learner's: whoever looks after
        // the machine reads standard error.
        std::fprintf(stderr, "tonvale-tutor: %s\n", qPrintable(reason));
        ShowBadRecording(reason);
        break;
    case AnalysisOutcome::NotGood:
    case AnalysisOutcome::Unreadable:
    case AnalysisOutcome::Cancelled:
    case AnalysisOutcome::StaleResult:
    case AnalysisOutcome::NotSaved:
        ShowBadRecording(reason);
        break;
    }
    EndAnalysis(false);
    // A take the analyser judged counts as an attempt, accepted or not; one
    // the disk gave no room to be analysed in was never judged.
    if (outcome == AnalysisOutcome::NotGood || outcome == AnalysisOutcome::Unreadable)
        ReviewTake(false);
}

void Stress::OnPhraseReadBack()
{
    DrawSpeakerViews(Speaker::Student);
    PlayStudentWave->setEnabled(true);
    StudentAnalysed = -1;
    TextAnalyzingButton->hide();
    ShowTakeVerdict();
    EndAnalysis(true);
    ReviewTake(true);
}

void Stress::ShowTakeVerdict()
{
    const auto phraseSeconds = [](const PhraseData& phrase, const WaveFormat& format) {
        return format.SamplesPerSec > 0
                   ? double(int64_t(phrase.PhraseEnd) - phrase.PhraseStart) / format.SamplesPerSec
                   : 0.0;
    };
    const QString verdict =
        TakeVerdict(engine->LastTakeFacts(), phraseSeconds(StudentData, StudentFormat),
                    NativeLoaded ? phraseSeconds(NativeData, NativeFormat) : 0.0);
    if (verdict.isEmpty()) return;
    VerdictDetail->SetText(verdict);
    PlaceStatusDetails();
    VerdictDetail->show();
    VerdictDetail->raise();
}

void Stress::ShowBadRecording(const QString& reason)
{
    ReasonDetail->SetText(reason);
    BadRecording->show();
}

void Stress::EndAnalysis(bool success)
{
    if (!success) {
        ClearStudentViews();
        PlayStudentWave->setEnabled(false);
        TextAnalyzingButton->hide();
        StudentAnalysed = 0;
    }
    RecordStudentWave->setEnabled(true);
    ExitButton->setEnabled(true);
    NextTopic->setEnabled(true);
    PrevTopic->setEnabled(true);
    if (NativeLoaded) PlayNativeWave->setEnabled(true);
    // Disabled while the take was made, Record lost the keyboard to the
    // next button; it gets it back, so that the next key goes where the
    // learner left it.
    RecordStudentWave->setFocus();
}
