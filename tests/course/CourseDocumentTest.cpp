// The studio's open course: edits are saved at once and undone exactly,
// phrase files of deleted entries wait for a possible undo, and closing
// removes only what this session's edits left behind.
#include "course/CourseDocument.h"
#include "audio/LoadedPhrase.h"
#include "compare/Syllables.h"
#include "content/ContentText.h"
#include "course/CoursePack.h"
#include "course/CourseTestSupport.h"
#include "support/RiffBytes.h"

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

// Help documents written by hand put the anchor around the heading's text,
// before the heading or around it: their explanations survive an edit. Text
// the course has no place for would be lost by the save that every edit
// makes, so such a pack opens read-only and its files stay as they are.
TEST(CourseDocument, AHandWrittenHelpDocumentKeepsItsTextOrOpensReadOnly)
{
    QTemporaryDir dir;
    WriteSmallCourse(dir.path());
    const QString helpPath = dir.filePath("Help/TVTutor.hlp");
    const auto writeHelp = [&](const QByteArray& topics) {
        QFile file(helpPath);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write("<html><body><h1>Mine</h1><p><a href=\"#100\">Start here</a></p>\n" + topics +
                   "</body></html>\n");
    };
    writeHelp("<a name=\"100\"></a><h2>Welcome</h2><p>Read this first.</p>\n"
              "<h3><a name=\"1001\">Hello</a></h3><p>The voice rises.</p>\n"
              "<a name=\"1101\"><h3>photograph</h3></a><p>First syllable strong.</p>\n");
    CourseDocument document;
    ASSERT_TRUE(document.Open(dir.path(), {}));
    ASSERT_FALSE(document.IsReadOnly());
    ASSERT_EQ(document.RenameNode({1}, "Words"), "");
    QByteArray help;
    ASSERT_TRUE(ReadWholeFile(helpPath, help));
    for (const char* text : {"Read this first.", "The voice rises.", "First syllable strong."})
        EXPECT_TRUE(help.contains(text)) << text;
    document.Close();

    writeHelp("<p><a name=\"1102\"></a>Stress the verb.</p>\n"
              "<h3><a name=\"1001\"></a>Hello</h3><p>The voice rises.</p>\n");
    QByteArray before;
    ASSERT_TRUE(ReadWholeFile(helpPath, before));
    ASSERT_TRUE(document.Open(dir.path(), {}));
    EXPECT_TRUE(document.IsReadOnly());
    const QString why = document.RenameNode({1}, "Mine");
    EXPECT_TRUE(why.contains("verb.")) << why.toStdString();
    ASSERT_TRUE(ReadWholeFile(helpPath, help));
    EXPECT_EQ(help, before);
}

// A pack written by hand in Windows-1252, which the tutor reads as it reads
// UTF-8: a save keeps every accented letter of its help document, now in
// UTF-8; a text that fits its field only in the older form keeps the course
// read-only, naming its line, rather than every save being refused.
TEST(CourseDocument, AWindows1252PackKeepsItsAccentsOrOpensReadOnlyNamingTheLine)
{
    QTemporaryDir dir;
    WriteSmallCourse(dir.path());
    const QString helpPath = dir.filePath("Help/TVTutor.hlp");
    QByteArray help;
    ASSERT_TRUE(ReadWholeFile(helpPath, help));
    ASSERT_TRUE(help.contains("<p>Welcome.</p>"));
    help.replace("<p>Welcome.</p>", "<p>Le caf\xE9 est tr\xE8s bon.</p>");
    ASSERT_TRUE(WriteFileAtomically(helpPath, help));
    CourseDocument document;
    ASSERT_TRUE(document.Open(dir.path(), {}));
    ASSERT_FALSE(document.IsReadOnly()) << document.Writable().toStdString();
    ASSERT_EQ(document.RenameNode({1}, "Words"), "");
    ASSERT_TRUE(ReadWholeFile(helpPath, help));
    EXPECT_TRUE(help.contains("Le caf\xC3\xA9 est tr\xC3\xA8s bon."));
    EXPECT_FALSE(help.contains("\xEF\xBF\xBD"));
    document.Close();

    // 199 letters of one byte each; 398 bytes as UTF-8.
    const QString listPath = dir.filePath("Sounds/SentList.txt");
    QByteArray list;
    ASSERT_TRUE(ReadWholeFile(listPath, list));
    const qsizetype text = list.indexOf("11_02.wav;") + 10;
    list.replace(text, list.indexOf('\r', text) - text, QByteArray(199, '\xE9'));
    ASSERT_TRUE(WriteFileAtomically(listPath, list));
    ASSERT_TRUE(document.Open(dir.path(), {}));
    EXPECT_TRUE(document.IsReadOnly());
    const QString why = document.RenameNode({0}, "Intro");
    EXPECT_TRUE(why.contains("Sounds/SentList.txt line 4")) << why.toStdString();
    EXPECT_TRUE(why.contains("UTF-8")) << why.toStdString();
    QByteArray after;
    ASSERT_TRUE(ReadWholeFile(listPath, after));
    EXPECT_EQ(after, list);
}

