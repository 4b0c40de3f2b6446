// Content checking: a pack written here passes; each fault an author can
// make in the tree, the phrase list, the sound files or the help document
// gives its own line at the right file and line number.
#include "authoring/ContentLint.h"
#include "support/PhraseFileBytes.h"
#include "support/ToolRun.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace testbytes;

namespace {

QByteArray PhraseFileSaying(const QByteArray& text)
{
    PhraseChunks chunks;
    chunks.snt = Chunk("snt ", EncodePhraseText(text));
    return chunks.File();
}

class ContentPack : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        ASSERT_TRUE(QDir(dir.path()).mkpath("Sounds"));
        ASSERT_TRUE(QDir(dir.path()).mkpath("Help"));
        Write("Sounds/Tree.txt", "Course\r\n"
                                 "*Introduction / 10\r\n"
                                 "*Stress\r\n"
                                 "**Word Stress / 11\r\n"
                                 "**Sentence Stress / 12\r\n");
        Write("Sounds/SentList.txt", "Phrases of the course, one a line\r\n"
                                     "10_01.wav;Hello there\r\n"
                                     "11_01.wav;photograph\r\n"
                                     "12_01.wav; She bought a car. \r\n");
        Write("Sounds/10_01.wav", PhraseFileSaying("Hello there"));
        Write("Sounds/11_01.wav", PhraseFileSaying("photograph"));
        Write("Sounds/12_01.wav", PhraseFileSaying("She bought a car."));
        Write("Help/TVTutor.hlp", "<html><body><h1>Contents</h1>\n"
                                  "<a name=\"100\"></a><p>Start here.</p>\n"
                                  "<a name=\"1001\">Hello</a> <a name='1101'>photograph</a>\n"
                                  "<A NAME=1201>car</A>\n</body></html>\n");
    }

    void Write(const QString& name, const QByteArray& bytes)
    {
        QFile file(dir.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        ASSERT_EQ(file.write(bytes), bytes.size());
    }

    QStringList Findings() const
    {
        QStringList lines;
        for (const LintFinding& finding : LintContent(dir.path()))
            lines << FormatLintFinding(finding);
        return lines;
    }

    // The findings as the command prints them, for readable comparisons.
    std::string Report() const
    {
        std::string report;
        for (const QString& line : Findings())
            report += line.toStdString() + "\n";
        return report;
    }

    QTemporaryDir dir;
};

} // namespace

TEST_F(ContentPack, WellFormedPackHasNoFindings)
{
    EXPECT_EQ(Findings(), QStringList());
}

TEST_F(ContentPack, TreeLinesThatCannotBeReachedOrGoTooDeep)
{
    Write("Sounds/Tree.txt", "Course\r\n"
                             "*Introduction / 10\r\n"
                             "*Stress\r\n"
                             "***Too Deep / 11\r\n"
                             "*********************Twenty-one / 12\r\n"
                             "\r\n"
                             "*Below The Empty Line / 13\r\n"
                             "Second Root\r\n"
                             "*Below The Second Root / 14\r\n"
                             "\r\n");
    EXPECT_EQ(Report(),
              "Sounds/Tree.txt:2: error: cannot be reached from the root\n"
              "Sounds/Tree.txt:3: error: cannot be reached from the root\n"
              "Sounds/Tree.txt:4: error: 3 stars directly below a line of 1: with no line of "
              "2 stars above it, it hangs below the root and the root's earlier entries drop "
              "out of its list\n"
              "Sounds/Tree.txt:5: error: 21 stars: at most 20 levels are read, so the line "
              "is linked nowhere and cannot be reached\n"
              "Sounds/Tree.txt:6: error: empty line: read as a second root, so the lines "
              "below it cannot be reached\n"
              "Sounds/Tree.txt:7: error: cannot be reached from the root\n"
              "Sounds/Tree.txt:8: error: no star: only the first line (the root) may have "
              "none; this line and the lines below it cannot be reached\n"
              "Sounds/Tree.txt:9: error: cannot be reached from the root\n"
              "Sounds/Tree.txt:10: warning: empty line at the end: read as a node without "
              "stars that nobody reaches\n"
              // Only the deep line's category is left in the tree.
              "Sounds/SentList.txt:2: error: no category of the tree has a code that begins "
              "this line: no screen lists it\n"
              "Sounds/SentList.txt:4: error: no category of the tree has a code that begins "
              "this line: no screen lists it\n");
}

