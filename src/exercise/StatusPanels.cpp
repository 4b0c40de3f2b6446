// The status panels of the exercise screen: the feedback drawn at the foot
// of the student's views beside the status pictures (the recording's time
// and live level, the analysis at work, why a take was refused, a word on
// an accepted take) and the one-line notices in a speaker's view.
#include "app/CommonVar.h"
#include "engine/RecordingFeedback.h"
#include "exercise/Stress.h"

#include <QEvent>

void Stress::PlaceStatusDetails()
{
    // A row's three views share a place but not quite a size: a panel must
    // lie inside whichever of them shows.
    const auto rowArea = [](const std::array<PictureBox*, SpeakerRowKinds.size()>& views) {
        QRect area = views.front()->geometry();
        for (PictureBox* view : views)
            area = area.intersected(view->geometry());
        return area;
    };
    const QRect student = rowArea(ViewsOf(Speaker::Student));
    const QRect native = rowArea(ViewsOf(Speaker::Native));
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
    if (watched == PhraseLabel && event->type() == QEvent::Resize) FitPhraseText();
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
            if (shown && detail == AnalysingDetail)
                AnalysingDetail->SetText("Finding your steps and pitch...");
            detail->setVisible(shown);
            detail->raise();
            if (shown && detail != ReasonDetail) FeedbackTimer->start();
            if (!RecordingDetail->isVisible() && !AnalysingDetail->isVisible())
                FeedbackTimer->stop();
        }
    }
    return QWidget::eventFilter(watched, event);
}

void Stress::FeedbackTimer_Timer()
{
    if (RecordingDetail->isVisible()) engine->ReportProgress();
    if (AnalysingDetail->isVisible()) AnalysingDetail->Advance();
}

void Stress::OnRecordingProgress(const RecordingProgressReport& report)
{
    const InputLevel& level = report.Level;
    RecordingDetail->SetRecording(
        double(report.ElapsedMs) / report.PlannedMs, level.Meter, level.Clipping || level.TooQuiet,
        RecordingProgressText(report.ElapsedMs, report.PlannedMs, level, report.HeardVoice));
}
