// A course saved as a content pack is one the tutor and tvtool lint read as
// meant, and opening it again gives the same course; an opened hand-made
// pack loses nothing when saved.
#include "course/CoursePack.h"
#include "audio/LoadedPhrase.h"
#include "authoring/ContentLint.h"
#include "compare/Syllables.h"
#include "content/ContentText.h"
#include "content/HelpDocument.h"
#include "course/CourseHelp.h"
#include "course/CourseTestSupport.h"
#include "course/PhraseLabels.h"
#include "support/FileSizeLimit.h"

#include <QTemporaryDir>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextList>

#include <gtest/gtest.h>

namespace {

std::vector<LintFinding> Errors(const QString& folder)
{
    std::vector<LintFinding> errors;
    for (const LintFinding& finding : LintContent(folder))
        if (finding.Severity == LintSeverity::Error) errors.push_back(finding);
    return errors;
}

QString Joined(const std::vector<LintFinding>& findings)
{
    QStringList lines;
    for (const LintFinding& finding : findings)
        lines << FormatLintFinding(finding);
    return lines.join('\n');
}

} // namespace

TEST(CoursePack, ASavedCourseLintsCleanAndOpensAsTheSameCourse)
{
    QTemporaryDir dir;
    const Course course = WriteSmallCourse(dir.path());
    EXPECT_TRUE(Errors(dir.path()).empty()) << Joined(Errors(dir.path())).toStdString();

    Course opened;
    CourseManifest manifest;
    QString problem;
    ASSERT_TRUE(LoadCoursePack(dir.path(), opened, manifest, &problem)) << problem.toStdString();
    EXPECT_EQ(manifest.Author, "Ann");
    EXPECT_EQ(opened.Root.Name, course.Root.Name);
    ASSERT_EQ(opened.Root.Children.size(), 2u);
    EXPECT_EQ(opened.Root.Children[0].Explanation, "<p>Welcome.</p>");
    const CourseNode& second = opened.Root.Children[1];
    EXPECT_EQ(second.Code, course.Root.Children[1].Code);
    ASSERT_EQ(second.Phrases.size(), 2u);
    EXPECT_EQ(second.Phrases[1].Text, course.Root.Children[1].Phrases[1].Text);
    EXPECT_EQ(second.Phrases[1].Explanation, "<p>Say it <b>twice</b>.</p>");
    EXPECT_TRUE(opened.ExtraTopics.empty());
    EXPECT_EQ(TreeTextOf(opened), TreeTextOf(course));
    EXPECT_EQ(ComposeHelpDocument(opened), ComposeHelpDocument(course));
}

TEST(CoursePack, ASaveThatRunsOutOfRoomSaysSoAndLeavesEveryFileAsItWas)
{
    QTemporaryDir dir;
    Course course = WriteSmallCourse(dir.path());
    Course opened;
    CourseManifest manifest;
    ASSERT_TRUE(LoadCoursePack(dir.path(), opened, manifest));
    const QStringList files = {TreeFileName, PhraseListFileName, HelpFileName};
    std::map<QString, QByteArray> before;
    for (const QString& file : files)
        ASSERT_TRUE(ReadWholeFile(dir.filePath(file), before[file])) << file.toStdString();

    // Every file changes, and none fits any more: each write fails only when
    // its buffered bytes reach the disk.
    opened.Root.Name += " again";
    opened.Root.Children[1].Phrases[0].Text += " again";
    opened.Root.Children[0].Explanation = "<p>Welcome back.</p>";
    QString problem;
    bool saved = true;
    {
        FileSizeLimit limit(16);
        ASSERT_TRUE(limit.Applied());
        saved = SaveCoursePack(dir.path(), opened, manifest, nullptr, &problem);
    }
    EXPECT_FALSE(saved);
    EXPECT_TRUE(problem.contains("cannot write")) << problem.toStdString();
    for (const QString& file : files) {
        QByteArray now;
        ReadWholeFile(dir.filePath(file), now);
        EXPECT_EQ(now, before[file]) << file.toStdString();
    }
}

