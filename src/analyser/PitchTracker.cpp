#include "analyser/PitchTracker.h"

#include "analyser/Dereverberation.h"
#include "analyser/SignalTools.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

constexpr int Unvoiced = -1;

struct Candidate
{
    float Lag = 0;         // period in decimated samples, fractional
    float Correlation = 0; // normalised cross-correlation at that lag
};

// Normalised cross-correlation of the two windows of length `width` that lie
// symmetrically around `centre`, `lag` samples apart. Centring both windows
// on the frame keeps voicing onsets where they are in time whatever the lag.
// Outside the recording the signal counts as silence. FloorEnergy, added to
// both window energies, keeps faint noise from looking periodic.
class CorrelationSignal
{
public:
    // `energy` is the signal's running energy when the caller has it.
    CorrelationSignal(const std::vector<float>& samples, const std::vector<double>* energy)
        : data(samples.data()), size(static_cast<long>(samples.size()))
    {
        if (energy == nullptr) {
            ownEnergy = RunningEnergy(samples);
            energy = &ownEnergy;
        }
        runningEnergy = energy->data();
    }

    double FloorEnergy = 0;

    float Correlate(long centre, int lag, int width) const
    {
        const long start = centre - (width + lag) / 2;
        // The part of the first window whose partner lies inside too.
        const long from = std::max(0L, -start);
        const long to = std::min<long>(width, size - start - lag);
        const double dot = to > from ? DotProduct(data + start + from, data + start + lag + from,
                                                  static_cast<int>(to - from))
                                     : 0.0;
        const double ea = WindowEnergy(start, width) + FloorEnergy;
        const double eb = WindowEnergy(start + lag, width) + FloorEnergy;
        if (ea <= 0 || eb <= 0) return 0;
        return static_cast<float>(dot / std::sqrt(ea * eb));
    }

private:
    double WindowEnergy(long start, long width) const
    {
        const long from = std::clamp(start, 0L, size);
        const long to = std::clamp(start + width, 0L, size);
        return runningEnergy[to] - runningEnergy[from];
    }

    const float* data;
    long size;
    std::vector<double> ownEnergy;
    const double* runningEnergy;
};

// Local maxima of the correlation over the lag range, interpolated with a
// parabola through the peak and its neighbours, strongest first.
std::vector<Candidate> PickCandidates(const std::vector<float>& correlation, int firstLag,
                                      int minLag, int maxLag, const PitchSettings& settings)
{
    std::vector<Candidate> found;
    for (int lag = minLag; lag <= maxLag; ++lag) {
        const float left = correlation[lag - 1 - firstLag];
        const float mid = correlation[lag - firstLag];
        const float right = correlation[lag + 1 - firstLag];
        if (mid < settings.CandidateFloor || mid <= left || mid < right) continue;
        const float curvature = left - 2 * mid + right;
        float offset = 0;
        float peak = mid;
        if (curvature < 0) {
            offset = std::clamp(0.5f * (left - right) / curvature, -0.5f, 0.5f);
            peak = mid - 0.25f * (left - right) * offset;
        }
        found.push_back({lag + offset, std::min(peak, 1.0f)});
    }
    // A perfectly periodic voice correlates as well at two or three periods
    // as at one; ranking with the bias against long periods keeps the true
    // period among the candidates kept.
    auto score = [&](const Candidate& c) {
        return c.Correlation * (1.0f - settings.LagWeight * c.Lag / maxLag);
    };
    std::sort(found.begin(), found.end(),
              [&](const Candidate& a, const Candidate& b) { return score(a) > score(b); });
    if (static_cast<int>(found.size()) > settings.MaxCandidates)
        found.resize(settings.MaxCandidates);
    return found;
}

struct FrameAnalysis
{
    std::vector<Candidate> Candidates;
    float BestCorrelation = 0;
};

// Correlation candidates of every stride-th frame. Frames far below the
// loud ones are skipped: the floor energy keeps their correlation below any
// candidate anyway.
std::vector<FrameAnalysis> AnalyseFrames(const CorrelationSignal& signal,
                                         const std::vector<PitchFrame>& levels, float quietDb,
                                         double hop, int stride, int width, int minLag, int maxLag,
                                         const PitchSettings& settings)
{
    const size_t frameCount = levels.size();
    std::vector<FrameAnalysis> frames(frameCount);
    const int firstLag = minLag - 1;
    std::vector<float> correlation(maxLag - minLag + 3);
    for (size_t k = 0; k < frameCount; k += stride) {
        if (levels[k].LevelDb < quietDb) continue;
        const long centre = std::lround(static_cast<double>(k) * hop);
        for (int lag = firstLag; lag <= maxLag + 1; ++lag)
            correlation[lag - firstLag] = signal.Correlate(centre, lag, width);
        frames[k].Candidates = PickCandidates(correlation, firstLag, minLag, maxLag, settings);
        frames[k].BestCorrelation =
            frames[k].Candidates.empty() ? 0.0f : frames[k].Candidates.front().Correlation;
    }
    return frames;
}

