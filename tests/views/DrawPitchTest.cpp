#include "views/DrawPitch.h"
#include "ViewTestSupport.h"

#include <gtest/gtest.h>

namespace {

const QColor Back(206, 255, 206);
const QColor Fore(0, 0, 0);

// A 200 x 100 box (margins 20 and 10, 160 columns) over a phrase of 16000
// samples: 100 samples a column, one pitch point a column.
constexpr int BoxWidth = 200;
constexpr int BoxHeight = 100;

SvgCanvas Pitch(const PhraseData& phrase, const PitchTrack& track, int32_t rangeStart = -1,
                int32_t rangeEnd = -1)
{
    SvgCanvas canvas(BoxWidth, BoxHeight);
    DrawPitch(canvas, phrase, rangeStart, rangeEnd, track, Fore, Back);
    return canvas;
}

std::vector<SvgElement> Contour(const SvgCanvas& canvas)
{
    return ElementsOf(canvas, "line");
}

PitchTrack Steady(int32_t value, int points = 161, int32_t spacing = 100)
{
    return EvenTrack(0, spacing, std::vector<int32_t>(points, value));
}

} // namespace

TEST(PitchView, TrackOfOnePointDrawsNothingAndDoesNotClear)
{
    const SvgCanvas canvas =
        Pitch(MakePhrase(0, 16000, {{0, 16000, 0, 16000, 10}}), Steady(2000, 1));
    EXPECT_TRUE(canvas.Elements().empty());
}

TEST(PitchView, NoStepsMeansNoPitchAndOnlyTheClear)
{
    const SvgCanvas canvas = Pitch(MakePhrase(0, 16000, {}), Steady(2000));
    ASSERT_EQ(canvas.Elements().size(), 1u);
    EXPECT_EQ(ParseElements(canvas)[0].Class(), "clear");
}

TEST(PitchView, EqualValuesDrawAFlatContourInsideTheColumnBounds)
{
    const auto lines =
        Contour(Pitch(MakePhrase(0, 16000, {{0, 16000, 0, 16000, 10}}), Steady(2000)));
    ASSERT_GT(lines.size(), 100u);
    const double y = lines.front().Num("y1");
    for (const SvgElement& line : lines) {
        EXPECT_EQ(line.Num("y1"), y);
        EXPECT_EQ(line.Num("y2"), y);
        EXPECT_EQ(line.Num("x2"), line.Num("x1") + 1);
        // Never left of mx + 2, never right of mx + g - 1.
        EXPECT_GE(line.Num("x1"), 22);
        EXPECT_LE(line.Num("x2"), 180);
        EXPECT_EQ(line.attrs["stroke-width"], "2");
    }
    // vmin becomes vmax - 1; widened by four times 80 pixels a unit on each
    // side: base 1679, top 2320, so 2000 sits 80 * 321 / 641 above the base.
    EXPECT_NEAR(y, 90 - 80.0 * 321 / 641, 1e-3);
}

TEST(PitchView, HalfASampleAColumnOrLessLeavesTheBoxCleared)
{
    // 80 samples over 160 columns: 0.5 a column rounds to none.
    const PitchTrack track = Steady(2000, 83, 1);
    EXPECT_EQ(Pitch(MakePhrase(0, 80, {{0, 82, -1, 82, 10}}), track).Elements().size(), 1u);
    EXPECT_GT(Pitch(MakePhrase(0, 82, {{0, 82, -1, 82, 10}}), track).Elements().size(), 1u);
}

TEST(PitchView, StretchOfFivePointsIsSmoothedAndOfFourIsNot)
{
    // A spike in a five-point stretch is extrapolated by the smoothing
    // passes until no voiced value is left; four points are drawn as they
    // are.
    std::vector<int32_t> values(17, 0);
    values[1] = 1000;
    values[2] = 1000;
    values[3] = 3000;
    values[4] = 1000;
    values[5] = 1000;
    const PitchTrack track = EvenTrack(0, 1000, values);
    const PhraseData four = MakePhrase(0, 16000, {{0, 16000, 500, 4500, 10}});
    const PhraseData five = MakePhrase(0, 16000, {{0, 16000, 500, 5500, 10}});
    EXPECT_GT(Contour(Pitch(four, track)).size(), 0u);
    EXPECT_EQ(Contour(Pitch(five, track)).size(), 0u);
    values[3] = 1000; // without the spike the five points survive smoothing
    EXPECT_GT(Contour(Pitch(five, EvenTrack(0, 1000, values))).size(), 0u);
}

