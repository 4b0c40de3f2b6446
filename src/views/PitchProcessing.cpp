#include "views/PitchProcessing.h"

#include "views/ViewArithmetic.h"

#include <algorithm>
#include <cstdlib>
#include <limits>

namespace {

// Track indices are 64-bit here so that no index arithmetic can wrap.
using Index = int64_t;

struct Group
{
    int g0 = 0;      // first step of the group
    int g1 = 0;      // last step of the group (moves as steps are removed)
    Index first = 0; // first track index of the group's stretch
    Index last = 0;  // last track index of the stretch
};

bool IsStrong(const StepRecord& step)
{
    return step.Length > StrongStepLength || step.Height > StrongStepHeight;
}

// The step from q to p exceeds a fifth of the mean of q and its other
// neighbour r. Sums are taken in 64 bits, so extreme values cannot wrap.
bool IsJump(const PitchTrack& track, Index p, Index q, Index r)
{
    const int64_t rise = std::llabs(int64_t(track[p].Value) - track[q].Value);
    const int64_t sum = std::llabs(int64_t(track[r].Value) + track[q].Value);
    return double(rise) > 0.1 * double(sum);
}

// Removes steps first..first + count - 1; the later steps move down.
void RemoveSteps(PhraseData& phrase, int first, int count)
{
    if (count <= 0) return;
    auto begin = phrase.Steps.begin();
    std::move(begin + first + count, begin + phrase.StepCount + 1, begin + first);
    std::fill(begin + phrase.StepCount + 1 - count, begin + phrase.StepCount + 1, StepRecord{});
    phrase.StepCount = int16_t(phrase.StepCount - count);
}

// Finds the stretch of the group that starts at step g0, advancing k.
Group CollectGroup(const PhraseData& phrase, const PitchTrack& track, int g0, Index u, Index& k)
{
    Group group;
    group.g0 = g0;
    while (k < u && track[k].Position <= phrase.Steps[g0].PitchStart)
        ++k;
    group.first = k;
    int i = g0;
    for (;;) {
        while (k < u && track[k].Position <= phrase.Steps[i].PitchEnd)
            ++k;
        if (i < phrase.StepCount && int64_t(phrase.Steps[i + 1].PitchStart) <
                                        int64_t(phrase.Steps[i].PitchEnd) + PitchWindowJoint) {
            ++i;
            continue;
        }
        break;
    }
    group.g1 = i;
    group.last = k - 1;
    return group;
}

// Cuts the group's front at the jump nearest to the middle of its first
// strong step (or of the whole stretch), scanning towards the front.
void CutFront(PhraseData& phrase, const PitchTrack& track, Group& group, Index u)
{
    Index mid = (group.first + group.last) / 2;
    for (int j = group.g0; j <= group.g1; ++j) {
        const StepRecord& strong = phrase.Steps[j];
        if (!IsStrong(strong)) continue;
        Index a = group.first;
        while (a < u && track[a].Position <= strong.PitchEnd)
            ++a;
        Index b = a;
        while (b >= 1 && track[b].Position >= strong.PitchStart)
            --b;
        mid = (a + b) / 2;
        break;
    }

    std::optional<int32_t> cut;
    for (Index m = mid; m >= group.first + 2; --m) {
        if (IsJump(track, m - 2, m - 1, m)) {
            cut = track[m - 2].Position;
            break;
        }
    }
    if (!cut) return;
    int32_t t = *cut;

    if (group.g1 > group.g0) {
        int keep = 0;
        for (int j = group.g0; j <= group.g1; ++j) {
            if (phrase.Steps[j].PitchStart >= t) {
                t = phrase.Steps[j].PitchStart;
                keep = j;
                break;
            }
            if (phrase.Steps[j].PitchEnd >= t) {
                keep = j;
                break;
            }
        }
        // A cut beyond every window of the group (possible only with an
        // unsorted track) removes nothing.
        if (keep == 0) return;
        RemoveSteps(phrase, group.g0, keep - group.g0);
        group.g1 -= keep - group.g0;
    }
    StepRecord& firstStep = phrase.Steps[group.g0];
    if (t < firstStep.PitchEnd) firstStep.PitchStart = t + 1;
}

// Cuts the group's end at the jump nearest to the middle of its last strong
// step (or of the whole stretch), scanning towards the end.
void CutEnd(PhraseData& phrase, const PitchTrack& track, Group& group, Index u)
{
    Index mid = (group.first + group.last) / 2;
    for (int j = group.g1; j >= group.g0; --j) {
        const StepRecord& strong = phrase.Steps[j];
        if (!IsStrong(strong)) continue;
        Index a = group.last;
        while (a > 0 && track[a].Position > strong.PitchStart)
            --a;
        Index b = a;
        while (b < u && track[b].Position <= strong.PitchEnd)
            ++b;
        mid = (a + b) / 2;
        break;
    }

    std::optional<int32_t> cut;
    for (Index m = mid; m <= group.last - 2; ++m) {
        if (IsJump(track, m + 2, m + 1, m)) {
            cut = track[m + 1].Position;
            break;
        }
    }
    if (!cut) return;
    int32_t t = *cut;

    if (group.g1 > group.g0) {
        int keep = 0;
        for (int j = group.g1; j >= group.g0; --j) {
            if (phrase.Steps[j].PitchStart >= t) continue;
            keep = j;
            if (phrase.Steps[j].PitchEnd < t) t = phrase.Steps[j].PitchEnd;
            break;
        }
        if (keep == 0) return;
        RemoveSteps(phrase, keep + 1, group.g1 - keep);
        group.g1 = keep;
    }
    StepRecord& lastStep = phrase.Steps[group.g1];
    if (int64_t(t) + 1 >= lastStep.PitchStart) lastStep.PitchEnd = t;
}

void RecomputeTotals(PhraseData& phrase)
{
    int32_t highest = 0;
    int64_t total = 0;
    for (int i = 1; i <= phrase.StepCount; ++i) {
        highest = std::max(highest, phrase.Steps[i].Height);
        total += phrase.Steps[i].Length;
    }
    phrase.MaxHeight = int16_t(std::min<int32_t>(highest, std::numeric_limits<int16_t>::max()));
    phrase.TotalLength = int32_t(std::clamp<int64_t>(total, std::numeric_limits<int32_t>::min(),
                                                     std::numeric_limits<int32_t>::max()));
}

// V(i) is strictly above both voiced neighbours or strictly below both.
// Compared by sign rather than by the product of the two differences, which
// may not fit in 32 bits.
bool IsZigzagPoint(const std::vector<int32_t>& values, size_t i)
{
    const int64_t before = values[i - 1];
    const int64_t here = values[i];
    const int64_t after = values[i + 1];
    if (before < 1 || here < 1 || after < 1) return false;
    return (here > before && here > after) || (here < before && here < after);
}

} // namespace

