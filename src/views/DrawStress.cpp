#include "views/DrawStress.h"

#include "views/ViewArithmetic.h"
#include "views/ViewColours.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

constexpr int BarPenWidth = 2;
constexpr int JointPenWidth = 1;
// Steps that end fewer than this many samples before the next one starts
// are drawn joined.
constexpr int64_t StepJoint = 10;

struct StressScale
{
    double mx = 0; // margins, a tenth of the box on each side
    double my = 0;
    double plotHeight = 0;
    double sh = 0;
    double xs = 1; // pixels per sample
    double ys = 1; // pixels per unit of Height
};

// The height the bars are scaled to. MaxHeight is a 16-bit field held at
// 32767 when a step is higher still; then the true maximum is used, so the
// highest bars keep their level instead of falling off the level table.
int64_t ScaleHeight(const PhraseData& phrase, int stepCount)
{
    int64_t highest = phrase.MaxHeight;
    if (phrase.MaxHeight == std::numeric_limits<int16_t>::max()) {
        for (int i = 1; i <= stepCount; ++i)
            highest = std::max<int64_t>(highest, phrase.Steps[i].Height);
    }
    return highest;
}

StressScale MeasureBox(const Canvas& canvas, const PhraseData& phrase, int stepCount)
{
    StressScale scale;
    const double sw = canvas.Width();
    scale.sh = canvas.Height();
    scale.mx = 0.1 * sw;
    scale.my = 0.1 * scale.sh;
    scale.plotHeight = scale.sh - 2 * scale.my;
    const double plotWidth = sw - 2 * scale.mx;
    const int64_t highest = ScaleHeight(phrase, stepCount);
    if (highest > 0) scale.ys = scale.plotHeight / double(highest);
    // A phrase of no span would divide by zero: draw it one pixel per
    // sample, as when the steps have no length at all.
    const int64_t span = int64_t(phrase.PhraseEnd) - phrase.PhraseStart;
    if (phrase.TotalLength > 0 && span != 0) scale.xs = plotWidth / double(span);
    return scale;
}

// Bar height in pixels for a step Height: scaled, rounded to 16 bits, and
// quantised to the level whose interval holds it (0 above the table).
int32_t LevelHeight(const StressScale& scale, int32_t height, std::span<const int16_t> levelBounds,
                    int16_t levelBoundCount)
{
    const int16_t pixels = RoundToInt16Saturated(double(height) * scale.ys);
    const double relative = pixels * 100.0 / scale.plotHeight;
    const int lastBound = std::min<int>(levelBoundCount, int(levelBounds.size()) - 1);
    int level = 0;
    for (int j = 1; j <= lastBound - 1; ++j) {
        const float mid = (float(levelBounds[j]) + float(levelBounds[j + 1])) / 2.0f;
        if (relative < mid) {
            level = levelBounds[j];
            break;
        }
    }
    return RoundToInt32(scale.plotHeight * level / 100.0).value_or(0);
}

} // namespace

void DrawStressStep(Canvas& canvas, const PhraseData& phrase, int16_t index, int16_t mode,
                    QColor background, std::span<const int16_t> levelBounds,
                    int16_t levelBoundCount)
{
    const int stepCount = std::min<int>(phrase.StepCount, MaxSteps);
    if (index < 1 || index > stepCount) return;
    if (mode != StressStepNormal && mode != StressStepHighlighted) return;
    const StressScale scale = MeasureBox(canvas, phrase, stepCount);
    if (!(scale.plotHeight > 0)) return;

    const StepRecord& step = phrase.Steps[index];
    const int64_t x0 = int64_t(step.Start) - phrase.PhraseStart;
    const int64_t x1 = x0 + step.Length;
    const int32_t level = LevelHeight(scale, step.Height, levelBounds, levelBoundCount);

    const QColor pen = mode == StressStepHighlighted ? StressHighlightColor : StressOutlineColor;
    const QColor fill = mode == StressStepHighlighted ? StressHighlightColor : background;
    const float left = float(scale.mx + scale.xs * double(x0));
    const float right = float(scale.mx + scale.xs * double(x1));
    const float top = float(scale.sh - scale.my - level);
    const float baseline = float(scale.sh - scale.my);
    canvas.DrawRectangle(std::min(left, right), std::min(top, baseline), std::abs(right - left),
                         std::abs(baseline - top), fill, pen, BarPenWidth);

    if (index < 2) return;
    const StepRecord& previous = phrase.Steps[index - 1];
    if (!(int64_t(previous.Start) + previous.Length > int64_t(step.Start) - StepJoint)) return;
    // Erase the shared edge from just below the top of the lower bar to
    // just above the baseline, so touching steps read as one shape.
    const int32_t lower = previous.Height < step.Height ? previous.Height : step.Height;
    const int32_t jointLevel = LevelHeight(scale, lower, levelBounds, levelBoundCount);
    const double halfPen = BarPenWidth / 2.0;
    for (int k = -1; k <= 1; ++k) {
        const float x = float(scale.mx + scale.xs * double(x0) + k);
        canvas.DrawLine(x, float(scale.sh - scale.my - jointLevel + halfPen), x,
                        float(scale.sh - scale.my - halfPen), fill, JointPenWidth);
    }
}

void DrawStress(Canvas& canvas, const PhraseData& phrase, QColor background,
                std::span<const int16_t> levelBounds, int16_t levelBoundCount)
{
    canvas.Clear(background);
    const int stepCount = std::min<int>(phrase.StepCount, MaxSteps);
    for (int i = 1; i <= stepCount; ++i)
        DrawStressStep(canvas, phrase, int16_t(i), StressStepNormal, background, levelBounds,
                       levelBoundCount);
}
