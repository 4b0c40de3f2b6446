#pragma once
// Playing a piece of a speaker's phrase chosen by a click in one of its
// views. The views draw the phrase between 10 % and 90 % of their width, so
// the click's place in that band picks a sample: the left button plays the
// phrase from its start up to that sample, any other button a window of
// 2200 samples on either side of it, kept within the phrase.
#include "audio/PhraseData.h"

#include <QStringList>

#include <cstdint>

inline constexpr int LeftMouseButton = 1;             // bit of the mouse-button mask
inline constexpr int32_t AroundPointHalfWidth = 2200; // samples either side

// The commands PlayAroundPoint sends, in order. BoxScaleWidth is the clicked
// view's inner width and X the click's distance from its left edge, both in
// the view's scale units (pixels); Button is the event's button mask.
QStringList PlayAroundPointCommands(float BoxScaleWidth, const PhraseData& Phrase, int Button,
                                    float X);

// Closes the device, opens Phrase.WaveFile and starts playing the piece;
// returns at once with the play command's result, MciCannotPlay when the
// sound output cannot play (the caller tells the learner). A file that does
// not open plays nothing.
int16_t PlayAroundPoint(float BoxScaleWidth, const PhraseData& Phrase, int Button, float X);
