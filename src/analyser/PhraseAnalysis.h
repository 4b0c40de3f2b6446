#pragma once
// One recording analysed for the tutor: is it usable (and if not, why),
// its steps and its pitch track, and the bytes of the "stp " and "ptc "
// chunks that carry them in a phrase sound file.
#include "analyser/PcmSamples.h"
#include "analyser/PitchTracker.h"
#include "analyser/StepFinder.h"
#include "audio/PhraseData.h"

#include <string>
#include <vector>

// The reasons a result file gives after "Not Good,".
inline constexpr const char* ReasonTooQuiet = "silence or too quiet";
inline constexpr const char* ReasonNoVoice = "no voiced speech";
inline constexpr const char* ReasonClipped = "clipped";
inline constexpr const char* ReasonTooNoisy = "too noisy";
inline constexpr const char* ReasonTooLong = "too long";
inline constexpr const char* ReasonUnsupportedRate = "unsupported sample rate";
inline constexpr const char* ReasonUnreadable = "unreadable file";
inline constexpr const char* ReasonUnwritable = "file cannot be rewritten";

struct PhraseAnalysis
{
    bool Good = false;
    std::string Reason; // empty when Good
    PhraseSteps Steps;
    PitchTrack Pitch; // one point per 10 ms frame; Value in tenths of Hz, 0 unvoiced
};

// Shares of the recording that make it unusable; see AnalysePhrase.
inline constexpr double MaxClippedShare = 0.25; // a square wave, no longer a voice
inline constexpr float MinPeakDb = -70;         // dB full scale
inline constexpr float MinSignalToNoiseDb = 3;  // loud frames over the background
// A voice holds its pitch, within 8 % from one 10-ms frame to the next, for
// 80 ms at least somewhere in a phrase (every recording of the development
// set for 130 ms and more); the pitch a tracker finds in noise (a fan, wind,
// a room where nobody speaks) mostly jumps about sooner. Set low: refusing
// a voice costs a learner more than taking noise for one.
inline constexpr int MinSteadyVoicedFrames = 8;
inline constexpr float SteadyPitchChange = 0.08f;
// A steady recording whose loud frames stay under this level (dB full
// scale) holds a quiet room, not noise: nobody spoke, or the microphone is
// muted or turned down.
inline constexpr float MaxSilentLevelDb = -45;

// The lowest sample rate analysed. Its Nyquist frequency, 4 kHz, lies far
// above the highest voice the pitch tracker follows, and the method's
// filters and blocks are laid out for rates from here up.
inline constexpr int MinSampleRate = 8000;

// ReasonUnsupportedRate or ReasonTooLong when a recording of this rate and
// length cannot be analysed, else nullptr. A file's header tells both, so
// this is decided before any sample is read.
const char* RateOrLengthProblem(int rate, size_t frames);

PhraseAnalysis AnalysePhrase(const PcmSamples& samples);

// The chunk contents as stored: little-endian 32-bit values.
std::vector<char> StepChunkBytes(const PhraseSteps& steps);
std::vector<char> PitchChunkBytes(const PitchTrack& pitch);