TEST_F(ContentPack, RootWithStarsIsReported)
{
    Write("Sounds/Tree.txt", "*Course\r\n*Introduction / 10\r\n*Word Stress / 11\r\n"
                             "*Sentence Stress / 12\r\n");
    const QStringList findings = Findings();
    ASSERT_FALSE(findings.isEmpty());
    EXPECT_EQ(findings[0], "Sounds/Tree.txt:1: error: the first line is the root and must not "
                           "begin with a star");
}

TEST_F(ContentPack, LeavesWithoutCodesAndCodesThatOverlap)
{
    Write("Sounds/Tree.txt", "Course\r\n"
                             "*Introduction / 10\r\n"
                             "*Stress\r\n"
                             "**Word Stress / 11\r\n"
                             "**Sentence Stress / 12\r\n"
                             "**Long Sentences / 120\r\n"
                             "**Sentences Again / 12\r\n"
                             "**No Code\r\n"
                             "*Topic / xy\r\n"
                             "**Upper Case / XY1\r\n");
    EXPECT_EQ(Report(),
              "Sounds/Tree.txt:6: error: code \"120\" begins with the code \"12\" of line "
              "5: its phrases also appear in that category\n"
              "Sounds/Tree.txt:6: warning: category \"Long Sentences\" (code \"120\") "
              "lists no phrases\n"
              "Sounds/Tree.txt:7: error: code \"12\" is also the code of line 5: both "
              "categories list the same phrases\n"
              "Sounds/Tree.txt:8: error: \"No Code\" is a leaf without a code: choosing it "
              "lists the phrases of every category\n"
              // An inner node's code chooses nothing: only leaves are categories.
              "Sounds/Tree.txt:10: warning: category \"Upper Case\" (code \"XY1\") lists "
              "no phrases\n");
}

TEST_F(ContentPack, CodesAreShownAsWrittenAndKeptFreeOfControlCharacters)
{
    Write("Sounds/Tree.txt",
          "Course\r\n*Introduction / 10\r\n*Percent / 5%1\r\n*Again / 5%1\r\n*Tab / 6\t1\r\n");
    const QStringList findings = Findings();
    EXPECT_TRUE(findings.contains("Sounds/Tree.txt:4: error: code \"5%1\" is also the code of line "
                                  "3: both categories list the same phrases"));
    EXPECT_TRUE(findings.contains("Sounds/Tree.txt:5: error: code \"6\\x091\" holds a control "
                                  "character; use letters and digits"));
}

TEST_F(ContentPack, CodesDifferingOnlyInCaseOverlap)
{
    Write("Sounds/Tree.txt", "Course\r\n*Introduction / 10\r\n*Word Stress / 11\r\n"
                             "*Sentence Stress / 12\r\n*Twisters / tw\r\n*More Twisters / TW2\r\n");
    Write("Sounds/SentList.txt", "10_01.wav;Hello there\r\n11_01.wav;photograph\r\n"
                                 "12_01.wav;She bought a car.\r\n");
    const QStringList findings = Findings();
    EXPECT_TRUE(findings.contains("Sounds/Tree.txt:6: error: code \"TW2\" begins with the code "
                                  "\"tw\" of line 5: its phrases also appear in that category"))
        << findings.join('\n').toStdString();
}

TEST_F(ContentPack, TextsLongerThanTheirFields)
{
    const QByteArray name(201, 'n');
    const QByteArray code = "12" + QByteArray(49, 'c');
    Write("Sounds/Tree.txt", "Course\r\n*Introduction / 10\r\n*Stress\r\n**Word Stress / 11\r\n"
                             "**" +
                                 name + " / " + code + "\r\n");
    const QByteArray stem = "12_" + QByteArray(122, '1');
    const QByteArray text(201, 't');
    Write("Sounds/SentList.txt",
          "10_01.wav;Hello there\r\n11_01.wav;photograph\r\n" + stem + ".wav;" + text + "\r\n");
    const QStringList findings = Findings();
    for (const char* expected :
         {"Sounds/Tree.txt:5: error: name is 201 bytes long; the tutor keeps 200",
          "Sounds/Tree.txt:5: error: code is 51 bytes long; the tutor keeps 50",
          "Sounds/SentList.txt:3: error: phrase text is 201 bytes long; the tutor keeps 200",
          "Sounds/SentList.txt:3: error: sound file name is 125 bytes long before its "
          "extension; the tutor keeps 124"})
        EXPECT_TRUE(findings.contains(expected)) << expected;
    // Exactly at the limits nothing is reported.
    Write("Sounds/Tree.txt", "Course\r\n*Introduction / 10\r\n*Stress\r\n**Word Stress / 11\r\n"
                             "**" +
                                 name.left(200) + " / " + code.left(50) + "\r\n");
    Write("Sounds/SentList.txt", "10_01.wav;Hello there\r\n11_01.wav;photograph\r\n" +
                                     stem.left(124) + ".wav;" + text.left(200) + "\r\n");
    for (const QString& finding : Findings())
        EXPECT_FALSE(finding.contains("bytes long")) << qPrintable(finding);
}