// The median frequency of the clearly periodic, loud frames; 120 Hz when
// there are none.
float TypicalFrequency(const std::vector<FrameAnalysis>& frames,
                       const std::vector<PitchFrame>& levels, float loudDb, double lowRate,
                       int maxLag, const PitchSettings& settings)
{
    std::vector<float> found;
    for (size_t k = 0; k < frames.size(); ++k) {
        if (frames[k].BestCorrelation < 0.8f || levels[k].LevelDb < loudDb - 30) continue;
        const Candidate* best = nullptr;
        float bestScore = 0;
        for (const Candidate& c : frames[k].Candidates) {
            const float score = c.Correlation * (1.0f - settings.LagWeight * c.Lag / maxLag);
            if (score > bestScore) {
                bestScore = score;
                best = &c;
            }
        }
        if (best != nullptr) found.push_back(static_cast<float>(lowRate / best->Lag));
    }
    if (found.empty()) return 120;
    std::nth_element(found.begin(), found.begin() + found.size() / 2, found.end());
    return found[found.size() / 2];
}

// Dynamic programming over the candidates of all frames plus an unvoiced
// state per frame: each frame pays for how poorly its choice correlates, and
// each change between frames pays for a jump in frequency or a voicing
// change that the level does not explain. Returns the chosen candidate per
// frame, or Unvoiced.
struct VoiceContext
{
    float LoudDb = 0;     // level the louder frames reach
    float TypicalLag = 0; // the speaker's typical period, decimated samples
    int MaxLag = 0;
    float VoicingBias = 0;   // the settings' bias plus what the background calls for
    std::vector<float> Tail; // per frame, 0..1: how much the level is a reverberant tail's
};

// Per frame, how far its level is from being a reverberant tail: the late
// reverberation of a room that decays at `rate` dB per second leaves, `lag`
// frames on, the level then less rate x lag; a frame whose level is no
// higher holds nothing but echoes (as in the late-reverberation estimate of
// Lebart, Boucher and Denbigh 2001), one well above it a voice speaking now.
std::vector<float> TailShares(const std::vector<PitchFrame>& levels, float rate, int lag,
                              const PitchSettings& settings)
{
    std::vector<float> tail(levels.size(), 0.0f);
    const float decay = rate * lag * 0.01f;
    for (size_t k = lag; k < levels.size(); ++k) {
        const float excess = levels[k].LevelDb - (levels[k - lag].LevelDb - decay);
        tail[k] = std::clamp(1.0f - excess / settings.TailExcessDb, 0.0f, 1.0f);
    }
    return tail;
}

// Noise that is not periodic lowers the correlation of the voice in it
// (a voice at a signal-to-noise ratio s correlates at most s / (1 + s)), so
// over a loud aperiodic background the voicing decision must ask less of the
// correlation. A background that correlates well itself (other voices, a
// reverberant tail) gets no such allowance.
float BackgroundAllowance(const std::vector<FrameAnalysis>& frames,
                          const std::vector<PitchFrame>& levels, float loudDb,
                          const PitchSettings& settings)
{
    std::vector<float> levelValues;
    for (const PitchFrame& frame : levels)
        levelValues.push_back(frame.LevelDb);
    const float floorDb = Percentile(levelValues, 0.10f);
    const float quietCut = Percentile(levelValues, 0.20f);
    std::vector<float> background;
    for (size_t k = 0; k < frames.size(); ++k) {
        if (levels[k].LevelDb <= quietCut) background.push_back(frames[k].BestCorrelation);
    }
    if (background.empty() || Percentile(background, 0.5f) > settings.PeriodicBackground) return 0;
    const float snrDb = loudDb - floorDb;
    return settings.NoiseAllowance *
           std::clamp((settings.NoisySnrDb - snrDb) / settings.NoisySnrDb * 4 / 3, 0.0f, 1.0f);
}

