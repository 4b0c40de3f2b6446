// The studio's open course: edits are saved at once and undone exactly,
// phrase files of deleted entries wait for a possible undo, and closing
// removes only what this session's edits left behind.
#include "course/CourseDocument.h"
#include "content/ContentText.h"
#include "course/CourseTestSupport.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

TEST(CourseDocument, DeletedPhraseFilesWaitForUndoAndOnlyTheSessionsOwnGoOnClosing)
{
    QTemporaryDir dir;
    WriteSmallCourse(dir.path());
    // A file of the teacher's that no list names yet.
    ASSERT_TRUE(QFile::copy(dir.filePath("Sounds/10_01.wav"), dir.filePath("Sounds/10_50.wav")));
    CourseDocument document;
    ASSERT_TRUE(document.Open(dir.path(), {}));
    ASSERT_FALSE(document.IsReadOnly());

    ASSERT_EQ(document.RemoveNode({1}), ""); // the category 11 with two phrases
    EXPECT_TRUE(QFile::exists(dir.filePath("Sounds/11_01.wav")));
    // Its code is not given again while an undo could bring it back.
    ASSERT_EQ(document.AddCategory({}, 1, "Other"), "");
    EXPECT_EQ(document.Current().Root.Children[1].Code, "12");
    document.UndoStack().undo();
    document.UndoStack().undo();
    EXPECT_EQ(document.Current().Root.Children[1].Phrases.size(), 2u);
    QByteArray list;
    ReadWholeFile(dir.filePath("Sounds/SentList.txt"), list);
    EXPECT_TRUE(list.contains("11_02.wav;"));

    ASSERT_EQ(document.RemovePhrase({1}, 0), "");
    document.Close();
    EXPECT_FALSE(QFile::exists(dir.filePath("Sounds/11_01.wav")));
    EXPECT_TRUE(QFile::exists(dir.filePath("Sounds/11_02.wav")));
    EXPECT_TRUE(QFile::exists(dir.filePath("Sounds/10_50.wav")));
}

TEST(CourseDocument, ClosingAfterAFailedSaveKeepsTheFilesTheListsOnDiskStillName)
{
    QTemporaryDir dir;
    WriteSmallCourse(dir.path());
    CourseDocument document;
    ASSERT_TRUE(document.Open(dir.path(), {}));
    ASSERT_EQ(document.RenameNode({1}, "Words"), ""); // saved: the session knows its files
    // The disk stops taking the course's lists (here: a folder where the
    // phrase list was), so the deletion below is never saved.
    const QString tree = dir.filePath("Sounds/Tree.txt");
    QByteArray savedTree;
    ASSERT_TRUE(ReadWholeFile(tree, savedTree));
    ASSERT_TRUE(QFile::remove(dir.filePath("Sounds/SentList.txt")));
    ASSERT_TRUE(QDir(dir.path()).mkdir("Sounds/SentList.txt"));
    ASSERT_EQ(document.RemovePhrase({1}, 0), "");
    document.Close();
    QByteArray treeAfter;
    ASSERT_TRUE(ReadWholeFile(tree, treeAfter));
    EXPECT_EQ(treeAfter, savedTree);
    EXPECT_TRUE(QFile::exists(dir.filePath("Sounds/11_01.wav")));
}

TEST(CourseDocument, TheInstalledPackOpensReadOnlyAndACopyCanBeChanged)
{
    QTemporaryDir dir;
    WriteSmallCourse(dir.filePath("installed"));
    CourseDocument document;
    ASSERT_TRUE(document.Open(dir.filePath("installed"), dir.filePath("installed")));
    EXPECT_TRUE(document.IsReadOnly());
    EXPECT_TRUE(document.RenameNode({1}, "Mine").contains("Save a Copy"));

    QString problem;
    ASSERT_TRUE(document.SaveCopy(dir.filePath("copy"), &problem)) << problem.toStdString();
    EXPECT_FALSE(document.IsReadOnly());
    EXPECT_EQ(document.RenameNode({1}, "Mine"), "");
    EXPECT_TRUE(QFile::exists(dir.filePath("copy/Sounds/11_02.wav")));
    QByteArray tree;
    ReadWholeFile(dir.filePath("installed/Sounds/Tree.txt"), tree);
    EXPECT_FALSE(tree.contains("Mine"));
}
