#include "views/DrawStress.h"
#include "ViewTestSupport.h"
#include "views/ViewColours.h"

#include <gtest/gtest.h>

namespace {

const QColor Back(206, 255, 206);

SvgCanvas Stress(const PhraseData& phrase, int width = 200, int height = 100)
{
    SvgCanvas canvas(width, height);
    DrawStress(canvas, phrase, Back, StandardLevelBounds, StandardLevelBoundCount);
    return canvas;
}

std::vector<SvgElement> Bars(const SvgCanvas& canvas)
{
    return ElementsOf(canvas, "rect");
}

std::vector<SvgElement> Joints(const SvgCanvas& canvas)
{
    return ElementsOf(canvas, "line");
}

} // namespace

TEST(StressView, PhraseWithoutStepsLeavesTheBoxCleared)
{
    const SvgCanvas canvas = Stress(MakePhrase(0, 1000, {}));
    ASSERT_EQ(canvas.Elements().size(), 1u);
    EXPECT_EQ(canvas.Elements()[0],
              R"(<rect class="clear" x="0" y="0" width="200" height="100" fill="#ceffce"/>)");
}

TEST(StressView, HighestStepStandsAtEightyPercentOfTheBox)
{
    // 200 x 100 box: margins 20 and 10, plot 160 x 80, 0.1 pixel a sample.
    const SvgCanvas canvas = Stress(MakePhrase(0, 1600, {{0, 799, 0, 0, 1000}}));
    ASSERT_EQ(canvas.Elements().size(), 2u);
    EXPECT_EQ(canvas.Elements()[1], R"(<rect x="20" y="10" width="80" height="80" )"
                                    R"(fill="#ceffce" stroke="#000000" stroke-width="2"/>)");
}

TEST(StressView, RelativeHeightOnAMidpointTakesTheUpperLevel)
{
    // Heights as pixels (MaxHeight 0) in a plot 10000 pixels high:
    // 29.99 % is level 20, 30 % is level 40.
    PhraseData phrase = MakePhrase(0, 1000, {{0, 99, 0, 0, 2999}, {500, 599, 0, 0, 3000}});
    phrase.MaxHeight = 0;
    const auto bars = Bars(Stress(phrase, 100, 12500));
    ASSERT_EQ(bars.size(), 2u);
    EXPECT_EQ(bars[0].Num("height"), 2000);
    EXPECT_EQ(bars[1].Num("height"), 4000);
}

TEST(StressView, HeightOffTheLevelTableIsDrawnFlat)
{
    // A Height above MaxHeight gives 130 % of the plot: no level, no height.
    PhraseData phrase = MakePhrase(0, 1600, {{0, 799, 0, 0, 1300}});
    phrase.MaxHeight = 1000;
    const auto bars = Bars(Stress(phrase));
    ASSERT_EQ(bars.size(), 1u);
    EXPECT_EQ(bars[0].Num("height"), 0);
    EXPECT_EQ(bars[0].Num("y"), 90);
}

TEST(StressView, HeightsBeyondSixteenBitsKeepTheirLevels)
{
    // MaxHeight holds 32767 while the highest step is 40000: that step is
    // still drawn at level 100 and one of half its height at level 60.
    PhraseData phrase = MakePhrase(0, 1600, {{0, 799, 0, 0, 40000}, {1000, 1499, 0, 0, 20000}});
    ASSERT_EQ(phrase.MaxHeight, 32767);
    const auto bars = Bars(Stress(phrase));
    ASSERT_EQ(bars.size(), 2u);
    EXPECT_EQ(bars[0].Num("height"), 80);
    EXPECT_EQ(bars[1].Num("height"), 48);
}

TEST(StressView, StepsLessThanTenSamplesApartAreJoined)
{
    // The previous step ends at 99 (Start + Length = 100): a next step from
    // 109 is joined, from 110 not, and an overlapping one always.
    for (int32_t nextStart : {109, 110, 50}) {
        const SvgCanvas canvas =
            Stress(MakePhrase(0, 1600, {{0, 99, 0, 0, 1000}, {nextStart, 799, 0, 0, 500}}));
        const auto joints = Joints(canvas);
        if (nextStart == 110) {
            EXPECT_TRUE(joints.empty());
            continue;
        }
        ASSERT_EQ(joints.size(), 3u) << nextStart;
        // Erased in the background from just below the lower bar's top
        // (level 60: 48 pixels) to just above the baseline at 90.
        const double x = 20 + 0.1 * nextStart;
        for (int k = 0; k < 3; ++k) {
            EXPECT_NEAR(joints[k].Num("x1"), x - 1 + k, 1e-3);
            EXPECT_EQ(joints[k].Num("y1"), 43);
            EXPECT_EQ(joints[k].Num("y2"), 89);
            EXPECT_EQ(joints[k].attrs["stroke"], "#ceffce");
            EXPECT_EQ(joints[k].attrs["stroke-width"], "1");
        }
    }
}

TEST(StressView, HighlightedStepIsSolidDarkGreenJointIncluded)
{
    const PhraseData phrase = MakePhrase(0, 1600, {{0, 99, 0, 0, 1000}, {100, 799, 0, 0, 500}});
    SvgCanvas canvas(200, 100);
    DrawStressStep(canvas, phrase, 2, StressStepHighlighted, Back, StandardLevelBounds,
                   StandardLevelBoundCount);
    ASSERT_EQ(canvas.Elements().size(), 4u);
    EXPECT_EQ(canvas.Elements()[0], R"(<rect x="30" y="42" width="70" height="48" )"
                                    R"(fill="#006001" stroke="#006001" stroke-width="2"/>)");
    EXPECT_EQ(Joints(canvas)[1].attrs["stroke"], "#006001");
}

TEST(StressView, StepOutsideTheTableOrUnknownModeDrawsNothing)
{
    const PhraseData phrase = MakePhrase(0, 1600, {{0, 99, 0, 0, 1000}});
    SvgCanvas canvas(200, 100);
    for (int16_t index : {0, 2, 301})
        DrawStressStep(canvas, phrase, index, StressStepNormal, Back, StandardLevelBounds,
                       StandardLevelBoundCount);
    DrawStressStep(canvas, phrase, 1, 3, Back, StandardLevelBounds, StandardLevelBoundCount);
    EXPECT_TRUE(canvas.Elements().empty());
}

TEST(StressView, UnscaledAxesDrawOnePixelPerSampleFromTheMargin)
{
    // No TotalLength: one pixel a sample. A phrase of no span with steps of
    // length would divide by zero; it is drawn the same way.
    PhraseData unscaled = MakePhrase(100, 1600, {{110, 139, 0, 0, 1000}});
    unscaled.TotalLength = 0;
    const auto bars = Bars(Stress(unscaled));
    ASSERT_EQ(bars.size(), 1u);
    EXPECT_EQ(bars[0].Num("x"), 30);
    EXPECT_EQ(bars[0].Num("width"), 30);

    const auto collapsed = Bars(Stress(MakePhrase(100, 100, {{110, 139, 0, 0, 1000}})));
    ASSERT_EQ(collapsed.size(), 1u);
    EXPECT_EQ(collapsed[0].Num("x"), 30);
}
