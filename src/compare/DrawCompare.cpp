#include "compare/DrawCompare.h"

#include "views/ViewArithmetic.h"

#include <QCoreApplication>
#include <QFont>
#include <QFontMetricsF>
#include <QGuiApplication>

#include <algorithm>
#include <cmath>

namespace {

constexpr int ContourPenWidth = 2;
constexpr double SmallestSpanSemitones = 8; // a flat phrase still reads as flat
constexpr double LargestSemitones = 18;     // beyond this lie tracking errors
constexpr double ScalePaddingSemitones = 1;
// A step is worth shading from this difference on: a misplaced stress, or
// about 3 semitones of pitch, or most of the range of prominence.
constexpr double NotableDifference = 0.75;
constexpr double PitchDifferenceUnit = 4; // semitones counting as 1

struct Plot
{
    double left = 0;
    double top = 0;
    double width = 0;
    double height = 0;
    double seconds = 1; // the model's phrase
    double low = -4;    // semitones at the bottom
    double high = 4;    // and at the top

    double X(double t) const { return left + width * std::clamp(t / seconds, 0.0, 1.0); }
    double Y(double semitones) const
    {
        const double s = std::clamp(semitones, low, high);
        return top + height * (high - s) / (high - low);
    }
};

std::vector<ContourPoint> WarpedLearner(const Comparison& c)
{
    std::vector<StepPair> path;
    for (const StepPair& pair : c.Alignment)
        path.push_back({pair.Model - 1, pair.Learner - 1});
    const std::vector<WarpSegment> segments = WarpSegments(c.Model.Steps, c.Learner.Steps, path);
    std::vector<ContourPoint> warped;
    for (const ContourPoint& point : c.Learner.Contour.Points) {
        double modelSeconds = 0;
        // A point in a pause of the learner's has no place on the model's
        // time; NaN breaks the line there.
        if (!WarpToModel(segments, point.Seconds, modelSeconds)) modelSeconds = std::nan("");
        warped.push_back({modelSeconds, point.Semitones});
    }
    return warped;
}

Plot FitPlot(const Canvas& canvas, const Comparison& c, const std::vector<ContourPoint>& learner)
{
    Plot plot;
    const double mx = RoundHalfEven(canvas.Width() * 0.1);
    const double my = RoundHalfEven(canvas.Height() * 0.1);
    plot.left = mx;
    plot.top = my;
    plot.width = std::max(1.0, canvas.Width() - 2 * mx);
    plot.height = std::max(1.0, canvas.Height() - 2 * my);
    plot.seconds = std::max(c.Model.Seconds, 1e-3);
    double low = 0;
    double high = 0;
    for (const auto* points : {&c.Model.Contour.Points, &learner}) {
        for (const ContourPoint& point : *points) {
            low = std::min(low, point.Semitones);
            high = std::max(high, point.Semitones);
        }
    }
    low = std::max(low - ScalePaddingSemitones, -LargestSemitones);
    high = std::min(high + ScalePaddingSemitones, LargestSemitones);
    const double missing = SmallestSpanSemitones - (high - low);
    if (missing > 0) {
        low -= missing / 2;
        high += missing / 2;
    }
    plot.low = low;
    plot.high = high;
    return plot;
}

// One stroke per voiced stretch: neighbouring points closer than a break
// in the voice are joined.
void DrawContour(Canvas& canvas, const Plot& plot, const std::vector<ContourPoint>& drawn,
                 const std::vector<ContourPoint>& timing, QColor colour)
{
    for (size_t k = 1; k < drawn.size(); ++k) {
        if (timing[k].Seconds - timing[k - 1].Seconds >= ContourJoinSeconds) continue;
        if (std::isnan(drawn[k].Seconds) || std::isnan(drawn[k - 1].Seconds)) continue;
        canvas.DrawLine(plot.X(drawn[k - 1].Seconds), plot.Y(drawn[k - 1].Semitones),
                        plot.X(drawn[k].Seconds), plot.Y(drawn[k].Semitones), colour,
                        ContourPenWidth);
    }
}

void MarkStress(Canvas& canvas, const Plot& plot, double seconds, double semitones, QColor colour)
{
    constexpr double side = 7;
    canvas.DrawRectangle(plot.X(seconds) - side / 2, plot.Y(semitones) - side / 2, side, side,
                         colour, colour, 1);
}

int LabelPixels(const Canvas& canvas)
{
    return std::clamp(int(canvas.Height() * 0.07), 8, 14);
}

// How wide a step's name is drawn: measured where fonts are at hand (as the
// screen's canvas measures), else a generous guess of an average letter.
double LabelWidth(const QString& text, int pixels)
{
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr) {
        QFont font;
        font.setPixelSize(pixels);
        return QFontMetricsF(font).horizontalAdvance(text);
    }
    return 0.6 * pixels * text.size();
}

