#include "analyser/Prominence.h"

#include "analyser/ProminenceWeights.h"

#include <algorithm>
#include <cmath>

namespace {

enum CueGroup { Loudness, Length, Pitch, Balance, Position };

// The group of each cue, in the order DescribeSyllables writes them.
constexpr auto Groups = [] {
    std::array<CueGroup, ProminenceFeatureCount> groups{};
    constexpr CueGroup first[AgreementCues] = {
        Loudness, Loudness, Loudness, Loudness, Length,   Length,  Length,  Position,
        Length,   Position, Pitch,    Pitch,    Pitch,    Pitch,   Pitch,   Balance,
        Balance,  Balance,  Pitch,    Length,   Length,   Pitch,   Balance, Balance,
        Pitch,    Loudness, Length,   Length,   Loudness, Loudness};
    for (int j = 0; j < ProminenceFeatureCount; ++j)
        groups[j] = j < AgreementCues ? first[j] : j < EnvelopeCues ? Pitch : Balance;
    return groups;
}();

float Median(std::vector<float> values)
{
    if (values.empty()) return 0;
    std::nth_element(values.begin(), values.begin() + values.size() / 2, values.end());
    return values[values.size() / 2];
}

float Max(const std::vector<float>& values)
{
    return values.empty() ? 0.0f : *std::max_element(values.begin(), values.end());
}

// A value less the mean of the same value in the syllables on either side
// (only those for which it exists); 0 without such a neighbour.
template <typename Value, typename Exists>
float AgainstNeighbours(size_t i, size_t count, Value value, Exists exists)
{
    float sum = 0;
    int n = 0;
    if (i > 0 && exists(i - 1)) {
        sum += value(i - 1);
        ++n;
    }
    if (i + 1 < count && exists(i + 1)) {
        sum += value(i + 1);
        ++n;
    }
    return n == 0 ? 0.0f : value(i) - sum / n;
}

// Pearson's correlation of two cues over the phrase's syllables; 0 when
// too few syllables or a cue that does not vary leave it undefined.
float Correlation(const std::vector<ProminenceFeatures>& features, int a, int b)
{
    const size_t count = features.size();
    if (count < 3) return 0;
    double meanA = 0, meanB = 0;
    for (const ProminenceFeatures& f : features) {
        meanA += f[a];
        meanB += f[b];
    }
    meanA /= static_cast<double>(count);
    meanB /= static_cast<double>(count);
    double cross = 0, varianceA = 0, varianceB = 0;
    for (const ProminenceFeatures& f : features) {
        cross += (f[a] - meanA) * (f[b] - meanB);
        varianceA += (f[a] - meanA) * (f[a] - meanA);
        varianceB += (f[b] - meanB) * (f[b] - meanB);
    }
    if (varianceA < 1e-9 || varianceB < 1e-9) return 0;
    return static_cast<float>(cross / std::sqrt(varianceA * varianceB));
}

// The pitch cues once more, weighed by how far pitch goes with loudness in
// this phrase. Some speakers put their pitch peaks on the loud syllables,
// others (and every speaker in unaccented words) move pitch in ways the
// stress does not explain, such as the raised onset after a voiceless
// consonant or a peak that falls late, on the syllable after the stressed
// one; there pitch must count for less.
void AddPitchAgreement(std::vector<ProminenceFeatures>& features)
{
    // The place of each syllable's peak in the phrase's pitch range against
    // its energy.
    const float agreement = Correlation(features, 12, 2);
    for (ProminenceFeatures& f : features) {
        f[AgreementCues] = agreement * f[10];
        f[AgreementCues + 1] = agreement * f[11];
        f[AgreementCues + 2] = agreement * f[12];
        f[AgreementCues + 3] = agreement * f[21];
    }
}

} // namespace

