#pragma once
// The strip under the exercise screen's designed area: the Compare view's
// option, the History button and the feedback panel. It has a place of its
// own, so the designed controls keep their geometry and behaviour: the
// screen lays its design out in the area above the strip, which keeps its
// height and takes the window's width.
#include "exercise/CompareFeedback.h"
#include "widgets/ImageButton.h"

#include <QRadioButton>
#include <QWidget>

class PracticeStrip : public QWidget
{
    Q_OBJECT
public:
    // In pixels, at every window size.
    static constexpr int StripHeight = 96;

    explicit PracticeStrip(QWidget* parent);

    // Across the foot of the parent's inner area.
    void PlaceUnder(int innerWidth, int innerHeight);

    QRadioButton* CompareOption;
    ImageButton* HistoryButton;
    CompareFeedback* Feedback;
};