TEST(PitchView, SingleVoicedPointBetweenUnvoicedOnesIsDropped)
{
    std::vector<int32_t> values(161, 0);
    values[80] = 2000;
    std::vector<int32_t> pair = values;
    pair[81] = 2000;
    pair[82] = 2000;
    const PhraseData phrase = MakePhrase(0, 16000, {{0, 16000, 0, 16000, 10}});
    EXPECT_TRUE(Contour(Pitch(phrase, EvenTrack(0, 100, values))).empty());
    EXPECT_FALSE(Contour(Pitch(phrase, EvenTrack(0, 100, pair))).empty());
}

TEST(PitchView, PitchBeyond32BitsEndsTheDrawingAfterTheClear)
{
    // Pulling the stretch's first point onto the line of the next two gives
    // 2 * 2147483647 - 1, which does not fit: the box stays cleared.
    std::vector<int32_t> values(161, 2000);
    values[2] = 2147483647;
    values[3] = 1;
    const SvgCanvas canvas =
        Pitch(MakePhrase(0, 16000, {{0, 16000, 0, 16000, 10}}), EvenTrack(0, 100, values));
    EXPECT_EQ(canvas.Elements().size(), 1u);
}

TEST(PitchView, SubRangeIsWidenedToWholeStepsAndDrawnWithoutClearing)
{
    // Range 5050..9000 lies inside the second step (5000..10999): drawing
    // runs from that step's first column (50) to its end (column 110).
    const PhraseData phrase = MakePhrase(
        0, 16000,
        {{0, 4999, 0, 4999, 10}, {5000, 10999, 5000, 10999, 10}, {11000, 16000, 11000, 16000, 10}});
    const SvgCanvas canvas = Pitch(phrase, Steady(2000), 5050, 9000);
    const auto lines = Contour(canvas);
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(ParseElements(canvas)[0].tag, "line");
    EXPECT_EQ(lines.front().Num("x1"), 20 + 50);
    EXPECT_EQ(lines.back().Num("x1"), 20 + 110);
}

// The contour on its own is what the view draws: each line joins two
// neighbouring columns at the contour's own heights, a rising track rises
// on the screen, and nothing outside the pitch window is voiced.
TEST(PitchContour, IsWhatTheViewDrawsAndRisesWithThePitch)
{
    std::vector<int32_t> rising(161);
    for (int i = 0; i < 161; ++i)
        rising[i] = 1500 + 5 * i;
    const PhraseData phrase = MakePhrase(0, 16000, {{0, 16000, 4000, 12000, 10}});
    const PitchTrack track = EvenTrack(0, 100, rising);
    const PitchContour contour = ComputePitchContour(phrase, track, BoxWidth, BoxHeight);
    ASSERT_TRUE(contour.Valid);
    EXPECT_EQ(contour.SamplesPerColumn, 100);
    EXPECT_EQ(contour.Columns[10], 0) << "before the pitch window";
    EXPECT_EQ(contour.Columns[150], 0) << "after the pitch window";
    EXPECT_LT(contour.Y(contour.Columns[110]), contour.Y(contour.Columns[60]));

    const auto lines = Contour(Pitch(phrase, track));
    ASSERT_GT(lines.size(), 50u);
    for (const SvgElement& line : lines) {
        const int64_t column = int64_t(line.Num("x1")) - contour.MarginX;
        EXPECT_NEAR(line.Num("y1"), contour.Y(contour.Columns[column]), 1e-3);
        EXPECT_NEAR(line.Num("y2"), contour.Y(contour.Columns[column + 1]), 1e-3);
    }
}