TEST_F(ContentPack, SoundFilesMissingUnreadableOrWithoutStepsOrPitch)
{
    Write("Sounds/SentList.txt", "10_01.wav;Hello there\r\n"
                                 "10_02.wav;Missing\r\n"
                                 "11_01.wav;photograph\r\n"
                                 "11_02.wav;No steps\r\n"
                                 "12_01.wav;She bought a car.\r\n"
                                 "12_02.wav;No pitch\r\n"
                                 "12_03.WAV;Capital extension\r\n"
                                 "12_04.wav;Backwards\r\n");
    PhraseChunks wideFormat;
    wideFormat.fmt = Chunk("fmt ", FormatData() + QByteArray(2, '\0'));
    Write("Sounds/11_01.wav", wideFormat.File());
    PhraseChunks noSteps;
    noSteps.snt = Chunk("snt ", EncodePhraseText("No steps"));
    noSteps.stp = Chunk("stp ", StepData(10, 99, {}));
    Write("Sounds/11_02.wav", noSteps.File());
    PhraseChunks noPitch;
    noPitch.snt = Chunk("snt ", EncodePhraseText("No pitch"));
    noPitch.ptc = Chunk("ptc ", PitchData({{20, 0}, {40, 0}}));
    Write("Sounds/12_02.wav", noPitch.File());
    Write("Sounds/12_03.wav", PhraseFileSaying("Capital extension"));
    PhraseChunks backwards;
    backwards.snt = Chunk("snt ", EncodePhraseText("Backwards"));
    backwards.stp = Chunk("stp ", StepData(99, 10, {{10, 49, 12, 45, 7, 8, 900}}));
    Write("Sounds/12_04.wav", backwards.File());
    Write("Help/TVTutor.hlp", "<a name=100></a><a name=1001></a><a name=1002></a>"
                              "<a name=1101></a><a name=1102></a><a name=1201></a>"
                              "<a name=1202></a><a name=1203></a><a name=1204></a>");
    EXPECT_EQ(Report(),
              "Sounds/SentList.txt:2: error: sound file Sounds/10_02.wav is missing\n"
              "Sounds/SentList.txt:3: error: sound file Sounds/11_01.wav does not read as a "
              "phrase file (result -6: the \"fmt \" chunk is not 16 bytes)\n"
              "Sounds/SentList.txt:4: error: sound file Sounds/11_02.wav has no steps: the "
              "stress view stays empty\n"
              "Sounds/SentList.txt:6: error: sound file Sounds/12_02.wav has no pitch: the "
              "intonation view stays empty\n"
              "Sounds/SentList.txt:8: error: sound file Sounds/12_04.wav ends its phrase (sample "
              "10) before it begins (sample 99): its views are drawn backwards and it does not "
              "play\n"
              // The extension's case does not matter: the tutor appends ".wav" itself.
    );
}

