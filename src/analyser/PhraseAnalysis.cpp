#include "analyser/PhraseAnalysis.h"
#include "analyser/SignalTools.h"

#include <algorithm>
#include <cmath>

namespace {

void AppendValue(std::vector<char>& bytes, int32_t value)
{
    const auto v = static_cast<uint32_t>(value);
    bytes.push_back(static_cast<char>(v & 0xFF));
    bytes.push_back(static_cast<char>(v >> 8 & 0xFF));
    bytes.push_back(static_cast<char>(v >> 16 & 0xFF));
    bytes.push_back(static_cast<char>(v >> 24 & 0xFF));
}

float PeakDb(const std::vector<float>& samples)
{
    float peak = 0;
    for (float s : samples)
        peak = std::max(peak, std::fabs(s));
    return peak > 0 ? 20 * std::log10(peak) : -200.0f;
}

float LevelPercentile(const std::vector<PitchFrame>& frames, float fraction)
{
    std::vector<float> levels;
    levels.reserve(frames.size());
    for (const PitchFrame& frame : frames)
        levels.push_back(frame.LevelDb);
    return Percentile(std::move(levels), fraction);
}

// The most frames in a row that are voiced with each within
// SteadyPitchChange of the one before.
int LongestSteadyVoicing(const std::vector<PitchFrame>& track)
{
    int longest = 0;
    int run = 0;
    float previous = 0;
    for (const PitchFrame& frame : track) {
        const float f = frame.Frequency;
        if (f > 0 && previous > 0 && std::fabs(f - previous) < SteadyPitchChange * previous)
            ++run;
        else
            run = f > 0 ? 1 : 0;
        longest = std::max(longest, run);
        previous = f;
    }
    return longest;
}

PhraseAnalysis NotGood(const char* reason)
{
    PhraseAnalysis result;
    result.Reason = reason;
    return result;
}

} // namespace

const char* RateOrLengthProblem(int rate, size_t frames)
{
    if (rate < MinSampleRate) return ReasonUnsupportedRate;
    // The pitch chunk holds at most 9999 points, one per pitch frame.
    const size_t hop = static_cast<size_t>(PitchHop(rate));
    if (frames / hop + (frames % hop != 0 ? 1 : 0) > static_cast<size_t>(MaxPitchPoints))
        return ReasonTooLong;
    return nullptr;
}

PhraseAnalysis AnalysePhrase(const PcmSamples& samples)
{
    const std::vector<float>& mono = samples.Mono;
    if (samples.Rate <= 0) return NotGood(ReasonUnreadable);
    if (const char* problem = RateOrLengthProblem(samples.Rate, mono.size()))
        return NotGood(problem);
    if (mono.empty() || PeakDb(mono) < MinPeakDb) return NotGood(ReasonTooQuiet);
    if (samples.ClippedShare > MaxClippedShare) return NotGood(ReasonClipped);

    PhraseAnalysis result;
    const PreparedSignal signal = PrepareSignal(mono, samples.Rate);
    const std::vector<PitchFrame> track = TrackPitch(signal);
    // A voice stands out of steady background noise; a recording whose loud
    // frames hardly rise above its quiet ones holds noise, not speech.
    const float loudDb = LevelPercentile(track, 0.95f);
    if (loudDb - LevelPercentile(track, 0.10f) < MinSignalToNoiseDb)
        return NotGood(loudDb < MaxSilentLevelDb ? ReasonTooQuiet : ReasonTooNoisy);
    const size_t voiced = static_cast<size_t>(std::count_if(
        track.begin(), track.end(), [](const PitchFrame& f) { return f.Frequency > 0; }));
    result.Steps = FindSteps(signal, track);
    // Five voiced frames (50 ms) are the least that makes a syllable, and a
    // voice holds its pitch for a while somewhere.
    if (voiced < 5 || result.Steps.Steps.empty() ||
        LongestSteadyVoicing(track) < MinSteadyVoicedFrames)
        return NotGood(ReasonNoVoice);

    result.Pitch.reserve(track.size());
    // Nothing above the Nyquist frequency can be heard in the samples: such
    // a value could only be an alias, and is stored as unvoiced.
    const float nyquist = samples.Rate / 2.0f;
    for (const PitchFrame& frame : track) {
        const bool heard = frame.Frequency > 0 && frame.Frequency < nyquist;
        const int32_t value = heard ? static_cast<int32_t>(std::lround(frame.Frequency * 10)) : 0;
        result.Pitch.push_back({frame.Position, value});
    }
    result.Good = true;
    return result;
}

std::vector<char> StepChunkBytes(const PhraseSteps& steps)
{
    std::vector<char> bytes;
    bytes.reserve(4 * (2 + 7 * steps.Steps.size()));
    AppendValue(bytes, steps.PhraseStart);
    AppendValue(bytes, steps.PhraseEnd);
    for (const StepRecord& step : steps.Steps) {
        AppendValue(bytes, step.Start);
        AppendValue(bytes, step.Start + step.Length - 1);
        AppendValue(bytes, step.PitchStart);
        AppendValue(bytes, step.PitchEnd);
        AppendValue(bytes, step.Reserved1);
        AppendValue(bytes, step.Reserved2);
        AppendValue(bytes, step.Height);
    }
    return bytes;
}

std::vector<char> PitchChunkBytes(const PitchTrack& pitch)
{
    std::vector<char> bytes;
    bytes.reserve(8 * pitch.size());
    for (const PitchPoint& point : pitch) {
        AppendValue(bytes, point.Position);
        AppendValue(bytes, point.Value);
    }
    return bytes;
}
