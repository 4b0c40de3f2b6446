// The score chart of a phrase's takes, read back from the SVG canvas.
#include "history/ScoreChart.h"
#include "views/ViewTestSupport.h"

#include <gtest/gtest.h>

namespace {

std::vector<StoredTake> TakesNewestFirst(const std::vector<std::optional<int>>& oldestFirst)
{
    std::vector<StoredTake> takes;
    for (auto score = oldestFirst.rbegin(); score != oldestFirst.rend(); ++score) {
        StoredTake take;
        take.Marks.Score = *score;
        takes.push_back(take);
    }
    return takes;
}

struct Point
{
    double x, y, side;
};

// The points are the filled squares, in drawing order.
std::vector<Point> PointsOf(const SvgCanvas& canvas)
{
    std::vector<Point> points;
    for (const SvgElement& rect : ElementsOf(canvas, "rect"))
        points.push_back({rect.Num("x") + rect.Num("width") / 2,
                          rect.Num("y") + rect.Num("height") / 2, rect.Num("width")});
    return points;
}

} // namespace

TEST(ScoreChart, PutsScoredTakesOldestLeftOnTheScoreScaleWithTheBestMarked)
{
    SvgCanvas canvas(300, 200);
    DrawScoreChart(canvas, TakesNewestFirst({20, std::nullopt, 100, 0, 100}));

    const std::vector<Point> points = PointsOf(canvas);
    ASSERT_EQ(points.size(), 4u);
    // Within the margin of a tenth of the box, evenly spaced.
    EXPECT_DOUBLE_EQ(points[0].x, 30);
    EXPECT_DOUBLE_EQ(points[1].x, 110);
    EXPECT_DOUBLE_EQ(points[3].x, 270);
    EXPECT_DOUBLE_EQ(points[0].y, 180 - 160 * 0.2);
    EXPECT_DOUBLE_EQ(points[1].y, 20);
    EXPECT_DOUBLE_EQ(points[2].y, 180);
    // The first of the two best takes is the best.
    EXPECT_GT(points[1].side, points[0].side);
    EXPECT_EQ(points[3].side, points[0].side);

    // Three joining lines besides the grid's five and the mastered line.
    const auto lines = ElementsOf(canvas, "line");
    ASSERT_EQ(lines.size(), 9u);
    EXPECT_DOUBLE_EQ(lines[5].Num("y1"), 180 - 160 * MasteredScore / 100.0);
    EXPECT_DOUBLE_EQ(lines[6].Num("x1"), 30);
    EXPECT_DOUBLE_EQ(lines[8].Num("x2"), 270);
}

TEST(ScoreChart, OneTakeSitsInTheMiddleAndNoScoresDrawOnlyTheScale)
{
    SvgCanvas one(300, 200);
    DrawScoreChart(one, TakesNewestFirst({55}));
    const std::vector<Point> points = PointsOf(one);
    ASSERT_EQ(points.size(), 1u);
    EXPECT_DOUBLE_EQ(points[0].x, 150);

    SvgCanvas none(300, 200);
    DrawScoreChart(none, TakesNewestFirst({std::nullopt, std::nullopt}));
    EXPECT_TRUE(PointsOf(none).empty());
    EXPECT_EQ(ElementsOf(none, "line").size(), 6u);

    SvgCanvas tiny(0, 0);
    DrawScoreChart(tiny, TakesNewestFirst({55}));
    EXPECT_TRUE(PointsOf(tiny).empty());
}
