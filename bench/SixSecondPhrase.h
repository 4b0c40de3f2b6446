#pragma once
// Six seconds of speech-like sound for the benchmarks: vowel-like syllables
// (a pulse train through a formant resonator) with pauses, gliding pitch
// and changing loudness, and the bytes of a plain WAVE file holding them.
#include <QByteArray>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <vector>

inline constexpr int SixSecondRate = 22050;

// baseHz: the pitch the voice glides around (40 Hz up and down for 110);
// syllableSeconds: one syllable and its pause.
inline std::vector<float> SixSecondPhrase(double baseHz = 110, double syllableSeconds = 0.3)
{
    constexpr int rate = SixSecondRate;
    std::vector<float> samples(6 * rate, 0.0f);
    double phase = 0, y1 = 0, y2 = 0;
    const double r = std::exp(-std::numbers::pi * 90.0 / rate);
    const double a1 = 2 * r * std::cos(2 * std::numbers::pi * 700.0 / rate);
    for (size_t i = 0; i < samples.size(); ++i) {
        const double t = static_cast<double>(i) / rate;
        const double inSyllable = std::fmod(t, syllableSeconds);
        const bool voiced = t > 0.3 && t < 5.6 && inSyllable < syllableSeconds * 0.22 / 0.3;
        const double f0 = baseHz * (1 + 40.0 / 110.0 * std::sin(2 * std::numbers::pi * t / 2.5));
        phase += f0 / rate;
        const double pulse = voiced && phase >= 1 ? 1.0 : 0.0;
        phase -= std::floor(phase);
        const double y = (1 - r) * pulse + a1 * y1 - r * r * y2;
        y2 = y1;
        y1 = y;
        samples[i] = static_cast<float>(y * (0.6 + 0.3 * std::sin(t * 3)));
    }
    return samples;
}

// The samples, amplified 8 times and clipped, as 16-bit mono PCM.
inline QByteArray WaveBytes(const std::vector<float>& samples)
{
    QByteArray data;
    for (float s : samples) {
        const int v = static_cast<int>(std::lround(std::clamp(s * 8.0f, -1.0f, 1.0f) * 32767));
        data += static_cast<char>(v & 0xFF);
        data += static_cast<char>((v >> 8) & 0xFF);
    }
    auto u32 = [](uint32_t v) {
        QByteArray bytes(4, '\0');
        for (int i = 0; i < 4; ++i)
            bytes[i] = static_cast<char>(v >> (8 * i) & 0xFF);
        return bytes;
    };
    const QByteArray format = QByteArray("\x01\x00\x01\x00", 4) + u32(SixSecondRate) +
                              u32(2 * SixSecondRate) + QByteArray("\x02\x00\x10\x00", 4);
    const QByteArray body = "WAVEfmt " + u32(16) + format + "data" + u32(data.size()) + data;
    return "RIFF" + u32(body.size()) + body;
}
