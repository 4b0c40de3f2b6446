#include "analyser/PcmSamples.h"
#include "audio/SampleValues.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace {

// One stored value as a float in [-1, 1], and whether it sits at the end of
// the scale (a clipped sample).
float DecodeValue(const unsigned char* p, int bytes, bool isFloat, bool& atLimit)
{
    switch (bytes) {
    case 1: {
        const int v = static_cast<int>(p[0]) - 128;
        atLimit = v <= -128 || v >= 127;
        return v / 128.0f;
    }
    case 2: {
        const int16_t v = static_cast<int16_t>(p[0] | p[1] << 8);
        atLimit = v <= -32768 || v >= 32767;
        return v / 32768.0f;
    }
    case 3: {
        int32_t v = p[0] | p[1] << 8 | p[2] << 16;
        if (v & 0x800000) v -= 0x1000000;
        atLimit = v <= -8388608 || v >= 8388607;
        return static_cast<float>(v / 8388608.0);
    }
    default: {
        const uint32_t bits = static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
                              static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
        if (isFloat) {
            float v;
            std::memcpy(&v, &bits, sizeof v);
            v = FiniteSample(v);
            atLimit = v <= -1.0f || v >= 1.0f;
            return v < -1.0f ? -1.0f : (v > 1.0f ? 1.0f : v);
        }
        const int32_t v = static_cast<int32_t>(bits);
        atLimit = v == INT32_MIN || v == INT32_MAX;
        return static_cast<float>(v / 2147483648.0);
    }
    }
}

} // namespace

std::string PcmFormatProblem(const WaveFormat& format)
{
    const bool isFloat = format.FormatTag == WaveFormatFloat;
    if (format.FormatTag != WaveFormatPcm && !isFloat) return "not PCM";
    const int bits = format.BitsPerSample;
    const bool supported =
        isFloat ? bits == 32 : (bits == 8 || bits == 16 || bits == 24 || bits == 32);
    if (!supported) return "unsupported sample size";
    if (format.Channels == 0 || format.SamplesPerSec == 0 || format.SamplesPerSec > 1000000)
        return "bad format";
    return {};
}

size_t PcmFrameBytes(const WaveFormat& format)
{
    // Block align is what separates frames; a smaller one than the samples
    // need cannot be right, so the samples' own size wins then.
    return std::max<size_t>(format.BlockAlign,
                            static_cast<size_t>(format.Channels) * (format.BitsPerSample / 8));
}

bool DecodePcm(const WaveFormat& format, const char* data, size_t size, PcmSamples& samples,
               std::string& problem)
{
    problem = PcmFormatProblem(format);
    if (!problem.empty()) return false;
    const bool isFloat = format.FormatTag == WaveFormatFloat;
    const int bytes = format.BitsPerSample / 8;
    const size_t channels = format.Channels;
    const size_t frameBytes = PcmFrameBytes(format);
    const size_t frames = size / frameBytes;
    samples.Rate = static_cast<int>(format.SamplesPerSec);
    samples.Mono.assign(frames, 0.0f);
    size_t clipped = 0;
    std::vector<double> channelEnergy(channels, 0.0);
    double mixEnergy = 0;
    const auto* bytesIn = reinterpret_cast<const unsigned char*>(data);
    for (size_t f = 0; f < frames; ++f) {
        const unsigned char* frame = bytesIn + f * frameBytes;
        float sum = 0;
        for (size_t c = 0; c < channels; ++c) {
            bool atLimit = false;
            const float value = DecodeValue(frame + c * bytes, bytes, isFloat, atLimit);
            sum += value;
            channelEnergy[c] += double(value) * value;
            clipped += atLimit ? 1 : 0;
        }
        samples.Mono[f] = sum / static_cast<float>(channels);
        mixEnergy += double(samples.Mono[f]) * samples.Mono[f];
    }
    samples.ClippedShare = frames > 0 ? static_cast<double>(clipped) / (frames * channels) : 0.0;
    // Channels that cancel in the mix would leave an audible take silent:
    // the loudest one is taken alone.
    const auto loudest = std::max_element(channelEnergy.begin(), channelEnergy.end());
    if (channels > 1 && MixCancels(mixEnergy, *loudest)) {
        const size_t c = static_cast<size_t>(loudest - channelEnergy.begin());
        for (size_t f = 0; f < frames; ++f) {
            bool atLimit = false;
            samples.Mono[f] =
                DecodeValue(bytesIn + f * frameBytes + c * bytes, bytes, isFloat, atLimit);
        }
    }
    return true;
}
