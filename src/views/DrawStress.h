#pragma once
// The stress view: one bar per step along the phrase, its width the step's
// part of the phrase and its height the step's stress quantised to the
// levels of a level table (percentages of the plot height). Touching steps
// are joined into one silhouette. Whole-phrase playback redraws the bars it
// has reached in the highlighted form.
#include "audio/PhraseData.h"
#include "views/Canvas.h"

#include <QColor>

#include <array>
#include <cstdint>
#include <span>

inline constexpr int16_t StressStepNormal = 1;      // black outline, background inside
inline constexpr int16_t StressStepHighlighted = 2; // solid dark green

// The level table the exercise screen sets up (entries 1..6; 102 closes
// the top interval).
inline constexpr std::array<int16_t, 11> StandardLevelBounds{0, 20, 40, 60, 80, 100, 102};
inline constexpr int16_t StandardLevelBoundCount = 6;

// Draws step index (1..StepCount) in the given mode onto canvas; background
// is the box's background colour (a normal bar's interior and the erased
// joint). levelBounds holds the table from entry 1 to levelBoundCount.
// Anything else (another index or mode, a canvas with no plot height)
// draws nothing.
void DrawStressStep(Canvas& canvas, const PhraseData& phrase, int16_t index, int16_t mode,
                    QColor background, std::span<const int16_t> levelBounds,
                    int16_t levelBoundCount);

// Clears canvas to background and draws every step in normal form.
void DrawStress(Canvas& canvas, const PhraseData& phrase, QColor background,
                std::span<const int16_t> levelBounds, int16_t levelBoundCount);
