// A second program that writes takes into a practice history, so the tests
// can kill a writer at any moment or run two at once:
//   tvhistory-writer DATABASE WAVE COUNT [--keep N] [--phrases K] [--pack P]
//                    [--fill FILE] [--check]
// Records COUNT Good takes of WAVE, spread over the phrases s0 .. s<K-1> of
// category "c" of pack P (default "pack"), scores cycling through 0..100,
// keeping N takes per phrase (default 20). After each take it prints
// "kept <n>" and flushes, so the test knows what was committed. --fill
// first fills the file system with FILE until it is full; --check prints
// "integrity <answer of PRAGMA integrity_check>" at the end. The first
// failure prints "failed <code>" and ends with exit status 1.
#include "history/PracticeHistory.h"

#include <QCoreApplication>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>

#include <cstdio>

namespace {

void FillFileSystem(const QString& path)
{
    QFile filler(path);
    if (!filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) return;
    const QByteArray block(64 * 1024, 'x');
    while (filler.write(block) == block.size()) {
    }
    const QByteArray small(1, 'x');
    while (filler.write(small) == 1) {
    }
}

void PrintIntegrity(const QString& database)
{
    QString answer = "unknown";
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "check");
        db.setDatabaseName(database);
        QSqlQuery query(db);
        if (db.open() && query.exec("PRAGMA integrity_check") && query.next())
            answer = query.value(0).toString();
    }
    QSqlDatabase::removeDatabase("check");
    std::printf("integrity %s\n", qPrintable(answer));
}

int Failed(int32_t code)
{
    std::printf("failed %d\n", int(code));
    return 1;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    if (args.size() < 3) return 2;
    const QString database = args.takeFirst();
    const QString wave = args.takeFirst();
    const int count = args.takeFirst().toInt();
    HistoryOptions options;
    int phrases = 1;
    QString pack = "pack";
    QString fill;
    bool check = false;
    for (qsizetype i = 0; i < args.size(); ++i) {
        if (args[i] == "--check") {
            check = true;
            continue;
        }
        if (i + 1 >= args.size()) return 2;
        const QString value = args[++i];
        if (args[i - 1] == "--keep")
            options.KeptTakesPerPhrase = value.toInt();
        else if (args[i - 1] == "--phrases")
            phrases = std::max(1, value.toInt());
        else if (args[i - 1] == "--pack")
            pack = value;
        else if (args[i - 1] == "--fill")
            fill = value;
        else
            return 2;
    }
    // Two writers at once may wait for each other a while on a loaded machine.
    options.BusyTimeoutMs = 10000;

    PracticeHistory history(database, options);
    if (int32_t rc = history.Open(); rc != HistoryOk) return Failed(rc);
    if (!fill.isEmpty()) FillFileSystem(fill);
    for (int n = 0; n < count; ++n) {
        NewTake take;
        take.Key = {pack, "c", QString("s%1").arg(n % phrases)};
        take.PhraseText = "A phrase, \"quoted\"";
        take.Good = true;
        take.Analysis = "Good";
        take.AnalysedFile = wave;
        take.Marks.Score = n % 101;
        if (int32_t rc = history.RecordTake(take); rc != HistoryOk) return Failed(rc);
        std::printf("kept %d\n", n + 1);
        std::fflush(stdout);
    }
    if (check) PrintIntegrity(database);
    return 0;
}