std::vector<int> ChooseCandidates(const std::vector<FrameAnalysis>& frames,
                                  const std::vector<PitchFrame>& levels, const VoiceContext& voice,
                                  const PitchSettings& settings)
{
    const size_t count = frames.size();
    std::vector<int> choice(count, Unvoiced);
    if (count == 0) return choice;
    const int states = settings.MaxCandidates + 1; // last state = unvoiced
    std::vector<float> cost(count * states, std::numeric_limits<float>::infinity());
    std::vector<int> back(count * states, -1);
    const float octave = std::log(1.25f);

    auto localCost = [&](size_t k, int state) -> float {
        const FrameAnalysis& frame = frames[k];
        if (state == states - 1) {
            // Quiet frames are more likely background than voice.
            const float below = voice.LoudDb - settings.QuietStartDb - levels[k].LevelDb;
            const float quietness = std::clamp(below * settings.QuietSlope, 0.0f, 1.0f);
            const float tail = voice.Tail.empty() ? 0.0f : settings.TailWeight * voice.Tail[k];
            return voice.VoicingBias + frame.BestCorrelation - quietness - tail;
        }
        const Candidate& c = frame.Candidates[state];
        // Far from the speaker's usual pitch, a candidate is more likely a
        // subharmonic, an overtone or another voice.
        const float octaves = std::fabs(std::log2(c.Lag / voice.TypicalLag));
        return 1.0f - c.Correlation * (1.0f - settings.LagWeight * c.Lag / voice.MaxLag) +
               settings.RangeWeight * std::max(0.0f, octaves - settings.RangeOctaves);
    };
    auto validState = [&](size_t k, int state) {
        return state == states - 1 || state < static_cast<int>(frames[k].Candidates.size());
    };

    for (int s = 0; s < states; ++s) {
        if (validState(0, s)) cost[s] = localCost(0, s);
    }
    for (size_t k = 1; k < count; ++k) {
        const float levelRise = levels[k].LevelDb - levels[k - 1].LevelDb;
        for (int s = 0; s < states; ++s) {
            if (!validState(k, s)) continue;
            const bool voiced = s != states - 1;
            float best = std::numeric_limits<float>::infinity();
            int from = -1;
            for (int p = 0; p < states; ++p) {
                const float before = cost[(k - 1) * states + p];
                if (!std::isfinite(before)) continue;
                const bool wasVoiced = p != states - 1;
                float step = 0;
                if (voiced && wasVoiced) {
                    const float jump = std::fabs(
                        std::log(frames[k].Candidates[s].Lag / frames[k - 1].Candidates[p].Lag));
                    step = settings.FrequencyWeight * jump +
                           (jump > octave ? settings.OctaveJumpCost : 0.0f);
                } else if (voiced != wasVoiced) {
                    const float against = voiced ? -levelRise : levelRise;
                    step = settings.VoicingChangeCost +
                           settings.LevelChangeWeight * std::max(0.0f, against);
                }
                if (before + step < best) {
                    best = before + step;
                    from = p;
                }
            }
            cost[k * states + s] = best + localCost(k, s);
            back[k * states + s] = from;
        }
    }
    int state = 0;
    float best = std::numeric_limits<float>::infinity();
    for (int s = 0; s < states; ++s) {
        if (cost[(count - 1) * states + s] < best) {
            best = cost[(count - 1) * states + s];
            state = s;
        }
    }
    for (size_t k = count; k-- > 0;) {
        choice[k] = state == states - 1 ? Unvoiced : state;
        state = back[k * states + state];
        if (state < 0) state = states - 1;
    }
    return choice;
}

// A frame whose window straddles the start or end of voicing correlates
// only partly, so the search tends to start voicing a frame late and end
// it a frame early. Each voiced run takes in its outer neighbour when that
// frame has a candidate close to the run's edge frequency that still
// correlates fairly well.
void ExtendVoicedEdges(const std::vector<FrameAnalysis>& frames, std::vector<int>& choice,
                       const PitchSettings& settings)
{
    auto matching = [&](size_t k, float lag) {
        for (size_t i = 0; i < frames[k].Candidates.size(); ++i) {
            const Candidate& c = frames[k].Candidates[i];
            if (c.Correlation >= settings.EdgeCorrelation && std::fabs(c.Lag / lag - 1) < 0.1f)
                return static_cast<int>(i);
        }
        return Unvoiced;
    };
    const std::vector<int> decided = choice;
    for (size_t k = 0; k < decided.size(); ++k) {
        if (decided[k] == Unvoiced) continue;
        const float lag = frames[k].Candidates[decided[k]].Lag;
        if (k > 0 && decided[k - 1] == Unvoiced) choice[k - 1] = matching(k - 1, lag);
        if (k + 1 < decided.size() && decided[k + 1] == Unvoiced)
            choice[k + 1] = matching(k + 1, lag);
    }
}

