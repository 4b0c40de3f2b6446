#include "ViewTestSupport.h"
#include "views/DrawSignal.h"
#include "views/DrawStress.h"
#include "views/ImageCanvas.h"
#include "views/SvgCanvas.h"

#include <gtest/gtest.h>

namespace {

const QColor Green(206, 255, 206);

QRgb At(ImageCanvas& canvas, int x, int y)
{
    return canvas.Image().pixel(x, y) & 0xFFFFFF;
}

// The rows of column x that are not the background.
std::vector<int> MarkedRows(ImageCanvas& canvas, int x)
{
    std::vector<int> rows;
    for (int y = 0; y < canvas.Height(); ++y)
        if (At(canvas, x, y) != (Green.rgb() & 0xFFFFFF)) rows.push_back(y);
    return rows;
}

} // namespace

TEST(SvgCanvas, WritesOneElementPerCallInsideTheSvgElement)
{
    SvgCanvas canvas(433, 129);
    canvas.Clear(Green);
    canvas.DrawLine(43.3, 12.9, 44.0004, -0.0001, Qt::black, 2);
    canvas.DrawRectangle(10.25, 5, 0, 3.1234, std::nullopt, QColor(0, 96, 1), 1);
    canvas.DrawRectangle(1, 2, 3, 4, QColor(255, 0, 0), Qt::black, 2);
    canvas.MaskRectangle(1.5, 2, 3, 4, QColor(170, 170, 170));
    EXPECT_EQ(canvas.Document(),
              "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"433\" height=\"129\" "
              "viewBox=\"0 0 433 129\">\n"
              "<rect class=\"clear\" x=\"0\" y=\"0\" width=\"433\" height=\"129\" "
              "fill=\"#ceffce\"/>\n"
              "<line x1=\"43.3\" y1=\"12.9\" x2=\"44\" y2=\"0\" stroke=\"#000000\" "
              "stroke-width=\"2\"/>\n"
              "<rect x=\"10.25\" y=\"5\" width=\"0\" height=\"3.123\" fill=\"none\" "
              "stroke=\"#006001\" stroke-width=\"1\"/>\n"
              "<rect x=\"1\" y=\"2\" width=\"3\" height=\"4\" fill=\"#ff0000\" "
              "stroke=\"#000000\" stroke-width=\"2\"/>\n"
              "<rect class=\"mask\" x=\"1.5\" y=\"2\" width=\"3\" height=\"4\" fill=\"#aaaaaa\" "
              "style=\"mix-blend-mode:multiply\"/>\n"
              "</svg>\n");
}

TEST(ImageCanvas, MaskingTwiceLeavesWhatMaskingOnceLeft)
{
    ImageCanvas canvas(40, 20, Green);
    canvas.DrawLine(0, 10, 39, 10, Qt::black, 1);
    canvas.MaskRectangle(5, 0, 10, 20, QColor(170, 170, 170));
    const QImage once = canvas.Image().copy();
    canvas.MaskRectangle(5, 0, 10, 20, QColor(170, 170, 170));
    EXPECT_EQ(canvas.Image(), once);
    // Each pixel keeps only the bits of the grey: 0xCEFFCE & 0xAAAAAA.
    EXPECT_EQ(At(canvas, 7, 3), 0x8AAA8Au);
    EXPECT_EQ(At(canvas, 7, 10), 0x000000u);
    EXPECT_EQ(At(canvas, 20, 3), 0xCEFFCEu);
    EXPECT_EQ(At(canvas, 4, 3), 0xCEFFCEu);
    EXPECT_EQ(At(canvas, 14, 3), 0x8AAA8Au);
    EXPECT_EQ(At(canvas, 15, 3), 0xCEFFCEu);
}

