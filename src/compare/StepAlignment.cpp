#include "compare/StepAlignment.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

// Weights of the figures: a tenth of the speaking time apart costs 0.3, as
// do a step twice as long, 4 semitones of pitch or 0.6 of prominence.
constexpr double PositionWeight = 3.0;
constexpr double DurationWeight = 0.43; // per unit of |ln ratio|
constexpr double PitchWeight = 0.075;   // per semitone
constexpr double ProminenceWeight = 0.5;
// A voiced step against one without voice differs as much as 3 semitones.
constexpr double VoicingMismatchSemitones = 3;
// Leaving a step on two steps of the other speaker costs this much more
// than going on together, so the path keeps step for step where it can.
constexpr double UnevenMovePenalty = 0.25;
constexpr double SmallestShare = 1e-3;

} // namespace

double StepDistance(const StepProsody& model, const StepProsody& learner)
{
    const double durationRatio = std::max(learner.DurationShare, SmallestShare) /
                                 std::max(model.DurationShare, SmallestShare);
    const double pitch = model.Voiced && learner.Voiced   ? std::abs(model.Pitch - learner.Pitch)
                         : model.Voiced != learner.Voiced ? VoicingMismatchSemitones
                                                          : 0.0;
    return PositionWeight * std::abs(model.Position - learner.Position) +
           DurationWeight * std::abs(std::log(durationRatio)) + PitchWeight * pitch +
           ProminenceWeight * std::abs(model.Prominence - learner.Prominence);
}

std::vector<StepPair> AlignSteps(const std::vector<StepProsody>& model,
                                 const std::vector<StepProsody>& learner, AlignmentCues cues)
{
    const size_t n = model.size();
    const size_t m = learner.size();
    if (n == 0 || m == 0) return {};
    constexpr double none = std::numeric_limits<double>::infinity();
    // total[i][j]: the cheapest path from (0, 0) to (i, j); from[i][j]: the
    // move that reached it (0 both, 1 model only, 2 learner only).
    std::vector<std::vector<double>> total(n, std::vector<double>(m, none));
    std::vector<std::vector<char>> from(n, std::vector<char>(m, 0));
    for (size_t i = 0; i < n; ++i) {
        for (size_t j = 0; j < m; ++j) {
            const double here =
                cues == AlignmentCues::All
                    ? StepDistance(model[i], learner[j])
                    : PositionWeight * std::abs(model[i].Position - learner[j].Position);
            if (i == 0 && j == 0) {
                total[i][j] = here;
                continue;
            }
            double best = none;
            char move = 0;
            if (i > 0 && j > 0) best = total[i - 1][j - 1];
            if (i > 0 && total[i - 1][j] + UnevenMovePenalty < best) {
                best = total[i - 1][j] + UnevenMovePenalty;
                move = 1;
            }
            if (j > 0 && total[i][j - 1] + UnevenMovePenalty < best) {
                best = total[i][j - 1] + UnevenMovePenalty;
                move = 2;
            }
            total[i][j] = best + here;
            from[i][j] = move;
        }
    }
    std::vector<StepPair> path;
    size_t i = n - 1;
    size_t j = m - 1;
    for (;;) {
        path.push_back({int(i), int(j)});
        if (i == 0 && j == 0) break;
        const char move = from[i][j];
        if (move != 2) --i;
        if (move != 1) --j;
    }
    std::reverse(path.begin(), path.end());
    return path;
}

namespace {

// Each pair's share of one speaker's step: the step's span divided among
// the pairs that hold it in proportion to the other speaker's step lengths.
std::vector<std::pair<double, double>> ShareSpans(const std::vector<StepPair>& path,
                                                  const std::vector<StepProsody>& own,
                                                  const std::vector<StepProsody>& other,
                                                  bool ownIsModel)
{
    std::vector<std::pair<double, double>> spans(path.size());
    size_t first = 0;
    while (first < path.size()) {
        const int step = ownIsModel ? path[first].Model : path[first].Learner;
        size_t last = first;
        double weight = 0;
        for (; last < path.size() && (ownIsModel ? path[last].Model : path[last].Learner) == step;
             ++last) {
            const StepProsody& partner = other[ownIsModel ? path[last].Learner : path[last].Model];
            weight += std::max(partner.EndSeconds - partner.StartSeconds, 1e-6);
        }
        const double from = own[step].StartSeconds;
        const double span = own[step].EndSeconds - from;
        double done = 0;
        for (size_t k = first; k < last; ++k) {
            const StepProsody& partner = other[ownIsModel ? path[k].Learner : path[k].Model];
            const double part = std::max(partner.EndSeconds - partner.StartSeconds, 1e-6);
            spans[k] = {from + span * done / weight, from + span * (done + part) / weight};
            done += part;
        }
        first = last;
    }
    return spans;
}

} // namespace

std::vector<WarpSegment> WarpSegments(const std::vector<StepProsody>& model,
                                      const std::vector<StepProsody>& learner,
                                      const std::vector<StepPair>& path)
{
    const auto modelSpans = ShareSpans(path, model, learner, true);
    const auto learnerSpans = ShareSpans(path, learner, model, false);
    std::vector<WarpSegment> segments;
    for (size_t k = 0; k < path.size(); ++k)
        segments.push_back({learnerSpans[k].first, learnerSpans[k].second, modelSpans[k].first,
                            modelSpans[k].second});
    return segments;
}

bool WarpToModel(const std::vector<WarpSegment>& segments, double learnerSeconds,
                 double& modelSeconds)
{
    for (const WarpSegment& segment : segments) {
        if (learnerSeconds < segment.LearnerFrom || learnerSeconds > segment.LearnerTo) continue;
        const double span = segment.LearnerTo - segment.LearnerFrom;
        const double fraction = span > 0 ? (learnerSeconds - segment.LearnerFrom) / span : 0.5;
        modelSeconds = segment.ModelFrom + fraction * (segment.ModelTo - segment.ModelFrom);
        return true;
    }
    return false;
}
