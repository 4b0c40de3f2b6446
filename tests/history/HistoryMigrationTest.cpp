// A history written by any earlier version of the tutor opens, keeps its
// takes and is brought up to date; a newer one is left alone.
#include "history/HistorySchema.h"
#include "history/HistoryTestSupport.h"

#include <gtest/gtest.h>

#include <QSqlError>
#include <QTemporaryDir>

namespace {

// A database brought to exactly one version through the migrations, as the
// tutor of that version left it, with one take when it has takes at all.
void MakeDatabaseOfVersion(const QString& path, int version)
{
    const QString name = QUuid::createUuid().toString();
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", name);
        db.setDatabaseName(path);
        ASSERT_TRUE(db.open());
        QString problem;
        ASSERT_EQ(MigrateHistory(db, version, problem), HistoryOk) << problem.toStdString();
        if (version >= 1) {
            QSqlQuery query(db);
            ASSERT_TRUE(query.exec("INSERT INTO phrases (content_pack, category_code, stem, "
                                   "phrase_text, attempts, good_attempts) "
                                   "VALUES ('demo', '14', '14_02', 'Old phrase', 3, 1)"))
                << query.lastError().text().toStdString();
            ASSERT_TRUE(query.exec("INSERT INTO takes (phrase_id, recorded_ms, duration_ms, "
                                   "analysis, file) VALUES (1, 1700000000000, 2300, 'Good', "
                                   "'demo/14_02/20231114T221320.000Z.wav')"));
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
}

} // namespace

TEST(HistoryMigration, OpensADatabaseOfEveryEarlierVersionAndKeepsItsTakes)
{
    const PhraseKey key{"demo", "14", "14_02"};
    for (int version = 0; version < HistorySchemaVersion; ++version) {
        SCOPED_TRACE(version);
        QTemporaryDir dir;
        const QString path = dir.filePath(HistoryDatabaseName);
        MakeDatabaseOfVersion(path, version);

        PracticeHistory history(path);
        ASSERT_EQ(history.Open(), HistoryOk) << history.LastProblem().toStdString();
        EXPECT_EQ(AskDatabase(path, "PRAGMA user_version").toInt(), HistorySchemaVersion);

        std::vector<StoredTake> takes;
        ASSERT_EQ(history.TakesOf(key, takes), HistoryOk);
        ASSERT_EQ(takes.size(), version >= 1 ? 1u : 0u);
        if (version >= 1) {
            EXPECT_EQ(takes[0].RecordedAt.toMSecsSinceEpoch(), 1700000000000);
            EXPECT_EQ(takes[0].DurationMs, 2300);
            EXPECT_EQ(takes[0].Marks, TakeMarks{});
            EXPECT_EQ(takes[0].File, dir.filePath("demo/14_02/20231114T221320.000Z.wav"));
        }

        // The marks the later version added can be stored at once.
        NewTake take = GoodTake(key, WriteTakeWave(dir.path()), 64);
        take.Marks.StressMatch = false;
        ASSERT_EQ(history.RecordTake(take), HistoryOk) << history.LastProblem().toStdString();
        ASSERT_EQ(history.TakesOf(key, takes), HistoryOk);
        EXPECT_EQ(takes.front().Marks, (TakeMarks{64, false, std::nullopt}));
        EXPECT_EQ(OnlyPhraseOf(history, "demo", "14").Attempts, version >= 1 ? 4 : 1);
    }
}

TEST(HistoryMigration, LeavesADatabaseOfANewerVersionAsItIs)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(HistoryDatabaseName);
    MakeDatabaseOfVersion(path, HistorySchemaVersion);
    AskDatabase(path, "PRAGMA user_version = 99");
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray before = file.readAll();
    file.close();

    PracticeHistory history(path);
    EXPECT_EQ(history.Open(), HistoryNewerVersion);
    EXPECT_EQ(history.RecordTake(GoodTake({"demo", "14", "14_02"}, WriteTakeWave(dir.path()), 50)),
              HistoryNewerVersion);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), before);
    EXPECT_TRUE(FilesUnder(dir.path() + "/demo", ".wav").isEmpty());
}
