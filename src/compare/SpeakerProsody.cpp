#include "compare/SpeakerProsody.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

namespace {

constexpr double VoicedShareWeight = 0.65; // semitones per unit of share
constexpr double LoudnessWeight = 0.14;    // semitones per dB
constexpr double LoudnessWindowSeconds = 0.04;
constexpr double LoudnessHopSeconds = 0.01;
constexpr double QuietestDb = -60; // a silent step is no quieter than this

std::vector<StepProsody> StepsOf(const PhraseData& phrase, double rate)
{
    std::vector<StepProsody> steps;
    const int count = std::clamp<int>(phrase.StepCount, 0, MaxSteps);
    double total = 0;
    for (int i = 1; i <= count; ++i)
        total += std::max<int32_t>(phrase.Steps[i].Length, 0);
    double before = 0;
    for (int i = 1; i <= count; ++i) {
        const StepRecord& record = phrase.Steps[i];
        const double length = std::max<int32_t>(record.Length, 0);
        StepProsody step;
        step.Start = record.Start;
        step.Length = record.Length;
        step.StartSeconds = (double(record.Start) - phrase.PhraseStart) / rate;
        step.EndSeconds = step.StartSeconds + length / rate;
        step.DurationShare = total > 0 ? length / total : 1.0 / count;
        step.Position = total > 0 ? (before + length / 2) / total : (i - 0.5) / count;
        before += length;
        steps.push_back(step);
    }
    return steps;
}

// A point after the turning point of a final rise counts at the turning
// point's level: the rise marks the question, not a stressed step.
double LevelForProminence(const ContourPoint& point, const EndingMeasure& ending)
{
    if (ending.Kind == Ending::Rise && point.Seconds > ending.TurnSeconds)
        return std::min(point.Semitones, ending.TurnSemitones);
    return point.Semitones;
}

void AddPitch(std::vector<StepProsody>& steps, const SpeakerContour& contour,
              const EndingMeasure& ending)
{
    const double allPoints = double(contour.Points.size());
    double lowestPeak = std::numeric_limits<double>::infinity();
    for (StepProsody& step : steps) {
        double sum = 0;
        int count = 0;
        double peak = -std::numeric_limits<double>::infinity();
        step.PeakSeconds = (step.StartSeconds + step.EndSeconds) / 2;
        for (const ContourPoint& point : contour.Points) {
            if (point.Seconds < step.StartSeconds || point.Seconds >= step.EndSeconds) continue;
            sum += point.Semitones;
            ++count;
            const double level = LevelForProminence(point, ending);
            if (level > peak) {
                peak = level;
                step.PeakSeconds = point.Seconds;
            }
        }
        step.Voiced = count > 0;
        step.Pitch = count > 0 ? sum / count : 0;
        step.VoicedShare = allPoints > 0 ? count / allPoints : 0;
        step.PitchPeak = peak;
        if (step.Voiced) lowestPeak = std::min(lowestPeak, peak);
    }
    // A step without voice is less accented than any voiced one.
    const double unvoicedPeak = std::isfinite(lowestPeak) ? lowestPeak - 1 : 0;
    for (StepProsody& step : steps) {
        if (!step.Voiced) step.PitchPeak = unvoicedPeak;
    }
}

void AddLoudness(std::vector<StepProsody>& steps, const WaveHeader& samples,
                 const WaveFormat& format, double rate)
{
    if (samples.Data == nullptr || format.BitsPerSample != 16 || format.Channels != 1) return;
    const int64_t count = samples.BufferLength / 2;
    const int64_t hop = std::max<int64_t>(1, std::llround(LoudnessHopSeconds * rate));
    const int64_t blocksPerWindow =
        std::max<int64_t>(1, std::llround(LoudnessWindowSeconds / LoudnessHopSeconds));
    if (count < hop) return;
    // The squared samples summed per hop: a window is a few blocks, and a
    // phrase's blocks take a few kilobytes where its samples take hundreds.
    std::vector<double> blocks(size_t(count / hop), 0);
    const char* bytes = samples.Data;
    for (double& block : blocks) {
        for (int64_t k = 0; k < hop; ++k, bytes += 2) {
            int16_t sample;
            std::memcpy(&sample, bytes, 2);
            block += double(sample) * sample;
        }
    }
    auto windowDb = [&](int64_t centreBlock) {
        const int64_t from = std::max<int64_t>(0, centreBlock - blocksPerWindow / 2);
        const int64_t to = std::min<int64_t>(int64_t(blocks.size()), from + blocksPerWindow);
        if (to <= from) return QuietestDb;
        double sum = 0;
        for (int64_t b = from; b < to; ++b)
            sum += blocks[size_t(b)];
        const double meanSquare = sum / double((to - from) * hop);
        return std::max(QuietestDb, 10 * std::log10(meanSquare / (32768.0 * 32768.0) + 1e-12));
    };
    double loudest = QuietestDb;
    for (StepProsody& step : steps) {
        double best = QuietestDb;
        // A damaged file's step may reach far outside the sound: only the
        // blocks a window there can touch are looked at, or such a step
        // would take millions of windows.
        const int64_t end = int64_t(step.Start) + std::max<int32_t>(step.Length, 0);
        const int64_t lastBlock = int64_t(blocks.size()) + blocksPerWindow / 2;
        for (int64_t block = std::max<int64_t>(0, step.Start / hop);
             block * hop < end && block <= lastBlock; ++block)
            best = std::max(best, windowDb(block));
        step.LoudnessDb = best;
        loudest = std::max(loudest, best);
    }
    for (StepProsody& step : steps)
        step.LoudnessDb -= loudest;
}

void AddBars(std::vector<StepProsody>& steps, const PhraseData& phrase)
{
    int32_t highest = 0;
    for (int i = 1; i <= int(steps.size()); ++i)
        highest = std::max(highest, phrase.Steps[i].Height);
    for (int i = 1; i <= int(steps.size()); ++i)
        steps[i - 1].Bar = highest > 0 ? std::max(0, phrase.Steps[i].Height) / double(highest) : 0;
}

int AddProminence(std::vector<StepProsody>& steps)
{
    if (steps.empty()) return -1;
    std::vector<double> score;
    for (const StepProsody& step : steps)
        score.push_back(step.PitchPeak + VoicedShareWeight * step.VoicedShare +
                        LoudnessWeight * step.LoudnessDb);
    const auto [low, high] = std::minmax_element(score.begin(), score.end());
    const double span = *high - *low;
    for (size_t i = 0; i < steps.size(); ++i) {
        steps[i].Strength = score[i];
        steps[i].Prominence = span > 0 ? (score[i] - *low) / span : 1;
    }
    return int(high - score.begin());
}

} // namespace

