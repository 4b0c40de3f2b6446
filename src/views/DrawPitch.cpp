#include "views/DrawPitch.h"

#include "views/PitchProcessing.h"
#include "views/PlotFrame.h"
#include "views/ViewArithmetic.h"

#include <algorithm>
#include <optional>
#include <vector>

// Every stage returns false when the drawing has to end: a value that does
// not fit in 32 bits or a division by zero. Nothing here throws and no
// index leaves its table.
namespace {

using Index = int64_t;
using Values = std::vector<PitchPoint>;

constexpr int ContourPenWidth = 2;
constexpr int SmoothingPasses = 8;

std::optional<int32_t> Checked(int64_t value)
{
    if (!FitsInt32(value)) return std::nullopt;
    return int32_t(value);
}

int StepCountOf(const PhraseData& phrase)
{
    return std::clamp<int>(phrase.StepCount, 0, MaxSteps);
}

// The next step's window follows this one closely enough to share its
// stretch. The last step has no next one.
bool JoinsNext(const PhraseData& phrase, int i, int stepCount)
{
    return i < stepCount && int64_t(phrase.Steps[i + 1].PitchStart) <
                                int64_t(phrase.Steps[i].PitchEnd) + PitchWindowJoint;
}

struct Box
{
    int width = 0;
    int height = 0;
    int64_t mx = 0;
    int64_t my = 0;
};

struct Range
{
    int64_t start = 0;
    int64_t end = 0;
};

struct VerticalScale
{
    int32_t base = 1;
    float scale = 0;
};

Range WidenToSteps(const PhraseData& phrase, Range range)
{
    for (int i = 1; i <= StepCountOf(phrase); ++i) {
        const StepRecord& step = phrase.Steps[i];
        const int64_t stepEnd = int64_t(step.Start) + step.Length;
        if (step.Start < range.start && range.start < stepEnd) range.start = step.Start;
        if (step.Start < range.end && range.end < stepEnd) range.end = stepEnd;
    }
    return range;
}

// The track with every point outside the steps' pitch windows unvoiced.
Values WindowedCopy(const PhraseData& phrase, const PitchTrack& track)
{
    const Index u = Index(track.size()) - 1;
    Values a(track.size());
    Index k = 0;
    for (int i = 1; i <= StepCountOf(phrase); ++i) {
        const StepRecord& step = phrase.Steps[i];
        for (; k <= u && track[k].Position <= step.PitchStart; ++k)
            a[k] = PitchPoint{track[k].Position, 0};
        for (; k <= u && track[k].Position <= step.PitchEnd; ++k)
            a[k] = track[k];
    }
    for (; k <= u; ++k)
        a[k] = PitchPoint{track[k].Position, 0};
    return a;
}

// 2 * next - afterNext: the straight continuation of two points.
std::optional<int32_t> Extend(int32_t next, int32_t afterNext)
{
    return Checked(2 * int64_t(next) - afterNext);
}

// One smoothing pass over the stretch d..e: ends pulled onto the line of
// their neighbours, inner points replaced by the mean of their neighbours,
// points beside a gap extended from their other side, isolated points
// dropped. Reads r, writes w[d + 1 .. e - 1].
bool SmoothingPass(Values& r, Values& w, Index d, Index e)
{
    if (r[d].Value > 0 && r[d + 1].Value > 0 && r[d + 2].Value > 0) {
        const auto value = Extend(r[d + 1].Value, r[d + 2].Value);
        if (!value) return false;
        r[d].Value = *value;
    }
    if (r[e].Value > 0 && r[e - 1].Value > 0 && r[e - 2].Value > 0) {
        const auto value = Extend(r[e - 1].Value, r[e - 2].Value);
        if (!value) return false;
        r[e].Value = *value;
    }
    for (Index i = d + 1; i <= e - 1; ++i) {
        w[i] = r[i];
        const int32_t before = r[i - 1].Value;
        const int32_t here = r[i].Value;
        const int32_t after = r[i + 1].Value;
        std::optional<int32_t> value = here;
        if (before < 1 && after < 1) {
            value = 0;
        } else if (before < 1) {
            if (i + 2 <= e && here > 0 && r[i + 2].Value > 0) value = Extend(after, r[i + 2].Value);
        } else if (after < 1) {
            if (i - 2 >= d && here > 0 && r[i - 2].Value > 0)
                value = Extend(before, r[i - 2].Value);
        } else {
            // The point's own value does not enter the mean.
            value = int32_t((int64_t(before) + after) / 2);
        }
        if (!value) return false;
        w[i].Value = *value;
    }
    return true;
}

// Smooths every voiced stretch of at least five points: eight passes that
// alternate between a and b, so the result ends in a. b's entries at the
// stretch's ends stay 0, and the even passes see unvoiced ends.
bool SmoothStretches(const PhraseData& phrase, Values& a)
{
    const Index u = Index(a.size()) - 1;
    const int stepCount = StepCountOf(phrase);
    Values b(a.size());
    Index k = 0;
    for (int i = 1; i <= stepCount; ++i) {
        for (; k <= u && a[k].Position <= phrase.Steps[i].PitchStart; ++k) {
        }
        const Index d = k;
        for (;;) {
            for (; k <= u && a[k].Position <= phrase.Steps[i].PitchEnd; ++k) {
            }
            if (!JoinsNext(phrase, i, stepCount)) break;
            ++i;
        }
        const Index e = k - 1;
        if (e - d <= 3) continue;
        for (int pass = 1; pass <= SmoothingPasses; ++pass) {
            const bool odd = pass % 2 == 1;
            if (!SmoothingPass(odd ? a : b, odd ? b : a, d, e)) return false;
        }
    }
    return true;
}

void StraightenValues(Values& a)
{
    std::vector<int32_t> t(a.size());
    for (size_t i = 0; i < a.size(); ++i)
        t[i] = a[i].Value;
    FlattenZigzags(t);
    for (size_t i = 0; i < a.size(); ++i)
        a[i].Value = t[i];
}

// Fits the phrase's own range between the margins, widened by four pixels'
// worth of pitch above and below.
std::optional<VerticalScale> FitVerticalScale(const Values& a, const Box& box)
{
    int64_t vmax = 0;
    int64_t vmin = 100000;
    for (const PitchPoint& point : a) {
        vmax = std::max<int64_t>(vmax, point.Value);
        if (point.Value > 0) vmin = std::min<int64_t>(vmin, point.Value);
    }
    if (vmax < 1) vmax = 1;
    if (vmax - vmin < 1) vmin = vmax - 1;
    const double plotHeight = double(box.height - 2 * box.my);
    const float s0 = float(plotHeight / double(vmax - vmin));
    const auto top = RoundToInt32(double(vmax) + 4.0 * double(s0));
    const auto base = RoundToInt32(double(vmin) - 4.0 * double(s0));
    if (!top || !base) return std::nullopt;
    VerticalScale scale;
    scale.base = std::max<int32_t>(*base, 1);
    const int64_t extent = int64_t(*top) - scale.base;
    if (extent == 0) return std::nullopt;
    scale.scale = float(plotHeight / double(extent));
    return scale;
}

// One value per pixel column 1..g: the time-weighted mean of the voiced
// pitch the column covers, or 0 when voiced time covers no more than three
// tenths of it. Sums are 32-bit, as the stored values are.
bool AverageColumns(const Values& a, int32_t phraseStart, float spp, int64_t g,
                    std::vector<int32_t>& columns)
{
    const Index u = Index(a.size()) - 1;
    Index m = 1;
    int32_t wsum = 0;
    int32_t vsum = 0;
    auto offsetOf = [&](Index i) { return int64_t(a[i].Position) - phraseStart; };
    auto gapAt = [&](Index i) { return Checked(int64_t(a[i].Position) - a[i - 1].Position); };

    for (int64_t j = 1; j <= g; ++j) {
        columns[j] = 0;
        const double columnEnd = double(spp) * double(j);
        for (;;) {
            const auto offset = Checked(offsetOf(m));
            if (!offset) return false;
            if (!(columnEnd > *offset && m < u)) break;
            if (a[m].Value > 0) {
                const auto gap = gapAt(m);
                if (!gap) return false;
                const auto w = Checked(int64_t(wsum) + *gap);
                const auto v = Checked(int64_t(vsum) + int64_t(a[m].Value) * *gap);
                if (!w || !v) return false;
                wsum = *w;
                vsum = *v;
            } else {
                wsum = 0;
                vsum = 0;
            }
            ++m;
        }
        const auto gap = gapAt(m);
        const auto overshoot = RoundToInt32(double(offsetOf(m)) - columnEnd);
        if (!gap || !overshoot) return false;
        const int32_t value = a[m].Value;
        if (value > 0) {
            const int64_t covered = int64_t(*gap) - *overshoot;
            const auto w = Checked(int64_t(wsum) + covered);
            const auto v = Checked(int64_t(vsum) + covered * value);
            if (!w || !v) return false;
            wsum = *w;
            vsum = *v;
        }
        if (wsum > 0.3 * double(spp) && vsum > 0) columns[j] = vsum / wsum;
        if (value > 0) {
            // The overshoot belongs to the next column.
            const auto v = Checked(int64_t(value) * *overshoot);
            if (!v) return false;
            wsum = *overshoot;
            vsum = *v;
        }
    }
    return true;
}

void DrawColumns(Canvas& canvas, const PitchContour& contour, int64_t first, int64_t last,
                 QColor foreground)
{
    const std::vector<int32_t>& columns = contour.Columns;
    const int32_t base = contour.Base;
    for (int64_t l = first; l <= last; ++l) {
        if (columns[l - 1] > base && columns[l] > base && columns[l + 1] > base)
            canvas.DrawLine(float(contour.MarginX + l), contour.Y(columns[l]),
                            float(contour.MarginX + l + 1), contour.Y(columns[l + 1]), foreground,
                            ContourPenWidth);
    }
}

} // namespace

