// The analyser's speed: the analysis of a 6-second recording in the
// process, and the whole TVM program on a 6-second recording as the tutor
// starts it (wall time, start-up and file rewrite included); both also for
// the recording made in a reverberant room.
#include "SixSecondPhrase.h"
#include "analyser/PhraseAnalysis.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <algorithm>

namespace {

// The same phrase in a living room heard from beyond the critical distance:
// the room's response is the direct sound and a tail of noise decaying by
// 60 dB in 0.7 s, 3 dB stronger than the direct sound. The recording starts
// 0.8 s before the speaker does, as a learner's recording would.
std::vector<float> SixSecondPhraseInARoom()
{
    const std::vector<float> dry = SixSecondPhrase();
    const double decaySeconds = 0.7;
    std::vector<double> tail(static_cast<size_t>(decaySeconds * SixSecondRate));
    uint32_t seed = 12345;
    double energy = 0;
    for (size_t k = 0; k < tail.size(); ++k) {
        seed = seed * 1664525u + 1013904223u;
        const double noise = static_cast<double>(seed >> 8) / (1 << 24) - 0.5;
        tail[k] = noise * std::pow(10.0, -3.0 * k / (decaySeconds * SixSecondRate));
        energy += tail[k] * tail[k];
    }
    const double scale = std::sqrt(std::pow(10.0, 0.3) / energy);
    std::vector<float> wet(dry);
    const size_t onset = SixSecondRate / 200; // the first reflection 5 ms after the direct sound
    for (size_t i = 0; i < dry.size(); ++i) {
        if (dry[i] == 0) continue;
        for (size_t k = onset; k < tail.size() && i + k < wet.size(); ++k)
            wet[i + k] += static_cast<float>(scale * tail[k] * dry[i]);
    }
    wet.insert(wet.begin(), static_cast<size_t>(0.8 * SixSecondRate), 0.0f);
    wet.resize(dry.size());
    return wet;
}

void AnalysePhrase(benchmark::State& state, const std::vector<float>& phrase)
{
    PcmSamples samples;
    samples.Mono = phrase;
    for (float& s : samples.Mono)
        s = std::clamp(s * 8.0f, -1.0f, 1.0f);
    samples.Rate = SixSecondRate;
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
