// The analyser's speed: the analysis of a 6-second recording in the
// process, and the whole TVM program on a 6-second recording as the tutor
// starts it (wall time, start-up and file rewrite included).
#include "SixSecondPhrase.h"
#include "analyser/PhraseAnalysis.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <algorithm>

namespace {

void AnalysePhraseOfSixSeconds(benchmark::State& state)
{
    PcmSamples samples;
    samples.Mono = SixSecondPhrase();
    for (float& s : samples.Mono)
        s = std::clamp(s * 8.0f, -1.0f, 1.0f);
    samples.Rate = SixSecondRate;
    for (auto _ : state) {
        const PhraseAnalysis analysis = AnalysePhrase(samples);
        benchmark::DoNotOptimize(analysis.Steps.Steps.size());
        if (!analysis.Good) state.SkipWithError("analysis not good");
    }
}
BENCHMARK(AnalysePhraseOfSixSeconds)->Unit(benchmark::kMillisecond);

void AnalyserProgramOnSixSeconds(benchmark::State& state)
{
    const QString program = QCoreApplication::applicationDirPath() + "/../src/TVM";
    if (!QFile::exists(program)) {
        state.SkipWithError("TVM not built");
        return;
    }
    QTemporaryDir folder;
    const QString wave = folder.filePath("Student.wav");
    const QByteArray bytes = WaveBytes(SixSecondPhrase());
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
BENCHMARK(AnalyserProgramOnSixSeconds)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
