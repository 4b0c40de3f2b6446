#include "views/DrawSignal.h"
#include "ViewTestSupport.h"

#include <gtest/gtest.h>

namespace {

const QColor Back(207, 255, 207);
const QColor Fore(0, 0, 0);

std::vector<SvgElement> Columns(const SvgCanvas& canvas)
{
    return ElementsOf(canvas, "line");
}

} // namespace

TEST(SignalView, TenPixelBoxDrawsEightColumnsFromXOneToEight)
{
    SampleBuffer samples(std::vector<int16_t>(8000, 500));
    SvgCanvas canvas(10, 20);
    DrawSignal(canvas, MakePhrase(0, 7999, {}), samples.header, Fore, Back);
    ASSERT_EQ(canvas.Elements().size(), 9u);
    EXPECT_EQ(canvas.Elements()[0],
              R"(<rect class="clear" x="0" y="0" width="10" height="20" fill="#cfffcf"/>)");
    const auto lines = Columns(canvas);
    for (size_t x = 0; x < lines.size(); ++x) {
        EXPECT_EQ(lines[x].Num("x1"), 1.0 + x);
        EXPECT_EQ(lines[x].Num("x2"), 1.0 + x);
    }
    // The loudest sample reaches the margin (my = 2 of 20).
    EXPECT_EQ(lines[0].Num("y1"), 2.0);
    EXPECT_EQ(lines[0].attrs["stroke-width"], "1");
}

TEST(SignalView, ShortPhraseShowsOneSamplePerColumnThenZerosThenBlank)
{
    // Five samples give a table of ten entries past the first: columns 0..4
    // show the samples (also the one after PhraseEnd), 5..10 the zeros of
    // the table's slack, and the columns after that stay blank.
    SampleBuffer samples({1000, -1000, 500, 250, 100});
    SvgCanvas canvas(100, 50);
    DrawSignal(canvas, MakePhrase(0, 3, {}), samples.header, Fore, Back);
    const auto lines = Columns(canvas);
    ASSERT_EQ(lines.size(), 11u);
    // Scale: (50 - 2 * 5) / (2 * 1000) = 0.02 pixels per unit, centre 25.
    EXPECT_EQ(lines[0].Num("x1"), 10);
    EXPECT_EQ(lines[0].Num("y1"), 5);
    EXPECT_EQ(lines[1].Num("y1"), 45);
    EXPECT_EQ(lines[4].Num("y1"), 23);
    EXPECT_EQ(lines[7].Num("y1"), 25);
    EXPECT_EQ(lines[7].Num("y2"), 25);
    EXPECT_EQ(lines[10].Num("x1"), 20);
}

TEST(SignalView, SamplesAtPhraseStartAndEndBothSetThePeak)
{
    std::vector<int16_t> values(11, 1000);
    values[10] = -2000; // PhraseEnd: counted for the peak, beyond the last column
    SampleBuffer atEnd(values);
    SvgCanvas canvas(10, 100);
    DrawSignal(canvas, MakePhrase(0, 10, {}), atEnd.header, Fore, Back);
    EXPECT_EQ(Columns(canvas)[0].Num("y1"), 30); // 50 - 80 / 4000 * 1000

    values[10] = 1000;
    values[3] = 2000; // PhraseStart
    SampleBuffer atStart(values);
    SvgCanvas shifted(10, 100);
    DrawSignal(shifted, MakePhrase(3, 10, {}), atStart.header, Fore, Back);
    EXPECT_EQ(Columns(shifted)[0].Num("y1"), 10);
}

TEST(SignalView, SilentPhraseDrawsAFlatLineOnTheCentre)
{
    SampleBuffer samples(std::vector<int16_t>(4000, 0));
    SvgCanvas canvas(100, 41);
    DrawSignal(canvas, MakePhrase(0, 3999, {}), samples.header, Fore, Back);
    const auto lines = Columns(canvas);
    ASSERT_EQ(lines.size(), 80u);
    for (const SvgElement& line : lines) {
        EXPECT_EQ(line.Num("y1"), 20.5);
        EXPECT_EQ(line.Num("y2"), 20.5);
    }
}

TEST(SignalView, EmptyBufferOrZeroWidthLeavesTheBoxCleared)
{
    SvgCanvas empty(100, 40);
    DrawSignal(empty, MakePhrase(0, 1000, {}), WaveHeader{}, Fore, Back);
    EXPECT_EQ(empty.Elements().size(), 1u);

    SampleBuffer samples(std::vector<int16_t>(100, 300));
    SvgCanvas narrow(0, 40);
    DrawSignal(narrow, MakePhrase(0, 99, {}), samples.header, Fore, Back);
    EXPECT_EQ(narrow.Elements().size(), 1u);
}

TEST(SignalView, PhraseReachingPastTheBufferLeavesThoseColumnsBlank)
{
    // A phrase claimed over 8000 samples with 1000 in the buffer, and one
    // that starts before the first sample: only columns whose slice lies in
    // the table (the samples and its slack of zeros) are drawn.
    SampleBuffer samples(std::vector<int16_t>(1000, 300));
    SvgCanvas far(100, 40);
    DrawSignal(far, MakePhrase(0, 8000, {}), samples.header, Fore, Back);
    const auto lines = Columns(far);
    ASSERT_EQ(lines.size(), 20u); // 100 samples a column, table entries 0..2000
    EXPECT_EQ(lines[9].Num("y1"), 4);
    EXPECT_EQ(lines[10].Num("y1"), 20);
    SvgCanvas early(100, 40);
    DrawSignal(early, MakePhrase(-40, 39, {}), samples.header, Fore, Back);
    const auto fromZero = Columns(early);
    ASSERT_EQ(fromZero.size(), 40u);
    EXPECT_EQ(fromZero.front().Num("x1"), 50);
}
