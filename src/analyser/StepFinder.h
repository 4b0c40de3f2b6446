#pragma once
// The analyser's step finder: the spoken phrase's bounds and one step per
// syllable, each with the voiced part that carries its pitch contour and a
// height that says how prominent the syllable is.
//
// Syllable nuclei are the peaks of a loudness contour taken in the band
// where vowels are strong (300 to 2500 Hz), kept when they are voiced or
// vowel-like and when the contour dips between them; steps run from dip to
// dip. Heights combine the nucleus's loudness, its spectral balance, its
// length and its pitch.
// All positions count samples from the recording's first sample.
#include "analyser/PitchTracker.h"
#include "audio/PhraseData.h"

#include <cstdint>
#include <vector>

struct StepSettings
{
    float FloorDb = 30;            // nuclei lie at most this far below the loud frames
    float MinDipDb = 2;            // two nuclei need a dip this deep between them
    float VowelBalanceDb = 6;      // vowel band this much above the band over 3 kHz: vowel-like
    float PauseSeconds = 0.15f;    // a quiet stretch this long between nuclei is a pause
    float LoudnessWeight = 0.5f;   // prominence per dB of nucleus level
    float LengthWeight = 20;       // ... per second of voiced nucleus
    float PitchWeight = 2;         // ... per semitone above the phrase's median pitch
    float FinalLengthening = 0.5f; // length counted for a syllable before a pause or the end
    float TiltWeight = 0.2f;       // ... per dB of the band over 2.3 kHz against that under 500 Hz
};

// Reserved1 and Reserved2 of every step, as this analyser fills them:
// Reserved1 = the sample of the nucleus (the loudness peak);
// Reserved2 = the step's mean pitch in tenths of a hertz, 0 when unvoiced.
struct PhraseSteps
{
    int32_t PhraseStart = 0; // first sample of the spoken phrase
    int32_t PhraseEnd = 0;   // last sample
    std::vector<StepRecord> Steps;
};

inline constexpr int32_t MaxStepHeight = 30000;
// Readers refuse a step chunk of 2102 values or more, so at most 299 whole
// steps (2 + 7 x 299 = 2095 values) are ever written.
inline constexpr int MaxFoundSteps = 299;

// Finds the steps of a mono recording ([-1, 1] samples) whose pitch track
// TrackPitch gave. No steps when nothing in it sounds like a syllable.
PhraseSteps FindSteps(const std::vector<float>& samples, int rate,
                      const std::vector<PitchFrame>& pitch, const StepSettings& settings = {});
// The same on the signal the pitch tracker was given.
PhraseSteps FindSteps(const PreparedSignal& signal, const std::vector<PitchFrame>& pitch,
                      const StepSettings& settings = {});