std::vector<ProminenceFeatures> DescribeSyllables(const std::vector<SyllableMeasures>& syllables)
{
    const size_t count = syllables.size();
    std::vector<ProminenceFeatures> features(count);
    if (count == 0) return features;
    // Lengths as logarithms: a syllable twice as long as its neighbour
    // stands out alike in slow and in fast speech. The offset keeps a
    // barely voiced syllable from counting as infinitely short.
    std::vector<float> nucleus, energy, voicedLog, lengthLog, tilt, balance, peaks, widthLog,
        formant;
    for (const SyllableMeasures& s : syllables) {
        nucleus.push_back(s.NucleusDb);
        energy.push_back(s.EnergyDb);
        voicedLog.push_back(std::log(s.VoicedSeconds + 0.03f));
        lengthLog.push_back(std::log(std::max(s.Seconds, 0.01f)));
        tilt.push_back(s.TiltDb);
        balance.push_back(s.BalanceDb);
        widthLog.push_back(std::log(s.NucleusSeconds + 0.02f));
        formant.push_back(s.FormantDb);
        if (s.Voiced) peaks.push_back(s.PeakSemitones);
    }
    const float loudest = Max(nucleus), fullest = Max(energy);
    const float typicalVoiced = Median(voicedLog), typicalLength = Median(lengthLog);
    const float typicalTilt = Median(tilt), typicalBalance = Median(balance);
    const float typicalWidth = Median(widthLog), typicalFormant = Median(formant);
    // The phrase's average vowel envelope: reduced vowels lie near it, full
    // ones, the stressed syllables' vowels, farther out.
    VowelCepstrum meanCepstrum{};
    for (const SyllableMeasures& s : syllables) {
        for (int c = 0; c < VowelCepstrumSize; ++c)
            meanCepstrum[c] += s.Cepstrum[c] / static_cast<float>(count);
    }
    // Where a syllable's peak lies in the range the speaker uses in this
    // phrase: the top of a narrow range is no accent.
    std::sort(peaks.begin(), peaks.end());
    const float rangeLow = peaks.empty() ? 0.0f : peaks[peaks.size() / 10];
    const float rangeHigh = peaks.empty() ? 0.0f : peaks[peaks.size() - 1 - peaks.size() / 10];
    const float range = std::max(rangeHigh - rangeLow, 2.0f);

    auto any = [](size_t) { return true; };
    auto voiced = [&](size_t k) { return syllables[k].Voiced; };
    for (size_t i = 0; i < count; ++i) {
        const SyllableMeasures& s = syllables[i];
        const float longer = voicedLog[i] - typicalVoiced;
        const float finalFlag = s.BeforePause ? 1.0f : 0.0f;
        ProminenceFeatures& f = features[i];
        f[0] = s.NucleusDb - loudest;
        f[1] = AgainstNeighbours(
            i, count, [&](size_t k) { return nucleus[k]; }, any);
        f[2] = s.EnergyDb - fullest;
        f[3] = AgainstNeighbours(
            i, count, [&](size_t k) { return energy[k]; }, any);
        f[4] = longer;
        f[5] = AgainstNeighbours(
            i, count, [&](size_t k) { return voicedLog[k]; }, any);
        f[6] = lengthLog[i] - typicalLength;
        f[7] = finalFlag;
        // Before a pause every syllable is drawn out (final lengthening),
        // so length says less there.
        f[8] = finalFlag * longer;
        f[9] = count > 1 ? static_cast<float>(i) / static_cast<float>(count - 1) : 0.0f;
        if (s.Voiced) {
            f[10] = s.MeanSemitones;
            f[11] = AgainstNeighbours(
                i, count, [&](size_t k) { return syllables[k].MeanSemitones; }, voiced);
            f[12] = (s.PeakSemitones - rangeLow) / range;
            f[13] = s.RiseSemitones;
            f[14] = std::fabs(s.RiseSemitones);
        }
        f[15] = s.TiltDb - typicalTilt;
        f[16] = AgainstNeighbours(
            i, count, [&](size_t k) { return tilt[k]; }, any);
        f[17] = s.BalanceDb - typicalBalance;
        f[18] = s.Voiced ? 1.0f : 0.0f;
        f[19] = widthLog[i] - typicalWidth;
        f[20] = AgainstNeighbours(
            i, count, [&](size_t k) { return widthLog[k]; }, any);
        if (s.Voiced)
            f[21] = AgainstNeighbours(
                i, count, [&](size_t k) { return syllables[k].PeakSemitones; }, voiced);
        f[22] = s.FormantDb - typicalFormant;
        f[23] = AgainstNeighbours(
            i, count, [&](size_t k) { return formant[k]; }, any);
        f[24] = s.Periodicity;
        // Louder than both neighbours, not only than their mean.
        float louderNeighbour = -1e9f;
        if (i > 0) louderNeighbour = nucleus[i - 1];
        if (i + 1 < count) louderNeighbour = std::max(louderNeighbour, nucleus[i + 1]);
        f[25] = count > 1 ? std::clamp(nucleus[i] - louderNeighbour, -20.0f, 20.0f) : 0.0f;
        // Lengths in seconds too: a long vowel stands out by its extra
        // milliseconds, whatever the others' lengths.
        f[26] = s.VoicedSeconds * (s.BeforePause ? 0.5f : 1.0f);
        f[27] = s.NucleusSeconds * (s.BeforePause ? 0.5f : 1.0f);
        // How deep the dips around the vowel are: a full vowel between
        // consonants stands out of them more than a reduced one.
        f[28] = s.NucleusDb - s.EdgeDb;
        f[29] = AgainstNeighbours(
            i, count, [&](size_t k) { return syllables[k].NucleusDb - syllables[k].EdgeDb; }, any);
        float distance = 0;
        for (int c = 0; c < VowelCepstrumSize; ++c) {
            f[EnvelopeCues + c] = s.Cepstrum[c] - meanCepstrum[c];
            distance += f[EnvelopeCues + c] * f[EnvelopeCues + c];
            // A full vowel beside reduced ones differs from them most.
            f[NeighbourEnvelopeCues + c] = AgainstNeighbours(
                i, count, [&](size_t k) { return syllables[k].Cepstrum[c]; }, any);
        }
        f[EnvelopeDistanceCue] = std::sqrt(distance);
    }
    AddPitchAgreement(features);
    return features;
}

std::vector<float> ScoreSyllables(const std::vector<SyllableMeasures>& syllables,
                                  const ProminenceCues& cues)
{
    const std::array<float, 5> scale = {cues.Loudness, cues.Length, cues.Pitch, cues.Balance, 1};
    std::vector<float> scores;
    for (const ProminenceFeatures& f : DescribeSyllables(syllables)) {
        float score = ProminenceBias;
        for (int j = 0; j < ProminenceFeatureCount; ++j)
            score += scale[Groups[j]] * ProminenceWeights[j] * f[j];
        scores.push_back(score);
    }
    return scores;
}

std::vector<int32_t> HeightsFromScores(const std::vector<float>& scores, int32_t maxHeight)
{
    std::vector<int32_t> heights;
    if (scores.empty()) return heights;
    const float best = *std::max_element(scores.begin(), scores.end());
    // Probabilities relative to the best syllable's, computed so that large
    // log-odds neither overflow nor round every syllable to the top.
    auto logistic = [](float x) { return 1.0 / (1.0 + std::exp(-static_cast<double>(x))); };
    const double top = logistic(best);
    for (float score : scores) {
        const double height = maxHeight * logistic(score) / top;
        heights.push_back(std::clamp(static_cast<int32_t>(std::lround(height)), 1, maxHeight));
    }
    return heights;
}
