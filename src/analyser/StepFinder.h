#pragma once
// The analyser's step finder: the spoken phrase's bounds and one step per
// syllable, each with the voiced part that carries its pitch contour and a
// height that says how prominent the syllable is.
//
// Syllable nuclei are the peaks of a loudness contour taken in the band
// where vowels are strong (300 to 2500 Hz), kept when they are voiced or
// vowel-like and when the contour dips between them; steps run from dip to
// dip. Heights come from the prominence model (Prominence.h) over the
// syllable's loudness, length, pitch and spectral balance.
// All positions count samples from the recording's first sample.
#include "analyser/PitchTracker.h"
#include "analyser/Prominence.h"
#include "audio/PhraseData.h"

#include <cstdint>
#include <vector>

struct StepSettings
{
    float FloorDb = 30;         // nuclei lie at most this far below the loud frames
    float MinDipDb = 2;         // two nuclei need a dip this deep between them
    float VowelBalanceDb = 6;   // vowel band this much above the band over 3 kHz: vowel-like
    float PauseSeconds = 0.15f; // a quiet stretch this long between nuclei is a pause
    // In a reverberant room the contours come from the recording with its
    // late reverberation taken out down to this, as the pitch tracker's
    // correlation does; 0 measures them on the recording as it is.
    float EchoFloorDb = PitchSettings{}.EchoFloorDb;
    // Scales of the prominence model's learnt cue groups (1 = as learnt, 0 = left out).
    float LoudnessWeight = 1;
    float LengthWeight = 1;
    float PitchWeight = 1;
    float TiltWeight = 1; // spectral balance and tilt
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
// The same on the signal the pitch tracker was given; `measures`, when
// given, receives what the prominence model was shown of each step.
PhraseSteps FindSteps(const PreparedSignal& signal, const std::vector<PitchFrame>& pitch,
                      const StepSettings& settings = {},
                      std::vector<SyllableMeasures>* measures = nullptr);