PitchContour ComputePitchContour(const PhraseData& phrase, const PitchTrack& track, int width,
                                 int height)
{
    PitchContour contour;
    Box box;
    box.width = width;
    box.height = height;
    box.mx = ViewMargin(box.width);
    box.my = ViewMargin(box.height);
    contour.MarginX = box.mx;
    contour.MarginY = box.my;
    contour.Height = box.height;
    if (track.size() < 2) return contour;

    Values a = WindowedCopy(phrase, track);
    if (!SmoothStretches(phrase, a)) return contour;
    StraightenValues(a);

    const int32_t phraseStart = phrase.PhraseStart;
    const auto span = Checked(int64_t(phrase.PhraseEnd) - phraseStart);
    const int64_t plotWidth = box.width - 2 * box.mx;
    if (!span || plotWidth == 0) return contour;
    float spp = float(double(*span) / double(plotWidth));
    if (!(spp > 0)) spp = 1;

    const auto vertical = FitVerticalScale(a, box);
    if (!vertical) return contour;

    const int64_t g = plotWidth + 1;
    std::vector<int32_t> columns(size_t(g + 11), 0);
    if (!AverageColumns(a, phraseStart, spp, g, columns)) return contour;
    FlattenZigzags(columns);

    // Columns are counted in whole samples per column; half a sample or
    // less rounds to none and the division fails, leaving the box cleared.
    const auto wholeSpp = RoundToInt32(spp);
    if (!wholeSpp || *wholeSpp == 0) return contour;

    contour.Base = vertical->base;
    contour.Scale = vertical->scale;
    contour.SamplesPerColumn = *wholeSpp;
    contour.Columns = std::move(columns);
    contour.ColumnCount = g;
    contour.Valid = true;
    return contour;
}

void DrawPitch(Canvas& canvas, const PhraseData& phrase, int32_t rangeStart, int32_t rangeEnd,
               const PitchTrack& track, QColor foreground, QColor background)
{
    if (track.size() < 2) return;
    const int32_t phraseStart = phrase.PhraseStart;
    Range range{rangeStart, rangeEnd};
    if (rangeStart == -1) {
        range = Range{phrase.PhraseStart, phrase.PhraseEnd};
        canvas.Clear(background);
    }
    range = WidenToSteps(phrase, range);

    const PitchContour contour =
        ComputePitchContour(phrase, track, canvas.Width(), canvas.Height());
    if (!contour.Valid) return;

    const auto endOffset = Checked(range.end - phraseStart);
    const auto startOffset = Checked(range.start - phraseStart);
    if (!endOffset || !startOffset) return;
    const int64_t last =
        std::min<int64_t>(*endOffset / contour.SamplesPerColumn, contour.ColumnCount - 2);
    const int64_t first = std::max<int64_t>(*startOffset / contour.SamplesPerColumn, 2);
    DrawColumns(canvas, contour, first, last, foreground);
}
