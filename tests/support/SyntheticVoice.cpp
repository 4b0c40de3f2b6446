#include "support/SyntheticVoice.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <random>

namespace {

// A two-pole resonator at `frequency` with `bandwidth`, as a vowel formant.
struct Resonator
{
    double a1 = 0, a2 = 0, gain = 1, y1 = 0, y2 = 0;

    Resonator(double frequency, double bandwidth, int rate)
    {
        const double r = std::exp(-std::numbers::pi * bandwidth / rate);
        a1 = 2 * r * std::cos(2 * std::numbers::pi * frequency / rate);
        a2 = -r * r;
        gain = 1 - r;
    }

    double Next(double x)
    {
        const double y = gain * x + a1 * y1 + a2 * y2;
        y2 = y1;
        y1 = y;
        return y;
    }
};

} // namespace

std::vector<float> WhiteNoise(size_t count, double rms, unsigned seed)
{
    std::mt19937 generator(seed);
    std::normal_distribution<double> normal(0.0, rms);
    std::vector<float> noise(count);
    for (float& value : noise)
        value = static_cast<float>(normal(generator));
    return noise;
}

std::vector<float> InALivingRoom(const std::vector<float>& dry, int rate)
{
    // Four parallel comb filters and two all-passes make the room's echoes.
    const double rt60 = 0.8;
    std::vector<float> wet(dry.size(), 0.0f);
    for (const int delay : {1117, 1277, 1423, 1559}) {
        const double gain = std::pow(10.0, -3.0 * delay / (rate * rt60));
        std::vector<float> comb(dry.size(), 0.0f);
        for (size_t i = 0; i < dry.size(); ++i)
            comb[i] = static_cast<float>(
                dry[i] + (i >= static_cast<size_t>(delay) ? gain * comb[i - delay] : 0.0));
        for (size_t i = 0; i < dry.size(); ++i)
            wet[i] += comb[i] / 4;
    }
    for (const int delay : {225, 341}) {
        std::vector<float> passed(wet.size(), 0.0f);
        for (size_t i = 0; i < wet.size(); ++i) {
            const bool back = i >= static_cast<size_t>(delay);
            passed[i] = -0.7f * wet[i] + (back ? wet[i - delay] + 0.7f * passed[i - delay] : 0.0f);
        }
        wet = passed;
    }
    std::vector<float> heard(dry.size());
    for (size_t i = 0; i < dry.size(); ++i)
        heard[i] = 0.5f * dry[i] + 1.0f * wet[i];
    return heard;
}

SyntheticVoice SynthesiseVoice(const std::vector<VoiceSegment>& segments, int rate, unsigned seed)
{
    SyntheticVoice voice;
    Resonator first(650, 80, rate), second(1150, 100, rate), third(2500, 150, rate);
    std::mt19937 generator(seed);
    std::normal_distribution<double> normal(0.0, 1.0);
    double phase = 0;
    std::vector<double> raw;
    std::vector<double> envelope;
    for (const VoiceSegment& segment : segments) {
        const size_t count = static_cast<size_t>(std::lround(segment.Seconds * rate));
        const bool voiced = !segment.Noise && segment.StartHz > 0 && segment.Amplitude > 0;
        for (size_t i = 0; i < count; ++i) {
            const double t = count > 1 ? static_cast<double>(i) / (count - 1) : 0.0;
            double value = 0;
            float hz = 0;
            if (voiced) {
                hz = static_cast<float>(segment.StartHz *
                                        std::pow(segment.EndHz / segment.StartHz, t));
                phase += hz / rate;
                // One glottal pulse per period, shaped by the formants.
                const double pulse = phase >= 1 ? 1.0 : 0.0;
                phase -= std::floor(phase);
                value = first.Next(pulse) * 3 + second.Next(pulse) * 2 + third.Next(pulse);
            } else if (segment.Noise) {
                value = normal(generator) * segment.Amplitude;
            }
            // 10 ms ramps keep the segment edges from clicking.
            const double edge = std::min(i, count - 1 - i) / (0.01 * rate);
            raw.push_back(value);
            envelope.push_back(voiced ? segment.Amplitude * std::min(1.0, edge) : 1.0);
            voice.TrueHz.push_back(hz);
        }
    }
    // Scale the voiced parts so that each segment peaks at its amplitude.
    double peak = 0;
    for (size_t i = 0; i < raw.size(); ++i) {
        if (voice.TrueHz[i] > 0) peak = std::max(peak, std::fabs(raw[i]));
    }
    voice.Samples.resize(raw.size());
    for (size_t i = 0; i < raw.size(); ++i) {
        const double scaled = voice.TrueHz[i] > 0 && peak > 0 ? raw[i] / peak : raw[i];
        voice.Samples[i] = static_cast<float>(scaled * envelope[i]);
    }
    return voice;
}

QByteArray PcmBytes(const std::vector<float>& samples, int bits, int channels)
{
    QByteArray bytes;
    const int size = bits / 8;
    bytes.reserve(static_cast<qsizetype>(samples.size() * size * channels));
    for (float sample : samples) {
        const double clamped = std::clamp(static_cast<double>(sample), -1.0, 1.0);
        int64_t value = 0;
        if (bits == 8)
            value = std::clamp<int64_t>(std::llround(clamped * 128) + 128, 0, 255);
        else
            value =
                std::clamp<int64_t>(std::llround(clamped * std::ldexp(1.0, bits - 1)),
                                    -(int64_t(1) << (bits - 1)), (int64_t(1) << (bits - 1)) - 1);
        for (int c = 0; c < channels; ++c) {
            for (int i = 0; i < size; ++i)
                bytes += static_cast<char>(static_cast<uint64_t>(value) >> (8 * i) & 0xFF);
        }
    }
    return bytes;
}
