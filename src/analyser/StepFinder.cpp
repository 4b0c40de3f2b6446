#include "analyser/StepFinder.h"

#include "analyser/Dereverberation.h"
#include "analyser/SignalTools.h"

#include <algorithm>
#include <cmath>

namespace {

// Level contours on the pitch tracker's frame grid, in dB.
struct Contours
{
    std::vector<float> Vowel;   // 300 Hz to about 2.3 kHz, lightly smoothed
    std::vector<float> Balance; // band below 2.3 kHz minus the band above it
    std::vector<float> Full;    // whole band, over the pitch tracker's frames and window
    std::vector<float> Tilt;    // band above 2.3 kHz minus the band below 500 Hz
    std::vector<float> Formant; // 500 Hz to 1 kHz minus 1 to 2.3 kHz: open against front vowels
    std::vector<bool> Voiced;
    float LoudDb = 0;   // level the louder frames of the vowel band reach
    float ActiveDb = 0; // whole-band level above which a frame is not silence
};

Contours MeasureContours(const PreparedSignal& signal, const std::vector<PitchFrame>& pitch)
{
    Contours c;
    const size_t count = pitch.size();
    const int rate = signal.Rate;
    const int hop = PitchHop(rate);
    const int factor = signal.Factor;
    const double lowRate = signal.LowRate;
    // The vowel band comes from the decimated copy: the formants that make
    // a vowel loud lie below 2.5 kHz.
    std::vector<float> vowel = signal.Low;
    Filter(vowel, HighPassSection(300, lowRate, 0.70710678));
    Filter(vowel, HighPassSection(300, lowRate, 0.70710678));
    const std::vector<double> vowelEnergy = RunningEnergy(vowel);
    const std::vector<double> lowEnergy = RunningEnergy(signal.Low);
    // Below 500 Hz: the fundamental and the first harmonics, which a
    // stressed vowel's stronger glottal closure raises less than the
    // higher harmonics.
    std::vector<float> bottom = signal.Low;
    Filter(bottom, LowPassSection(500, lowRate, 0.70710678));
    Filter(bottom, LowPassSection(500, lowRate, 0.70710678));
    const std::vector<double> bottomEnergy = RunningEnergy(bottom);
    // Where the first formant of an open vowel lies against where the second
    // formant of a front vowel does: a reduced vowel ("a" in "about") sits
    // between, a full one towards either side.
    std::vector<float> first = signal.Low, second = signal.Low;
    Filter(first, BandPassSection(710, lowRate, 1.4));
    Filter(second, BandPassSection(1520, lowRate, 1.2));
    const std::vector<double> firstEnergy = RunningEnergy(first);
    const std::vector<double> secondEnergy = RunningEnergy(second);
    const std::vector<double>& fullEnergy = signal.Energy;
    const long lowWidth = std::max(1L, std::lround(0.04 * lowRate));
    const long fullWidth = std::max(1L, std::lround(0.04 * rate));
    // The pitch tracker's level window: about two periods of the lowest voice.
    const long levelWidth = std::max(1L, std::lround(0.03 * rate));

    std::vector<float> raw(count);
    c.Balance.resize(count);
    c.Full.resize(count);
    c.Tilt.resize(count);
    c.Formant.resize(count);
    c.Voiced.resize(count);
    for (size_t k = 0; k < count; ++k) {
        const long lowCentre = std::lround(static_cast<double>(k) * hop / factor);
        raw[k] = WindowLevelDb(vowelEnergy, lowCentre - lowWidth / 2, lowWidth);
        // What the low-passed copy misses is the energy above the vowel band.
        const double lowPower =
            std::pow(10.0, WindowLevelDb(lowEnergy, lowCentre - lowWidth / 2, lowWidth) / 10);
        const double fullPower = std::pow(
            10.0,
            WindowLevelDb(fullEnergy, static_cast<long>(k) * hop - fullWidth / 2, fullWidth) / 10);
        const double highDb = 10 * std::log10(std::max(fullPower - lowPower, 1e-12));
        // Below 2.3 kHz against above: close vowels ("ee", "oo") have their
        // first formant under 300 Hz, so the whole low band counts here.
        c.Balance[k] = static_cast<float>(10 * std::log10(std::max(lowPower, 1e-12)) - highDb);
        c.Tilt[k] = static_cast<float>(
            highDb - WindowLevelDb(bottomEnergy, lowCentre - lowWidth / 2, lowWidth));
        c.Formant[k] = WindowLevelDb(firstEnergy, lowCentre - lowWidth / 2, lowWidth) -
                       WindowLevelDb(secondEnergy, lowCentre - lowWidth / 2, lowWidth);
        // The pitch tracker's level, measured again on this signal, which in
        // a reverberant room has its echoes taken out.
        c.Full[k] = WindowLevelDb(fullEnergy, static_cast<long>(pitch[k].Position) - levelWidth / 2,
                                  levelWidth);
        c.Voiced[k] = pitch[k].Frequency > 0;
    }
    c.Vowel.resize(count);
    for (size_t k = 0; k < count; ++k) {
        const float before = raw[k > 0 ? k - 1 : k];
        const float after = raw[k + 1 < count ? k + 1 : k];
        c.Vowel[k] = (before + raw[k] + after) / 3;
    }
    c.LoudDb = Percentile(c.Vowel, 0.95f);
    const float fullLoud = Percentile(c.Full, 0.95f);
    const float fullFloor = Percentile(c.Full, 0.10f);
    // Sound stands 6 dB above the background, or a quarter of the way from
    // it to the loud frames when the background is that close: in white
    // noise at 5 dB the vowels rise only 8 to 10 dB above it, and a 6 dB
    // margin would leave their onsets and codas as pauses that cut every
    // syllable down to its loudest frames.
    c.ActiveDb = std::max(fullLoud - 35, fullFloor + std::min(6.0f, (fullLoud - fullFloor) / 4));
    return c;
}

bool VoicedNear(const Contours& c, size_t k, size_t reach)
{
    const size_t from = k >= reach ? k - reach : 0;
    const size_t to = std::min(c.Voiced.size() - 1, k + reach);
    for (size_t i = from; i <= to; ++i) {
        if (c.Voiced[i]) return true;
    }
    return false;
}

// Peaks of the vowel-band contour that could be syllable nuclei: loud
// enough, and voiced or with the spectral balance of a vowel.
std::vector<size_t> FindNuclei(const Contours& c, const StepSettings& settings)
{
    std::vector<size_t> peaks;
    const std::vector<float>& v = c.Vowel;
    for (size_t k = 1; k + 1 < v.size(); ++k) {
        if (v[k] <= v[k - 1] || v[k] < v[k + 1] || v[k] < c.LoudDb - settings.FloorDb) continue;
        if (VoicedNear(c, k, 2) || c.Balance[k] > settings.VowelBalanceDb) peaks.push_back(k);
    }
    // Two peaks with hardly a dip between them are one syllable: merge the
    // shallowest pair (keeping the louder peak) until every dip is deep
    // enough and the steps fit the step table. lowest[i] is the contour's
    // minimum between peak i and peak i + 1.
    std::vector<float> lowest;
    for (size_t i = 0; i + 1 < peaks.size(); ++i)
        lowest.push_back(*std::min_element(v.begin() + peaks[i], v.begin() + peaks[i + 1] + 1));
    while (peaks.size() > 1) {
        size_t weakest = 0;
        float weakestDip = 1e9f;
        for (size_t i = 0; i + 1 < peaks.size(); ++i) {
            const float dip = std::min(v[peaks[i]], v[peaks[i + 1]]) - lowest[i];
            if (dip < weakestDip) {
                weakestDip = dip;
                weakest = i;
            }
        }
        if (weakestDip >= settings.MinDipDb && peaks.size() <= static_cast<size_t>(MaxFoundSteps))
            break;
        const size_t drop = v[peaks[weakest]] >= v[peaks[weakest + 1]] ? weakest + 1 : weakest;
        // The stretches on both sides of the dropped peak become one.
        if (drop > 0 && drop < lowest.size()) {
            lowest[drop - 1] = std::min(lowest[drop - 1], lowest[drop]);
            lowest.erase(lowest.begin() + drop);
        } else {
            lowest.erase(lowest.begin() + (drop == 0 ? 0 : drop - 1));
        }
        peaks.erase(peaks.begin() + drop);
    }
    return peaks;
}

struct Span
{
    size_t First = 0; // frames
    size_t Last = 0;
};

// The phrase runs from the first to the last voiced frame or nucleus,
// widened over the sounding frames next to it (an initial "s", a final
// "t"), at most 0.3 s each way.
bool FindPhrase(const Contours& c, const std::vector<size_t>& nuclei, Span& phrase)
{
    size_t first = c.Voiced.size(), last = 0;
    for (size_t k = 0; k < c.Voiced.size(); ++k) {
        if (c.Voiced[k]) {
            first = std::min(first, k);
            last = std::max(last, k);
        }
    }
    if (!nuclei.empty()) {
        first = std::min(first, nuclei.front());
        last = std::max(last, nuclei.back());
    }
    if (first > last) return false;
    const size_t seedFirst = first, seedLast = last;
    while (first > 0 && seedFirst - first < 30 && c.Full[first - 1] > c.ActiveDb)
        --first;
    while (last + 1 < c.Full.size() && last - seedLast < 30 && c.Full[last + 1] > c.ActiveDb)
        ++last;
    phrase = {first, last};
    return true;
}

struct Syllable
{
    size_t Nucleus = 0;
    int64_t Start = 0; // samples
    int64_t End = 0;
    bool BeforePause = false;
};

// Steps run from dip to dip between the nuclei; a pause between two nuclei
// ends the one step where the sound stops and starts the next where it
// starts again.
std::vector<Syllable> DivideIntoSyllables(const Contours& c, const std::vector<size_t>& nuclei,
                                          const Span& phrase, int hop, int64_t sampleCount,
                                          const StepSettings& settings)
{
    const size_t pauseFrames =
        std::max<size_t>(1, static_cast<size_t>(std::lround(settings.PauseSeconds * 100)));
    auto frameStart = [&](size_t k) {
        return std::clamp<int64_t>(static_cast<int64_t>(k) * hop - hop / 2, 0, sampleCount - 1);
    };
    std::vector<Syllable> syllables(nuclei.size());
    for (size_t i = 0; i < nuclei.size(); ++i)
        syllables[i].Nucleus = nuclei[i];
    if (syllables.empty()) return syllables;
    syllables.front().Start = frameStart(phrase.First);
    syllables.back().End = std::min<int64_t>(frameStart(phrase.Last) + hop - 1, sampleCount - 1);
    syllables.back().BeforePause = true;
    for (size_t i = 0; i + 1 < nuclei.size(); ++i) {
        const size_t a = nuclei[i], b = nuclei[i + 1];
        // The longest quiet run between the two nuclei.
        size_t runStart = 0, runLength = 0, bestStart = 0, bestLength = 0;
        for (size_t k = a + 1; k < b; ++k) {
            if (c.Full[k] < c.ActiveDb) {
                if (runLength == 0) runStart = k;
                ++runLength;
                if (runLength > bestLength) {
                    bestLength = runLength;
                    bestStart = runStart;
                }
            } else {
                runLength = 0;
            }
        }
        if (bestLength >= pauseFrames) {
            syllables[i].End = frameStart(bestStart) - 1;
            syllables[i].BeforePause = true;
            syllables[i + 1].Start = frameStart(bestStart + bestLength);
        } else {
            const size_t dip = static_cast<size_t>(
                std::min_element(c.Vowel.begin() + a, c.Vowel.begin() + b + 1) - c.Vowel.begin());
            syllables[i + 1].Start = frameStart(std::max(dip, a + 1));
            syllables[i].End = syllables[i + 1].Start - 1;
        }
    }
    for (Syllable& s : syllables)
        s.End = std::max(s.End, s.Start);
    return syllables;
}

// Frames around the nucleus whose vowel-band level stays within 6 dB of
// its peak, inside the step: how long the vowel itself lasts, whatever the
// consonants around it add to the step.
int NucleusWidth(const Contours& c, const Syllable& s, const std::vector<PitchFrame>& pitch)
{
    const float edge = c.Vowel[s.Nucleus] - 6;
    size_t first = s.Nucleus, last = s.Nucleus;
    while (first > 0 && pitch[first - 1].Position >= s.Start && c.Vowel[first - 1] >= edge)
        --first;
    while (last + 1 < pitch.size() && pitch[last + 1].Position <= s.End &&
           c.Vowel[last + 1] >= edge)
        ++last;
    return static_cast<int>(last - first + 1);
}

// The mean vowel-band level of the step's first and last frame: the dips a
// vowel rises out of.
float EdgeLevel(const Contours& c, const Syllable& s, const std::vector<PitchFrame>& pitch)
{
    size_t first = s.Nucleus, last = s.Nucleus;
    while (first > 0 && pitch[first - 1].Position >= s.Start)
        --first;
    while (last + 1 < pitch.size() && pitch[last + 1].Position <= s.End)
        ++last;
    return (c.Vowel[first] + c.Vowel[last]) / 2;
}

float Semitones(float frequency, float reference)
{
    return 12.0f * std::log2(frequency / reference);
}

// The recording with its late reverberation taken out when the room is
// reverberant, or nothing. The echoes of a loud vowel fill the dip after it
// and carry its loudness into the next syllable, which then stands out
// louder and longer than it was spoken and may swallow the syllable after.
PreparedSignal DryCopy(const PreparedSignal& signal, const std::vector<PitchFrame>& pitch,
                       const StepSettings& settings)
{
    if (settings.EchoFloorDb >= 0) return {};
    std::vector<float> levels;
    for (const PitchFrame& frame : pitch)
        levels.push_back(frame.LevelDb);
    const PitchSettings room;
    const float decayRate = ReverberantDecayRate(pitch, Percentile(levels, 0.95f), room);
    if (decayRate <= 0) return {};
    return PrepareSignal(SuppressLateReverberation(signal.Samples, signal.Rate, decayRate,
                                                   room.TailDelaySeconds, settings.EchoFloorDb,
                                                   room.EchoScale),
                         signal.Rate);
}

} // namespace

