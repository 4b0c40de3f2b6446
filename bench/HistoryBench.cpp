// The practice history on a history of 10,000 takes: keeping a take at the
// end of the analysis cycle (the target is under 20 ms, the copy of a
// 6-second recording and its flush to the disk included), opening the
// History panel of a phrase with 1,000 takes (under 50 ms), and what the
// phrase and tree screens and the tool read.
#include "exercise/HistoryPanel.h"
#include "history/PracticeHistory.h"

#include <QDir>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QtEndian>

#include <benchmark/benchmark.h>

#include <memory>

namespace {

constexpr int StoredTakes = 10000;
constexpr int PhrasesStored = 500; // 20 takes each, the default limit
constexpr int TakesOfBusyPhrase = 1000;

// The longest recording the tutor makes: 6 s of 22050 Hz 16-bit mono.
QByteArray SixSecondWave()
{
    const QByteArray samples(264600, '\x10');
    QByteArray format(16, '\0');
    qToLittleEndian<uint16_t>(1, format.data());
    qToLittleEndian<uint16_t>(1, format.data() + 2);
    qToLittleEndian<uint32_t>(22050, format.data() + 4);
    qToLittleEndian<uint32_t>(44100, format.data() + 8);
    qToLittleEndian<uint16_t>(2, format.data() + 12);
    qToLittleEndian<uint16_t>(16, format.data() + 14);
    const auto chunk = [](const QByteArray& id, const QByteArray& data) {
        QByteArray size(4, '\0');
        qToLittleEndian<uint32_t>(uint32_t(data.size()), size.data());
        return id + size + data;
    };
    const QByteArray body = "WAVE" + chunk("fmt ", format) + chunk("data", samples);
    return chunk("RIFF", body);
}

struct StoredHistory
{
    QTemporaryDir dir;
    QString database;
    QString wave;
};

// Stores takes straight into the database, with an empty file for each:
// through RecordTake, 10,000 recordings would take minutes to set up.
// Phrases "p0".."p<PhrasesStored-1>" of category "c" get
// StoredTakes / PhrasesStored takes each; with a busy phrase, "busy" of
// category "b" gets TakesOfBusyPhrase of them.
std::unique_ptr<StoredHistory> MakeStoredHistory(bool busyPhrase)
{
    auto stored = std::make_unique<StoredHistory>();
    stored->database = stored->dir.filePath(HistoryDatabaseName);
    stored->wave = stored->dir.filePath("Student.wav");
    QFile wave(stored->wave);
    wave.open(QIODevice::WriteOnly);
    wave.write(SixSecondWave());
    wave.close();
    {
        PracticeHistory history(stored->database);
        history.Open();
    }
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "bench-fill");
        db.setDatabaseName(stored->database);
        db.open();
        QSqlQuery query(db);
        query.exec("BEGIN");
        const auto addPhrase = [&](const QString& category, const QString& stem, int takes,
                                   qint64& takeNumber) {
            query.prepare("INSERT INTO phrases (content_pack, category_code, stem, phrase_text, "
                          "attempts, good_attempts) VALUES ('demo', ?, ?, 'A phrase', ?, ?)");
            query.addBindValue(category);
            query.addBindValue(stem);
            query.addBindValue(takes);
            query.addBindValue(takes);
            query.exec();
            const qint64 phraseId = query.lastInsertId().toLongLong();
            QDir().mkpath(stored->dir.filePath("demo/" + stem));
            for (int i = 0; i < takes; ++i, ++takeNumber) {
                const QString file = QString("demo/%1/%2.wav").arg(stem).arg(takeNumber);
                QFile(stored->dir.filePath(file)).open(QIODevice::WriteOnly);
                query.prepare("INSERT INTO takes (phrase_id, recorded_ms, duration_ms, analysis, "
                              "file, score, stress_match, ending_match) "
                              "VALUES (?, ?, 6000, 'Good', ?, ?, 1, 0)");
                query.addBindValue(phraseId);
                query.addBindValue(1700000000000 + takeNumber * 60000);
                query.addBindValue(file);
                query.addBindValue(int(takeNumber % 101));
                query.exec();
            }
        };
        qint64 takeNumber = 0;
        const int spread = busyPhrase ? StoredTakes - TakesOfBusyPhrase : StoredTakes;
        for (int phrase = 0; phrase < PhrasesStored; ++phrase)
            addPhrase("c", QString("p%1").arg(phrase), spread / PhrasesStored, takeNumber);
        if (busyPhrase) addPhrase("b", "busy", TakesOfBusyPhrase, takeNumber);
        query.exec("COMMIT");
        db.close();
    }
    QSqlDatabase::removeDatabase("bench-fill");
    return stored;
}

