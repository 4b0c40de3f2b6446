// The marks of what the learner practised on the navigation screens: beside
// the phrases and categories with takes, never in their texts or order.
#include "navigation/PracticeMarks.h"
#include "../history/HistoryTestSupport.h"
#include "app/CommonVar.h"
#include "course/CourseManifest.h"
#include "history/HistorySchema.h"
#include "navigation/Sentences.h"
#include "navigation/SharedContent.h"
#include "navigation/TreeNode.h"
#include "support/ExerciseFixture.h"
#include "support/FileSizeLimit.h"
#include "support/HistoryFolder.h"

#include <QDir>
#include <QTest>

namespace {

class PracticeMarks : public ExerciseFixture
{
protected:
    // Takes of two phrases of category 11 and one of category 10.
    void Practise()
    {
        PracticeHistory history(dir.filePath("history/history.sqlite"));
        ASSERT_EQ(history.Open(), HistoryOk);
        const QString wave = WriteTakeWave(dir.path());
        ASSERT_EQ(history.RecordTake(GoodTake({"content", "11", "11_01"}, wave, 86)), HistoryOk);
        ASSERT_EQ(history.RecordTake(GoodTake({"content", "11", "11_10"}, wave, 40)), HistoryOk);
        ASSERT_EQ(history.RecordTake(GoodTake({"content", "10", "10_01"}, wave, 55)), HistoryOk);
    }

    HistoryFolder folder{dir.filePath("history")};
};

} // namespace

TEST_F(PracticeMarks, PhrasesPractisedShowTheirBestBesideUnchangedRows)
{
    Practise();
    CategoryCode = "11";
    auto* phrases = new Sentences("Words");
    phrases->show();
    NavigationList* list = phrases->ListOfPhrases;

    ASSERT_EQ(list->count(), 3);
    // The rows as the designed list orders them, with their own texts.
    EXPECT_EQ(list->item(0)->text(), "record");
    EXPECT_EQ(list->item(1)->text(), "photograph");
    EXPECT_EQ(list->item(2)->text(), "photographer");
    EXPECT_EQ(list->item(0)->data(PracticeMarkRole).toString(), "best 86 ✓");
    EXPECT_TRUE(list->item(0)->data(PracticeMasteredRole).toBool());
    EXPECT_EQ(list->item(0)->data(Qt::AccessibleDescriptionRole).toString(), "best 86 ✓");
    EXPECT_FALSE(list->item(1)->data(PracticeMarkRole).isValid()) << "not practised";
    EXPECT_EQ(list->item(2)->data(PracticeMarkRole).toString(), "best 40");
    EXPECT_FALSE(list->item(2)->data(PracticeMasteredRole).toBool());

    // The mark is drawn at the row's right end, where an unmarked row is plain.
    const QImage rows = list->viewport()->grab().toImage();
    const int x = list->viewport()->width() - 5; // beside the text, inside the mark
    const auto colourAt = [&](int row) {
        return rows.pixel(x, list->visualItemRect(list->item(row)).center().y()) & 0xFFFFFF;
    };
    EXPECT_EQ(colourAt(0), MasteredMarkColour.rgb() & 0xFFFFFF);
    EXPECT_EQ(colourAt(2), PractisingMarkColour.rgb() & 0xFFFFFF);
    EXPECT_NE(colourAt(1), MasteredMarkColour.rgb() & 0xFFFFFF);
    EXPECT_NE(colourAt(1), PractisingMarkColour.rgb() & 0xFFFFFF);
}

TEST_F(PracticeMarks, CategoriesPractisedShowHowManyPhrasesAndTheBest)
{
    Practise();
    ReadLessonTree();
    CurrentNode = 0;
    PreviousNode = -1;
    auto* tree = new TreeNode();
    tree->show();
    NavigationList* list = tree->ListOfNodes;
    ASSERT_EQ(list->count(), 3);
    EXPECT_EQ(list->item(0)->text(), "Intro");
    EXPECT_EQ(list->item(0)->data(PracticeMarkRole).toString(), "1 practised · best 55");
    EXPECT_FALSE(list->item(1)->data(PracticeMarkRole).isValid()) << "a topic carries no mark";

    // Into the topic: the category of two practised phrases.
    list->SelectPosition(1);
    tree->OpenSelectedNode();
    ASSERT_EQ(list->count(), 2);
    EXPECT_EQ(list->item(0)->text(), "Words");
    EXPECT_EQ(list->item(0)->data(PracticeMarkRole).toString(), "2 practised · best 86");
    EXPECT_FALSE(list->item(1)->data(PracticeMarkRole).isValid());
}

TEST_F(PracticeMarks, WithoutAHistoryNothingIsMarkedAndNothingIsCreated)
{
    CategoryCode = "11";
    auto* phrases = new Sentences("Words");
    phrases->show();
    for (int row = 0; row < phrases->ListOfPhrases->count(); ++row)
        EXPECT_FALSE(phrases->ListOfPhrases->item(row)->data(PracticeMarkRole).isValid());
    EXPECT_FALSE(QFile::exists(dir.filePath("history"))) << "browsing never creates a history";
}

TEST_F(PracticeMarks, AHistoryOfAnEarlierVersionIsBroughtUpToDateAndShowsItsMarks)
{
    const QString path = dir.filePath("history/history.sqlite");
    ASSERT_TRUE(QDir().mkpath(dir.filePath("history")));
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "earlier-tutor");
        db.setDatabaseName(path);
        ASSERT_TRUE(db.open());
        QString problem;
        ASSERT_EQ(MigrateHistory(db, 1, problem), HistoryOk) << problem.toStdString();
        QSqlQuery query(db);
        ASSERT_TRUE(query.exec("INSERT INTO phrases (content_pack, category_code, stem, "
                               "phrase_text, attempts, good_attempts) "
                               "VALUES ('content', '11', '11_01', 'record', 7, 1)"));
        db.close();
    }
    QSqlDatabase::removeDatabase("earlier-tutor");

    CategoryCode = "11";
    auto* phrases = new Sentences("Words");
    phrases->show();
    EXPECT_EQ(phrases->ListOfPhrases->item(0)->data(PracticeMarkRole).toString(), "practised");
    EXPECT_EQ(AskDatabase(path, "PRAGMA user_version").toInt(), HistorySchemaVersion);
}

// A course given an identity after its phrases were filed under its folder's
// name: while the history cannot take the refiling (a full disk, read-only
// media), the course goes on under the folder's name, where its marks are.
TEST_F(PracticeMarks, ACourseWhosePhrasesCannotBeRefiledKeepsItsFolderName)
{
    Practise();
    CourseManifest manifest;
    manifest.Title = "Words";
    manifest.Id = "5f0c9a52-1e3b-4c1d-9a7e-2b8f6d4c3a10";
    WriteFile("content/" + ManifestFileName, CourseManifestText(manifest));
    {
        FileSizeLimit full(1);
        ASSERT_TRUE(full.Applied());
        EXPECT_EQ(OpenCoursePack(), "content");
    }
    CategoryCode = "11";
    auto* phrases = new Sentences("Words");
    phrases->show();
    EXPECT_FALSE(phrases->ListOfPhrases->item(0)->data(PracticeMarkRole).toString().isEmpty());
}