TEST(CoursePack, TheDemoPackSavedAgainKeepsItsTreeListAndEveryHelpTopicBody)
{
    QTemporaryDir dir;
    const QString demo = TONVALE_SOURCE_DIR "/content/demo/";
    QDir().mkpath(dir.filePath("Sounds"));
    QDir().mkpath(dir.filePath("Help"));
    for (const char* file : {"Tree.txt", "SentList.txt"})
        QFile::copy(demo + file, dir.filePath(QString("Sounds/") + file));
    QFile::copy(demo + "Help/TVTutor.hlp", dir.filePath(HelpFileName));
    // A teacher's note in the list, which no reader looks at, is kept too.
    const QByteArray note = "Recorded again in May, check 14_03.wav\r\n";
    {
        QFile list(dir.filePath(PhraseListFileName));
        ASSERT_TRUE(list.open(QIODevice::Append));
        list.write(note);
    }

    Course course;
    CourseManifest manifest;
    ASSERT_TRUE(LoadCoursePack(dir.path(), course, manifest));
    EXPECT_EQ(manifest.Title, "Tonvale Tutor");
    {
        QByteArray help;
        ReadWholeFile(dir.filePath(HelpFileName), help);
        // Nothing a save would lose, so the studio lets a copy be changed.
        EXPECT_EQ(HelpTextLostBy(QString::fromUtf8(help), ComposeHelpDocument(course)), "");
    }
    ASSERT_TRUE(SaveCoursePack(dir.path(), course, manifest));

    QByteArray tree, list, help, originalHelp;
    ReadWholeFile(dir.filePath(TreeFileName), tree);
    ReadWholeFile(dir.filePath(PhraseListFileName), list);
    ReadWholeFile(dir.filePath(HelpFileName), help);
    ReadWholeFile(demo + "Help/TVTutor.hlp", originalHelp);
    QByteArray originalTree;
    ReadWholeFile(demo + "Tree.txt", originalTree);
    EXPECT_EQ(tree, originalTree);
    const QByteArray originalList = [&] {
        QByteArray bytes;
        ReadWholeFile(demo + "SentList.txt", bytes);
        return bytes + note;
    }();
    // Only the heading line, which no reader looks at, is the studio's own.
    EXPECT_EQ(list.mid(list.indexOf('\n')), originalList.mid(originalList.indexOf('\n')));
    const std::map<int32_t, HelpTopicText> before =
        SplitHelpTopics(QString::fromUtf8(originalHelp));
    const std::map<int32_t, HelpTopicText> after = SplitHelpTopics(QString::fromUtf8(help));
    ASSERT_GT(before.size(), 40u);
    for (const auto& [number, topic] : before) {
        ASSERT_EQ(after.count(number), 1u) << number;
        EXPECT_EQ(after.at(number).Body, topic.Body) << number;
        EXPECT_TRUE(ExplanationIsEditable(topic.Body)) << number;
    }
}

TEST(CoursePack, PhraseLabelsChangeTextAndSyllablesButNotTheSound)
{
    QTemporaryDir dir;
    const Course course = WriteSmallCourse(dir.path());
    const QString file = dir.filePath("Sounds/" + course.Root.Children[1].Phrases[0].FileName);
    LoadedPhrase before;
    ASSERT_EQ(before.Read(file), PhraseFileOk);

    QString problem;
    ASSERT_TRUE(RewritePhraseLabels(file, "record", "re|CORD", &problem)) << problem.toStdString();
    LoadedPhrase after;
    ASSERT_EQ(after.Read(file), PhraseFileOk);
    EXPECT_EQ(after.Text, "record");
    EXPECT_EQ(after.Phrase.StepCount, before.Phrase.StepCount);
    EXPECT_EQ(after.Pitch.size(), before.Pitch.size());
    ASSERT_EQ(after.Samples.BufferLength, before.Samples.BufferLength);
    EXPECT_EQ(0, memcmp(after.Samples.Data, before.Samples.Data, before.Samples.BufferLength));
    const SyllableList syllables = ReadSyllables(file);
    ASSERT_EQ(syllables.size(), 2u);
    EXPECT_TRUE(syllables[1].Stressed);
    EXPECT_EQ(NameSteps(after.Phrase, syllables).at(1), "CORD");

    ASSERT_TRUE(RewritePhraseLabels(file, "record", ""));
    EXPECT_TRUE(ReadSyllables(file).empty());
    EXPECT_FALSE(RewritePhraseLabels(dir.filePath(TreeFileName), "x", ""));
}

