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
#include <vector>

// The contour the pitch view draws, apart from any canvas: one value per
// pixel column of a view width by height, with the vertical scale fitted to
// the phrase's own range. Another view (an overlay of two speakers, say)
// reads it without drawing.
struct PitchContour
{
    bool Valid = false; // false: the arithmetic failed and nothing is drawn
    int64_t MarginX = 0;
    int64_t MarginY = 0;
    int Height = 0;
    // Pitch value v lies at y = Height - MarginY - Scale * (v - Base).
    int32_t Base = 1;
    float Scale = 0;
    // Phrase samples per column, in whole samples.
    int32_t SamplesPerColumn = 1;
    // Columns[j] for column j = 1 .. ColumnCount (x = MarginX + j): the
    // time-weighted mean of the voiced pitch, 0 where unvoiced. The table
    // runs on past ColumnCount with zeros.
    std::vector<int32_t> Columns;
    int64_t ColumnCount = 0;

    float Y(int32_t value) const
    {
        return float(double(Height - MarginY) - double(Scale) * double(int64_t(value) - Base));
    }
};

// The contour of the phrase (PhraseStart to PhraseEnd) in a view of the
// given size, from the pitch points inside the steps' pitch windows.
PitchContour ComputePitchContour(const PhraseData& phrase, const PitchTrack& track, int width,
                                 int height);

// Range start -1 draws the whole phrase (PhraseStart to PhraseEnd) onto a
// canvas cleared to background; any other range is widened to whole steps
// and drawn over what the canvas holds. A track of fewer than two points
// draws nothing and does not clear. An arithmetic failure (a division by
// zero, a value beyond 32 bits) ends the drawing where it occurs, keeping
// what was drawn; so does a horizontal scale of half a sample per column or
// less.
void DrawPitch(Canvas& canvas, const PhraseData& phrase, int32_t rangeStart, int32_t rangeEnd,
               const PitchTrack& track, QColor foreground, QColor background);
