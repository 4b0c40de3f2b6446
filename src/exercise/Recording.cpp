// Recording the student on the exercise screen: the record button starts a
// take planned from the phrase's length (or stops it early); the analysis
// engine records, stores and analyses it, and the screen shows each step
// of the take from the engine's events.
#include "app/CommonVar.h"
#include "exercise/Stress.h"
#include "widgets/WaveIn.h"

namespace {

std::function<std::unique_ptr<WaveInput>()>& WaveInputFactory()
{
    static std::function<std::unique_ptr<WaveInput>()> factory = [] {
        return std::unique_ptr<WaveInput>(std::make_unique<WaveIn>());
    };
    return factory;
}

} // namespace

void Stress::SetWaveInputFactory(std::function<std::unique_ptr<WaveInput>()> factory)
{
    WaveInputFactory() = std::move(factory);
}

void Stress::ConnectAnalysisEvents()
{
    // The input is made at the first take, by the factory of that moment.
    engine->SetWaveInputFactory([] { return WaveInputFactory()(); });
    connect(engine, &AnalysisEngine::RecordingStarted, this, &Stress::OnRecordingStarted);
    connect(engine, &AnalysisEngine::RecordingStopping, this, &Stress::OnRecordingStopping);
    connect(engine, &AnalysisEngine::RecordingEnded, this, &Stress::OnRecordingEnded);
    connect(engine, &AnalysisEngine::RecordingProgress, this, &Stress::OnRecordingProgress);
    connect(engine, &AnalysisEngine::RecordingFailed, this, &Stress::OnRecordingFailed);
    connect(engine, &AnalysisEngine::AnalysisFinished, this, &Stress::OnAnalysisFinished);
    connect(engine, &AnalysisEngine::PhraseReadBack, this, &Stress::OnPhraseReadBack);
}

void Stress::ShowRecordFace(bool stop)
{
    // The record button wears the face of one of the two hidden holders.
    const ImageButton* face = stop ? BMPForStop : BMPForRecord;
    RecordStudentWave->setText(face->text());
    RecordStudentWave->SetBackColor(face->BackColor());
}

void Stress::HideTakeOutcome()
{
    BadRecording->hide();
    LowMemory->hide();
    HideNotice();
    VerdictDetail->hide();
}

void Stress::RecordStudentWave_Click()
{
    if (engine->IsRecording()) {
        engine->StopEarly();
        return;
    }
    PlayStepsTimer->stop();
    const QByteArray text =
        (CurrentPhrase >= 0 && CurrentPhrase < static_cast<int32_t>(PhraseList.size()))
            ? PhraseList[CurrentPhrase].PhraseText
            : QByteArray();
    engine->StartRecording(text);
}

void Stress::RecordTimer_Timer()
{
    engine->FinishRecording();
}

void Stress::OnRecordingStarted()
{
    HideTakeOutcome();
    TextRecordingButton->show();
    ShowRecordFace(true);
    // The last take stays in sight, faded, until the new one replaces it:
    // which take is shown is never in doubt.
    for (PictureBox* view : ViewsOf(Speaker::Student))
        view->SetDimmed(StudentAnalysed != 0);
    Practice->Feedback->SetFaded(StudentAnalysed != 0 && Practice->Feedback->HasComparison());
    for (QWidget* control : std::initializer_list<QWidget*>{PlayStudentWave, PlayNativeWave,
                                                            ExitButton, NextTopic, PrevTopic})
        control->setEnabled(false);
    RecordStudentWave->repaint();
}

void Stress::OnRecordingStopping()
{
    HideTakeOutcome();
    PlayNativeWave->setEnabled(false);
    TextRecordingButton->show();
    ShowRecordFace(false);
    RecordStudentWave->setEnabled(false);
    RecordStudentWave->repaint();
}

void Stress::OnRecordingEnded()
{
    ShowRecordFace(false);
    RecordStudentWave->setEnabled(false);
    BuildStudentFileNames();
    ClearStudentViews();
    TextRecordingButton->hide();
    TextAnalyzingButton->show();
}

void Stress::OnRecordingFailed(const QString& reason)
{
    // A recording that never reached the analyser ends like one the analyser
    // refused: the learner may record again or move on, and is told why.
    ShowBadRecording(reason);
    EndAnalysis(false);
}
