// The analyser's speed: the analysis of a 6-second recording in the
// process, and the whole TVM program on a 6-second recording as the tutor
// starts it (wall time, start-up and file rewrite included).
#include "analyser/PhraseAnalysis.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

constexpr int Rate = 22050;

// Six seconds of vowel-like syllables (a pulse train through a formant
// resonator) with pauses, gliding pitch and changing loudness.
std::vector<float> SixSecondPhrase()
{
    std::vector<float> samples(6 * Rate, 0.0f);
    double phase = 0, y1 = 0, y2 = 0;
    const double r = std::exp(-std::numbers::pi * 90.0 / Rate);
    const double a1 = 2 * r * std::cos(2 * std::numbers::pi * 700.0 / Rate);
    for (size_t i = 0; i < samples.size(); ++i) {
        const double t = static_cast<double>(i) / Rate;
        const double inSyllable = std::fmod(t, 0.3);
        const bool voiced = t > 0.3 && t < 5.6 && inSyllable < 0.22;
        const double f0 = 110 + 40 * std::sin(2 * std::numbers::pi * t / 2.5);
        phase += f0 / Rate;
        const double pulse = voiced && phase >= 1 ? 1.0 : 0.0;
        phase -= std::floor(phase);
        const double y = (1 - r) * pulse + a1 * y1 - r * r * y2;
        y2 = y1;
        y1 = y;
        samples[i] = static_cast<float>(y * (0.6 + 0.3 * std::sin(t * 3)));
    }
    return samples;
}

// The same phrase in a living room heard from beyond the critical distance:
// the room's response is the direct sound and a tail of noise decaying by
// 60 dB in 0.7 s, 3 dB stronger than the direct sound. The recording starts
// 0.8 s before the speaker does, as a learner's recording would.
std::vector<float> SixSecondPhraseInARoom()
{
    const std::vector<float> dry = SixSecondPhrase();
    const double decaySeconds = 0.7;
    std::vector<double> tail(static_cast<size_t>(decaySeconds * Rate));
    uint32_t seed = 12345;
    double energy = 0;
    for (size_t k = 0; k < tail.size(); ++k) {
        seed = seed * 1664525u + 1013904223u;
        const double noise = static_cast<double>(seed >> 8) / (1 << 24) - 0.5;
        tail[k] = noise * std::pow(10.0, -3.0 * k / (decaySeconds * Rate));
        energy += tail[k] * tail[k];
    }
    const double scale = std::sqrt(std::pow(10.0, 0.3) / energy);
    std::vector<float> wet(dry);
    const size_t onset = Rate / 200; // the first reflection 5 ms after the direct sound
    for (size_t i = 0; i < dry.size(); ++i) {
        if (dry[i] == 0) continue;
        for (size_t k = onset; k < tail.size() && i + k < wet.size(); ++k)
            wet[i + k] += static_cast<float>(scale * tail[k] * dry[i]);
    }
    wet.insert(wet.begin(), static_cast<size_t>(0.8 * Rate), 0.0f);
    wet.resize(dry.size());
    return wet;
}

QByteArray WaveBytes(const std::vector<float>& samples)
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
    const QByteArray format = QByteArray("\x01\x00\x01\x00", 4) + u32(Rate) + u32(2 * Rate) +
                              QByteArray("\x02\x00\x10\x00", 4);
    const QByteArray body = "WAVEfmt " + u32(16) + format + "data" + u32(data.size()) + data;
    return "RIFF" + u32(body.size()) + body;
}

void AnalysePhrase(benchmark::State& state, const std::vector<float>& phrase)
{
    PcmSamples samples;
    samples.Mono = phrase;
    for (float& s : samples.Mono)
        s = std::clamp(s * 8.0f, -1.0f, 1.0f);
    samples.Rate = Rate;
    for (auto _ : state) {
        const PhraseAnalysis analysis = AnalysePhrase(samples);
        benchmark::DoNotOptimize(analysis.Steps.Steps.size());
        if (!analysis.Good) state.SkipWithError("analysis not good");
    }
}
void AnalysePhraseOfSixSeconds(benchmark::State& state)
{
    AnalysePhrase(state, SixSecondPhrase());
}
BENCHMARK(AnalysePhraseOfSixSeconds)->Unit(benchmark::kMillisecond);

void AnalysePhraseOfSixSecondsInARoom(benchmark::State& state)
{
    AnalysePhrase(state, SixSecondPhraseInARoom());
}
BENCHMARK(AnalysePhraseOfSixSecondsInARoom)->Unit(benchmark::kMillisecond);

void RunAnalyserProgram(benchmark::State& state, const std::vector<float>& phrase)
{
    const QString program = QCoreApplication::applicationDirPath() + "/../src/TVM";
    if (!QFile::exists(program)) {
        state.SkipWithError("TVM not built");
        return;
    }
    QTemporaryDir folder;
    const QString wave = folder.filePath("Student.wav");
    const QByteArray bytes = WaveBytes(phrase);
    for (auto _ : state) {
        state.PauseTiming();
        QFile file(wave);
        file.open(QIODevice::WriteOnly);
        file.write(bytes);
        file.close();
        QFile::remove(folder.filePath("Student.rsl"));
        state.ResumeTiming();
        QProcess process;
        process.start(program, {wave, "Melod"});
        process.waitForFinished(10000);
        if (process.exitCode() != 0) state.SkipWithError("TVM did not say Good");
    }
}

void AnalyserProgramOnSixSeconds(benchmark::State& state)
{
    RunAnalyserProgram(state, SixSecondPhrase());
}
BENCHMARK(AnalyserProgramOnSixSeconds)->Unit(benchmark::kMillisecond)->UseRealTime();

void AnalyserProgramOnSixSecondsInARoom(benchmark::State& state)
{
    RunAnalyserProgram(state, SixSecondPhraseInARoom());
}
BENCHMARK(AnalyserProgramOnSixSecondsInARoom)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
