// tvtool history as teachers' scripts read it.
#include "history/HistoryTestSupport.h"
#include "support/ToolRun.h"

#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

namespace {

// Two takes of one phrase, the first without marks, and one of another category.
QString MakeHistory(const QTemporaryDir& dir)
{
    const QString database = dir.filePath(HistoryDatabaseName);
    PracticeHistory history(database);
    EXPECT_EQ(history.Open(), HistoryOk);
    const QString wave = WriteTakeWave(dir.path(), 1200);
    const PhraseKey key{"demo", "14", "14_02"};
    NewTake first = GoodTake(key, wave, std::nullopt,
                             QDateTime(QDate(2025, 3, 4), QTime(10, 22, 33, 456), Qt::UTC));
    first.PhraseText = "Well, he said \"no\"";
    NewTake second = GoodTake(key, wave, 71, first.RecordedAt.addDays(1));
    second.PhraseText = first.PhraseText;
    second.Marks.StressMatch = true;
    second.Marks.EndingMatch = false;
    NewTake other = GoodTake({"demo", "21", "21_01"}, wave, 40, first.RecordedAt);
    NewTake failed = other;
    failed.Good = false;
    for (const NewTake& take : {first, second, other, failed})
        EXPECT_EQ(history.RecordTake(take), HistoryOk);
    return database;
}

} // namespace

TEST(HistoryCommand, ExportsEveryTakeAsCsvAndAsJson)
{
    QTemporaryDir dir;
    const QString database = MakeHistory(dir);

    const ToolRun csv = RunTvtool({"history", "export", "--db", database, "--csv"});
    ASSERT_EQ(csv.exitCode, 0) << csv.err.toStdString();
    const QList<QByteArray> lines = csv.out.split('\n');
    ASSERT_EQ(lines.size(), 5); // header, three takes, the end of the last line
    EXPECT_EQ(lines[0], "content_pack,category_code,stem,phrase_text,recorded_utc,duration_ms,"
                        "analysis,score,stress_match,ending_match,file");
    EXPECT_EQ(lines[1], "demo,14,14_02,\"Well, he said \"\"no\"\"\",2025-03-04T10:22:33.456Z,"
                        "1200,Good,,,," +
                            dir.filePath("demo/14_02/20250304T102233.456Z.wav").toUtf8());
    EXPECT_TRUE(lines[2].contains(",2025-03-05T10:22:33.456Z,1200,Good,71,true,false,"));
    EXPECT_TRUE(lines[3].startsWith("demo,21,21_01,"));

    const ToolRun json = RunTvtool({"history", "export", "--db", database, "--json"});
    ASSERT_EQ(json.exitCode, 0) << json.err.toStdString();
    const QJsonArray takes = QJsonDocument::fromJson(json.out).array();
    ASSERT_EQ(takes.size(), 3);
    const QJsonObject first = takes[0].toObject();
    EXPECT_EQ(first["phrase_text"].toString(), "Well, he said \"no\"");
    EXPECT_TRUE(first["score"].isNull());
    EXPECT_EQ(first["duration_ms"].toInt(), 1200);
    const QJsonObject second = takes[1].toObject();
    EXPECT_EQ(second["score"].toInt(), 71);
    EXPECT_EQ(second["stress_match"].toBool(), true);
    EXPECT_EQ(second["ending_match"].toBool(true), false);
    EXPECT_EQ(second["recorded_utc"].toString(), "2025-03-05T10:22:33.456Z");
}

TEST(HistoryCommand, StatsCountPerCategoryAndForgetRemovesOnePhrase)
{
    QTemporaryDir dir;
    const QString database = MakeHistory(dir);

    const ToolRun stats = RunTvtool({"history", "stats", "--db", database});
    ASSERT_EQ(stats.exitCode, 0) << stats.err.toStdString();
    EXPECT_EQ(stats.out, "content_pack\tcategory_code\tphrases\tattempts\tgood\tkept\tscored\t"
                         "mean_score\tbest_score\n"
                         "demo\t14\t1\t2\t2\t2\t1\t71.0\t71\n"
                         "demo\t21\t1\t2\t1\t1\t1\t40.0\t40\n");

    const ToolRun forget =
        RunTvtool({"history", "forget", "demo", "14", "14_02", "--db", database});
    ASSERT_EQ(forget.exitCode, 0) << forget.err.toStdString();
    EXPECT_FALSE(QFileInfo::exists(dir.filePath("demo/14_02")));
    const ToolRun after = RunTvtool({"history", "export", "--db", database});
    EXPECT_EQ(after.out.count('\n'), 2);
    // Forgetting it again, or a phrase never practised, forgets nothing.
    EXPECT_EQ(RunTvtool({"history", "forget", "demo", "14", "14_02", "--db", database}).exitCode,
              1);
    const ToolRun unknownChart =
        RunTvtool({"history", "chart", "demo", "14", "14_99", "--size", "200x100", "--out",
                   dir.filePath("chart.svg"), "--db", database});
    EXPECT_EQ(unknownChart.exitCode, 1);
    EXPECT_TRUE(unknownChart.err.contains("no phrase demo 14 14_99"));

    // Reading never makes a history where there is none.
    const QString missing = dir.filePath("elsewhere/history.sqlite");
    EXPECT_EQ(RunTvtool({"history", "stats", "--db", missing}).exitCode, 1);
    EXPECT_EQ(RunTvtool({"history", "forget", "a", "b", "c", "--db", missing}).exitCode, 1);
    EXPECT_FALSE(QFileInfo::exists(dir.filePath("elsewhere")));
    const ToolRun both = RunTvtool({"history", "export", "--csv", "--json", "--db", database});
    EXPECT_EQ(both.exitCode, 2);
    EXPECT_TRUE(both.err.endsWith("tvtool history: --csv or --json, not both\n"));
    const ToolRun chart = RunTvtool({"history", "chart", "demo", "14", "14_02", "--db", database});
    EXPECT_EQ(chart.exitCode, 2);
    EXPECT_TRUE(chart.err.endsWith("tvtool history: --size is missing\n"));
}