// Syllables placed on their steps by time (here two words on one step)
// cannot be spelled back: correcting the phrase's text leaves them as the
// file holds them.
TEST(CourseDocument, CorrectingAPhrasesTextKeepsItsPlacedSyllables)
{
    QTemporaryDir dir;
    WriteSmallCourse(dir.path());
    const QString file = dir.filePath("Sounds/11_01.wav");
    LoadedPhrase phrase;
    ASSERT_EQ(phrase.Read(file), PhraseFileOk);
    ASSERT_GE(phrase.Phrase.StepCount, 1);
    using namespace testbytes;
    const QByteArray chunks =
        ReadBytes(file).mid(12) +
        Chunk("syl ", SyllableChunkData({{phrase.Phrase.Steps[1].Start, true, "We're lea"}}));
    ASSERT_TRUE(WriteBytes(file, Riff(chunks)));
    const SyllableList placed = ReadSyllables(file);
    ASSERT_EQ(placed.size(), 1u);

    CourseDocument document;
    ASSERT_TRUE(document.Open(dir.path(), {}));
    const CoursePhrase& listed = document.Current().Root.Children[1].Phrases[0];
    ASSERT_EQ(document.SetPhraseText({1}, 0, "We're leaving now", listed.Syllables), "");
    const SyllableList kept = ReadSyllables(file);
    ASSERT_EQ(kept.size(), 1u);
    EXPECT_EQ(kept[0].Start, placed[0].Start);
    EXPECT_EQ(kept[0].Text, "We're lea");
    ASSERT_EQ(phrase.Read(file), PhraseFileOk);
    EXPECT_EQ(phrase.Text, "We're leaving now");
}

TEST(CourseDocument, NamesOfDeletedPhrasesAndCategoriesAreNeverGivenAgainAndAnEmptyTopicStaysATopic)
{
    // The learner's practice history is filed by category code and phrase
    // file name: a name given again would pass the old phrase's takes on.
    QTemporaryDir dir;
    WriteSmallCourse(dir.path());
    {
        CourseDocument document;
        ASSERT_TRUE(document.Open(dir.path(), {}));
        ASSERT_EQ(document.RemovePhrase({1}, 1), ""); // 11_02
        ASSERT_EQ(document.RemoveNode({0}), "");      // category 10 with 10_01
        ASSERT_EQ(document.AddTopic({}, 1, "Later"), "");
        document.Close();
    }
    EXPECT_FALSE(QFile::exists(dir.filePath("Sounds/11_02.wav")));
    EXPECT_FALSE(QFile::exists(dir.filePath("Sounds/10_01.wav")));

    CourseDocument document;
    ASSERT_TRUE(document.Open(dir.path(), {}));
    const CourseNode& later = document.Current().Root.Children[1];
    EXPECT_EQ(later.Name, "Later");
    EXPECT_FALSE(later.IsCategory);
    EXPECT_EQ(document.NewPhraseFileName({0}), "11_03.wav");
    ASSERT_EQ(document.AddCategory({}, 0, "New"), "");
    EXPECT_NE(document.Current().Root.Children[0].Code, "10");
}