TEST(ImageCanvas, SignalColumnsLandOnTheirPixelColumns)
{
    // Ten-pixel box: columns at x = 1..8; the loudest samples leave margins
    // of two rows above and below (rows 2..17: a line leaves out its end
    // point); x = 0 and 9 stay background. A silent phrase marks the centre
    // row in every column.
    std::vector<int16_t> alternating(18, 1000);
    for (size_t i = 0; i < alternating.size(); i += 2)
        alternating[i] = -1000;
    SampleBuffer loud(alternating);
    ImageCanvas canvas(10, 20, Green);
    DrawSignal(canvas, MakePhrase(0, 16, {}), loud.header, Qt::black, Green);
    EXPECT_TRUE(MarkedRows(canvas, 0).empty());
    EXPECT_TRUE(MarkedRows(canvas, 9).empty());
    const std::vector<int> rows = MarkedRows(canvas, 1);
    ASSERT_FALSE(rows.empty());
    EXPECT_EQ(rows.front(), 2);
    EXPECT_EQ(rows.back(), 17);

    SampleBuffer silent(std::vector<int16_t>(16, 0));
    DrawSignal(canvas, MakePhrase(0, 15, {}), silent.header, Qt::black, Green);
    for (int x = 1; x <= 8; ++x)
        EXPECT_EQ(MarkedRows(canvas, x), std::vector<int>{10}) << x;
}

TEST(ImageCanvas, HighlightedBarFillsItsRectangleDarkGreen)
{
    ImageCanvas canvas(200, 100, Green);
    const PhraseData phrase = MakePhrase(0, 1600, {{0, 799, 0, 0, 1000}});
    DrawStress(canvas, phrase, Green, StandardLevelBounds, StandardLevelBoundCount);
    EXPECT_EQ(At(canvas, 60, 50), Green.rgb() & 0xFFFFFF); // normal bar: background inside
    EXPECT_EQ(At(canvas, 20, 50), 0x000000u);              // black outline
    DrawStressStep(canvas, phrase, 1, StressStepHighlighted, Green, StandardLevelBounds,
                   StandardLevelBoundCount);
    EXPECT_EQ(At(canvas, 60, 50), 0x006001u);
    EXPECT_EQ(At(canvas, 20, 50), 0x006001u);
    EXPECT_EQ(At(canvas, 150, 50), Green.rgb() & 0xFFFFFF);
}

TEST(CanvasText, StandsWhereItsAnchorSaysAndIsEscapedInSvg)
{
    ImageCanvas image(120, 30, Qt::white);
    image.DrawText(60, 20, "MMMM", Qt::black, 12, TextAnchor::Middle);
    image.DrawText(118, 20, "W", Qt::black, 12, TextAnchor::End);
    const QImage& picture = image.Image();
    int left = picture.width();
    int right = -1;
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = 0; x < 100; ++x) {
            if (qGray(picture.pixel(x, y)) < 128) {
                left = std::min(left, x);
                right = std::max(right, x);
            }
        }
    }
    ASSERT_GE(right, 0) << "no text drawn";
    EXPECT_NEAR((left + right) / 2.0, 60, 3);
    bool endDrawn = false;
    for (int y = 0; y < picture.height(); ++y)
        endDrawn = endDrawn || qGray(picture.pixel(115, y)) < 128;
    EXPECT_TRUE(endDrawn);

    SvgCanvas svg(10, 10);
    svg.DrawText(5, 8, "a<b & \"c\"", Qt::black, 9, TextAnchor::End);
    EXPECT_EQ(svg.Elements().back(), "<text x=\"5\" y=\"8\" fill=\"#000000\" font-size=\"9\" "
                                     "text-anchor=\"end\">a&lt;b &amp; &quot;c&quot;</text>");
    // Characters XML forbids would make the whole picture unreadable.
    svg.DrawText(5, 8, QString("a") + QChar(1) + QChar(0xFFFF) + "b", Qt::black, 9,
                 TextAnchor::End);
    EXPECT_TRUE(svg.Elements().back().contains(QString("a") + QChar(0xFFFD) + QChar(0xFFFD) + "b"));
}
