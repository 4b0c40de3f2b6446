// Beyond the designed exercise: after every take the analyser answers, the
// learner's phrase is compared with the native speaker's and the take is
// counted in the practice history (kept when Good); the feedback and the
// Compare option and History button live in a strip of their own under the
// designed area, and the History window lists the phrase's takes.
#include "app/CommonVar.h"
#include "audio/MciSubs.h"
#include "audio/PhraseFile.h"
#include "engine/AnalysisCycle.h"
#include "exercise/Stress.h"
#include "exercise/TutorPractice.h"
#include "platform/SaveFile.h"
#include "views/PhraseForDisplay.h"
#include "views/ViewColours.h"
#include "views/ViewKinds.h"

#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QSaveFile>
#include <QScreen>
#include <QShortcut>

#include <algorithm>

namespace {

int16_t Send(const QString& command)
{
    QString reply;
    return SendMciCommand(command, reply);
}

// Back to the panel of a phrase not yet compared. Without the native
// speaker's recording no take can be compared, so the panel says so from
// the start rather than asking for a take it cannot speak of.
void ClearFeedback(CompareFeedback& feedback)
{
    feedback.Clear();
    if (NativeLoaded) return;
    feedback.AdviceLabel->setText(
        QString("The native speaker's recording %1 could not be read: your takes cannot be "
                "compared with it.")
            .arg(QDir::toNativeSeparators(NativeData.WaveFile)));
    // Showing no notice tells a screen reader the panel's new text.
    feedback.ShowNotice(QString());
}

// The analyser's verdict as the history keeps it.
QString AnalysisLine(bool good, const QString& resultFile)
{
    if (good) return QStringLiteral("Good");
    const QString reason = ResultFileReason(resultFile);
    return reason.isEmpty() ? QStringLiteral("Not Good") : "Not Good," + reason;
}

} // namespace

void Stress::CreatePracticeParts()
{
    Practice = new PracticeStrip(this);
    CompareView = new PictureBox(this);
    CompareView->setObjectName("CompareView");
    CompareView->SetBackColor(ViewBackColor(ViewKind::Compare, Speaker::Student));
    CompareView->SetForeColor(ViewForeColor);
    CompareView->setAccessibleName("Compare: your intonation over the native speaker's");
    CompareView->hide();
    // Under every other control: the status pictures and panels of a take
    // in progress stay in sight over it.
    CompareView->lower();
    ShowCompareView(*CompareView, NativeSpeaker, nullptr);

    Practice->CompareOption->setAccessibleName("Compare");
    Practice->CompareOption->setAccessibleDescription(
        "Show your pitch contour laid over the native speaker's");
    Practice->CompareOption->setToolTip(
        "Show your pitch contour laid over the native speaker's (4)");
    Practice->HistoryButton->setAccessibleName("History");
    Practice->HistoryButton->setAccessibleDescription(
        "List your earlier takes of this phrase, hear them and show them again");
    Practice->HistoryButton->setToolTip(
        "List your earlier takes of this phrase, hear them and show them again (H)");
    connect(Practice->CompareOption, &QRadioButton::clicked, this, &Stress::CompareOption_Click);
    connect(Practice->HistoryButton, &QPushButton::clicked, this, &Stress::HistoryButton_Click);
    const std::pair<QKeySequence, QAbstractButton*> keys[] = {{Qt::Key_4, Practice->CompareOption},
                                                              {Qt::Key_H, Practice->HistoryButton}};
    for (const auto& [key, control] : keys) {
        auto* shortcut = new QShortcut(key, this);
        connect(shortcut, &QShortcut::activated, control, [control] {
            if (control->isVisible() && control->isEnabled()) control->click();
        });
    }
    // After the designed controls, in the strip's reading order.
    setTabOrder(PlayStudentWave, Practice->CompareOption);
    setTabOrder(Practice->CompareOption, Practice->HistoryButton);
    setTabOrder(Practice->HistoryButton, Practice->Feedback);
}

int Stress::DesignAreaHeight() const
{
    return height() - PracticeStrip::StripHeight;
}

void Stress::PlacePracticeParts()
{
    if (Practice == nullptr) return;
    Practice->PlaceUnder(width(), height());
    // Both rows of views: the model's and the learner's contours at once.
    CompareView->setGeometry(NativePitch->geometry().united(StudentPitch->geometry()));
    ShowCompareView(*CompareView, NativeSpeaker, comparison ? &*comparison : nullptr);
}

void Stress::CompareOption_Click()
{
    // One choice among the designed three: none of them shows as chosen.
    for (QRadioButton* option : {IntonationOption, StressOption, WaveformOption}) {
        option->setAutoExclusive(false);
        option->setChecked(false);
        option->setAutoExclusive(true);
    }
    Practice->CompareOption->setChecked(true);
    for (PictureBox* view :
         {NativePitch, NativeStress, NativeSignal, StudentPitch, StudentStress, StudentSignal})
        view->hide();
    CompareView->show();
}

void Stress::HideCompareView()
{
    if (Practice == nullptr) return;
    Practice->CompareOption->setChecked(false);
    CompareView->hide();
}

void Stress::ClearPractice()
{
    if (Practice == nullptr) return;
    comparison.reset();
    ClearFeedback(*Practice->Feedback);
    ShowCompareView(*CompareView, NativeSpeaker, nullptr);
}

