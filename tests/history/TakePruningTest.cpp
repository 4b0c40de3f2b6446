// Which takes a phrase keeps, what an attempt counts, and forgetting.
#include "history/HistoryTestSupport.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

namespace {

QDateTime Day(int day)
{
    return QDateTime(QDate(2025, 3, day), QTime(10, 0), Qt::UTC);
}

std::vector<std::optional<int>> ScoresOf(PracticeHistory& history, const PhraseKey& key)
{
    std::vector<StoredTake> takes;
    EXPECT_EQ(history.TakesOf(key, takes), HistoryOk);
    std::vector<std::optional<int>> scores;
    for (const StoredTake& take : takes)
        scores.push_back(take.Marks.Score);
    return scores;
}

} // namespace

TEST(TakePruning, KeepsTheFirstTheBestAndTheNewestBeyondTheLimit)
{
    QTemporaryDir dir;
    PracticeHistory history(dir.filePath(HistoryDatabaseName), HistoryOptions{3, 1000});
    ASSERT_EQ(history.Open(), HistoryOk);
    const PhraseKey key{"demo", "14", "14_02"};
    const QString wave = WriteTakeWave(dir.path());

    const std::vector<int> scores = {50, 90, 40, 60, 70};
    for (size_t i = 0; i < scores.size(); ++i)
        ASSERT_EQ(history.RecordTake(GoodTake(key, wave, scores[i], Day(int(i) + 1))), HistoryOk);

    // Newest first: the take just recorded, the best, the first.
    EXPECT_EQ(ScoresOf(history, key), (std::vector<std::optional<int>>{70, 90, 50}));
    // The pruned takes' files are gone with their records.
    EXPECT_EQ(FilesUnder(dir.path() + "/demo", ".wav").size(), 3u);
    const PhraseProgress phrase = OnlyPhraseOf(history, "demo", "14");
    EXPECT_EQ(phrase.Attempts, 5);
    EXPECT_EQ(phrase.TakesKept, 3);
    EXPECT_EQ(phrase.BestScore, 90);
}

TEST(TakePruning, UnscoredTakesGoOldestFirstAndOtherPhrasesAreUntouched)
{
    QTemporaryDir dir;
    PracticeHistory history(dir.filePath(HistoryDatabaseName), HistoryOptions{2, 1000});
    ASSERT_EQ(history.Open(), HistoryOk);
    const PhraseKey key{"demo", "14", "14_02"};
    const PhraseKey other{"demo", "14", "14_03"};
    const QString wave = WriteTakeWave(dir.path());
    ASSERT_EQ(history.RecordTake(GoodTake(other, wave, std::nullopt, Day(1))), HistoryOk);
    for (int day = 2; day <= 5; ++day)
        ASSERT_EQ(history.RecordTake(GoodTake(key, wave, std::nullopt, Day(day))), HistoryOk);

    std::vector<StoredTake> takes;
    ASSERT_EQ(history.TakesOf(key, takes), HistoryOk);
    ASSERT_EQ(takes.size(), 2u);
    EXPECT_EQ(takes[0].RecordedAt, Day(5));
    EXPECT_EQ(takes[1].RecordedAt, Day(2));
    EXPECT_EQ(takes[0].DurationMs, 500);
    EXPECT_TRUE(QFileInfo::exists(takes[0].File));
    EXPECT_EQ(QFileInfo(takes[0].File).fileName(), "20250305T100000.000Z.wav");
    ASSERT_EQ(history.TakesOf(other, takes), HistoryOk);
    EXPECT_EQ(takes.size(), 1u);
}

TEST(TakePruning, ANotGoodTakeIsCountedButItsSoundIsNotKept)
{
    QTemporaryDir dir;
    PracticeHistory history(dir.filePath(HistoryDatabaseName));
    ASSERT_EQ(history.Open(), HistoryOk);
    const PhraseKey key{"demo", "14", "14_02"};
    NewTake take = GoodTake(key, WriteTakeWave(dir.path()), std::nullopt);
    take.Good = false;
    take.Analysis = "Not Good,too quiet";
    ASSERT_EQ(history.RecordTake(take), HistoryOk);

    const PhraseProgress phrase = OnlyPhraseOf(history, "demo", "14");
    EXPECT_EQ(phrase.Attempts, 1);
    EXPECT_EQ(phrase.GoodAttempts, 0);
    EXPECT_EQ(phrase.TakesKept, 0);
    EXPECT_TRUE(FilesUnder(dir.path() + "/demo", "").isEmpty());
}