// Each take goes to the next phrase, which then holds one more than it
// keeps: every iteration also prunes a take and removes its file.
void BM_RecordTakeWith10000Stored(benchmark::State& state)
{
    const auto stored = MakeStoredHistory(false);
    PracticeHistory history(stored->database);
    if (history.Open() != HistoryOk) {
        state.SkipWithError(history.LastProblem().toUtf8().constData());
        return;
    }
    NewTake take;
    take.Key = {"demo", "c", ""};
    take.PhraseText = "A phrase";
    take.Good = true;
    take.Analysis = "Good";
    take.AnalysedFile = stored->wave;
    int n = 0;
    for (auto _ : state) {
        take.Key.Stem = QString("p%1").arg(n % PhrasesStored);
        take.Marks.Score = n % 101;
        ++n;
        if (history.RecordTake(take) != HistoryOk) {
            state.SkipWithError(history.LastProblem().toUtf8().constData());
            break;
        }
    }
}
BENCHMARK(BM_RecordTakeWith10000Stored)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_ListTakesOfAPhraseWith1000(benchmark::State& state)
{
    const auto stored = MakeStoredHistory(true);
    PracticeHistory history(stored->database);
    history.Open();
    std::vector<StoredTake> takes;
    for (auto _ : state) {
        history.TakesOf({"demo", "b", "busy"}, takes);
        benchmark::DoNotOptimize(takes.data());
    }
    if (takes.size() != size_t(TakesOfBusyPhrase))
        state.SkipWithError("the busy phrase lost takes");
}
BENCHMARK(BM_ListTakesOfAPhraseWith1000)->Unit(benchmark::kMillisecond)->UseRealTime();

// The History window as the learner opens it: the takes read, listed with
// their marks and the score chart drawn.
void BM_OpenHistoryPanelWith1000Takes(benchmark::State& state)
{
    const auto stored = MakeStoredHistory(true);
    PracticeHistory history(stored->database);
    history.Open();
    HistoryPanel panel(nullptr);
    for (auto _ : state)
        panel.ShowPhrase(&history, {"demo", "b", "busy"}, "A busy phrase");
    if (panel.TakeList->topLevelItemCount() != TakesOfBusyPhrase)
        state.SkipWithError("the panel lost takes");
}
BENCHMARK(BM_OpenHistoryPanelWith1000Takes)->Unit(benchmark::kMillisecond)->UseRealTime();

// The phrase screen's marks for a category of 500 practised phrases.
void BM_BestScoresOfA500PhraseCategory(benchmark::State& state)
{
    const auto stored = MakeStoredHistory(false);
    PracticeHistory history(stored->database);
    history.Open();
    std::vector<PhraseProgress> phrases;
    for (auto _ : state) {
        history.PhrasesOfCategory("demo", "c", phrases);
        benchmark::DoNotOptimize(phrases.data());
    }
}
BENCHMARK(BM_BestScoresOfA500PhraseCategory)->Unit(benchmark::kMillisecond)->UseRealTime();

// Opening checks the whole file for damage before anything is written.
void BM_OpenHistoryOf10000Takes(benchmark::State& state)
{
    const auto stored = MakeStoredHistory(false);
    for (auto _ : state) {
        PracticeHistory history(stored->database);
        if (history.Open() != HistoryOk) {
            state.SkipWithError(history.LastProblem().toUtf8().constData());
            break;
        }
    }
}
BENCHMARK(BM_OpenHistoryOf10000Takes)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