void Stress::ReviewTake(bool good)
{
    FinishedTake take;
    take.Key = CurrentPhraseKey();
    take.PhraseText = PhraseLabel->text();
    take.Good = good;
    take.Analysis = AnalysisLine(good, StudentData.ResultFile);
    take.AnalysedFile = StudentData.WaveFile;
    const TakeReview review = TutorPractice().FinishTake(
        take, NativeLoaded ? &NativeSpeaker : nullptr, good ? &StudentSpeaker : nullptr);
    comparison = review.Compared;
    if (comparison) {
        Practice->Feedback->ShowComparison(*comparison);
    } else if (good) {
        Comparison none;
        none.Problem = QStringLiteral("the native speaker's phrase could not be read.");
        Practice->Feedback->ShowComparison(none);
    } else {
        ClearFeedback(*Practice->Feedback);
    }
    Practice->Feedback->ShowNotice(review.Notice);
    ShowCompareView(*CompareView, NativeSpeaker, comparison ? &*comparison : nullptr);
    // The history may have opened only for this take: the window asks for
    // it afresh rather than reload the one it was shown with.
    if (History != nullptr && History->isVisible()) ShowHistoryOfPhrase();
}

void Stress::HistoryButton_Click()
{
    if (History == nullptr) {
        History = new HistoryPanel(this);
        connect(History, &HistoryPanel::ShowRequested, this, &Stress::ShowHistoryTake);
        connect(History, &HistoryPanel::PlayRequested, this, &Stress::PlayHistoryTake);
    }
    if (History->isVisible()) {
        History->close();
        return;
    }
    ShowHistoryOfPhrase();
    // Placed once shown, when its frame is known.
    History->show();
    PlaceHistoryWindow();
    History->raise();
    History->activateWindow();
    History->TakeList->setFocus();
}

void Stress::PlaceHistoryWindow()
{
    // Beside the exercise where the screen has room, so the views stay in
    // sight; else off every button of the exercise, which the learner keeps
    // pressing while the window is open.
    const QScreen* screen = this->screen();
    if (screen == nullptr) return;
    const QSize frameExtra = History->frameGeometry().size() - History->size();
    const QRect place = HistoryWindowPlace(screen->availableGeometry(), frameGeometry(),
                                           NativeViewsOnScreen(), ButtonsOnScreen(),
                                           History->frameGeometry().size(),
                                           History->minimumSizeHint() + frameExtra);
    if (place.size() != History->frameGeometry().size()) History->resize(place.size() - frameExtra);
    History->move(place.topLeft());
}

namespace {

QRect OnScreen(const QWidget* control)
{
    return {control->mapToGlobal(QPoint(0, 0)), control->size()};
}

} // namespace

std::vector<QRect> Stress::ButtonsOnScreen() const
{
    std::vector<QRect> buttons;
    for (const QPushButton* button : findChildren<QPushButton*>()) {
        if (button->isVisible() && button->window() == this) buttons.push_back(OnScreen(button));
    }
    return buttons;
}

QRect Stress::NativeViewsOnScreen() const
{
    return OnScreen(NativePitch).united(OnScreen(NativeSignal));
}

void Stress::ShowHistoryOfPhrase()
{
    PracticeHistory* history = TutorPractice().History();
    History->ShowPhrase(history, CurrentPhraseKey(), PhraseLabel->text(),
                        HistoryNotice(TutorPractice().OpenResult(),
                                      QStringLiteral("Your history cannot be shown: ")));
}

bool Stress::FreeForHistoryTake()
{
    // A take in the making owns the working set and the views.
    if (!engine->IsIdle()) {
        History->SetStatus("Wait until your take is analysed.");
        return false;
    }
    if (PlayStepsTimer->isActive()) EndPlayback();
    Send("close wavefile");
    return true;
}

void Stress::PlayHistoryTake(const StoredTake& take)
{
    if (!FreeForHistoryTake()) return;
    if (Send("open " + take.File + " type waveaudio alias wavefile") != MciOk) {
        History->SetStatus("This take could not be opened.");
        return;
    }
    History->SetStatus(Send("play wavefile") == MciOk
                           ? QString()
                           : QStringLiteral("No sound output device is available"));
}

void Stress::ShowHistoryTake(const StoredTake& take)
{
    if (!FreeForHistoryTake()) return;
    // The take becomes the working recording, read by the same reader as
    // every take, so that playing and clicking the views hear what they show.
    QFile source(take.File);
    QSaveFile working(StudentData.WaveFile);
    if (!source.open(QIODevice::ReadOnly) || !working.open(QIODevice::WriteOnly) ||
        working.write(source.readAll()) != source.size() || !CommitSaveFile(working)) {
        History->SetStatus("This take could not be shown.");
        return;
    }
    ClearStudentViews();
    if (LoadPhraseForDisplay(StudentSpeaker, StudentData.WaveFile,
                             PhraseReading{.ReadText = false}) != PhraseFileOk) {
        PlayStudentWave->setEnabled(false);
        StudentAnalysed = 0;
        History->SetStatus("This take could not be read.");
        return;
    }
    DrawSpeakerViews(Speaker::Student);
    PlayStudentWave->setEnabled(true);
    StudentAnalysed = -1;
    BadRecording->hide();
    LowMemory->hide();
    VerdictDetail->hide();
    if (NativeLoaded) {
        comparison = PracticeSession::CompareWithModel(NativeSpeaker, StudentSpeaker);
        Practice->Feedback->ShowComparison(
            *comparison, QString("Your take of %1:").arg(HistoryPanel::TakeDate(take)));
    }
    ShowCompareView(*CompareView, NativeSpeaker, comparison ? &*comparison : nullptr);
    History->SetStatus(QString("Your take of %1 is shown.").arg(HistoryPanel::TakeDate(take)));
}
