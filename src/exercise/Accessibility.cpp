// Everyday use of the exercise screen: keyboard shortcuts shown in the
// tooltips, a tab order from top to bottom, names and descriptions for
// screen readers (the views describe what they show), and the feedback
// drawn beside the status pictures while recording and analysing.
#include "app/CommonVar.h"
#include "exercise/AnalysisCycle.h"
#include "exercise/RecordingFeedback.h"
#include "exercise/Stress.h"
#include "exercise/ViewDescription.h"
#include "platform/HelpWindow.h"

#include <QEvent>
#include <QShortcut>

namespace {

struct KeyedControl
{
    QAbstractButton* control;
    QKeySequence key;
    const char* name;
    const char* description;
};

} // namespace

void Stress::SetUpKeyboardAndAccessibility()
{
    const KeyedControl keyed[] = {
        {ExitButton, Qt::Key_Escape, "Exit", "Leave the exercise and return to the phrase list"},
        {HelpButton, Qt::Key_F1, "Help", "Open the help contents"},
        {IntonationOption, Qt::Key_1, "Intonation", "Show the pitch contours"},
        {StressOption, Qt::Key_2, "Intensity/Rhythm", "Show the stress steps as bars"},
        {WaveformOption, Qt::Key_3, "Waveform", "Show the waveforms"},
        {PrevTopic, Qt::Key_PageUp, "Previous phrase", "Go to the previous phrase of the list"},
        {NextTopic, Qt::Key_PageDown, "Next phrase", "Go to the next phrase of the list"},
        {HintButton, Qt::Key_E, "Explain", "Open the explanation of this phrase"},
        {PlayNativeWave, Qt::Key_P, "Play native speaker",
         "Play the native speaker's recording; the steps heard are marked"},
        {RecordStudentWave, Qt::Key_R, "Record",
         "Record yourself saying the phrase; press again to stop early"},
        {PlayStudentWave, Qt::Key_S, "Play my recording",
         "Play your own recording; the steps heard are marked"},
    };
    QWidget* previous = nullptr;
    for (const KeyedControl& item : keyed) {
        item.control->setAccessibleName(item.name);
        item.control->setAccessibleDescription(item.description);
        item.control->setToolTip(QString("%1 (%2)")
                                     .arg(item.description)
                                     .arg(item.key.toString(QKeySequence::NativeText)));
        item.control->setFocusPolicy(Qt::StrongFocus);
        auto* shortcut = new QShortcut(item.key, this);
        QAbstractButton* control = item.control;
        connect(shortcut, &QShortcut::activated, this, [this, control] {
            // Esc while the analyser works cancels the analysis: Exit is
            // disabled then, and a learner should never have to wait it out.
            if (control == ExitButton && StressShellTimer->isActive()) {
                CancelAnalysis();
                return;
            }
            // A shortcut acts only as the button would: visible and enabled.
            if (control->isVisible() && control->isEnabled())
                control->click();
            // F1 means to read the help: it gets the keyboard, and Esc there
            // brings the keyboard back here.
            if (control == HelpButton) HelpWindow::Instance().TakeKeyboard();
        });
        if (previous)
            setTabOrder(previous, item.control);
        previous = item.control;
    }

    PhraseLabel->setAccessibleName("Phrase");
    TextNativeSpeaker->setAccessibleName("Native Speaker");
    TextStudentSpeaker->setAccessibleName("Student");
    const std::pair<PictureBox*, const char*> views[] = {
        {NativePitch, "Native speaker's intonation"}, {NativeStress, "Native speaker's stress"},
        {NativeSignal, "Native speaker's waveform"},  {StudentPitch, "Your intonation"},
        {StudentStress, "Your stress"},               {StudentSignal, "Your waveform"}};
    for (const auto& [view, name] : views) {
        view->setAccessibleName(name);
        view->setAccessibleDescription("Nothing drawn yet. Click the view to hear a piece.");
        view->setToolTip("Click to hear this part of the recording");
    }
    const std::pair<QWidget*, const char*> notices[] = {
        {TextRecordingButton, "Recording"}, {TextAnalyzingButton, "Analysing"},
        {BadRecording, "Please record again"}, {LowMemory, "Warning: the analysis took too long"}};
    for (const auto& [notice, name] : notices) {
        notice->setAccessibleName(name);
        notice->setFocusPolicy(Qt::NoFocus);
    }
    CreateStudentSteps->setFocusPolicy(Qt::NoFocus);
    BMPForRecord->setFocusPolicy(Qt::NoFocus);
    BMPForStop->setFocusPolicy(Qt::NoFocus);
}