TEST(CourseDocument, ACourseKeepsOneIdentityAndACopyGetsItsOwn)
{
    QTemporaryDir dir;
    // Two copies of a folder made before courses had an identity.
    WriteSmallCourse(dir.filePath("mine"));
    WriteSmallCourse(dir.filePath("colleague"));
    QString id;
    {
        CourseDocument document;
        ASSERT_TRUE(document.Open(dir.filePath("colleague"), {}));
        id = document.Manifest().Id;
        EXPECT_FALSE(id.isEmpty());
    }
    CourseDocument document;
    ASSERT_TRUE(document.Open(dir.filePath("mine"), {}));
    EXPECT_EQ(document.Manifest().Id, id);
    // Correcting the details keeps what the teacher does not see.
    ASSERT_EQ(document.RemovePhrase({1}, 1), "");
    document.Close();
    ASSERT_TRUE(document.Open(dir.filePath("mine"), {}));
    ASSERT_EQ(document.SetManifest({"Stress, corrected", "Ann", "en-GB", "1.1"}), "");
    EXPECT_EQ(document.Manifest().Id, id);
    EXPECT_EQ(document.Manifest().Retired, QStringList{"11_02.wav"});

    ASSERT_TRUE(document.SaveCopy(dir.filePath("copy")));
    EXPECT_FALSE(document.Manifest().Id.isEmpty());
    EXPECT_NE(document.Manifest().Id, id);
}

// The course has one title: the tree's top entry, which the studio and the
// help show, and the manifest's, which names the course a learner installs.
// Either edit changes both, in one undo step.
TEST(CourseDocument, RenamingTheCourseOrEditingItsDetailsChangesItsOneTitle)
{
    QTemporaryDir dir;
    const QString folder = dir.filePath("course");
    CourseDocument document;
    ASSERT_TRUE(document.Create(folder, "Strees for Beginers"));
    const auto titlesOnDisk = [&folder] {
        QByteArray tree, manifest;
        ReadWholeFile(QDir(folder).filePath(TreeFileName), tree);
        ReadWholeFile(QDir(folder).filePath(ManifestFileName), manifest);
        const std::optional<CourseManifest> parsed = ParseCourseManifest(manifest);
        return QStringList{QString::fromUtf8(tree.left(tree.indexOf('\r'))),
                           parsed ? parsed->Title : QString("(unreadable)")};
    };

    ASSERT_EQ(document.RenameNode({}, "Stress for Beginners"), "");
    EXPECT_EQ(titlesOnDisk(), QStringList({"Stress for Beginners", "Stress for Beginners"}));
    document.UndoStack().undo();
    EXPECT_EQ(titlesOnDisk(), QStringList({"Strees for Beginers", "Strees for Beginers"}));

    ASSERT_EQ(document.SetManifest({"Stress for Starters", "Ann", "en", "1.0"}), "");
    EXPECT_EQ(titlesOnDisk(), QStringList({"Stress for Starters", "Stress for Starters"}));
    EXPECT_EQ(document.Current().Root.Name, "Stress for Starters");
    // A title the tree cannot hold is refused, and nothing changes.
    EXPECT_NE(document.SetManifest({"Stress / Intonation", "Ann", "en", "1.0"}), "");
    EXPECT_EQ(titlesOnDisk(), QStringList({"Stress for Starters", "Stress for Starters"}));
}

// A copy takes the phrase files its lists name and the teacher's own
// unlisted ones; a phrase deleted in this session stays behind, and its
// name stays retired in the copy as in the course it came from.
TEST(CourseDocument, ACopyLeavesOutThePhrasesDeletedInThisSession)
{
    QTemporaryDir dir;
    WriteSmallCourse(dir.filePath("course"));
    ASSERT_TRUE(QFile::copy(dir.filePath("course/Sounds/10_01.wav"),
                            dir.filePath("course/Sounds/10_50.wav")));
    CourseDocument document;
    ASSERT_TRUE(document.Open(dir.filePath("course"), {}));
    ASSERT_EQ(document.RemovePhrase({1}, 1), ""); // 11_02
    QString problem;
    ASSERT_TRUE(document.SaveCopy(dir.filePath("copy"), &problem)) << problem.toStdString();
    EXPECT_EQ(QDir(dir.filePath("copy/Sounds")).entryList({"*.wav"}),
              QStringList({"10_01.wav", "10_50.wav", "11_01.wav"}));
    EXPECT_TRUE(document.Manifest().Retired.contains("11_02.wav"));
    EXPECT_EQ(document.NewPhraseFileName({1}), "11_03.wav");
}