TEST(TakePruning, ForgettingAPhraseRemovesItsTakesFilesAndCountsOnly)
{
    QTemporaryDir dir;
    PracticeHistory history(dir.filePath(HistoryDatabaseName));
    ASSERT_EQ(history.Open(), HistoryOk);
    const PhraseKey key{"demo", "14", "14_02"};
    const PhraseKey other{"demo", "14", "14_03"};
    const QString wave = WriteTakeWave(dir.path());
    for (int day = 1; day <= 3; ++day)
        ASSERT_EQ(history.RecordTake(GoodTake(key, wave, 60, Day(day))), HistoryOk);
    ASSERT_EQ(history.RecordTake(GoodTake(other, wave, 70, Day(4))), HistoryOk);

    ASSERT_EQ(history.ForgetPhrase(key), HistoryOk);
    EXPECT_TRUE(ScoresOf(history, key).empty());
    EXPECT_FALSE(QFileInfo::exists(dir.filePath("demo/14_02")));
    EXPECT_EQ(ScoresOf(history, other), (std::vector<std::optional<int>>{70}));
    EXPECT_EQ(OnlyPhraseOf(history, "demo", "14").Key, other);
}

TEST(TakePruning, ForgettingNeverDeletesOutsideTheHistoryFolder)
{
    QTemporaryDir dir;
    const QString database = dir.filePath("history/" + HistoryDatabaseName);
    const PhraseKey key{"demo", "14", "14_02"};
    {
        PracticeHistory history(database);
        ASSERT_EQ(history.Open(), HistoryOk);
        ASSERT_EQ(history.RecordTake(GoodTake(key, WriteTakeWave(dir.path()), 60)), HistoryOk);
    }
    // A history file written by something else names a file outside.
    AskDatabase(database, "UPDATE takes SET file = '../Student.wav'");
    PracticeHistory history(database);
    ASSERT_EQ(history.Open(), HistoryOk);
    ASSERT_EQ(history.ForgetPhrase(key), HistoryOk);
    EXPECT_TRUE(QFileInfo::exists(dir.filePath("Student.wav")));
}

// The computer's clock may go back (a flat clock battery, a wrong setting
// put right): the takes keep the order they were recorded in, so the
// learner's first take is still the one kept and the newest stays first.
TEST(TakePruning, TakesKeepTheirRecordingOrderWhenTheClockGoesBack)
{
    QTemporaryDir dir;
    PracticeHistory history(dir.filePath(HistoryDatabaseName), HistoryOptions{3, 1000});
    ASSERT_EQ(history.Open(), HistoryOk);
    const PhraseKey key{"demo", "14", "14_02"};
    const QString wave = WriteTakeWave(dir.path());
    for (int day : {10, 11, 12, 2})
        ASSERT_EQ(history.RecordTake(GoodTake(key, wave, std::nullopt, Day(day))), HistoryOk);

    std::vector<StoredTake> takes;
    ASSERT_EQ(history.TakesOf(key, takes), HistoryOk);
    ASSERT_EQ(takes.size(), 3u);
    EXPECT_EQ(takes[0].RecordedAt, Day(2));
    EXPECT_EQ(takes[1].RecordedAt, Day(12));
    EXPECT_EQ(takes[2].RecordedAt, Day(10));
}

TEST(TakePruning, RecordingsLeftFromBeforeANewHistoryAreNeverTidiedAway)
{
    const PhraseKey key{"demo", "14", "14_02"};
    for (const bool emptyFile : {false, true}) {
        SCOPED_TRACE(emptyFile ? "emptied database" : "no database");
        QTemporaryDir dir;
        const QString takeFolder = dir.filePath("demo/14_02");
        ASSERT_TRUE(QDir().mkpath(takeFolder));
        const QDateTime longAgo = QDateTime::currentDateTimeUtc().addSecs(-3 * 3600);
        QStringList earlier;
        for (int day = 1; day <= 3; ++day)
            earlier.append(takeFolder + '/' + TakeFileName(Day(day)));
        // What an interrupted write of this history leaves: newer than its first take.
        const QString leftOver = takeFolder + '/' + TakeFileName(longAgo.addSecs(60));
        for (const QString& file : earlier + QStringList{leftOver}) {
            ASSERT_TRUE(WriteBytes(file, TakeWaveBytes(300)));
            QFile old(file);
            ASSERT_TRUE(old.open(QIODevice::ReadWrite));
            ASSERT_TRUE(old.setFileTime(longAgo, QFileDevice::FileModificationTime));
        }
        if (emptyFile) ASSERT_TRUE(WriteBytes(dir.filePath(HistoryDatabaseName), QByteArray()));

        PracticeHistory history(dir.filePath(HistoryDatabaseName));
        ASSERT_EQ(history.Open(), HistoryOk);
        const QString wave = WriteTakeWave(dir.path());
        ASSERT_EQ(history.RecordTake(GoodTake(key, wave, 50, longAgo)), HistoryOk);
        ASSERT_EQ(history.RecordTake(GoodTake(key, wave, 60)), HistoryOk);
        for (const QString& file : earlier)
            EXPECT_TRUE(QFile::exists(file)) << file.toStdString();
        EXPECT_FALSE(QFile::exists(leftOver));
    }
}
