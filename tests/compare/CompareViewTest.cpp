// The Compare view through the SVG canvas: the learner's contour lies over
// the model's whatever the voice and the rate, and the steps that differ
// are shaded and named.
#include "SpokenPhrase.h"
#include "audio/LoadedPhrase.h"
#include "compare/DrawCompare.h"
#include "views/ViewKinds.h"
#include "views/ViewTestSupport.h"

#include <gtest/gtest.h>

namespace {

const QString ModelStroke = CompareModelColor.name();
const QString LearnerStroke = CompareLearnerColor.name();
const QString MarkFill = CompareMarkColor.name();

std::vector<SvgElement> Lines(const SvgCanvas& canvas, const QString& stroke)
{
    std::vector<SvgElement> lines;
    for (const SvgElement& line : ElementsOf(canvas, "line")) {
        if (line.attrs["stroke"] == stroke && line.attrs["stroke-width"] == "2")
            lines.push_back(line);
    }
    return lines;
}

// The model's contour height at x (the line whose span holds x).
double ModelYAt(const std::vector<SvgElement>& model, double x)
{
    for (const SvgElement& line : model) {
        if (line.Num("x1") <= x && x <= line.Num("x2"))
            return (line.Num("y1") + line.Num("y2")) / 2;
    }
    return -1;
}

struct DrawnText
{
    double X = 0;
    double Y = 0;
    QString Text;
};

std::vector<DrawnText> Texts(const SvgCanvas& canvas)
{
    static const QRegularExpression text(R"re(^<text x="([^"]*)" y="([^"]*)".*>(.*)</text>$)re");
    std::vector<DrawnText> texts;
    for (const QString& element : canvas.Elements()) {
        const auto match = text.match(element);
        if (match.hasMatch())
            texts.push_back(
                {match.captured(1).toDouble(), match.captured(2).toDouble(), match.captured(3)});
    }
    return texts;
}

std::vector<SpokenStep> Melody()
{
    return {{0.18, 150, 170}, {0.26, 190, 210}, {0.16, 170, 150}, {0.24, 140, 120}};
}

} // namespace

TEST(CompareView, ALowerFasterVoiceWithAPauseDrawsOverTheModelsContour)
{
    std::vector<SpokenStep> learner;
    for (SpokenStep step : Melody())
        learner.push_back({step.Seconds / 2, step.StartHz / 2, step.EndHz / 2});
    learner.insert(learner.begin() + 2, Pause(0.3));
    const Comparison comparison =
        ComparePhrases(Speak(Melody()).Speaker(), Speak(learner).Speaker());
    ASSERT_TRUE(comparison.Problem.isEmpty());
    SvgCanvas canvas(400, 200);
    DrawCompare(canvas, comparison);

    const std::vector<SvgElement> model = Lines(canvas, ModelStroke);
    const std::vector<SvgElement> warped = Lines(canvas, LearnerStroke);
    ASSERT_GT(model.size(), 30u);
    ASSERT_GT(warped.size(), 15u);
    // Laid onto the model's time: from the model's first column to its last.
    EXPECT_NEAR(warped.front().Num("x1"), model.front().Num("x1"), 12);
    EXPECT_NEAR(warped.back().Num("x2"), model.back().Num("x2"), 12);
    // On the same semitone scale: within about half a semitone of the model.
    int compared = 0;
    for (const SvgElement& line : warped) {
        const double x = (line.Num("x1") + line.Num("x2")) / 2;
        const double y = ModelYAt(model, x);
        if (y < 0) continue;
        EXPECT_NEAR((line.Num("y1") + line.Num("y2")) / 2, y, 8) << "at x " << x;
        ++compared;
    }
    EXPECT_GT(compared, 10);
    for (const SvgElement& rect : ElementsOf(canvas, "rect"))
        EXPECT_NE(rect.attrs["fill"], MarkFill) << "no step differs";
}

