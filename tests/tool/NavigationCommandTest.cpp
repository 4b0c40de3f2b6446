// The outputs of tvtool tree and tvtool phrases are read by other programs:
// check them byte for byte on content written here.
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include "support/ToolRun.h"

#include <gtest/gtest.h>

namespace {

class NavigationCommands : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        Write("Tree.txt", "Root\r\n*Topic   \r\n**Leaf \xe9t\xe9 / ab  \r\n*Other/xcd\r\n");
        Write("SentList.txt", "ab2.wav;  Second  \r\nAB10.wav;Tenth\r\nzz1.wav;Other\r\n");
    }
    void Write(const QString& name, const QByteArray& bytes)
    {
        QFile file(dir.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    QTemporaryDir dir;
};

} // namespace

TEST_F(NavigationCommands, TreePrintsEveryNodeWithItsLinks)
{
    const ToolRun run = RunTvtool({"tree", dir.path()});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, QByteArray("LastNodeIndex 3\n"
                                  "0\t-1\t1\t-1\t-1\t\tRoot\n"
                                  "1\t0\t2\t-1\t3\t\tTopic\n"
                                  "2\t1\t-1\t-1\t-1\tab\tLeaf \xe9t\xe9\n"
                                  "3\t0\t-1\t1\t-1\tcd\tOther\n"));
}

TEST_F(NavigationCommands, TreeOfAMissingFileIsEmpty)
{
    const ToolRun run = RunTvtool({"tree", dir.filePath("nothing") + "/"});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, "LastNodeIndex -1\n");
}

TEST_F(NavigationCommands, PhrasesPrintsTheCategoryInListOrder)
{
    const ToolRun run = RunTvtool({"phrases", dir.path() + "/", "ab"});
    EXPECT_EQ(run.exitCode, 0);
    const QByteArray folder = dir.path().toUtf8() + "/";
    EXPECT_EQ(run.out,
              "PhraseCount 2\n1\t" + folder + "AB10\tTenth\n2\t" + folder + "ab2\tSecond\n");

    const ToolRun all = RunTvtool({"phrases", dir.path(), ""});
    EXPECT_TRUE(all.out.startsWith("PhraseCount 3\n"));

    // The text is cut to its stored width inside a run of blanks: they are
    // still removed.
    const QByteArray kept(198, 'a');
    Write("SentList.txt", "cd1.wav;" + kept + "     bcd\r\n");
    const ToolRun cut = RunTvtool({"phrases", "--", dir.path(), "cd"});
    EXPECT_EQ(cut.exitCode, 0);
    EXPECT_EQ(cut.out, "PhraseCount 1\n1\t" + folder + "cd1\t" + kept + "\n");

    // A tab stored in a field would make a record of four fields.
    Write("SentList.txt", "cd_0\t1.wav;tab\tin text\r\n");
    const ToolRun tab = RunTvtool({"phrases", dir.path(), "cd"});
    EXPECT_EQ(tab.out, "PhraseCount 1\n1\t" + folder + "cd_0\\x091\ttab\\x09in text\n");
}

TEST_F(NavigationCommands, WrongCallsPrintUsageAndExitTwo)
{
    EXPECT_EQ(RunTvtool({}).exitCode, 2);
    EXPECT_EQ(RunTvtool({"tree"}).exitCode, 2);
    EXPECT_EQ(RunTvtool({"phrases", dir.path()}).exitCode, 2);
    // A mistyped option is not a folder or a code.
    EXPECT_EQ(RunTvtool({"tree", "--json"}).exitCode, 2);
    EXPECT_EQ(RunTvtool({"phrases", dir.path(), "--all"}).exitCode, 2);
    EXPECT_EQ(RunTvtool({"demo-content", "--bogus"}).exitCode, 2);
    const ToolRun unknown = RunTvtool({"frobnicate"});
    EXPECT_EQ(unknown.exitCode, 2);
    EXPECT_TRUE(unknown.err.contains("usage: tvtool"));
    const ToolRun help = RunTvtool({"tree", "--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_TRUE(help.out.contains("LastNodeIndex"));
}
