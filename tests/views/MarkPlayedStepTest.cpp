#include "views/ImageCanvas.h"
#include "views/MarkPlayedStep.h"
#include "views/SvgCanvas.h"

#include <gtest/gtest.h>

namespace {

PhraseData TwoSteps()
{
    PhraseData phrase;
    phrase.PhraseStart = 1000;
    phrase.PhraseEnd = 11000;
    phrase.StepCount = 2;
    phrase.Steps[1] = {1000, 4000, 1000, 5000, 0, 0, 100};
    phrase.Steps[2] = {7000, 4001, 7000, 11000, 0, 0, 200};
    return phrase;
}

} // namespace

TEST(PlayedStepShading, ShadesTheStepHoldingThePositionAcrossTheMargins)
{
    // 200 x 100 box: margins 20 and 10; the plot runs from x 20 to 180.
    ImageCanvas canvas(200, 100, QColor(206, 255, 206));
    const PhraseData phrase = TwoSteps();
    MarkPlayedStep(canvas, phrase, 1000, 3000, QColor(170, 170, 170));
    const QImage& image = canvas.Image();
    const QRgb shaded = qRgb(206 & 170, 255 & 170, 206 & 170);
    EXPECT_EQ(image.pixel(40, 50) & 0xFFFFFF, shaded & 0xFFFFFF);     // inside step 1 (x 20..84)
    EXPECT_EQ(image.pixel(100, 50) & 0xFFFFFF, 0xCEFFCEu);             // the gap stays
    EXPECT_EQ(image.pixel(40, 2) & 0xFFFFFF, 0xCEFFCEu);               // above my/2 stays
}

TEST(PlayedStepShading, ShadingTwiceDoesNotDarkenAndGapsOrOutOfRangeDoNothing)
{
    ImageCanvas canvas(200, 100, QColor(206, 255, 206));
    const PhraseData phrase = TwoSteps();
    MarkPlayedStep(canvas, phrase, 1000, 8000, QColor(170, 170, 170));
    const QImage once = canvas.Image().copy();
    MarkPlayedStep(canvas, phrase, 8000, 8000, QColor(170, 170, 170));
    EXPECT_EQ(canvas.Image(), once);

    SvgCanvas svg(200, 100);
    MarkPlayedStep(svg, phrase, 1000, 6000, QColor(170, 170, 170)); // between the steps
    MarkPlayedStep(svg, phrase, -1, 3000, QColor(170, 170, 170));   // no previous position
    MarkPlayedStep(svg, phrase, 1000, 11001, QColor(170, 170, 170)); // past the phrase
    PhraseData none = phrase;
    none.StepCount = 0;
    MarkPlayedStep(svg, none, 1000, 3000, QColor(170, 170, 170));
    EXPECT_TRUE(svg.Elements().isEmpty());
}