TEST(CourseHelp, ExplanationsKeepBoldItalicAndListsAndEscapeEverythingTyped)
{
    QTextDocument document;
    QTextCursor cursor(&document);
    cursor.insertText("Stress the ");
    QTextCharFormat bold;
    bold.setFontWeight(QFont::Bold);
    cursor.insertText("second", bold);
    cursor.insertText(" syllable <script>alert(1)</script> & <img src=/etc/passwd>",
                      QTextCharFormat());
    cursor.insertBlock();
    cursor.createList(QTextListFormat::ListDisc);
    QTextCharFormat italic;
    italic.setFontItalic(true);
    cursor.insertText("re", italic);
    cursor.insertBlock();
    cursor.insertText("CORD", QTextCharFormat());
    const QString html = ExplanationHtml(document);
    EXPECT_EQ(html, "<p>Stress the <b>second</b> syllable &lt;script&gt;alert(1)&lt;/script&gt; "
                    "&amp; &lt;img src=/etc/passwd&gt;</p>\n<ul>\n<li><i>re</i></li>\n"
                    "<li>CORD</li>\n</ul>");
    EXPECT_EQ(ExplanationHtml(QTextDocument()), "");
}

TEST(CourseHelp, EveryPhraseAndCategoryHasItsTopicAndNodeOneIsTheIntroduction)
{
    Course course = NewCourse("A & B <course>");
    course.Root.Children[1].Phrases.push_back({"11_01.wav", "Hello <there>", "", ""});
    const QString html = ComposeHelpDocument(course);
    EXPECT_TRUE(HelpDocumentHasTopic(html, CourseIntroductionTopic));
    EXPECT_TRUE(HelpDocumentHasTopic(html, 1100));
    EXPECT_TRUE(HelpDocumentHasTopic(html, 1101));
    EXPECT_FALSE(HelpDocumentHasTopic(html, 1000)); // node 1's topic is 100
    EXPECT_TRUE(html.contains("Hello &lt;there&gt;"));
    EXPECT_FALSE(html.contains("<course>"));
}

// A heading left open (a slip in a hand-written document, or a stranger's
// course) ends where the next heading begins: it swallows none of the
// topics below it, and thousands of them cost the studio one pass over the
// document, not one pass each.
TEST(CourseHelp, AHeadingLeftOpenNeverSwallowsTheTopicsBelowIt)
{
    const std::map<int32_t, HelpTopicText> topics =
        SplitHelpTopics("<h2><a name=\"5\"></a>Five<p>five</p>\n"
                        "<h2><a name=\"6\"></a>Six</h2><p>six body</p>\n"
                        "<a name=\"7\"></a><h3>Seven<p>seven</p>\n"
                        "<a name=\"8\"><h3>Eight</h3></a><p>eight body</p>\n");
    ASSERT_EQ(topics.size(), 2u);
    ASSERT_EQ(topics.count(6), 1u);
    ASSERT_EQ(topics.count(8), 1u);
    EXPECT_EQ(topics.at(6).Heading, "Six");
    EXPECT_EQ(topics.at(8).Heading, "Eight");
    EXPECT_EQ(topics.at(8).Body, "<p>eight body</p>");

    QString hostile;
    for (int i = 0; i < 10000; ++i)
        hostile += "<h1><a name=\"1\"></a>x";
    hostile += QString(10000, '<') + "<h2><a name=\"9\"></a>Nine</h2><p>nine</p>";
    const std::map<int32_t, HelpTopicText> last = SplitHelpTopics(hostile);
    ASSERT_EQ(last.size(), 1u);
    EXPECT_EQ(last.begin()->first, 9);
    EXPECT_EQ(last.begin()->second.Body, "<p>nine</p>");
    EXPECT_EQ(HelpTextLostBy(hostile, hostile), "");
}
