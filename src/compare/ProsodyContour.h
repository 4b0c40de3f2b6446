#pragma once
// A speaker's melody as the comparison sees it: the voiced pitch points of
// the phrase in semitones from the speaker's own median, so that two voices
// an octave apart give the same contour, and the pitch movement at the end
// of the phrase.
//
// The ending rule (semitones throughout):
//   1. Take the contour points of the last 0.8 s before the last voiced
//      point and smooth them with a running median of five.
//   2. The end level is the median of the points of the last 30 ms.
//   3. Walk back from the end to the last turning point: the first point
//      1.5 semitones or more away from the end level sets the direction,
//      the walk follows the contour as long as it keeps going that way, and
//      stops where it turns back by 1.5 semitones or more (a smaller wiggle
//      is not a turn).
//   4. The ending movement is the end level minus the level at the turning
//      point: a rise when it is +2 semitones or more, a fall when it is -2
//      or less, level otherwise. A contour of fewer than four points is
//      level.
// So a question's fall-rise ends in a rise, a statement's fall from its
// last accent is a fall, and a contour that stays within 2 semitones at the
// end is level.
#include "audio/PhraseData.h"

#include <vector>

struct ContourPoint
{
    double Seconds = 0;   // from the phrase's first sample
    double Semitones = 0; // from the speaker's median
};

struct SpeakerContour
{
    double MedianHz = 0;              // 0 when the phrase has no voiced point
    std::vector<ContourPoint> Points; // in time order
};

// Contour points closer than this belong to one voiced stretch; a longer
// gap is a break in the voice.
inline constexpr double ContourJoinSeconds = 0.03;

// The voiced points inside the steps' pitch windows (all voiced points of
// the phrase when the windows hold fewer than three), in semitones from
// their median. Tracking errors are dropped: where the pitch jumps 7
// semitones or more from one point to the next, the shorter of the two
// pieces beside the jump; then every point more than 7 semitones from the
// median of its ten neighbours, and every voiced stretch of fewer than three
// points.
SpeakerContour ExtractContour(const PhraseData& phrase, const PitchTrack& track,
                              double samplesPerSecond);

enum class Ending { Level, Rise, Fall };

struct EndingMeasure
{
    Ending Kind = Ending::Level;
    double Semitones = 0;     // end level minus the level at the turning point
    double TurnSeconds = 0;   // where the final movement starts
    double TurnSemitones = 0; // the contour's level there
};

inline constexpr double EndingThresholdSemitones = 2.0;

EndingMeasure MeasureEnding(const std::vector<ContourPoint>& points);

// "rise", "fall" or "level".
const char* EndingName(Ending ending);
