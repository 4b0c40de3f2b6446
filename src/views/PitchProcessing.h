#pragma once
// Preparation of a phrase's pitch track for display.
//
// TrimPitchWindows runs once after every successful read of a phrase file:
// it cuts each group of closely following pitch windows where the pitch
// jumps abruptly on either side of the group's most reliable part, removing
// the steps that fall wholly outside the cut. FlattenZigzags straightens
// runs of values that alternate up and down; the pitch view applies it to
// the pitch values and again to its per-column values.
//
// Positions are samples from the first sample of "data"; pitch values are
// the analyser's scale, and a value below 1 means no pitch at that point.
#include "audio/PhraseData.h"

#include <cstdint>
#include <vector>

// Steps longer than this many samples, or higher than StrongStepHeight,
// carry a reliable pitch: the trimming scans outward from their middle.
inline constexpr int32_t StrongStepLength = 2000;
inline constexpr int32_t StrongStepHeight = 15000;

// Pitch windows closer than this many samples belong to one group.
inline constexpr int32_t PitchWindowJoint = 10;

// Changes StepCount, Steps, MaxHeight and TotalLength of phrase; the track
// is not modified. A track of fewer than two points changes nothing.
// MaxHeight is stored saturated at 32767 and TotalLength saturated at the
// 32-bit range, so neither recomputation can fail.
void TrimPitchWindows(PhraseData& phrase, const PitchTrack& track);

// Replaces each zigzag run (values strictly above or below both voiced
// neighbours) by straight segments, in place.
void FlattenZigzags(std::vector<int32_t>& values);

// Replaces values[s..e] by a chain of straight segments, each as long as
// the line still separates neighbouring points; fewer than three points are
// left alone, as are indices outside the table.
void FitLineSegment(std::vector<int32_t>& values, int32_t s, int32_t e);
