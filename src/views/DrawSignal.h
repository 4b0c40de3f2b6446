#pragma once
// The signal view: a speaker's recording from PhraseStart to PhraseEnd as a
// waveform envelope, one vertical line per pixel column spanning the
// smallest and largest sample of the column's slice, scaled so that the
// phrase's loudest sample reaches the margin. Samples are 16-bit signed mono
// PCM, read from the speaker's wave buffer.
#include "audio/PhraseData.h"
#include "views/Canvas.h"

#include <QColor>

// Clears canvas to background, then draws the envelope in foreground.
// A buffer of no bytes leaves the box cleared. A phrase of silence draws a
// flat line on the centre. Columns whose slice lies outside the buffer's
// samples (plus the slack of zeros the view allows past them) stay blank.
void DrawSignal(Canvas& canvas, const PhraseData& phrase, const WaveHeader& samples,
                QColor foreground, QColor background);
