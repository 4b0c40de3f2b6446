// The comparison's speed: tvtool compare on two 6-second phrases, the
// command's whole work after the program has started (reading and trimming
// both files, the syllables, the comparison, the JSON), and the view drawn
// from it.
#include "SixSecondPhrase.h"
#include "compare/DrawCompare.h"
#include "tool/Commands.h"
#include "tool/PhraseAuthoring.h"
#include "views/SvgCanvas.h"

#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <sstream>

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
        std::ostringstream out;
        std::ostringstream err;
        const int status = CompareCommand({pair.model, pair.learner, "--json"}, {out, err});
        if (status != 0) state.SkipWithError("compare failed");
        benchmark::DoNotOptimize(out.str().size());
    }
}
BENCHMARK(CompareCommandOnSixSecondPhrases)->Unit(benchmark::kMillisecond);

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
