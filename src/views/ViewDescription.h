#pragma once
// Words for what the views show, for screen readers: the number of steps,
// which is the strongest, whether the contour rises or falls at the end,
// and how long the phrase is.
#include "audio/PhraseData.h"

#include <QString>

enum class PhraseEnding { Unknown, Rises, Falls, Level };

// How the voice moves over the last voiced stretch of the phrase.
PhraseEnding EndingOf(const PhraseData& phrase, const PitchTrack& track);

QString DescribePitchView(const QString& speaker, const PhraseData& phrase,
                          const PitchTrack& track);
QString DescribeStressView(const QString& speaker, const PhraseData& phrase);
QString DescribeSignalView(const QString& speaker, const PhraseData& phrase,
                           const WaveFormat& format);