TEST(CompareView, AStressElsewhereShadesBothStepsAndNamesTheSyllables)
{
    const SpokenPhrase model = Speak({{0.25, 210, 220}, {0.3, 180, 130}});
    const SpokenPhrase learner = Speak({{0.25, 150, 150}, {0.3, 190, 260}});
    SyllableList syllables = ParseSyllableSpelling("RE|cord");
    syllables[0].Start = model.Phrase.Steps[1].Start;
    syllables[1].Start = model.Phrase.Steps[2].Start;
    const Comparison comparison = ComparePhrases(model.Speaker(), learner.Speaker(), syllables);
    ASSERT_FALSE(comparison.StressMatch);
    SvgCanvas canvas(400, 200);
    DrawCompare(canvas, comparison);

    std::vector<SvgElement> marks;
    std::vector<SvgElement> squares;
    for (const SvgElement& rect : ElementsOf(canvas, "rect")) {
        if (rect.attrs["fill"] == MarkFill) marks.push_back(rect);
        if (rect.Num("width") == 7) squares.push_back(rect);
    }
    ASSERT_EQ(marks.size(), 2u);
    // The two marks cover the phrase's two steps, one each, within the plot.
    const double left = std::min(marks[0].Num("x"), marks[1].Num("x"));
    const double right = std::max(marks[0].Num("x") + marks[0].Num("width"),
                                  marks[1].Num("x") + marks[1].Num("width"));
    EXPECT_NEAR(left, 40, 1);
    EXPECT_NEAR(right, 360, 1);
    ASSERT_EQ(squares.size(), 2u);
    EXPECT_NE(squares[0].attrs["fill"], squares[1].attrs["fill"]);

    QStringList texts;
    for (const QString& element : canvas.Elements()) {
        if (element.startsWith("<text")) texts << element.section('>', 1).section('<', 0, 0);
    }
    EXPECT_TRUE(texts.contains("RE"));
    EXPECT_TRUE(texts.contains("cord"));
}

TEST(CompareView, StepNamesThatWouldRunIntoEachOtherAreCutOrLeftOut)
{
    // "Peter Piper picked a peck of pickled peppers": short steps, long names.
    const std::vector<SpokenStep> steps(12, SpokenStep{0.15, 180, 150});
    const Comparison drawn = [&] {
        Comparison c = ComparePhrases(Speak(steps).Speaker(), Speak(steps).Speaker());
        c.ModelNames = {"Pe",   "ter", "Pi",   "per", "picked", "a",
                        "peck", "of",  "pick", "led", "pep",    "pers"};
        return c;
    }();
    ASSERT_TRUE(drawn.Problem.isEmpty());
    SvgCanvas canvas(260, 150);
    DrawCompare(canvas, drawn);

    std::vector<DrawnText> names = Texts(canvas);
    std::erase_if(names, [&](const DrawnText& t) { return t.Y < canvas.Height() * 0.8; });
    ASSERT_GE(names.size(), 3u) << "the names that fit are still drawn";
    EXPECT_EQ(names.front().Text, "Pe");
    // Centred names: two neighbours need half of each one's width between
    // their centres; no font draws a letter narrower than 0.4 of its size.
    const double letter = 0.4 * std::clamp(int(canvas.Height() * 0.07), 8, 14);
    for (size_t k = 1; k < names.size(); ++k) {
        const double needed = letter * (names[k - 1].Text.size() + names[k].Text.size()) / 2;
        EXPECT_GE(names[k].X - names[k - 1].X, needed)
            << names[k - 1].Text.toStdString() << " runs into " << names[k].Text.toStdString();
    }
}

TEST(CompareView, BeforeATakeItDrawsTheModelAloneAndAsksForATakeOrSaysWhyItCannot)
{
    const SpokenPhrase spoken = Speak(Melody());
    LoadedPhrase model;
    model.Phrase = spoken.Phrase;
    model.Pitch = spoken.Pitch;
    model.Samples = spoken.Samples;
    model.Format = spoken.Format;
    SvgCanvas canvas(400, 200);
    DrawView(canvas, ViewKind::Compare, ViewInput{model}, Qt::black, CompareBackColor);
    std::vector<DrawnText> texts = Texts(canvas);
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0].Text, "Record the phrase to compare it with the model.");
    EXPECT_LT(texts[0].Y, canvas.Height() * 0.1) << "above the contour, not over it";
    // The model's contour over its whole length, on the scale a take will
    // share, and nothing of a learner's.
    const std::vector<SvgElement> contour = Lines(canvas, ModelStroke);
    ASSERT_GT(contour.size(), 30u);
    EXPECT_NEAR(contour.front().Num("x1"), 40, 12);
    EXPECT_NEAR(contour.back().Num("x2"), 360, 12);
    EXPECT_TRUE(Lines(canvas, LearnerStroke).empty());
    // Where it ends is where the same model ends once a take is laid over it.
    SvgCanvas compared(400, 200);
    DrawCompare(compared, ComparePhrases(spoken.Speaker(), spoken.Speaker()));
    const std::vector<SvgElement> after = Lines(compared, ModelStroke);
    ASSERT_EQ(after.size(), contour.size());
    EXPECT_DOUBLE_EQ(after.back().Num("y2"), contour.back().Num("y2"));

    LoadedPhrase unread; // the model's phrase could not be read
    SvgCanvas nothing(400, 200);
    DrawView(nothing, ViewKind::Compare, ViewInput{unread}, Qt::black, CompareBackColor);
    texts = Texts(nothing);
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_TRUE(texts[0].Text.contains("could not be read")) << texts[0].Text.toStdString();
    EXPECT_DOUBLE_EQ(texts[0].X, 200);
    EXPECT_TRUE(Lines(nothing, ModelStroke).empty());
}
