#pragma once
// What differs between the learner's phrase and the model's: whether the
// learner stresses the same step, whether the voice moves the same way at
// the end, step by step how pitch, length and prominence differ, how even
// the rhythm is, one score, and up to three sentences for the learner.
//
// Call it once the learner's analysed recording has been read back (and
// trimmed, as the screen trims every phrase it reads): it reads nothing
// from disk and changes neither phrase.
//
// The learner stresses the model's step when the alignment of the steps'
// places in time pairs the two most prominent steps and the learner's
// stress peak, laid onto the model's time, lies within half a mean step of
// the model's (one speaker's step may hold two syllables of the other's). A phrase of five steps or
// more has several accents, and which one comes out highest varies between speakers: there the
// stress also matches when the prominences of the aligned steps correlate at 0.6 or more.
//
// The score (0 to 100) adds: 20 for stressing the model's step, up to 20
// more as each speaker makes the step the other stresses prominent (all 20
// when the stresses match), 30 for the same ending (12 when one of the two
// is level), and up to 15 each for the pitch and the lengths of the aligned
// steps, falling off as they differ (see ScoreComparison).
#include "audio/LoadedPhrase.h"
#include "compare/SpeakerProsody.h"
#include "compare/StepAlignment.h"
#include "compare/Syllables.h"

#include <QString>
#include <QStringList>

#include <vector>

struct StepComparison
{
    int ModelStep = 0;         // 1-based
    int LearnerStep = 0;       // 1-based
    double PitchSemitones = 0; // learner's pitch minus the model's, each from its own median
    double DurationRatio = 1;  // learner's share of the speaking time over the model's
    double Prominence = 0;     // learner's bar height minus the model's (each 0..1)
};

struct Comparison
{
    // Empty when the phrases were compared; otherwise why not (a phrase
    // without steps or without voiced pitch), and nothing else is set.
    QString Problem;

    int Score = 0;            // 0..100
    bool StressMatch = false; // the learner's most prominent step answers the model's
    bool EndingMatch = false; // the same ending, rise, fall or level

    int ModelStress = 0;   // 1-based step
    int LearnerStress = 0; // 1-based step
    // Where the learner's stress peak, laid onto the model's time, lies
    // against the model's, in the model's mean step lengths (negative:
    // earlier).
    double StressOffset = 0;
    // The correlation of the aligned steps' prominences (-1..1).
    double StressPattern = 0;
    // Both stress the same step (not only a similar pattern of accents).
    bool SameStressedStep = false;
    EndingMeasure ModelEnding;
    EndingMeasure LearnerEnding;
    double ModelRhythm = 0;
    double LearnerRhythm = 0;
    // 1-based step numbers, model first, in order.
    std::vector<StepPair> Alignment;
    std::vector<StepComparison> Steps; // one per pair of the alignment
    // The same, aligned on the steps' places in time alone: the stresses
    // are judged on it.
    std::vector<StepPair> StressAlignment;
    QStringList Advice; // at most three sentences, most important first

    // The figures behind it all, for the compare view.
    SpeakerProsody Model;
    SpeakerProsody Learner;
    std::vector<QString> ModelNames; // one per model step; empty where unknown
};

// One speaker's phrase as the exercise screen holds it.
struct SpeakerPhrase
{
    const PhraseData& Phrase;
    const PitchTrack& Pitch;
    const WaveHeader& Samples;
    const WaveFormat& Format;
};

// syllables: the model's syllable texts, when its file carries them; they
// name the steps in the advice where they match the model's steps.
Comparison ComparePhrases(const SpeakerPhrase& model, const SpeakerPhrase& learner,
                          const SyllableList& syllables = {});
Comparison ComparePhrases(const LoadedPhrase& model, const LoadedPhrase& learner,
                          const SyllableList& syllables = {});

// The score of a comparison whose other fields are set.
int ScoreComparison(const Comparison& comparison);
