// Reading the lesson tree and opening the phrase screen on large content.
#include "app/CommonVar.h"
#include "navigation/LessonTree.h"
#include "navigation/PhraseList.h"
#include "navigation/Sentences.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <random>

namespace {

// 100,000 lines: topics of 10 subtopics of leaves, levels 1 to 3.
QByteArray LargeTree()
{
    QByteArray tree = "Root\r\n";
    int line = 1;
    for (int topic = 0; line < 100000; ++topic) {
        tree += "*Topic " + QByteArray::number(topic) + "\r\n";
        ++line;
        for (int sub = 0; sub < 10 && line < 100000; ++sub) {
            tree += "**Subtopic " + QByteArray::number(sub) + "\r\n";
            ++line;
            for (int leaf = 0; leaf < 20 && line < 100000; ++leaf, ++line)
                tree += "***Leaf " + QByteArray::number(leaf) + " / c" + QByteArray::number(line) +
                        "\r\n";
        }
    }
    return tree;
}

// 100,000 lines, 10,000 of them in category "tt", in shuffled order.
QByteArray LargePhraseList()
{
    std::vector<QByteArray> lines;
    for (int i = 0; i < 100000; ++i) {
        const QByteArray code = (i % 10 == 0) ? "tt" : "c" + QByteArray::number(i % 97);
        lines.push_back(code + "_" + QByteArray::number(i) + ".wav;Phrase number " +
                        QByteArray::number(i) + " of the large list\r\n");
    }
    std::shuffle(lines.begin(), lines.end(), std::mt19937(7));
    QByteArray file;
    for (const QByteArray& line : lines)
        file += line;
    return file;
}

// One category of 300,000 phrases, in shuffled order.
QByteArray HugeCategory()
{
    std::vector<QByteArray> lines;
    lines.reserve(300000);
    for (int i = 0; i < 300000; ++i)
        lines.push_back("hh_" + QByteArray::number(i).rightJustified(6, '0') +
                        ".wav;Phrase number " + QByteArray::number(i) +
                        " of the huge category\r\n");
    std::shuffle(lines.begin(), lines.end(), std::mt19937(11));
    QByteArray file;
    for (const QByteArray& line : lines)
        file += line;
    return file;
}

struct LargeContent
{
    QTemporaryDir dir;
    LargeContent()
    {
        QDir().mkpath(dir.filePath("Sounds"));
        QDir().mkpath(dir.filePath("Huge/Sounds"));
        QFile huge(dir.filePath("Huge/Sounds/SentList.txt"));
        huge.open(QIODevice::WriteOnly);
        huge.write(HugeCategory());
        QFile tree(dir.filePath("Sounds/Tree.txt"));
        tree.open(QIODevice::WriteOnly);
        tree.write(LargeTree());
        QFile phrases(dir.filePath("Sounds/SentList.txt"));
        phrases.open(QIODevice::WriteOnly);
        phrases.write(LargePhraseList());
    }
};

LargeContent& Content()
{
    static LargeContent content;
    return content;
}

void BM_ReadLessonTree100kLines(benchmark::State& state)
{
    SoundsFolder = Content().dir.filePath("Sounds") + "/";
    for (auto _ : state) {
        ReadLessonTree();
        benchmark::DoNotOptimize(LastNodeIndex);
    }
    state.counters["nodes"] = LastNodeIndex + 1;
}
BENCHMARK(BM_ReadLessonTree100kLines)->Unit(benchmark::kMillisecond);

// Read, select, sort and fill the list: everything the phrase screen does
// when it opens.
void BM_OpenPhraseScreen10kOf100kLines(benchmark::State& state)
{
    SoundsFolder = Content().dir.filePath("Sounds") + "/";
    CategoryCode = "tt";
    for (auto _ : state) {
        Sentences screen("Large category");
        benchmark::DoNotOptimize(screen.ListOfPhrases->count());
    }
    state.counters["phrases"] = PhraseCount;
}
BENCHMARK(BM_OpenPhraseScreen10kOf100kLines)->Unit(benchmark::kMillisecond);

// A category of 300,000 phrases: the phrase screen opens and shows its list
// in under a second.
void BM_OpenPhraseScreen300kPhrases(benchmark::State& state)
{
    SoundsFolder = Content().dir.filePath("Huge/Sounds") + "/";
    CategoryCode = "hh";
    for (auto _ : state) {
        Sentences screen("Huge category");
        screen.show();
        QCoreApplication::processEvents();
        benchmark::DoNotOptimize(screen.ListOfPhrases->count());
    }
    state.counters["phrases"] = PhraseCount;
}
BENCHMARK(BM_OpenPhraseScreen300kPhrases)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace
