#include "views/MarkPlayedStep.h"

#include "views/ViewArithmetic.h"

#include <algorithm>
#include <cmath>

void MarkPlayedStep(Canvas& canvas, const PhraseData& phrase, int32_t previous, int32_t current,
                    QColor colour)
{
    if (previous < 0 || current > phrase.PhraseEnd)
        return;
    const int stepCount = std::clamp<int>(phrase.StepCount, 0, MaxSteps);
    const StepRecord* step = nullptr;
    for (int i = 1; i <= stepCount; ++i) {
        const StepRecord& candidate = phrase.Steps[i];
        if (candidate.Start <= current &&
            int64_t(current) <= int64_t(candidate.Start) + candidate.Length) {
            step = &candidate;
            break;
        }
    }
    const int64_t span = int64_t(phrase.PhraseEnd) - phrase.PhraseStart;
    if (step == nullptr || span == 0)
        return;

    const double sw = canvas.Width();
    const double sh = canvas.Height();
    const double mx = 0.1 * sw;
    const double w = sw - 2 * mx;
    const double my = RoundHalfEven(0.1 * sh);
    const double left = mx + w * double(int64_t(step->Start) - phrase.PhraseStart) / double(span);
    const double right =
        mx + w * double(int64_t(step->Start) + step->Length - phrase.PhraseStart) / double(span);
    const double top = my / 2;
    const double bottom = sh - my / 2;
    canvas.MaskRectangle(std::min(left, right), top, std::abs(right - left), bottom - top, colour);
}
