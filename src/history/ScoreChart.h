#pragma once
// The scores of a phrase's takes as a small chart, drawn only through a
// Canvas, so the screen paints it into a picture box and the tools write it
// as SVG or PNG. One point per scored take, oldest at the left and evenly
// spaced (practice comes in sessions days apart, so a time axis would bunch
// the points), joined by a line; the best take's point is larger. Faint
// lines mark every quarter of the score range and a stronger one the score
// at which a phrase counts as mastered. The plot keeps the views' margin of
// a tenth of the box on each side. Takes without a score are left out.
#include "history/PracticeHistory.h"
#include "views/Canvas.h"

#include <QColor>

#include <vector>

struct ScoreChartColours
{
    QColor Back{207, 255, 255}; // the learner's light cyan
    QColor Grid{176, 208, 208};
    QColor Mastered{0, 128, 0};
    QColor Line{0, 0, 0};
    QColor Best{0, 96, 1};
};

// takes as PracticeHistory::TakesOf lists them: newest first.
void DrawScoreChart(Canvas& canvas, const std::vector<StoredTake>& takes,
                    const ScoreChartColours& colours = {});