TEST_F(ContentPack, PhraseLinesWithoutCategoryHelpTopicOrProperFileName)
{
    Write("Sounds/SentList.txt", "10_01.wav;Hello there\r\n"
                                 "11_01.wav;photograph\r\n"
                                 "12_01.wav;She bought a car.\r\n"
                                 "13_01.wav;No category\r\n"
                                 "12_02.wav;No topic\r\n"
                                 "ab_1.wav;Letters\r\n"
                                 "12;Too short\r\n"
                                 "12_04.mp3;Other extension\r\n"
                                 "12_0_1.wav;Same topic\r\n");
    Write("Sounds/13_01.wav", PhraseFileSaying("No category"));
    Write("Sounds/12_02.wav", PhraseFileSaying("No topic"));
    Write("Sounds/ab_1.wav", PhraseFileSaying("Letters"));
    Write("Sounds/12_04.wav", PhraseFileSaying("Other extension"));
    Write("Sounds/12_0_1.wav", PhraseFileSaying("Same topic"));
    // An id is not a topic: the help window looks for named anchors only.
    Write("Help/TVTutor.hlp", "<a name=\"100\"></a><a name=\"1001\"></a><a name=\"1101\"></a>"
                              "<a name=\"1201\"></a><a name=\"1301\"></a><a name=\"1204\"></a>"
                              "<a id=\"1202\"></a>");
    EXPECT_EQ(Report(),
              "Sounds/SentList.txt:4: error: no category of the tree has a code that begins "
              "this line: no screen lists it\n"
              "Sounds/SentList.txt:5: error: no help topic 1202 in Help/TVTutor.hlp: "
              "Explain shows \"topic not found\"\n"
              "Sounds/SentList.txt:6: error: no category of the tree has a code that begins "
              "this line: no screen lists it\n"
              "Sounds/SentList.txt:6: error: sound file name \"ab_1.wav\" gives no help "
              "topic: its name must begin with digits (12_07.wav is topic 1207)\n"
              "Sounds/SentList.txt:7: error: the semicolon stands within the first four "
              "characters: no sound file name\n"
              "Sounds/SentList.txt:8: error: the sound file name must end in \".wav\" right "
              "before the semicolon: the tutor drops \".mp3\" and opens \"12_04.wav\"\n"
              "Sounds/SentList.txt:9: warning: help topic 1201 is also the topic of line 3: "
              "both phrases open the same explanation\n");
}

TEST_F(ContentPack, SoundFileTextDifferentFromTheListIsAWarning)
{
    Write("Sounds/11_01.wav", PhraseFileSaying("photographer"));
    EXPECT_EQ(Report(), "Sounds/SentList.txt:3: warning: sound file "
                        "Sounds/11_01.wav holds the text \"photographer\", not "
                        "the listed text\n");
    // A line break in the stored text must not split the finding over two
    // lines, which a script would read as two findings.
    Write("Sounds/11_01.wav", PhraseFileSaying("photo\nSounds/Tree.txt:3: error: x"));
    EXPECT_EQ(Report(), "Sounds/SentList.txt:3: warning: sound file Sounds/11_01.wav holds the "
                        "text \"photo\\x0ASounds/Tree.txt:3: error: x\", not the listed text\n");
}

TEST_F(ContentPack, MissingFilesAreReportedOnceEach)
{
    QFile::remove(dir.filePath("Sounds/Tree.txt"));
    QFile::remove(dir.filePath("Help/TVTutor.hlp"));
    EXPECT_EQ(Report(), "Sounds/Tree.txt:0: error: cannot be read: the tutor ends at start-up\n"
                        "Help/TVTutor.hlp:0: error: cannot be read: Help and Explain show "
                        "\"topic not found\"\n");
    QFile::remove(dir.filePath("Sounds/SentList.txt"));
    EXPECT_TRUE(Findings().contains(
        "Sounds/SentList.txt:0: error: cannot be read: every category lists no phrases"));
}

TEST_F(ContentPack, FirstNodeNeedsTopicHundred)
{
    Write("Help/TVTutor.hlp", "<a name=\"1001\"></a><a name=\"1101\"></a><a name=\"1201\"></a>"
                              "<a name=\"1000\"></a>");
    EXPECT_EQ(Report(), "Sounds/Tree.txt:2: error: entering this first node opens "
                        "help topic 100, which Help/TVTutor.hlp lacks\n");
}

// A tab in a sound file name would split its findings, one a line, into
// more fields for the scripts that read them.
TEST_F(ContentPack, AControlCharacterInASoundFileNameIsAnErrorAndShownEscaped)
{
    Write("Sounds/SentList.txt", "10_01.wav;Hello there\r\n11_01.wav;photograph\r\n"
                                 "12_0\t1.wav;tab in name\r\n");
    const QStringList findings = Findings();
    EXPECT_TRUE(
        findings.contains("Sounds/SentList.txt:3: error: sound file name \"12_0\\x091.wav\" "
                          "holds a control character; use letters and digits"))
        << Report();
    for (const QString& finding : findings)
        EXPECT_FALSE(finding.contains('\t')) << qPrintable(finding);
}

// The help window reads UTF-8 only; the studio would convert the document.
TEST_F(ContentPack, AHelpDocumentNotInUtf8IsReportedAtItsFirstSuchLine)
{
    Write("Help/TVTutor.hlp", "<html><body><h1>Contents</h1>\n"
                              "<a name=\"100\"></a><p>Le caf\xE9.</p>\n"
                              "<a name=\"1001\"></a><a name='1101'></a><A NAME=1201></A>\n"
                              "<p>tr\xE8s</p></body></html>\n");
    EXPECT_EQ(Report(), "Help/TVTutor.hlp:2: warning: not UTF-8 (Windows-1252?): Help and "
                        "Explain show its accented letters wrongly; the studio saves it as "
                        "UTF-8\n");
}

