#include "compare/ProsodyContour.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double TrackingErrorSemitones = 7;
constexpr int TrackingErrorNeighbours = 5; // on each side
constexpr size_t ShortestStretch = 3;
constexpr size_t FewestWindowPoints = 3;

constexpr double EndingWindowSeconds = 0.8;
constexpr double EndLevelSeconds = 0.03;
constexpr int EndingSmoothing = 5;
constexpr double TurnSemitones = 1.5;
constexpr size_t FewestEndingPoints = 4;

double Median(std::vector<double> values)
{
    if (values.empty()) return 0;
    const size_t middle = values.size() / 2;
    std::nth_element(values.begin(), values.begin() + middle, values.end());
    const double upper = values[middle];
    if (values.size() % 2 == 1) return upper;
    return (*std::max_element(values.begin(), values.begin() + middle) + upper) / 2;
}

bool InSomeWindow(const PhraseData& phrase, int32_t position)
{
    const int count = std::clamp<int>(phrase.StepCount, 0, MaxSteps);
    for (int i = 1; i <= count; ++i) {
        const StepRecord& step = phrase.Steps[i];
        if (step.PitchStart < position && position <= step.PitchEnd) return true;
    }
    return false;
}

struct HzPoint
{
    double seconds;
    double hz;
};

std::vector<HzPoint> VoicedPoints(const PhraseData& phrase, const PitchTrack& track,
                                  double samplesPerSecond, bool windowsOnly)
{
    std::vector<HzPoint> points;
    for (const PitchPoint& point : track) {
        if (point.Value < 1) continue;
        if (point.Position < phrase.PhraseStart || point.Position > phrase.PhraseEnd) continue;
        if (windowsOnly && !InSomeWindow(phrase, point.Position)) continue;
        points.push_back({double(int64_t(point.Position) - phrase.PhraseStart) / samplesPerSecond,
                          point.Value / 10.0});
    }
    return points;
}

// A voice does not move 7 semitones within 10 ms; a tracker that jumps an
// octave does. Cut the contour at such jumps: of the two pieces beside a
// jump, the shorter one is the error.
std::vector<ContourPoint> WithoutOctaveJumps(const std::vector<ContourPoint>& points)
{
    std::vector<size_t> starts{0}; // where each piece begins
    for (size_t k = 1; k < points.size(); ++k) {
        if (points[k].Seconds - points[k - 1].Seconds < ContourJoinSeconds &&
            std::abs(points[k].Semitones - points[k - 1].Semitones) >= TrackingErrorSemitones)
            starts.push_back(k);
    }
    starts.push_back(points.size());
    const size_t pieces = starts.size() - 1;
    auto length = [&](size_t piece) { return starts[piece + 1] - starts[piece]; };
    std::vector<ContourPoint> kept;
    for (size_t piece = 0; piece < pieces; ++piece) {
        const bool shorterThanBefore = piece > 0 && length(piece) < length(piece - 1);
        const bool shorterThanAfter = piece + 1 < pieces && length(piece) < length(piece + 1);
        if (shorterThanBefore || shorterThanAfter) continue;
        kept.insert(kept.end(), points.begin() + starts[piece], points.begin() + starts[piece + 1]);
    }
    return kept;
}

std::vector<ContourPoint> WithoutTrackingErrors(const std::vector<ContourPoint>& points)
{
    std::vector<ContourPoint> kept;
    const int n = int(points.size());
    for (int i = 0; i < n; ++i) {
        std::vector<double> around;
        for (int k = std::max(0, i - TrackingErrorNeighbours);
             k <= std::min(n - 1, i + TrackingErrorNeighbours); ++k)
            around.push_back(points[k].Semitones);
        if (std::abs(points[i].Semitones - Median(around)) <= TrackingErrorSemitones)
            kept.push_back(points[i]);
    }
    return kept;
}

std::vector<ContourPoint> WithoutShortStretches(const std::vector<ContourPoint>& points)
{
    std::vector<ContourPoint> kept;
    size_t first = 0;
    while (first < points.size()) {
        size_t last = first;
        while (last + 1 < points.size() &&
               points[last + 1].Seconds - points[last].Seconds < ContourJoinSeconds)
            ++last;
        if (last - first + 1 >= ShortestStretch)
            kept.insert(kept.end(), points.begin() + first, points.begin() + last + 1);
        first = last + 1;
    }
    return kept;
}