double PairwiseVariability(const std::vector<double>& durations)
{
    if (durations.size() < 2) return 0;
    double sum = 0;
    for (size_t k = 0; k + 1 < durations.size(); ++k) {
        const double mean = (durations[k] + durations[k + 1]) / 2;
        if (mean > 0) sum += std::abs(durations[k] - durations[k + 1]) / mean;
    }
    return 100 * sum / double(durations.size() - 1);
}

SpeakerProsody DescribeSpeaker(const PhraseData& phrase, const PitchTrack& track,
                               const WaveHeader& samples, const WaveFormat& format)
{
    SpeakerProsody speaker;
    const double rate = format.SamplesPerSec > 0 ? format.SamplesPerSec : 22050;
    speaker.SamplesPerSecond = rate;
    speaker.Seconds = std::max(0.0, (double(phrase.PhraseEnd) - phrase.PhraseStart + 1) / rate);
    speaker.Contour = ExtractContour(phrase, track, rate);
    speaker.Ending = MeasureEnding(speaker.Contour.Points);
    speaker.Steps = StepsOf(phrase, rate);
    AddPitch(speaker.Steps, speaker.Contour, speaker.Ending);
    AddLoudness(speaker.Steps, samples, format, rate);
    AddBars(speaker.Steps, phrase);
    speaker.StressedStep = AddProminence(speaker.Steps);
    std::vector<double> durations;
    for (const StepProsody& step : speaker.Steps)
        durations.push_back(std::max<int32_t>(step.Length, 0));
    speaker.Rhythm = PairwiseVariability(durations);
    return speaker;
}
