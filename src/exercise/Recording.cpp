// Recording the student on the exercise screen: the record button starts a
// recording planned from the phrase's length (or stops it early), and the
// recording timer stores it as the student's phrase file and starts the
// analysis.
#include "app/CommonVar.h"
#include "audio/MciSubs.h"
#include "audio/StudentRecording.h"
#include "exercise/RecordingFeedback.h"
#include "exercise/Stress.h"
#include "platform/WaveIn.h"

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

void Stress::ShowRecordFace(bool stop)
{
    // The record button wears the face of one of the two hidden holders.
    const ImageButton* face = stop ? BMPForStop : BMPForRecord;
    RecordStudentWave->setText(face->text());
    RecordStudentWave->SetBackColor(face->BackColor());
}

void Stress::RecordStudentWave_Click()
{
    BadRecording->hide();
    LowMemory->hide();
    HideNotice();
    VerdictDetail->hide();
    PlayNativeWave->setEnabled(false);
    TextRecordingButton->show();

    if (isRecording) {
        isRecording = false;
        recordingEndedEarly = true;
        ShowRecordFace(false);
        RecordStudentWave->setEnabled(false);
        RecordTimer->stop();
        RecordTimer->setInterval(1);
        RecordTimer->start();
        RecordStudentWave->repaint();
        return;
    }

    isRecording = true;
    recordingEndedEarly = false;
    takeHeardVoice = false;
    ShowRecordFace(true);
    // The last take stays in sight, faded, until the new one replaces it:
    // which take is shown is never in doubt.
    for (PictureBox* view : {StudentPitch, StudentStress, StudentSignal})
        view->SetDimmed(StudentAnalysed != 0);
    const QByteArray text =
        (CurrentPhrase >= 0 && CurrentPhrase < static_cast<int32_t>(PhraseList.size()))
            ? PhraseList[CurrentPhrase].PhraseText
            : QByteArray();
    int32_t duration = PlannedRecordingLength(text);
    analysisLimit = RecordingAnalysisLimit(duration);
    QString reply;
    SendMciCommand("close wavefile", reply);
    PlayStepsTimer->stop();

    if (!waveInput)
        waveInput = WaveInputFactory()();
    recordingStartResult = StartRecording(duration, *waveInput);
    const int32_t started = recordingStartResult;
    PlayStudentWave->setEnabled(false);
    PlayNativeWave->setEnabled(false);
    ExitButton->setEnabled(false);
    NextTopic->setEnabled(false);
    PrevTopic->setEnabled(false);
    RecordMode = RecordWaveMode;
    recordStartTime.Start();
    // An input that cannot record ends the recording at once, so the
    // failure shows instead of a silent wait.
    RecordTimer->stop();
    RecordTimer->setInterval(started == 0 ? duration : 1);
    RecordTimer->start();
    RecordStudentWave->repaint();
}

void Stress::RecordTimer_Timer()
{
    if (RecordMode != RecordWaveMode)
        return;
    if (waveInput)
        StopRecording(*waveInput);
    RecordTimer->stop();
    isRecording = false;
    ShowRecordFace(false);
    RecordStudentWave->setEnabled(false);

    BuildStudentFileNames();
    ClearStudentViews();
    TextRecordingButton->hide();
    TextAnalyzingButton->show();

    const QByteArray text =
        (CurrentPhrase >= 0 && CurrentPhrase < static_cast<int32_t>(PhraseList.size()))
            ? PhraseList[CurrentPhrase].PhraseText
            : QByteArray();
    // Looked at before storing evens out the level: clipping shows only here.
    takeFacts = ExamineTake(RecordBuffer.Data, RecordBuffer.BytesRecorded, !recordingEndedEarly);
    int32_t stored = recordingStartResult;
    if (stored == 0)
        stored = RecordBuffer.Data == nullptr
                     ? RecordingNoMemory
                     : StoreRecording(StudentData.WaveFile, StudentData.TextFile, text);
    if (stored == 0) {
        CreateStudentSteps_Click();
        return;
    }
    // A recording that never reached the analyser ends like one the analyser
    // refused: the learner may record again or move on, and is told why.
    ShowBadRecording(RecordingFailureReason(stored, StudentData.WaveFile));
    EndAnalysis(false);
}