void Stress::DescribeTopicArrows()
{
    // Where the learner is in the list, where an arrow leads.
    const auto describe = [](ImageButton* arrow, const char* what, int target, int total,
                             const char* key) {
        const QString where = QString("%1 (%2 of %3)").arg(what).arg(target).arg(total);
        arrow->setAccessibleDescription(where);
        arrow->setToolTip(QString("%1 (%2)").arg(where, key));
    };
    describe(PrevTopic, "Previous phrase", CurrentPhrase - 1, PhraseCount, "PgUp");
    describe(NextTopic, "Next phrase", CurrentPhrase + 1, PhraseCount, "PgDown");
}

void Stress::DescribeViews(bool student)
{
    if (student) {
        StudentPitch->setAccessibleDescription(
            DescribePitchView("Your", StudentData, StudentPitchTrack));
        StudentStress->setAccessibleDescription(DescribeStressView("Your", StudentData));
        StudentSignal->setAccessibleDescription(
            DescribeSignalView("Your", StudentData, StudentFormat));
        return;
    }
    NativePitch->setAccessibleDescription(
        DescribePitchView("Native speaker's", NativeData, NativePitchTrack));
    NativeStress->setAccessibleDescription(DescribeStressView("Native speaker's", NativeData));
    NativeSignal->setAccessibleDescription(
        DescribeSignalView("Native speaker's", NativeData, NativeFormat));
}

void Stress::PlaceStatusDetails()
{
    // A row's three views share a place but not quite a size: a panel must
    // lie inside whichever of them shows.
    const auto rowArea = [](std::initializer_list<PictureBox*> views) {
        QRect area = (*views.begin())->geometry();
        for (PictureBox* view : views)
            area = area.intersected(view->geometry());
        return area;
    };
    const QRect student = rowArea({StudentPitch, StudentStress, StudentSignal});
    const QRect native = rowArea({NativePitch, NativeStress, NativeSignal});
    // The student's panels share the strip under the lowest status picture,
    // so the feedback stays in one place from recording to verdict.
    int picturesBottom = student.top();
    for (QWidget* picture :
         std::initializer_list<QWidget*>{TextRecordingButton, TextAnalyzingButton, BadRecording})
        if (picture->geometry().intersects(student))
            picturesBottom = std::max(picturesBottom, picture->geometry().bottom());
    const int room = student.bottom() - picturesBottom - 3;
    for (StatusDetail* detail : {RecordingDetail, AnalysingDetail, ReasonDetail, VerdictDetail})
        detail->PlaceAtFootOf(student, room);
    const bool noticeOnStudent = noticeView == StudentPitch;
    NoticeDetail->PlaceAtFootOf(noticeOnStudent ? student : native,
                                noticeOnStudent ? room : native.height());
}

void Stress::ShowNotice(PictureBox* view, const QString& text)
{
    noticeView = view;
    NoticeDetail->SetText(text);
    PlaceStatusDetails();
    NoticeDetail->show();
    NoticeDetail->raise();
}

void Stress::HideNotice()
{
    NoticeDetail->hide();
}

bool Stress::eventFilter(QObject* watched, QEvent* event)
{
    const bool shown = event->type() == QEvent::Show;
    const bool hidden = event->type() == QEvent::Hide;
    if (shown || hidden) {
        StatusDetail* detail = nullptr;
        if (watched == TextRecordingButton)
            detail = RecordingDetail;
        else if (watched == TextAnalyzingButton)
            detail = AnalysingDetail;
        else if (watched == BadRecording)
            detail = ReasonDetail;
        if (detail) {
            if (shown && detail == RecordingDetail)
                plannedRecordingMs = RecordTimer->interval();
            if (shown && detail == AnalysingDetail)
                AnalysingDetail->SetText("Finding your steps and pitch...");
            detail->setVisible(shown);
            detail->raise();
            if (shown && detail != ReasonDetail)
                FeedbackTimer->start();
            if (!RecordingDetail->isVisible() && !AnalysingDetail->isVisible())
                FeedbackTimer->stop();
        }
    }
    return QWidget::eventFilter(watched, event);
}

void Stress::FeedbackTimer_Timer()
{
    if (RecordingDetail->isVisible()) {
        const uint32_t bytes = waveInput ? waveInput->BytesSoFar() : 0;
        // The last tenth of a second of 22050 Hz 16-bit mono.
        const InputLevel level = MeasureInputLevel(RecordBuffer.Data, bytes, 4410);
        if (!level.TooQuiet) takeHeardVoice = true;
        const int64_t elapsed = static_cast<int64_t>(recordStartTime.ElapsedSeconds() * 1000);
        const int32_t planned = std::max(isRecording ? RecordTimer->interval() : plannedRecordingMs, 1);
        RecordingDetail->SetRecording(
            double(elapsed) / planned, level.Meter, level.Clipping || level.TooQuiet,
            RecordingProgressText(elapsed, planned, level, takeHeardVoice));
    }
    if (AnalysingDetail->isVisible()) AnalysingDetail->Advance();
}
