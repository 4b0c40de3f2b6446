// Reading the help document of a large course: the topic lookups lint makes
// for every phrase, and the split into topics the studio makes when it opens
// a course and before each save. Both grow with the document, not with its
// square.
#include "content/HelpDocument.h"
#include "course/CourseHelp.h"

#include <benchmark/benchmark.h>

namespace {

// A help document as the studio writes it, one topic for each of n phrases.
QString ComposedHelp(int phrases)
{
    QString html = "<html><body>\n<h1>Large</h1>\n";
    for (int i = 0; i < phrases; ++i)
        html += QString("<h3><a name=\"%1\"></a>Phrase %1</h3>\n<p>Say it <b>twice</b>.</p>\n")
                    .arg(1000 + i);
    return html + "</body></html>\n";
}

// A stranger's document of n headings left open.
QString OpenHeadings(int headings)
{
    QString html;
    for (int i = 0; i < headings; ++i)
        html += "<h1><a name=\"1\"></a>x";
    return html;
}

void BM_LookUpEveryPhrasesTopic(benchmark::State& state)
{
    const int phrases = static_cast<int>(state.range(0));
    const QString html = ComposedHelp(phrases);
    for (auto _ : state) {
        const std::set<int32_t> topics = HelpDocumentTopics(html);
        int found = 0;
        for (int i = 0; i < phrases; ++i)
            found += static_cast<int>(topics.count(1000 + i));
        benchmark::DoNotOptimize(found);
    }
    state.SetComplexityN(phrases);
}
BENCHMARK(BM_LookUpEveryPhrasesTopic)
    ->Arg(2000)
    ->Arg(8000)
    ->Complexity(benchmark::oN)
    ->Unit(benchmark::kMillisecond);

void BM_SplitAndCompareComposedHelp(benchmark::State& state)
{
    const QString html = ComposedHelp(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        benchmark::DoNotOptimize(SplitHelpTopics(html).size());
        benchmark::DoNotOptimize(HelpTextLostBy(html, html).size());
    }
    state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_SplitAndCompareComposedHelp)
    ->Arg(2000)
    ->Arg(8000)
    ->Complexity(benchmark::oN)
    ->Unit(benchmark::kMillisecond);

void BM_SplitOpenHeadings(benchmark::State& state)
{
    const QString html = OpenHeadings(static_cast<int>(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(SplitHelpTopics(html).size());
    state.SetComplexityN(state.range(0));
    state.counters["bytes"] = static_cast<double>(html.size());
}
BENCHMARK(BM_SplitOpenHeadings)
    ->Arg(10000)
    ->Arg(100000)
    ->Complexity(benchmark::oN)
    ->Unit(benchmark::kMillisecond);

} // namespace
