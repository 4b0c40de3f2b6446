#pragma once
// One speaker's phrase described step by step in terms that do not depend
// on the speaker: where each step lies in the phrase's speaking time, its
// share of that time, its pitch in semitones from the speaker's own median,
// and how prominent it is among the phrase's steps. A faster speaker, a
// pause, or a voice an octave higher leave these figures as they are, so
// two speakers' steps can be set side by side.
//
// Prominence for the comparison is the step's pitch peak (semitones) plus
// 0.65 semitones per unit of its share of the phrase's voiced time plus
// 0.14 semitones per dB of its loudest 40 ms: a stressed syllable carries
// the pitch accent and is louder and longer. The rise of a question at the
// end is not an accent, so the points after the ending's turning point
// count at the turning point's level when the phrase ends rising. The
// analyser's step height (the bar the learner sees) is kept beside it.
#include "audio/PhraseData.h"
#include "compare/ProsodyContour.h"

#include <vector>

struct StepProsody
{
    int32_t Start = 0;       // samples from the start of "data"
    int32_t Length = 0;      // samples
    double StartSeconds = 0; // from the phrase's first sample
    double EndSeconds = 0;
    double Position = 0;      // 0..1: the step's middle on the phrase's speaking time
    double DurationShare = 0; // 0..1 of the phrase's speaking time (pauses left out)
    bool Voiced = false;      // holds contour points
    double Pitch = 0;         // mean semitones from the median; 0 when not voiced
    double PitchPeak = 0;     // highest semitones, a final rise held at its turning point
    double PeakSeconds = 0;   // where that peak is (the step's middle when not voiced)
    double VoicedShare = 0;   // 0..1 of the phrase's contour points
    double LoudnessDb = 0;    // loudest 40 ms, dB below the phrase's loudest step (<= 0)
    double Bar = 0;           // Height over the phrase's highest Height, 0..1
    double Prominence = 0;    // 0..1: from the least (0) to the most prominent step (1)
    double Strength = 0;      // what Prominence is scaled from, in semitones of pitch peak
};

struct SpeakerProsody
{
    double SamplesPerSecond = 0;
    double Seconds = 0; // phrase length
    SpeakerContour Contour;
    EndingMeasure Ending;
    std::vector<StepProsody> Steps;
    int StressedStep = -1; // index into Steps of the most prominent step; -1 without steps
    double Rhythm = 0;     // normalised pairwise variability of the step durations (0..200)
};

// Samples are read as the views read them: 16-bit mono PCM. A phrase in any
// other format, or without samples, gets no loudness (0 dB for every step).
SpeakerProsody DescribeSpeaker(const PhraseData& phrase, const PitchTrack& track,
                               const WaveHeader& samples, const WaveFormat& format);

// 100 times the mean of |d(k) - d(k+1)| / ((d(k) + d(k+1)) / 2) over
// neighbouring durations: 0 for even steps, larger as long and short steps
// alternate. 0 for fewer than two durations.
double PairwiseVariability(const std::vector<double>& durations);
