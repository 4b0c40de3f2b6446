// A tutor killed at any moment of a write, and two tutors writing at once,
// leave a sound history that still holds every take it said it kept.
#include "history/HistoryTestSupport.h"

#include <gtest/gtest.h>

#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <map>
#include <random>

namespace {

const QString WriterProgram = QStringLiteral(TONVALE_BINARY_DIR "/tests/tvhistory-writer");

// The last "kept <n>" a writer printed: the takes it saw committed.
int LastKept(const QByteArray& output)
{
    int kept = 0;
    for (const QByteArray& line : output.split('\n')) {
        if (line.startsWith("kept ")) kept = line.mid(5).toInt();
    }
    return kept;
}

int TotalAttempts(const QString& database)
{
    return int(AskDatabase(database, "SELECT TOTAL(attempts) FROM phrases").toDouble());
}

// Every record names a whole take file, and no phrase keeps more than its limit.
void ExpectEveryRecordedTakeWhole(const QString& database, qint64 waveSize, int keep)
{
    PracticeHistory history(database);
    ASSERT_EQ(history.Open(), HistoryOk) << history.LastProblem().toStdString();
    std::vector<ExportedTake> takes;
    ASSERT_EQ(history.AllTakes(takes), HistoryOk);
    std::map<QString, int> perPhrase;
    for (const ExportedTake& take : takes) {
        EXPECT_EQ(QFileInfo(take.Take.File).size(), waveSize) << take.Take.File.toStdString();
        ++perPhrase[take.Key.Stem];
    }
    for (const auto& [stem, count] : perPhrase)
        EXPECT_LE(count, keep) << stem.toStdString();
}

} // namespace

TEST(HistoryCrash, AWriterKilledAtAnyMomentLeavesASoundHistory)
{
    QTemporaryDir dir;
    const QString database = dir.filePath("history/" + HistoryDatabaseName);
    const QString wave = WriteTakeWave(dir.path(), 300);
    std::mt19937 random(7);
    // From the program's start, through opening and the first takes, to
    // many takes in: the kill lands at every stage of a write.
    std::uniform_int_distribution<int> killAfterMs(5, 400);
    int committed = 0;
    for (int round = 0; round < 25; ++round) {
        SCOPED_TRACE(round);
        QProcess writer;
        writer.start(WriterProgram, {database, wave, "100000", "--keep", "4", "--phrases", "3"});
        ASSERT_TRUE(writer.waitForStarted());
        QThread::msleep(killAfterMs(random));
        writer.kill();
        ASSERT_TRUE(writer.waitForFinished(10000));
        committed += LastKept(writer.readAllStandardOutput());
        if (!QFileInfo::exists(database)) continue; // killed before the history was made

        EXPECT_EQ(AskDatabase(database, "PRAGMA integrity_check"), "ok");
        EXPECT_GE(TotalAttempts(database), committed);
    }
    EXPECT_GT(committed, 0);
    ExpectEveryRecordedTakeWhole(database, QFileInfo(wave).size(), 4);
}

TEST(HistoryCrash, TwoWritersAtOnceKeepEveryTake)
{
    QTemporaryDir dir;
    const QString database = dir.filePath("history/" + HistoryDatabaseName);
    const QString wave = WriteTakeWave(dir.path(), 300);
    QProcess first, second;
    for (QProcess* writer : {&first, &second})
        writer->start(WriterProgram, {database, wave, "40", "--keep", "100", "--phrases", "2"});
    for (QProcess* writer : {&first, &second}) {
        ASSERT_TRUE(writer->waitForFinished(60000));
        EXPECT_EQ(writer->exitCode(), 0) << writer->readAll().toStdString();
    }
    EXPECT_EQ(AskDatabase(database, "PRAGMA integrity_check"), "ok");
    EXPECT_EQ(TotalAttempts(database), 80);
    EXPECT_EQ(AskDatabase(database, "SELECT COUNT(DISTINCT file) FROM takes").toInt(), 80);
    ExpectEveryRecordedTakeWhole(database, QFileInfo(wave).size(), 100);
}
