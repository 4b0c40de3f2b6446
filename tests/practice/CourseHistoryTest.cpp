// Which course a phrase of the history belongs to: courses in folders of
// the same name keep histories of their own, and a history filed under a
// course's folder name passes to the course's identity without mixing in
// another course's phrases.
#include "practice/CourseHistory.h"
#include "../history/HistoryTestSupport.h"
#include "course/CourseManifest.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

// <base>/content with a manifest of identity id (none when empty) and one
// phrase list line per entry.
QString MakeCourse(const QString& base, const QString& id, const QByteArray& phraseLines)
{
    const QString folder = base + "/content";
    QDir().mkpath(folder + "/Sounds");
    WriteBytes(folder + "/Sounds/SentList.txt", phraseLines);
    if (!id.isEmpty()) {
        CourseManifest manifest;
        manifest.Title = "Course " + id;
        manifest.Id = id;
        WriteBytes(folder + '/' + ManifestFileName, CourseManifestText(manifest));
    }
    return folder;
}

} // namespace

TEST(CourseHistory, CoursesInFoldersOfTheSameNameNeverShareMarksOrTakes)
{
    QTemporaryDir dir;
    const QString first = MakeCourse(dir.filePath("level1"), "id-a", "10_01.wav;Bad or bed?\n");
    const QString second = MakeCourse(dir.filePath("level2"), "id-b", "10_01.wav;Ship or sheep?\n");
    const QString plain = MakeCourse(dir.filePath("disc"), QString(), "10_01.wav;Full or fool?\n");
    const PhraseKey firstKey{HistoryPackOf(first), "10", "10_01"};
    const PhraseKey secondKey{HistoryPackOf(second), "10", "10_01"};
    EXPECT_EQ(HistoryPackOf(plain), "content") << "content without an identity: its folder's name";

    PracticeHistory history(dir.filePath("history/" + HistoryDatabaseName));
    ASSERT_EQ(history.Open(), HistoryOk);
    ASSERT_EQ(history.RecordTake(GoodTake(firstKey, WriteTakeWave(dir.path()), 95)), HistoryOk);
    std::vector<PhraseProgress> phrases;
    ASSERT_EQ(history.PhrasesOfCategory(secondKey.ContentPack, "10", phrases), HistoryOk);
    EXPECT_TRUE(phrases.empty());
    ASSERT_EQ(history.ForgetPhrase(secondKey), HistoryOk);
    std::vector<StoredTake> takes;
    ASSERT_EQ(history.TakesOf(firstKey, takes), HistoryOk);
    ASSERT_EQ(takes.size(), 1u);
    EXPECT_TRUE(QFile::exists(takes[0].File));
}

TEST(CourseHistory, PhrasesFiledUnderTheFolderNamePassToTheCourseThatHasThem)
{
    QTemporaryDir dir;
    const QString course = MakeCourse(dir.filePath("level1"), "id-a",
                                      "10_01.wav;Bad or bed?\n10_02.wav;Cat or cut?\n");
    const QString database = dir.filePath("history/" + HistoryDatabaseName);
    const QString wave = WriteTakeWave(dir.path());
    QString oldFile;
    {
        // As an earlier tutor filed them: by the folder's name.
        PracticeHistory history(database);
        ASSERT_EQ(history.Open(), HistoryOk);
        NewTake own = GoodTake({"content", "10", "10_01"}, wave, 70);
        own.PhraseText = "Bad or bed?";
        ASSERT_EQ(history.RecordTake(own), HistoryOk);
        NewTake other = GoodTake({"content", "10", "10_02"}, wave, 90);
        other.PhraseText = "A phrase of another course";
        ASSERT_EQ(history.RecordTake(other), HistoryOk);
        std::vector<StoredTake> takes;
        ASSERT_EQ(history.TakesOf({"content", "10", "10_01"}, takes), HistoryOk);
        oldFile = takes.at(0).File;
    }

    ASSERT_EQ(AdoptFolderNamedPhrases(database, course), HistoryOk);
    ASSERT_EQ(AdoptFolderNamedPhrases(database, course), HistoryOk)
        << "a second time changes nothing";
    PracticeHistory history(database);
    ASSERT_EQ(history.Open(), HistoryOk);
    const PhraseProgress own = OnlyPhraseOf(history, HistoryPackOf(course), "10");
    EXPECT_EQ(own.Key.Stem, "10_01");
    EXPECT_EQ(own.BestScore, 70);
    EXPECT_EQ(OnlyPhraseOf(history, "content", "10").Key.Stem, "10_02");

    // Its take, still where it was, is the phrase's to keep and to forget.
    NewTake next = GoodTake({HistoryPackOf(course), "10", "10_01"}, wave, 80);
    next.RecordedAt = QDateTime::currentDateTimeUtc().addSecs(3600);
    ASSERT_EQ(history.RecordTake(next), HistoryOk);
    // A course of the same folder name without an identity files its takes
    // in the old folder too: the adopted take is no left-over there.
    {
        QFile file(oldFile);
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        ASSERT_TRUE(file.setFileTime(QDateTime::currentDateTimeUtc().addSecs(-3600),
                                     QFileDevice::FileModificationTime));
    }
    const QDateTime longAgo(QDate(2020, 1, 1), QTime(9, 0), Qt::UTC);
    ASSERT_EQ(history.RecordTake(GoodTake({"content", "10", "10_01"}, wave, 40, longAgo)),
              HistoryOk);
    EXPECT_TRUE(QFile::exists(oldFile));
    ASSERT_EQ(history.ForgetPhrase(own.Key), HistoryOk);
    EXPECT_FALSE(QFile::exists(oldFile));
}
