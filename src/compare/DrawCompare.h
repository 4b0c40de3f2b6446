#pragma once
// The Compare view: the model's and the learner's pitch contours on one
// scale of semitones from each speaker's own median, the learner's laid
// onto the model's time by the step alignment, so that two voices an octave
// apart and two speaking rates draw over each other. The steps that differ
// most are shaded, each speaker's stressed step is marked with a square at
// its pitch peak, and the model's steps are named under the contours (by
// syllable where known, else by number).
//
// Drawn in pixels from the top-left of the canvas, with the views' margin
// of a tenth of the width and height on each side: the legend stands in the
// top margin, the step names in the bottom one.
#include "compare/PhraseComparison.h"
#include "views/Canvas.h"

#include <QColor>

inline const QColor CompareBackColor{255, 255, 238};
inline const QColor CompareModelColor{0, 0, 0};
inline const QColor CompareLearnerColor{0, 90, 200};
inline const QColor CompareMarkColor{255, 214, 160};
inline const QColor CompareGuideColor{190, 190, 190};

// At most this many steps are shaded, the most different first.
inline constexpr int MaxMarkedSteps = 2;

// A comparison that could not be made (a Problem) clears the canvas only.
void DrawCompare(Canvas& canvas, const Comparison& comparison);

// The view before the learner's first take: the model's contour alone, on
// the scale its own pitch needs, its stressed step marked, under a line that
// asks for a take; or one centred line saying that the model cannot be
// compared (its phrase could not be read, has no steps or no voiced pitch).
void DrawCompareWithoutTake(Canvas& canvas, const LoadedPhrase& model);

// The model's steps that differ most from the learner's, 0-based, most
// different first: a stress placed elsewhere and an ending that moves
// otherwise (on the last step) count most, then the largest pitch and
// prominence differences.
std::vector<int> MostDifferentSteps(const Comparison& comparison);
