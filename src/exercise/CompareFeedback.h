#pragma once
// The comparison's screen parts: the feedback panel, which gives the score
// and at most three sentences on what differs from the native speaker, and
// the Compare view, both contours on one scale. The panel is one focusable
// block whose accessible description is its whole text, and every change is
// announced, so a screen reader reads the feedback the moment it appears.
#include "compare/PhraseComparison.h"
#include "widgets/PictureBox.h"

#include <QFrame>
#include <QLabel>

class CompareFeedback : public QFrame
{
    Q_OBJECT
public:
    explicit CompareFeedback(QWidget* parent);

    // The score and the advice. lead, when given, comes first (which take
    // this is, for a take shown from the history).
    void ShowComparison(const Comparison& comparison, const QString& lead = QString());
    // One short line under the advice (a take not kept in the history);
    // empty removes it.
    void ShowNotice(const QString& notice);
    // Back to the empty panel of a phrase not yet compared.
    void Clear();
    // Faded while the next take is made, like the learner's views it speaks
    // of; a new comparison or Clear brings it back.
    void SetFaded(bool faded);
    bool IsFaded() const { return graphicsEffect() != nullptr; }

    // Everything the panel says, as a screen reader reads it.
    QString Text() const { return accessibleDescription(); }
    bool HasComparison() const { return compared; }

    QLabel* ScoreLabel;
    QLabel* ScoreCaption; // "score" under the number, while there is one
    QLabel* AdviceLabel;
    QLabel* NoticeLabel;

protected:
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void Announce();
    bool compared = false;
};

// Draws the Compare view of a comparison of the model's phrase into box
// (cleared when there is none or it could not be made) and describes it
// for screen readers.
void ShowCompareView(PictureBox& box, const LoadedPhrase& model, const Comparison* comparison);
