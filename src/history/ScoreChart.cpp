#include "history/ScoreChart.h"

#include <algorithm>

namespace {

constexpr int GridSteps = 4;    // lines at 0, 25, 50, 75 and 100
constexpr double PointSide = 4; // pixels
constexpr double BestPointSide = 8;
constexpr int LineWidth = 2;

struct PlotBox
{
    double Left, Right, Top, Bottom;

    double X(size_t index, size_t count) const
    {
        if (count < 2) return (Left + Right) / 2;
        return Left + (Right - Left) * double(index) / double(count - 1);
    }
    double Y(int score) const
    {
        return Bottom - (Bottom - Top) * double(score - LowestScore) / (HighestScore - LowestScore);
    }
};

void DrawPoint(Canvas& canvas, double x, double y, double side, QColor colour)
{
    canvas.DrawRectangle(x - side / 2, y - side / 2, side, side, colour, colour, 1);
}

} // namespace

void DrawScoreChart(Canvas& canvas, const std::vector<StoredTake>& takes,
                    const ScoreChartColours& colours)
{
    canvas.Clear(colours.Back);
    const double width = canvas.Width();
    const double height = canvas.Height();
    const PlotBox box{width / 10, width - width / 10, height / 10, height - height / 10};
    if (box.Right <= box.Left || box.Bottom <= box.Top) return;

    for (int step = 0; step <= GridSteps; ++step) {
        const double y = box.Y(LowestScore + (HighestScore - LowestScore) * step / GridSteps);
        canvas.DrawLine(box.Left, y, box.Right, y, colours.Grid, 1);
    }
    canvas.DrawLine(box.Left, box.Y(MasteredScore), box.Right, box.Y(MasteredScore),
                    colours.Mastered, 1);

    std::vector<int> scores; // oldest first
    for (auto take = takes.rbegin(); take != takes.rend(); ++take) {
        if (take->Marks.Score)
            scores.push_back(std::clamp(*take->Marks.Score, LowestScore, HighestScore));
    }
    for (size_t i = 1; i < scores.size(); ++i)
        canvas.DrawLine(box.X(i - 1, scores.size()), box.Y(scores[i - 1]), box.X(i, scores.size()),
                        box.Y(scores[i]), colours.Line, LineWidth);
    const auto best = std::max_element(scores.begin(), scores.end());
    for (size_t i = 0; i < scores.size(); ++i) {
        const bool isBest = scores.begin() + i == best;
        DrawPoint(canvas, box.X(i, scores.size()), box.Y(scores[i]),
                  isBest ? BestPointSide : PointSide, isBest ? colours.Best : colours.Line);
    }
}
