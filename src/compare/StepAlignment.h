#pragma once
// Which of the learner's steps answer which of the model's: dynamic time
// warping over the speaker-independent step figures of SpeakerProsody
// (position in the speaking time, share of it, pitch from the speaker's
// median, prominence). A step the learner swallowed leaves two model steps
// on one learner step; a step split in two or an extra syllable leaves two
// learner steps on one model step; a pause, another speaking rate or
// another voice leave the figures, and so the alignment, unchanged.
#include "compare/SpeakerProsody.h"

#include <vector>

struct StepPair
{
    int Model = 0;   // index into the model's steps
    int Learner = 0; // index into the learner's steps
};

// What the alignment weighs: every figure, or the steps' places in the
// speaking time alone. Where the stress lies must be judged on the second:
// weighing prominence, the alignment itself would pair the two speakers'
// strongest steps, and a stress one syllable off would pass as the same.
enum class AlignmentCues { All, Timing };

// The path from the first steps of both to the last steps of both, in
// order: each pair advances the model, the learner or both by one step.
// Empty when either has no steps.
std::vector<StepPair> AlignSteps(const std::vector<StepProsody>& model,
                                 const std::vector<StepProsody>& learner,
                                 AlignmentCues cues = AlignmentCues::All);

// How unlike two steps are (0 for equal figures).
double StepDistance(const StepProsody& model, const StepProsody& learner);

// A stretch of the learner's time that the alignment lays over a stretch of
// the model's (seconds from each phrase's first sample). A step that answers
// several steps of the other speaker is shared among them in proportion to
// their lengths, so the stretches follow each other without overlapping.
struct WarpSegment
{
    double LearnerFrom = 0;
    double LearnerTo = 0;
    double ModelFrom = 0;
    double ModelTo = 0;
};

std::vector<WarpSegment> WarpSegments(const std::vector<StepProsody>& model,
                                      const std::vector<StepProsody>& learner,
                                      const std::vector<StepPair>& path);

// The model's time for a learner's time inside one of the segments (linear
// within it); false for a time between the steps (a pause) or outside them.
bool WarpToModel(const std::vector<WarpSegment>& segments, double learnerSeconds,
                 double& modelSeconds);