TEST_F(ContentPack, SlashWithoutBlankLosesTheCodesFirstCharacter)
{
    Write("Sounds/Tree.txt", "Course\r\n*Introduction / 10\r\n*Stress\r\n**Word Stress /11\r\n"
                             "**Sentence Stress / 12\r\n");
    const QStringList findings = Findings();
    EXPECT_TRUE(findings.contains("Sounds/Tree.txt:4: warning: no blank after the slash: the "
                                  "tutor skips the character after it, so the code reads \"1\""));
    // The category is then "1", which begins the line of category 10 and 12 too.
    EXPECT_TRUE(findings.contains("Sounds/Tree.txt:2: error: code \"10\" begins with the code "
                                  "\"1\" of line 4: its phrases also appear in that category"));
}

// The demo pack's text sources with a phrase file for every listed phrase:
// its tree, phrase list and help document are consistent.
TEST(DemoContentSources, PassWithAPhraseFileForEveryPhrase)
{
    QTemporaryDir pack;
    ASSERT_TRUE(QDir(pack.path()).mkpath("Sounds"));
    ASSERT_TRUE(QDir(pack.path()).mkpath("Help"));
    const QString source = TONVALE_SOURCE_DIR "/content/demo/";
    for (const char* name : {"Tree.txt", "SentList.txt"})
        ASSERT_TRUE(QFile::copy(source + name, pack.filePath(QString("Sounds/") + name)));
    ASSERT_TRUE(QFile::copy(source + "Help/TVTutor.hlp", pack.filePath("Help/TVTutor.hlp")));

    QFile list(pack.filePath("Sounds/SentList.txt"));
    ASSERT_TRUE(list.open(QIODevice::ReadOnly));
    int phrases = 0;
    for (const QByteArray& line : list.readAll().split('\n')) {
        const qsizetype semi = line.indexOf(';');
        if (semi < 0) continue;
        QFile file(pack.filePath("Sounds/" + QString::fromUtf8(line.left(semi))));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(PhraseFileSaying(line.mid(semi + 1).trimmed()));
        ++phrases;
    }
    EXPECT_GE(phrases, 40);
    QStringList findings;
    for (const LintFinding& finding : LintContent(pack.path()))
        findings << FormatLintFinding(finding);
    EXPECT_EQ(findings, QStringList());
}

namespace {

ToolRun RunLint(const QStringList& args, const QString& workingFolder = QString())
{
    return RunTvtool(QStringList{"lint"} + args, 60000, workingFolder);
}

} // namespace

TEST_F(ContentPack, CommandExitsOneOnErrorsAndZeroOnWarningsOnly)
{
    ToolRun run = RunLint({dir.path()});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, "tvtool lint: 0 errors, 0 warnings\n");

    Write("Sounds/11_01.wav", PhraseFileSaying("photographer"));
    run = RunLint({dir.path()});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.err, "tvtool lint: 0 errors, 1 warning\n");

    QFile::remove(dir.filePath("Sounds/12_01.wav"));
    run = RunLint({dir.path()});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.out, "Sounds/SentList.txt:3: warning: sound file Sounds/11_01.wav holds the "
                       "text \"photographer\", not the listed text\n"
                       "Sounds/SentList.txt:4: error: sound file Sounds/12_01.wav is missing\n");
    EXPECT_EQ(run.err, "tvtool lint: 1 error, 1 warning\n");

    // Files are named relative to the pack also when it is given relative.
    const QFileInfo pack(dir.path());
    EXPECT_EQ(RunLint({pack.fileName()}, pack.absolutePath()).out, run.out);
}

TEST(TvtoolLint, WrongCallsExitTwo)
{
    EXPECT_EQ(RunLint({}).exitCode, 2);
    EXPECT_EQ(RunLint({"a", "b"}).exitCode, 2);
    EXPECT_EQ(RunLint({"--bogus"}).exitCode, 2);
    EXPECT_EQ(RunLint({"/no/such/folder"}).exitCode, 2);
    const ToolRun help = RunLint({"--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_TRUE(help.out.contains("<file>:<line>: error: <message>"));
}