std::vector<double> RunningMedian(const std::vector<double>& values, int width)
{
    std::vector<double> smoothed(values.size());
    const int n = int(values.size());
    const int half = width / 2;
    for (int i = 0; i < n; ++i) {
        const int from = std::max(0, i - half);
        const int to = std::min(n - 1, i + half);
        smoothed[i] = Median(std::vector<double>(values.begin() + from, values.begin() + to + 1));
    }
    return smoothed;
}

} // namespace

SpeakerContour ExtractContour(const PhraseData& phrase, const PitchTrack& track,
                              double samplesPerSecond)
{
    SpeakerContour contour;
    if (!(samplesPerSecond > 0)) return contour;
    std::vector<HzPoint> voiced = VoicedPoints(phrase, track, samplesPerSecond, true);
    if (voiced.size() < FewestWindowPoints)
        voiced = VoicedPoints(phrase, track, samplesPerSecond, false);
    if (voiced.empty()) return contour;

    std::vector<double> hz;
    for (const HzPoint& point : voiced)
        hz.push_back(point.hz);
    const double firstMedian = Median(hz);
    std::vector<ContourPoint> points;
    for (const HzPoint& point : voiced)
        points.push_back({point.seconds, 12 * std::log2(point.hz / firstMedian)});
    points = WithoutShortStretches(WithoutTrackingErrors(WithoutOctaveJumps(points)));
    if (points.empty()) return contour;

    // The median again without the errors, so that the speaker's own level
    // is 0 however many octave jumps the tracker made.
    std::vector<double> semitones;
    for (const ContourPoint& point : points)
        semitones.push_back(point.Semitones);
    const double shift = Median(semitones);
    for (ContourPoint& point : points)
        point.Semitones -= shift;
    contour.MedianHz = firstMedian * std::exp2(shift / 12);
    contour.Points = std::move(points);
    return contour;
}

EndingMeasure MeasureEnding(const std::vector<ContourPoint>& points)
{
    EndingMeasure ending;
    if (points.size() < FewestEndingPoints) return ending;
    const double lastSeconds = points.back().Seconds;
    std::vector<double> values;
    std::vector<double> seconds;
    for (const ContourPoint& point : points) {
        if (point.Seconds >= lastSeconds - EndingWindowSeconds) {
            values.push_back(point.Semitones);
            seconds.push_back(point.Seconds);
        }
    }
    values = RunningMedian(values, EndingSmoothing);
    std::vector<double> endValues;
    for (size_t i = 0; i < values.size(); ++i) {
        if (seconds[i] >= lastSeconds - EndLevelSeconds) endValues.push_back(values[i]);
    }
    const double endLevel = Median(endValues);

    int direction = 0; // +1: the contour came up from below (a rise), -1: down
    double turn = endLevel;
    double turnSeconds = lastSeconds;
    for (size_t k = values.size(); k-- > 0;) {
        const double v = values[k];
        if (direction == 0) {
            if (v <= endLevel - TurnSemitones)
                direction = 1;
            else if (v >= endLevel + TurnSemitones)
                direction = -1;
            else
                continue;
        } else if ((direction == 1 && v > turn + TurnSemitones) ||
                   (direction == -1 && v < turn - TurnSemitones)) {
            break;
        }
        if ((direction == 1 && v <= turn) || (direction == -1 && v >= turn)) {
            turn = v;
            turnSeconds = seconds[k];
        }
    }
    ending.Semitones = endLevel - turn;
    ending.TurnSeconds = turnSeconds;
    ending.TurnSemitones = turn;
    if (ending.Semitones >= EndingThresholdSemitones)
        ending.Kind = Ending::Rise;
    else if (ending.Semitones <= -EndingThresholdSemitones)
        ending.Kind = Ending::Fall;
    return ending;
}

const char* EndingName(Ending ending)
{
    switch (ending) {
    case Ending::Rise:
        return "rise";
    case Ending::Fall:
        return "fall";
    case Ending::Level:
        break;
    }
    return "level";
}
