// The plot frame new views place their marks through: the views' margins,
// samples across and values up, and back from a point to its sample and
// value.
#include "views/PlotFrame.h"

#include <gtest/gtest.h>

TEST(PlotFrame, MapsThePhraseAndItsValuesBetweenTheMarginsAndBack)
{
    // 200 x 100: margins 20 and 10, a plot 160 wide and 80 high.
    const PlotFrame frame(200, 100, 1000, 17000, 100, 300);
    EXPECT_EQ(frame.MarginX(), 20);
    EXPECT_EQ(frame.MarginY(), 10);
    EXPECT_DOUBLE_EQ(frame.X(1000), 20);
    EXPECT_DOUBLE_EQ(frame.X(17000), 180);
    EXPECT_DOUBLE_EQ(frame.X(9000), 100);
    EXPECT_DOUBLE_EQ(frame.Y(100), 90) << "the lowest value at the bottom margin";
    EXPECT_DOUBLE_EQ(frame.Y(300), 10) << "the highest at the top margin";
    EXPECT_DOUBLE_EQ(frame.SampleAt(frame.X(12345)), 12345);
    EXPECT_DOUBLE_EQ(frame.ValueAt(frame.Y(217)), 217);
    // Half-pixel margins round to even, as the views' own do.
    EXPECT_EQ(PlotFrame(25, 15, 0, 1, 0, 1).MarginX(), 2);
    EXPECT_EQ(PlotFrame(35, 15, 0, 1, 0, 1).MarginY(), 2);
}

TEST(PlotFrame, EmptySpansStayAtTheMarginsInsteadOfDividingByZero)
{
    const PlotFrame frame(200, 100, 500, 500, 7, 7);
    EXPECT_DOUBLE_EQ(frame.X(500), 20);
    EXPECT_DOUBLE_EQ(frame.X(900), 20);
    EXPECT_DOUBLE_EQ(frame.Y(7), 90);
    EXPECT_DOUBLE_EQ(frame.SampleAt(150), 500);
    EXPECT_DOUBLE_EQ(frame.ValueAt(40), 7);
}