// A name that would run into the one drawn before it is cut to what fits,
// with an ellipsis, or left out when not even two letters fit.
QString FittedLabel(const QString& name, double room, int pixels)
{
    if (LabelWidth(name, pixels) <= room) return name;
    const QChar ellipsis(0x2026);
    for (qsizetype letters = name.size() - 1; letters >= 2; --letters) {
        const QString cut = name.left(letters) + ellipsis;
        if (LabelWidth(cut, pixels) <= room) return cut;
    }
    return QString();
}

void DrawGuides(Canvas& canvas, const Plot& plot, const Comparison& c)
{
    canvas.DrawLine(plot.left, plot.Y(0), plot.left + plot.width, plot.Y(0), CompareGuideColor, 1);
    const double bottom = plot.top + plot.height;
    const int pixels = LabelPixels(canvas);
    const double gap = pixels / 2.0;
    double drawnRight = -1e9; // the right end of the last name drawn
    for (size_t i = 0; i < c.Model.Steps.size(); ++i) {
        const StepProsody& step = c.Model.Steps[i];
        canvas.DrawLine(plot.X(step.StartSeconds), bottom - 4, plot.X(step.StartSeconds), bottom,
                        CompareGuideColor, 1);
        const QString name = i < c.ModelNames.size() && !c.ModelNames[i].isEmpty()
                                 ? c.ModelNames[i]
                                 : QString::number(i + 1);
        const double centre = plot.X((step.StartSeconds + step.EndSeconds) / 2);
        const QString label = FittedLabel(name, 2 * (centre - drawnRight - gap), pixels);
        if (label.isEmpty()) continue;
        canvas.DrawText(centre, bottom + pixels + 2, label, CompareModelColor, pixels,
                        TextAnchor::Middle);
        drawnRight = centre + LabelWidth(label, pixels) / 2;
    }
}

void DrawLegend(Canvas& canvas, const Plot& plot)
{
    const int pixels = LabelPixels(canvas);
    const double baseline = std::max<double>(pixels, plot.top - 4);
    canvas.DrawText(plot.left, baseline, QStringLiteral("Model"), CompareModelColor, pixels,
                    TextAnchor::Start);
    canvas.DrawText(plot.left + 5 * pixels, baseline, QStringLiteral("You"), CompareLearnerColor,
                    pixels, TextAnchor::Start);
}

} // namespace

std::vector<int> MostDifferentSteps(const Comparison& c)
{
    std::vector<double> difference(c.Model.Steps.size(), 0);
    for (const StepComparison& step : c.Steps) {
        const StepProsody& model = c.Model.Steps[step.ModelStep - 1];
        const StepProsody& learner = c.Learner.Steps[step.LearnerStep - 1];
        const double d = std::abs(step.PitchSemitones) / PitchDifferenceUnit +
                         std::abs(learner.Prominence - model.Prominence);
        difference[step.ModelStep - 1] = std::max(difference[step.ModelStep - 1], d);
    }
    if (!c.StressMatch && c.ModelStress > 0) {
        difference[c.ModelStress - 1] += 1;
        for (const StepPair& pair : c.Alignment) {
            if (pair.Learner == c.LearnerStress) {
                difference[pair.Model - 1] += 1;
                break;
            }
        }
    }
    // An ending that moves otherwise is heard on the last step.
    if (!c.EndingMatch && !difference.empty()) difference.back() += 1;
    std::vector<int> steps;
    for (size_t i = 0; i < difference.size(); ++i) {
        if (difference[i] >= NotableDifference) steps.push_back(int(i));
    }
    std::stable_sort(steps.begin(), steps.end(),
                     [&](int a, int b) { return difference[a] > difference[b]; });
    if (steps.size() > size_t(MaxMarkedSteps)) steps.resize(MaxMarkedSteps);
    return steps;
}

