#include "history/TakeMarks.h"

#include <algorithm>
#include <cmath>

TakeMarks MarksFromComparison(double score, bool stressMatch, bool endingMatch)
{
    TakeMarks marks;
    if (std::isfinite(score)) {
        const double whole = std::nearbyint(score); // halves to even, as everywhere else
        marks.Score =
            static_cast<int>(std::clamp(whole, double(LowestScore), double(HighestScore)));
    }
    marks.StressMatch = stressMatch;
    marks.EndingMatch = endingMatch;
    return marks;
}