// The first and last frame of a voiced run see voicing in only part of
// their window, which pulls their estimate towards the run's inside; they
// take their inner neighbour's value. Inside a run a median of three
// removes single-frame outliers without flattening real movement.
void SmoothVoicedRuns(std::vector<PitchFrame>& frames)
{
    const size_t count = frames.size();
    std::vector<float> value(count);
    for (size_t k = 0; k < count; ++k)
        value[k] = frames[k].Frequency;
    auto voiced = [&](size_t k) { return k < count && value[k] > 0; };
    for (size_t k = 0; k < count; ++k) {
        if (!voiced(k)) continue;
        const bool first = k == 0 || !voiced(k - 1);
        const bool last = !voiced(k + 1);
        if (first && last) continue;
        if (first) {
            frames[k].Frequency = value[k + 1];
        } else if (last) {
            frames[k].Frequency = value[k - 1];
        } else {
            const float a = value[k - 1], b = value[k], c = value[k + 1];
            frames[k].Frequency = std::max(std::min(a, b), std::min(std::max(a, b), c));
        }
    }
}

} // namespace

int PitchHop(int rate)
{
    return std::max(1, static_cast<int>(std::lround(rate / 100.0)));
}

std::vector<PitchFrame> TrackPitch(const std::vector<float>& samples, int rate,
                                   const PitchSettings& settings)
{
    return TrackPitch(PrepareSignal(samples, rate), settings);
}