void TrimPitchWindows(PhraseData& phrase, const PitchTrack& track)
{
    const Index u = Index(track.size()) - 1;
    if (u < 1) return;
    phrase.StepCount = int16_t(std::clamp<int>(phrase.StepCount, 0, MaxSteps));

    Index k = 0;
    int g0 = 1;
    while (g0 <= phrase.StepCount) {
        Group group = CollectGroup(phrase, track, g0, u, k);
        // Five points or fewer are not enough to judge a jump.
        if (group.last - group.first > 4) {
            CutFront(phrase, track, group, u);
            CutEnd(phrase, track, group, u);
        }
        g0 = group.g1 + 1;
    }
    RecomputeTotals(phrase);
}

void FlattenZigzags(std::vector<int32_t>& values)
{
    if (values.size() < 2) return;
    const size_t u = values.size() - 1;
    std::optional<size_t> runStart;
    for (size_t i = 2; i + 1 <= u; ++i) {
        if (IsZigzagPoint(values, i)) {
            if (!runStart) runStart = i - 1;
        } else if (runStart) {
            FitLineSegment(values, int32_t(*runStart), int32_t(i));
            runStart.reset();
        }
    }
    if (runStart) FitLineSegment(values, int32_t(*runStart), int32_t(u));
}

void FitLineSegment(std::vector<int32_t>& values, int32_t s, int32_t e)
{
    if (int64_t(e) < int64_t(s) + 2 || s < 0 || size_t(e) >= values.size()) return;
    // Positions and values are below 2^31, so the products below stay exact
    // in double precision and no intermediate can overflow.
    Index i = s;
    Index end = e;
    while (i < end) {
        double slope = 0.0;
        double offset = 0.0;
        auto line = [&](Index x) { return slope * double(x) + offset; };
        for (bool passes = false; !passes;) {
            const double vi = values[i];
            const double ve = values[end];
            slope = (ve - vi) / double(end - i);
            offset = (double(end) * vi - double(i) * ve) / double(end - i);
            passes = true;
            for (Index h = i + 1; h <= end - 1; ++h) {
                // The value before h is compared with the line after h.
                if ((values[h - 1] - line(h + 1)) * (values[h] - line(h)) > 0) {
                    end = h;
                    passes = false;
                    break;
                }
            }
        }
        for (Index x = i; x <= end; ++x) {
            const std::optional<int32_t> rounded = RoundToInt32(line(x));
            if (!rounded) return;
            values[x] = *rounded;
        }
        i = end;
        end = e;
    }
}