PhraseSteps FindSteps(const std::vector<float>& samples, int rate,
                      const std::vector<PitchFrame>& pitch, const StepSettings& settings)
{
    return FindSteps(PrepareSignal(samples, rate), pitch, settings);
}

PhraseSteps FindSteps(const PreparedSignal& recorded, const std::vector<PitchFrame>& pitch,
                      const StepSettings& settings, std::vector<SyllableMeasures>* measures)
{
    PhraseSteps result;
    if (recorded.Samples.empty() || pitch.empty()) return result;
    const PreparedSignal dry = DryCopy(recorded, pitch, settings);
    const PreparedSignal& signal = dry.Samples.empty() ? recorded : dry;
    const int rate = signal.Rate;
    const int hop = PitchHop(rate);
    const int64_t sampleCount = static_cast<int64_t>(signal.Samples.size());
    const Contours c = MeasureContours(signal, pitch);
    std::vector<size_t> nuclei = FindNuclei(c, settings);
    Span phrase;
    if (!FindPhrase(c, nuclei, phrase)) return result;
    std::erase_if(nuclei, [&](size_t k) { return k < phrase.First || k > phrase.Last; });
    const std::vector<Syllable> syllables =
        DivideIntoSyllables(c, nuclei, phrase, hop, sampleCount, settings);
    result.PhraseStart = static_cast<int32_t>(std::clamp<int64_t>(
        static_cast<int64_t>(phrase.First) * hop - hop / 2, 0, sampleCount - 1));
    result.PhraseEnd = static_cast<int32_t>(std::clamp<int64_t>(
        static_cast<int64_t>(phrase.Last) * hop + hop / 2, result.PhraseStart, sampleCount - 1));

    std::vector<float> voicedFrequencies;
    for (const PitchFrame& frame : pitch) {
        if (frame.Frequency > 0) voicedFrequencies.push_back(frame.Frequency);
    }
    const float medianFrequency =
        voicedFrequencies.empty() ? 100.0f : Percentile(voicedFrequencies, 0.5f);

    std::vector<SyllableMeasures> measured;
    for (const Syllable& s : syllables) {
        StepRecord step;
        step.Start = static_cast<int32_t>(s.Start);
        step.Length = static_cast<int32_t>(s.End - s.Start + 1);
        step.Reserved1 = pitch[s.Nucleus].Position;
        SyllableMeasures m;
        m.NucleusDb = c.Vowel[s.Nucleus];
        m.TiltDb = c.Tilt[s.Nucleus];
        m.BalanceDb = c.Balance[s.Nucleus];
        m.FormantDb = c.Formant[s.Nucleus];
        m.Periodicity = pitch[s.Nucleus].Periodicity;
        m.EdgeDb = EdgeLevel(c, s, pitch);
        m.NucleusSeconds = NucleusWidth(c, s, pitch) * hop / static_cast<float>(rate);
        m.BeforePause = s.BeforePause;
        m.Seconds = static_cast<float>(step.Length) / rate;
        // The voiced frames of the step form its pitch window. Where the
        // voicing runs on across the step's edge the window reaches the
        // edge, so the windows of a voiced stretch touch and the tutor
        // treats them as one group.
        size_t firstVoiced = pitch.size(), lastVoiced = 0, voicedCount = 0;
        double semitoneSum = 0, frequencySum = 0, power = 0;
        float peak = -1e9f;
        for (size_t k = 0; k < pitch.size(); ++k) {
            if (pitch[k].Position < s.Start || pitch[k].Position > s.End) continue;
            power += std::pow(10.0, c.Vowel[k] / 10.0);
            if (!c.Voiced[k]) continue;
            firstVoiced = std::min(firstVoiced, k);
            lastVoiced = std::max(lastVoiced, k);
            ++voicedCount;
            const float semitones = Semitones(pitch[k].Frequency, medianFrequency);
            semitoneSum += semitones;
            peak = std::max(peak, semitones);
            frequencySum += pitch[k].Frequency;
        }
        m.EnergyDb = static_cast<float>(10 * std::log10(std::max(power, 1e-12)));
        if (voicedCount == 0) {
            step.PitchStart = step.PitchEnd = step.Reserved1;
        } else {
            const bool fromBefore = firstVoiced > 0 && c.Voiced[firstVoiced - 1] &&
                                    pitch[firstVoiced - 1].Position < s.Start;
            const bool onAfter = lastVoiced + 1 < pitch.size() && c.Voiced[lastVoiced + 1] &&
                                 pitch[lastVoiced + 1].Position > s.End;
            step.PitchStart = fromBefore ? step.Start - 1 : pitch[firstVoiced].Position - 1;
            step.PitchEnd = onAfter ? static_cast<int32_t>(s.End) : pitch[lastVoiced].Position;
            step.Reserved2 = static_cast<int32_t>(std::lround(10 * frequencySum / voicedCount));
            m.Voiced = true;
            m.VoicedSeconds = static_cast<float>(voicedCount * hop) / rate;
            m.MeanSemitones = static_cast<float>(semitoneSum / voicedCount);
            m.PeakSemitones = peak;
            m.RiseSemitones = Semitones(pitch[lastVoiced].Frequency, medianFrequency) -
                              Semitones(pitch[firstVoiced].Frequency, medianFrequency);
        }
        measured.push_back(m);
        result.Steps.push_back(step);
    }
    std::vector<int32_t> nucleusSamples;
    for (const StepRecord& step : result.Steps)
        nucleusSamples.push_back(step.Reserved1);
    const std::vector<VowelCepstrum> cepstra = VowelCepstra(signal.Samples, rate, nucleusSamples);
    for (size_t i = 0; i < measured.size(); ++i)
        measured[i].Cepstrum = cepstra[i];
    const ProminenceCues cues{settings.LoudnessWeight, settings.LengthWeight, settings.PitchWeight,
                              settings.TiltWeight};
    const std::vector<int32_t> heights =
        HeightsFromScores(ScoreSyllables(measured, cues), MaxStepHeight);
    for (size_t i = 0; i < heights.size(); ++i)
        result.Steps[i].Height = heights[i];
    if (measures != nullptr) *measures = std::move(measured);
    return result;
}
