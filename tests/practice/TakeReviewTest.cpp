// The end of a take: the comparison the learner sees and the marks the
// history keeps are one and the same, a refused take is only counted, and a
// history that cannot be written costs the take, never the comparison, and a
// damaged one is kept aside for a new one.
#include "practice/TakeReview.h"
#include "../compare/SpokenPhrase.h"
#include "../history/HistoryTestSupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

struct ReviewScene
{
    QTemporaryDir dir;
    LoadedPhrase model;
    LoadedPhrase learner;
    PhraseKey key{"demo-pack", "21", "21_04"};

    // A model stressing its first step; a learner stressing the second.
    ReviewScene()
    {
        Write("21_04.wav", Speak({{0.25, 210, 220}, {0.3, 180, 130}}).FileBytes());
        Write("Student.wav", Speak({{0.25, 150, 150}, {0.3, 190, 260}}).FileBytes());
        model.Read(dir.filePath("21_04.wav"));
        learner.Read(dir.filePath("Student.wav"), -1);
    }
    void Write(const QString& name, const QByteArray& bytes)
    {
        QFile file(dir.filePath(name));
        if (file.open(QIODevice::WriteOnly)) file.write(bytes);
    }
    FinishedTake Take(bool good) const
    {
        return FinishedTake{key, "record", good ? "Good" : "Not Good,too quiet", good,
                            dir.filePath("Student.wav")};
    }
};

} // namespace

TEST(TakeReview, AGoodTakeIsComparedAndKeptWithTheMarksTheLearnerSees)
{
    ReviewScene scene;
    ASSERT_NE(scene.model.Loaded, 0);
    ASSERT_NE(scene.learner.Loaded, 0);
    PracticeSession session(scene.dir.filePath("history/history.sqlite"));

    const TakeReview review = session.FinishTake(scene.Take(true), &scene.model, &scene.learner);
    ASSERT_TRUE(HasScore(review.Compared));
    EXPECT_FALSE(review.Compared->StressMatch);
    ASSERT_FALSE(review.Compared->Advice.isEmpty());
    EXPECT_EQ(review.Stored, HistoryOk);
    EXPECT_TRUE(review.Notice.isEmpty());

    std::vector<StoredTake> takes;
    ASSERT_EQ(session.History()->TakesOf(scene.key, takes), HistoryOk);
    ASSERT_EQ(takes.size(), 1u);
    EXPECT_EQ(takes[0].Marks,
              MarksFromComparison(review.Compared->Score, review.Compared->StressMatch,
                                  review.Compared->EndingMatch));
    EXPECT_EQ(takes[0].Marks.StressMatch, false);
    EXPECT_TRUE(QFile::exists(takes[0].File));
}

TEST(TakeReview, ARefusedTakeIsCountedButNeitherComparedNorKept)
{
    ReviewScene scene;
    PracticeSession session(scene.dir.filePath("history/history.sqlite"));
    // The analyser said Good but the file did not read back: refused all the same.
    const TakeReview unread = session.FinishTake(scene.Take(true), &scene.model, nullptr);
    const TakeReview refused = session.FinishTake(scene.Take(false), &scene.model, nullptr);
    EXPECT_FALSE(unread.Compared);
    EXPECT_FALSE(refused.Compared);
    EXPECT_EQ(refused.Stored, HistoryOk);

    const PhraseProgress progress = OnlyPhraseOf(*session.History(), "demo-pack", "21");
    EXPECT_EQ(progress.Attempts, 2);
    EXPECT_EQ(progress.GoodAttempts, 0);
    EXPECT_EQ(progress.TakesKept, 0);
}

TEST(TakeReview, AHistoryThatCannotBeWrittenGivesOneNoticeAndTheComparisonStill)
{
    ReviewScene scene;
    // A file where the history folder should be: nothing can be made there.
    scene.Write("history", "not a folder");
    PracticeSession session(scene.dir.filePath("history/history.sqlite"));

    const TakeReview review = session.FinishTake(scene.Take(true), &scene.model, &scene.learner);
    EXPECT_TRUE(HasScore(review.Compared));
    EXPECT_NE(review.Stored, HistoryOk);
    EXPECT_EQ(review.Notice, HistoryNotice(review.Stored));
    EXPECT_FALSE(review.Notice.isEmpty());
    EXPECT_EQ(review.Notice.count('.'), 1) << "one short sentence: " << review.Notice.toStdString();
    EXPECT_TRUE(QFile::exists(scene.dir.filePath("Student.wav"))) << "the working set is kept";
}

TEST(TakeReview, ADamagedHistoryIsSetAsideWholeAndANewOneKeepsTheTake)
{
    ReviewScene scene;
    const QString path = scene.dir.filePath("history/history.sqlite");
    {
        PracticeHistory old(path);
        ASSERT_EQ(old.Open(), HistoryOk);
        for (int i = 0; i < 20; ++i) {
            NewTake take = GoodTake({"demo-pack", "21", QString::number(i)},
                                    scene.dir.filePath("Student.wav"), 50);
            take.PhraseText = QString(2000, 'x'); // a page or so each
            ASSERT_EQ(old.RecordTake(take), HistoryOk);
        }
    }
    // Cut short, as a crash or a full disk during a restore leaves it.
    QByteArray damaged = ReadBytes(path);
    ASSERT_GT(damaged.size(), 4 * 4096);
    damaged.truncate(3 * 4096);
    ASSERT_TRUE(WriteBytes(path, damaged));

    PracticeSession session(path);
    const TakeReview review = session.FinishTake(scene.Take(true), &scene.model, &scene.learner);
    EXPECT_EQ(review.Stored, HistoryOk);
    std::vector<StoredTake> takes;
    ASSERT_NE(session.History(), nullptr);
    ASSERT_EQ(session.History()->TakesOf(scene.key, takes), HistoryOk);
    EXPECT_EQ(takes.size(), 1u);

    const QStringList kept =
        QDir(scene.dir.filePath("history")).entryList({"history.sqlite.damaged-*"}, QDir::Files);
    ASSERT_EQ(kept.size(), 1) << kept.join(' ').toStdString();
    EXPECT_EQ(ReadBytes(scene.dir.filePath("history/" + kept[0])), damaged);
    EXPECT_TRUE(review.Notice.contains(scene.dir.filePath("history/" + kept[0])))
        << review.Notice.toStdString();
    // Told once: the next take says nothing more.
    EXPECT_TRUE(
        session.FinishTake(scene.Take(true), &scene.model, &scene.learner).Notice.isEmpty());
}
