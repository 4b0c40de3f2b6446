#pragma once
// Shading the step being heard during whole-phrase playback. The shade is
// ANDed into the picture, so shading the same step at every tick leaves it
// as it was after the first: the steps heard stay grey until the view is
// redrawn, and the gaps between steps are never shaded.
#include "audio/PhraseData.h"
#include "views/Canvas.h"

#include <QColor>

#include <cstdint>

// Shades, in a pitch or signal view, the first step that contains current
// (a sample position). Nothing when previous is negative, current lies past
// PhraseEnd, no step contains it, or the phrase has no length.
void MarkPlayedStep(Canvas& canvas, const PhraseData& phrase, int32_t previous, int32_t current,
                    QColor colour);
