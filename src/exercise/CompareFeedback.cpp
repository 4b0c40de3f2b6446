#include "exercise/CompareFeedback.h"

#include "compare/LearnerAdvice.h"
#include "views/ViewKinds.h"
#include "widgets/UntrustedText.h"

#include <QAccessible>
#include <QGraphicsOpacityEffect>
#include <QHBoxLayout>
#include <QStyle>
#include <QVBoxLayout>

namespace {

const QString WaitingText = QStringLiteral("Record the phrase: what differs from the native "
                                           "speaker is said here.");
const QString PanelStyle =
    QStringLiteral("CompareFeedback { background: rgb(255, 255, 238); border: 1px solid rgb(90, "
                   "90, 90); } CompareFeedback[focused=\"true\"] { border: 3px solid rgb(255, "
                   "215, 0); } QLabel { color: black; background: transparent; border: none; }");

} // namespace

CompareFeedback::CompareFeedback(QWidget* parent) : QFrame(parent)
{
    setObjectName("CompareFeedback");
    setStyleSheet(PanelStyle);
    setAttribute(Qt::WA_StyledBackground);
    setFocusPolicy(Qt::StrongFocus);
    setAccessibleName("Feedback");

    ScoreLabel = new QLabel(this);
    ScoreLabel->setObjectName("ScoreLabel");
    ScoreLabel->setAlignment(Qt::AlignCenter);
    ScoreLabel->setMinimumWidth(52);
    QFont scoreFont = ScoreLabel->font();
    scoreFont.setBold(true);
    scoreFont.setPointSizeF(scoreFont.pointSizeF() * 1.5);
    ScoreLabel->setFont(scoreFont);
    ScoreCaption = new QLabel("score of 100", this);
    ScoreCaption->setObjectName("ScoreCaption");
    ScoreCaption->setAlignment(Qt::AlignCenter);
    QFont captionFont = ScoreCaption->font();
    captionFont.setPointSizeF(captionFont.pointSizeF() * 0.8);
    ScoreCaption->setFont(captionFont);
    AdviceLabel = new QLabel(this);
    AdviceLabel->setTextFormat(Qt::PlainText); // it quotes the course's syllables
    AdviceLabel->setObjectName("AdviceLabel");
    AdviceLabel->setWordWrap(true);
    AdviceLabel->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    NoticeLabel = new QLabel(this);
    NoticeLabel->setTextFormat(Qt::PlainText); // it may name files and folders
    NoticeLabel->setObjectName("NoticeLabel");
    NoticeLabel->setWordWrap(true);
    NoticeLabel->setStyleSheet("QLabel { color: rgb(150, 0, 0); }");
    // The labels are read through the panel, which says it all at once.
    for (QLabel* label : {ScoreLabel, ScoreCaption, AdviceLabel, NoticeLabel})
        label->setFocusPolicy(Qt::NoFocus);

    auto* text = new QVBoxLayout;
    text->setSpacing(1);
    text->addWidget(AdviceLabel, 1);
    text->addWidget(NoticeLabel);
    auto* score = new QVBoxLayout;
    score->setSpacing(0);
    score->addStretch(1);
    score->addWidget(ScoreLabel);
    score->addWidget(ScoreCaption);
    score->addStretch(1);
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(6, 3, 6, 3);
    row->addLayout(score);
    row->addLayout(text, 1);
    Clear();
}

void CompareFeedback::ShowComparison(const Comparison& comparison, const QString& lead)
{
    SetFaded(false);
    QStringList lines;
    if (!lead.isEmpty()) lines << lead;
    compared = comparison.Problem.isEmpty();
    if (compared) {
        ScoreLabel->setText(QString::number(comparison.Score));
        ScoreLabel->setToolTip("Your score out of 100: higher is closer to the native speaker");
        lines << comparison.Advice.mid(0, MaxAdviceSentences);
    } else {
        ScoreLabel->clear();
        lines << "Your take could not be compared: " + comparison.Problem;
    }
    AdviceLabel->setText(lines.join('\n'));
    Announce();
}

void CompareFeedback::ShowNotice(const QString& notice)
{
    NoticeLabel->setText(notice);
    NoticeLabel->setVisible(!notice.isEmpty());
    Announce();
}

void CompareFeedback::Clear()
{
    SetFaded(false);
    compared = false;
    ScoreLabel->clear();
    AdviceLabel->setText(WaitingText);
    NoticeLabel->clear();
    NoticeLabel->hide();
    Announce();
}

void CompareFeedback::Announce()
{
    QStringList said;
    if (!ScoreLabel->text().isEmpty()) said << QString("Score %1 of 100.").arg(ScoreLabel->text());
    said << AdviceLabel->text().split('\n', Qt::SkipEmptyParts);
    if (!NoticeLabel->text().isEmpty()) said << NoticeLabel->text();
    ScoreCaption->setVisible(!ScoreLabel->text().isEmpty());
    setAccessibleDescription(said.join(' '));
    setToolTip(PlainToolTip(said.join('\n')));
    // A reader told of the change reads the new feedback without the
    // learner moving the keyboard to it.
    QAccessibleEvent changed(this, QAccessible::DescriptionChanged);
    QAccessible::updateAccessibility(&changed);
    if (compared || !NoticeLabel->text().isEmpty()) {
        QAccessibleEvent alert(this, QAccessible::Alert);
        QAccessible::updateAccessibility(&alert);
    }
}

void CompareFeedback::focusInEvent(QFocusEvent* event)
{
    QFrame::focusInEvent(event);
    setProperty("focused", true);
    style()->unpolish(this);
    style()->polish(this);
}

void CompareFeedback::focusOutEvent(QFocusEvent* event)
{
    QFrame::focusOutEvent(event);
    setProperty("focused", false);
    style()->unpolish(this);
    style()->polish(this);
}

void ShowCompareView(PictureBox& box, const LoadedPhrase& model, const Comparison* comparison)
{
    const bool compared = comparison != nullptr && comparison->Problem.isEmpty();
    DrawView(box.PictureCanvas(), ViewKind::Compare,
             ViewInput{model, compared ? comparison : nullptr}, box.ForeColor(), box.BackColor());
    box.setAccessibleDescription(
        compared ? QString("Your pitch contour laid over the native speaker's, step by step. %1")
                       .arg(comparison->Advice.join(' '))
                 : QString("Nothing to compare yet: record the phrase."));
    box.update();
}

void CompareFeedback::SetFaded(bool faded)
{
    if (faded == IsFaded()) return;
    if (!faded) {
        setGraphicsEffect(nullptr); // deletes the effect
        return;
    }
    auto* fade = new QGraphicsOpacityEffect(this);
    fade->setOpacity(0.45);
    setGraphicsEffect(fade);
}
