#pragma once
// How prominent each syllable of a phrase sounds, from what the step finder
// measured of it: a linear score over cues taken relative to the phrase and
// to the neighbouring syllables (loudness, length, pitch level and movement,
// spectral balance, the vowel's envelope, position), with weights learnt
// offline on a labelled corpus of many voices and conditions
// (ProminenceWeights.h).
//
// The score is a log-odds that the syllable is stressed or accented; the
// heights are those odds turned into probabilities and scaled so that the
// phrase's most prominent syllable gets MaxStepHeight and a syllable half
// as likely gets half of it.
#include "analyser/VowelSpectrum.h"

#include <array>
#include <cstdint>
#include <vector>

// What the step finder measures of one syllable.
struct SyllableMeasures
{
    float NucleusDb = 0;      // vowel-band level at the nucleus, dB
    float EnergyDb = 0;       // vowel-band energy summed over the syllable, dB
    float VoicedSeconds = 0;  // voiced frames in the step, seconds
    float Seconds = 0;        // the step's length
    bool Voiced = false;      // any voiced frame
    float MeanSemitones = 0;  // mean pitch over the voiced frames, semitones re the phrase's median
    float PeakSemitones = 0;  // highest pitch in the step, same scale
    float RiseSemitones = 0;  // pitch at the voiced part's end less at its start
    float TiltDb = 0;         // band over 2.3 kHz against band under 500 Hz at the nucleus
    float BalanceDb = 0;      // band under 2.3 kHz against the band over it at the nucleus
    float FormantDb = 0;      // 500 Hz-1 kHz against 1-2.3 kHz at the nucleus
    float NucleusSeconds = 0; // how long the vowel band stays within 6 dB of its peak
    float Periodicity = 0;    // the pitch tracker's correlation at the nucleus, 0..1
    float EdgeDb = 0;         // mean vowel-band level at the step's two edges, dB
    VowelCepstrum Cepstrum{}; // the spectral envelope at the nucleus
    bool BeforePause = false;
};

// Scales of the groups of cues, 1 as learnt; 0 leaves a group out.
struct ProminenceCues
{
    float Loudness = 1;
    float Length = 1;
    float Pitch = 1;
    float Balance = 1; // spectral balance and tilt
};

// The cues' layout: 30 cues of loudness, length, pitch, balance and
// position; the pitch cues weighed by the phrase's pitch-loudness
// agreement; the vowel's envelope against the phrase's average, its
// distance from it, and the envelope against the neighbouring syllables'.
inline constexpr int AgreementCues = 30;
inline constexpr int EnvelopeCues = AgreementCues + 4;
inline constexpr int EnvelopeDistanceCue = EnvelopeCues + VowelCepstrumSize;
inline constexpr int NeighbourEnvelopeCues = EnvelopeDistanceCue + 1;
inline constexpr int ProminenceFeatureCount = NeighbourEnvelopeCues + VowelCepstrumSize;
using ProminenceFeatures = std::array<float, ProminenceFeatureCount>;

// The cues of every syllable relative to its phrase and neighbours, in the
// order ProminenceWeights lists them.
std::vector<ProminenceFeatures> DescribeSyllables(const std::vector<SyllableMeasures>& syllables);

// Log-odds of prominence per syllable.
std::vector<float> ScoreSyllables(const std::vector<SyllableMeasures>& syllables,
                                  const ProminenceCues& cues = {});

// Heights 1..maxHeight, the most prominent syllable maxHeight.
std::vector<int32_t> HeightsFromScores(const std::vector<float>& scores, int32_t maxHeight);