void DrawCompare(Canvas& canvas, const Comparison& c)
{
    canvas.Clear(CompareBackColor);
    if (!c.Problem.isEmpty() || c.Model.Steps.empty()) return;
    const std::vector<ContourPoint> learner = WarpedLearner(c);
    const Plot plot = FitPlot(canvas, c, learner);

    for (int i : MostDifferentSteps(c)) {
        const StepProsody& step = c.Model.Steps[size_t(i)];
        const double x = plot.X(step.StartSeconds);
        canvas.DrawRectangle(x, plot.top, plot.X(step.EndSeconds) - x, plot.height,
                             CompareMarkColor, CompareMarkColor, 1);
    }
    DrawGuides(canvas, plot, c);
    DrawContour(canvas, plot, c.Model.Contour.Points, c.Model.Contour.Points, CompareModelColor);
    DrawContour(canvas, plot, learner, c.Learner.Contour.Points, CompareLearnerColor);

    const StepProsody& modelStress = c.Model.Steps[size_t(c.ModelStress - 1)];
    MarkStress(canvas, plot, modelStress.PeakSeconds, modelStress.PitchPeak, CompareModelColor);
    const StepProsody& learnerStress = c.Learner.Steps[size_t(c.LearnerStress - 1)];
    for (size_t k = 0; k < learner.size(); ++k) {
        if (c.Learner.Contour.Points[k].Seconds == learnerStress.PeakSeconds &&
            !std::isnan(learner[k].Seconds))
            MarkStress(canvas, plot, learner[k].Seconds, learner[k].Semitones, CompareLearnerColor);
    }
    DrawLegend(canvas, plot);
}

void DrawCompareWithoutTake(Canvas& canvas, const LoadedPhrase& model)
{
    canvas.Clear(CompareBackColor);
    Comparison alone;
    if (model.Phrase.StepCount > 0)
        alone.Model = DescribeSpeaker(model.Phrase, model.Pitch, model.Samples, model.Format);
    if (alone.Model.Steps.empty() || alone.Model.Contour.Points.empty()) {
        const QString text =
            alone.Model.Steps.empty()
                ? QStringLiteral("The model's phrase could not be read: there is nothing to "
                                 "compare with.")
                : QStringLiteral("The model's phrase has no voiced pitch to compare with.");
        const int pixels = std::clamp(int(canvas.Height() * 0.08), 10, 16);
        canvas.DrawText(canvas.Width() / 2.0, canvas.Height() / 2.0 + pixels / 3.0, text,
                        CompareModelColor, pixels, TextAnchor::Middle);
        return;
    }
    // The learner sees at once what the take will be laid over; the steps
    // go unnamed until a take, as their syllables come with the comparison.
    const Plot plot = FitPlot(canvas, alone, {});
    const double bottom = plot.top + plot.height;
    canvas.DrawLine(plot.left, plot.Y(0), plot.left + plot.width, plot.Y(0), CompareGuideColor, 1);
    for (const StepProsody& step : alone.Model.Steps)
        canvas.DrawLine(plot.X(step.StartSeconds), bottom - 4, plot.X(step.StartSeconds), bottom,
                        CompareGuideColor, 1);
    const std::vector<ContourPoint>& points = alone.Model.Contour.Points;
    DrawContour(canvas, plot, points, points, CompareModelColor);
    if (alone.Model.StressedStep >= 0) {
        const StepProsody& stress = alone.Model.Steps[size_t(alone.Model.StressedStep)];
        MarkStress(canvas, plot, stress.PeakSeconds, stress.PitchPeak, CompareModelColor);
    }
    const int pixels = LabelPixels(canvas);
    canvas.DrawText(canvas.Width() / 2.0, std::max<double>(pixels, plot.top - 4),
                    QStringLiteral("Record the phrase to compare it with the model."),
                    CompareModelColor, pixels, TextAnchor::Middle);
}
