#pragma once
// The analyser's pitch tracker: one fundamental-frequency estimate every
// 10 ms over a whole recording, 0 where the voice is silent or unvoiced.
//
// Frame k is centred on sample k * hop, hop = round(rate / 100), so that the
// pitch track's positions count samples of the recording itself. Candidates
// come from a normalised cross-correlation on a decimated copy of the signal,
// a dynamic-programming search picks one candidate (or "unvoiced") per frame,
// and the chosen periods are refined on the full-rate signal.
#include "analyser/SignalTools.h"

#include <cstdint>
#include <vector>

struct PitchFrame
{
    int32_t Position = 0;  // frame centre, samples from the first sample
    float Frequency = 0;   // Hz; 0 = unvoiced
    float Periodicity = 0; // best normalised correlation in the frame, 0..1
    float LevelDb = -120;  // frame level, dB relative to full scale
};

struct PitchSettings
{
    float MinFrequency = 55;  // Hz
    float MaxFrequency = 700; // Hz
    float WindowSeconds = 0.020f;
    int MaxCandidates = 6;
    float CandidateFloor = 0.25f;    // correlation below which a peak is no candidate
    float LagWeight = 0.25f;         // bias against long periods (subharmonics)
    float VoicingBias = 0.0f;        // raises the cost of "unvoiced"
    float FrequencyWeight = 0.45f;   // cost per unit of |ln(f2 / f1)| between frames
    float OctaveJumpCost = 0.15f;    // extra cost when the frequency changes by more than 25 %
    float VoicingChangeCost = 0.25f; // cost of a voiced / unvoiced change
    float LevelChangeWeight = 0.02f; // per dB: onsets go with rising level, offsets falling
    float QuietStartDb = 15;         // below the loud frames by this much, "unvoiced" gets cheaper
    float QuietSlope = 0.03f;        // ... by this much per dB
    float RangeOctaves = 0.75f;      // free distance from the speaker's typical pitch
    float RangeWeight = 0.5f;        // cost per octave beyond it
    float RefineWindowSeconds = 0.030f;
    float EdgeCorrelation = 0.35f;    // correlation that extends a voiced run by a frame
    float NoiseAllowance = 0.3f;      // extra voicing bias over a loud aperiodic background
    float NoisySnrDb = 25;            // ... in full below a quarter of this, none above it
    float PeriodicBackground = 0.35f; // background correlation above which none is given
    float FlatteningGamma = 0.8f;     // 0 = correlate the fully whitened signal, 1 = not whitened
    int PredictorOrder = 10;
    float SmoothingPerHz = 0.4f; // spectral smoothing per Hz of the speaker's typical pitch
    // Reverberant rooms: a frame whose level is no more than the room's
    // decay leaves of the sound TailDelaySeconds earlier is a tail.
    float ReverberantSeconds = 0.3f; // decay time (RT60) from which tails are looked for
    float TailDelaySeconds = 0.05f;  // direct sound and early reflections end by then
    float TailExcessDb = 4;          // a frame this far above the tail's level holds a voice
    float TailWeight = 0.3f;         // how much cheaper "unvoiced" gets in a pure tail
    float EchoFloorDb = -25;         // late reverberation taken out down to this; 0 = not at all
    float EchoScale = 6;             // the late reverberation's estimate times this
};

// Samples are mono, in [-1, 1]. The result has one frame per hop starting
// at sample 0, as long as the frame centre lies inside the recording.
std::vector<PitchFrame> TrackPitch(const std::vector<float>& samples, int rate,
                                   const PitchSettings& settings = {});
// The same on a signal prepared once for the step finder too.
std::vector<PitchFrame> TrackPitch(const PreparedSignal& signal,
                                   const PitchSettings& settings = {});

// Samples between frame centres: round(rate / 100), at least 1.
int PitchHop(int rate);

// The tracker fed as the samples arrive, block by block, for a live
// display. The search weighs the whole recording (the speaker's typical
// pitch, the whitening, the best path through every frame), so the frames
// read before the last block are provisional: each read tracks everything
// fed so far as if the recording ended there, and a later block may revise
// them. Once every sample is in, the frames are those TrackPitch gives for
// the whole recording.
class PitchTrackerFront
{
public:
    explicit PitchTrackerFront(int rate, const PitchSettings& settings = {});

    // Appends a block of mono samples in [-1, 1].
    void Feed(const float* samples, size_t count);
    void Feed(const std::vector<float>& block) { Feed(block.data(), block.size()); }

    // The frames of every sample fed so far, tracked again only when
    // samples have arrived since the last read.
    const std::vector<PitchFrame>& Frames();

    size_t SampleCount() const { return samples.size(); }
    int Rate() const { return rate; }

private:
    int rate;
    PitchSettings settings;
    std::vector<float> samples;
    std::vector<PitchFrame> frames;
    size_t trackedCount = 0;
    bool tracked = false;
};