std::vector<PitchFrame> TrackPitch(const PreparedSignal& signal, const PitchSettings& settings)
{
    std::vector<PitchFrame> result;
    const std::vector<float>& samples = signal.Samples;
    const int rate = signal.Rate;
    if (samples.empty() || rate <= 0) return result;
    const int hop = PitchHop(rate);
    const size_t frameCount = (samples.size() + hop - 1) / hop;
    result.resize(frameCount);

    // Frame levels on the full-rate signal, over a window that spans about
    // two periods of the lowest voice.
    const int levelWidth = std::max(1, static_cast<int>(std::lround(0.03 * rate)));
    std::vector<float> levelValues(frameCount);
    for (size_t k = 0; k < frameCount; ++k) {
        const long centre = static_cast<long>(k) * hop;
        result[k].Position = static_cast<int32_t>(centre);
        result[k].LevelDb = WindowLevelDb(signal.Energy, centre - levelWidth / 2, levelWidth);
        levelValues[k] = result[k].LevelDb;
    }
    const float loudDb = Percentile(levelValues, 0.95f);

    // The correlation analysis runs on the low-passed copy at about 5 kHz:
    // the fundamental and the first harmonics, which carry the periodicity,
    // lie below 2.3 kHz even for a 700 Hz voice, and a quarter of the
    // samples makes the candidate search cheap. The full-rate signal only
    // refines the period.
    const int factor = signal.Factor;
    const double lowRate = signal.LowRate;
    const int tailLag = std::max(1, static_cast<int>(std::lround(settings.TailDelaySeconds * 100)));
    const float decayRate = ReverberantDecayRate(result, loudDb, settings);
    const bool reverberant = decayRate > 0;
    // In a reverberant room the correlation looks at the recording with its
    // late reverberation taken out: the echoes of an ended vowel are as
    // periodic as the vowel was.
    const std::vector<float> dry =
        reverberant && settings.EchoFloorDb < 0
            ? SuppressLateReverberation(signal.Low, signal.LowRate, decayRate,
                                        settings.TailDelaySeconds, settings.EchoFloorDb,
                                        settings.EchoScale)
            : std::vector<float>();
    const std::vector<float>& low = dry.empty() ? signal.Low : dry;
    const int minLag = std::max(2, static_cast<int>(std::floor(lowRate / settings.MaxFrequency)));
    const int maxLag = static_cast<int>(std::ceil(lowRate / settings.MinFrequency));
    const int width = std::max(4, static_cast<int>(std::lround(settings.WindowSeconds * lowRate)));
    const double lowHop = static_cast<double>(hop) / factor;
    // Energies 40 dB below the loud frames add little; near silence they
    // dominate, so faint noise gets no strong correlation. Frames 55 dB
    // below could get none at all and are not looked at.
    const double floorEnergy = width * std::pow(10.0, (loudDb - 40.0) / 10.0);
    const float quietDb = loudDb - 55;

    // A first look at the plain signal finds the speaker's typical pitch,
    // which sets how smooth the spectral envelope taken out must be: widely
    // spaced harmonics of a high voice must not be flattened away.
    CorrelationSignal plain(low, nullptr);
    plain.FloorEnergy = floorEnergy;
    const float typical = TypicalFrequency(
        AnalyseFrames(plain, result, quietDb, lowHop, 4, width, minLag, maxLag, settings), result,
        loudDb, lowRate, maxLag, settings);
    // A predictor with a pole pair for every harmonic in the band would
    // whiten the harmonics themselves; a high voice has few of them.
    const int harmonicsInBand = static_cast<int>(0.42 * lowRate / typical);
    const int order = std::clamp(harmonicsInBand, 2, settings.PredictorOrder);
    const std::vector<float> flat =
        FlattenSpectrum(low, lowHop, order, static_cast<int>(std::lround(0.025 * lowRate)),
                        settings.FlatteningGamma, settings.SmoothingPerHz * typical / lowRate);
    CorrelationSignal coarse(flat, nullptr);
    coarse.FloorEnergy = floorEnergy;
    const std::vector<FrameAnalysis> frames =
        AnalyseFrames(coarse, result, quietDb, lowHop, 1, width, minLag, maxLag, settings);

    VoiceContext voice{loudDb,
                       static_cast<float>(lowRate / typical),
                       maxLag,
                       settings.VoicingBias + BackgroundAllowance(frames, result, loudDb, settings),
                       {}};
    if (reverberant && settings.TailWeight > 0)
        voice.Tail = TailShares(result, decayRate, tailLag, settings);
    std::vector<int> choice = ChooseCandidates(frames, result, voice, settings);
    ExtendVoicedEdges(frames, choice, settings);

    // Refine each chosen period on the full-rate signal: search the full-rate
    // lags that the decimated lag could stand for and interpolate the peak.
    const int fullMinLag = std::max(2, static_cast<int>(std::floor(rate / settings.MaxFrequency)));
    const int fullMaxLag = static_cast<int>(std::ceil(rate / settings.MinFrequency));
    const int fullWidth =
        std::max(4, static_cast<int>(std::lround(settings.RefineWindowSeconds * rate)));
    CorrelationSignal fine(samples, &signal.Energy);
    fine.FloorEnergy = floorEnergy * fullWidth / width;
    std::vector<float> values(2 * factor + 3);
    for (size_t k = 0; k < frameCount; ++k) {
        result[k].Periodicity = frames[k].BestCorrelation;
        if (choice[k] == Unvoiced) continue;
        const Candidate& chosen = frames[k].Candidates[choice[k]];
        const long centre = static_cast<long>(k) * hop;
        const int guess = static_cast<int>(std::lround(chosen.Lag * factor));
        const int from = std::max(fullMinLag - 1, guess - factor);
        const int to = std::min(fullMaxLag + 1, guess + factor);
        float bestValue = -2;
        int bestLag = guess;
        for (int lag = from; lag <= to; ++lag) {
            values[lag - from] = fine.Correlate(centre, lag, fullWidth);
            if (values[lag - from] > bestValue) {
                bestValue = values[lag - from];
                bestLag = lag;
            }
        }
        double period = chosen.Lag * factor;
        if (bestLag > from && bestLag < to) {
            const float left = values[bestLag - 1 - from];
            const float right = values[bestLag + 1 - from];
            const float curvature = left - 2 * bestValue + right;
            period = bestLag;
            if (curvature < 0) period += std::clamp(0.5f * (left - right) / curvature, -0.5f, 0.5f);
        }
        result[k].Frequency = static_cast<float>(rate / period);
        result[k].Periodicity = std::max(bestValue, 0.0f);
    }
    SmoothVoicedRuns(result);
    return result;
}

PitchTrackerFront::PitchTrackerFront(int rate, const PitchSettings& settings)
    : rate(rate), settings(settings)
{
}

void PitchTrackerFront::Feed(const float* block, size_t count)
{
    if (count > 0) samples.insert(samples.end(), block, block + count);
}

const std::vector<PitchFrame>& PitchTrackerFront::Frames()
{
    if (!tracked || trackedCount != samples.size()) {
        frames = TrackPitch(samples, rate, settings);
        trackedCount = samples.size();
        tracked = true;
    }
    return frames;
}
