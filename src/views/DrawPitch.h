#pragma once
// The pitch view: a speaker's intonation contour. Only the pitch points
// inside the steps' pitch windows count; each voiced stretch is smoothed,
// zigzags are straightened, the values are averaged into one per pixel
// column weighted by time, straightened again, and drawn as a polyline on
// a linear scale fitted to the phrase's own pitch range. Unvoiced parts
// stay empty, so the contour falls into one stroke per voiced stretch.
#include "audio/PhraseData.h"
#include "views/Canvas.h"

#include <QColor>

#include <cstdint>

// Range start -1 draws the whole phrase (PhraseStart to PhraseEnd) onto a
// canvas cleared to background; any other range is widened to whole steps
// and drawn over what the canvas holds. A track of fewer than two points
// draws nothing and does not clear. An arithmetic failure (a division by
// zero, a value beyond 32 bits) ends the drawing where it occurs, keeping
// what was drawn; so does a horizontal scale of half a sample per column or
// less.
void DrawPitch(Canvas& canvas, const PhraseData& phrase, int32_t rangeStart, int32_t rangeEnd,
               const PitchTrack& track, QColor foreground, QColor background);