TEST(CourseDocument, AManifestTheStudioCannotReadIsLeftAloneAndTheCourseOnlyRead)
{
    QTemporaryDir dir;
    WriteSmallCourse(dir.path());
    const QByteArray newer = "Format=2\nTitle=Later\nId=x\n";
    ASSERT_TRUE(WriteFileAtomically(dir.filePath(ManifestFileName), newer));
    CourseDocument document;
    ASSERT_TRUE(document.Open(dir.path(), {}));
    EXPECT_TRUE(document.IsReadOnly());
    EXPECT_TRUE(document.RenameNode({1}, "Mine").contains("Manifest.txt"));
    document.Close();
    QByteArray after;
    ReadWholeFile(dir.filePath(ManifestFileName), after);
    EXPECT_EQ(after, newer);
}

TEST(CourseDocument, EditsWhoseSaveFailedAreSavedAgainOrKeptByACopy)
{
    QTemporaryDir dir;
    WriteSmallCourse(dir.filePath("course"));
    const QString list = dir.filePath("course/Sounds/SentList.txt");
    const auto blockSaving = [&] {
        QFile::remove(list);
        return QDir().mkdir(list);
    };
    CourseDocument document;
    ASSERT_TRUE(document.Open(dir.filePath("course"), {}));
    ASSERT_TRUE(blockSaving());
    ASSERT_EQ(document.RenameNode({1}, "Words"), "");
    EXPECT_TRUE(document.HasUnsavedChanges());
    EXPECT_FALSE(document.SaveAgain());
    ASSERT_TRUE(QDir().rmdir(list)); // the disk takes the course again
    ASSERT_TRUE(document.SaveAgain());
    EXPECT_FALSE(document.HasUnsavedChanges());
    QByteArray tree;
    ReadWholeFile(dir.filePath("course/Sounds/Tree.txt"), tree);
    EXPECT_TRUE(tree.contains("Words")) << tree.toStdString();

    ASSERT_TRUE(blockSaving());
    ASSERT_EQ(document.RenameNode({1}, "Sentences"), "");
    const QString id = document.Manifest().Id;
    QString problem;
    ASSERT_TRUE(document.SaveCopy(dir.filePath("copy"), &problem)) << problem.toStdString();
    ReadWholeFile(dir.filePath("copy/Sounds/Tree.txt"), tree);
    EXPECT_TRUE(tree.contains("Sentences")) << tree.toStdString();
    ReadWholeFile(dir.filePath("copy/Sounds/SentList.txt"), tree);
    EXPECT_TRUE(tree.contains("11_02.wav;"));
    EXPECT_FALSE(document.HasUnsavedChanges());
    EXPECT_EQ(document.Manifest().Id, id); // the same course, kept elsewhere
}

TEST(CourseDocument, ASecondStudioOnTheSameCourseOnlyReadsIt)
{
    QTemporaryDir dir;
    WriteSmallCourse(dir.path());
    CourseDocument first;
    ASSERT_TRUE(first.Open(dir.path(), {}));
    EXPECT_FALSE(first.IsReadOnly());
    CourseDocument second;
    ASSERT_TRUE(second.Open(dir.path(), {}));
    EXPECT_TRUE(second.IsReadOnly());
    EXPECT_TRUE(second.RenameNode({1}, "Mine").contains("has this course open"));
    first.Close();
    ASSERT_TRUE(second.Open(dir.path(), {}));
    EXPECT_FALSE(second.IsReadOnly());
    EXPECT_EQ(second.RenameNode({1}, "Mine"), "");
}
