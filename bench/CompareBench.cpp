// The comparison's speed: tvtool compare's whole work on two 6-second
// phrases after the program has started (reading and trimming both files,
// the syllables, the comparison, the JSON), the same as a process (its CPU
// time beyond that of starting tvtool), and the view drawn from it.
#include "SixSecondPhrase.h"
#include "authoring/PhraseAuthoring.h"
#include "compare/ComparisonJson.h"
#include "compare/DrawCompare.h"
#include "compare/Syllables.h"
#include "views/PitchProcessing.h"
#include "views/SvgCanvas.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <sys/resource.h>

namespace {

// A model at 110 Hz and a learner an octave higher who speaks faster, both
// authored as phrase files as the analyser leaves them.
struct SixSecondPair
{
    QTemporaryDir folder;
    QString model = folder.filePath("model.wav");
    QString learner = folder.filePath("learner.wav");
    bool ready = false;

    SixSecondPair()
    {
        ready =
            Author(SixSecondPhrase(110, 0.3), model) && Author(SixSecondPhrase(220, 0.26), learner);
    }

    bool Author(const std::vector<float>& samples, const QString& target)
    {
        const QString take = target + ".take.wav";
        QFile file(take);
        if (!file.open(QIODevice::WriteOnly) || file.write(WaveBytes(samples)) < 0) return false;
        file.close();
        return AuthorPhraseFile(take, target, "six seconds").Written;
    }
};

void CompareCommandOnSixSecondPhrases(benchmark::State& state)
{
    SixSecondPair pair;
    if (!pair.ready) {
        state.SkipWithError("cannot author the phrases");
        return;
    }
    for (auto _ : state) {
        LoadedPhrase model;
        LoadedPhrase learner;
        if (model.Read(pair.model, 1) != 0 || learner.Read(pair.learner, 1) != 0) {
            state.SkipWithError("compare failed");
            break;
        }
        TrimPitchWindows(model.Phrase, model.Pitch);
        TrimPitchWindows(learner.Phrase, learner.Pitch);
        const Comparison comparison = ComparePhrases(model, learner, ReadSyllables(pair.model));
        benchmark::DoNotOptimize(ComparisonJson(comparison).size());
    }
}
BENCHMARK(CompareCommandOnSixSecondPhrases)->Unit(benchmark::kMillisecond);

// User and system CPU seconds of a finished run of tvtool.
double ToolCpuSeconds(const QString& program, const QStringList& args)
{
    rusage before{};
    rusage after{};
    getrusage(RUSAGE_CHILDREN, &before);
    QProcess process;
    process.start(program, args);
    process.waitForFinished(10000);
    getrusage(RUSAGE_CHILDREN, &after);
    auto seconds = [](const timeval& t) { return double(t.tv_sec) + t.tv_usec / 1e6; };
    return seconds(after.ru_utime) - seconds(before.ru_utime) + seconds(after.ru_stime) -
           seconds(before.ru_stime);
}

// The time reported is the CPU time of a tvtool compare process less that
// of a tvtool process that only prints its usage.
void CompareProgramBeyondStartUp(benchmark::State& state)
{
    const QString program = QCoreApplication::applicationDirPath() + "/../src/tvtool";
    SixSecondPair pair;
    if (!QFile::exists(program) || !pair.ready) {
        state.SkipWithError("tvtool not built or phrases not authored");
        return;
    }
    double compare = 0;
    double startUp = 0;
    for (auto _ : state) {
        const double run = ToolCpuSeconds(program, {"compare", pair.model, pair.learner, "--json"});
        const double start = ToolCpuSeconds(program, {"--help"});
        compare += run;
        startUp += start;
        state.SetIterationTime(std::max(0.0, run - start));
    }
    state.counters["compare_cpu_ms"] = 1000 * compare / double(state.iterations());
    state.counters["startup_cpu_ms"] = 1000 * startUp / double(state.iterations());
}
BENCHMARK(CompareProgramBeyondStartUp)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(200);

void DrawCompareViewOfSixSecondPhrases(benchmark::State& state)
{
    SixSecondPair pair;
    LoadedPhrase model;
    LoadedPhrase learner;
    if (!pair.ready || model.Read(pair.model) != 0 || learner.Read(pair.learner) != 0) {
        state.SkipWithError("cannot author the phrases");
        return;
    }
    const Comparison comparison = ComparePhrases(model, learner);
    for (auto _ : state) {
        SvgCanvas canvas(600, 200);
        DrawCompare(canvas, comparison);
        benchmark::DoNotOptimize(canvas.Elements().size());
    }
}
BENCHMARK(DrawCompareViewOfSixSecondPhrases)->Unit(benchmark::kMillisecond);

} // namespace
