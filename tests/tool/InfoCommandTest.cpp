// tvtool info as other programs see it: the built tool run on files written
// here, its exact output and exit status.
#include "support/PhraseFileBytes.h"
#include "support/ToolRun.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace testbytes;

namespace {


} // namespace

TEST(TvtoolInfo, PrintsEveryItemOfAPhraseFile)
{
    Scratch scratch;
    PhraseChunks chunks;
    // A text byte that is not ASCII comes out as it is stored.
    chunks.snt = Chunk("snt ", EncodePhraseText("caf\xE9 au lait"));
    chunks.stp = Chunk("stp ", StepData(10, 99, {{10, 49, 12, 45, 7, 8, 900},
                                                 {50, 99, 52, 97, -1, 0, 40000}}));
    const ToolRun run = RunTvtool({"info", scratch.Write(chunks.File())});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(run.out, "result 0\n"
                       "format 1 1 22050 44100 2 16\n"
                       "text caf\xE9 au lait\n"
                       "phrase 10 99\n"
                       "steps 2 32767 90\n"
                       "step 1 10 40 12 45 7 8 900\n"
                       "step 2 50 50 52 97 -1 0 40000\n"
                       "pitch 4\n"
                       "point 0 20 1500\n"
                       "point 1 40 1520\n"
                       "point 2 60 0\n"
                       "point 3 80 1300\n"
                       "samples 200\n");
}

TEST(TvtoolInfo, SkipTextReadsAFileWithoutTextAndPrintsNoTextLine)
{
    Scratch scratch;
    PhraseChunks chunks;
    chunks.snt.clear();
    chunks.stp = Chunk("stp ", StepData(1, 2, {}));
    chunks.ptc = Chunk("ptc ", QByteArray());
    const QString path = scratch.Write(chunks.File());
    const ToolRun run = RunTvtool({"info", "--skip-text", path});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, "result 0\n"
                       "format 1 1 22050 44100 2 16\n"
                       "phrase 1 2\n"
                       "steps 0 0 0\n"
                       "pitch 0\n"
                       "samples 200\n");
    const ToolRun withText = RunTvtool({"info", path});
    EXPECT_EQ(withText.exitCode, 1);
    EXPECT_EQ(withText.out, "result 265\n");
}

TEST(TvtoolInfo, FailedReadPrintsOnlyTheResult)
{
    Scratch scratch;
    PhraseChunks chunks;
    chunks.fmt = Chunk("fmt ", FormatData() + QByteArray(2, '\0'));
    const ToolRun badFormat = RunTvtool({"info", scratch.Write(chunks.File())});
    EXPECT_EQ(badFormat.exitCode, 1);
    EXPECT_EQ(badFormat.out, "result -6\n");
    const ToolRun missing = RunTvtool({"info", scratch.Path("missing.wav")});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_EQ(missing.out, "result -5\n");
}

// Named pipes in a content pack, where a phrase and the lesson tree should
// be: opening one waits for a writer, so reading it used to hang for ever.
TEST(TvtoolInfo, ANamedPipeIsRefusedNotWaitedOn)
{
    Scratch scratch;
    const QString sounds = scratch.Path("Sounds");
    ASSERT_TRUE(QDir().mkpath(sounds));
    for (const char* name : {"/10_01.wav", "/Tree.txt", "/SentList.txt"})
        ASSERT_EQ(mkfifo(QFile::encodeName(sounds + name).constData(), 0600), 0);

    const ToolRun info = RunTvtool({"info", sounds + "/10_01.wav"}, 10000);
    EXPECT_EQ(info.exitCode, 1);
    EXPECT_EQ(info.out, "result -5\n");
    const ToolRun tree = RunTvtool({"tree", sounds}, 10000);
    EXPECT_EQ(tree.exitCode, 0);
    EXPECT_EQ(tree.out, "LastNodeIndex -1\n");
    const ToolRun phrases = RunTvtool({"phrases", sounds, "10"}, 10000);
    EXPECT_EQ(phrases.exitCode, 0);
    EXPECT_EQ(phrases.out, "PhraseCount 0\n");
}

TEST(TvtoolInfo, JsonCarriesTheSameItems)
{
    Scratch scratch;
    const ToolRun run = RunTvtool({"info", "--json", scratch.Write(PhraseChunks().File())});
    EXPECT_EQ(run.exitCode, 0);
    const QJsonObject json = QJsonDocument::fromJson(run.out).object();
    EXPECT_EQ(json["result"].toInt(-1), 0);
    EXPECT_EQ(json["text"].toString(), "abc");
    EXPECT_EQ(json["steps"].toArray().size(), 2);
    EXPECT_EQ(json["steps"].toArray()[1].toArray()[6].toInt(), 1200);
    EXPECT_EQ(json["pitch"].toArray().size(), 4);
    EXPECT_EQ(json["samples"].toInt(), 200);
}

TEST(TvtoolInfo, TrimCutsPitchWindowsAtAJumpBeforePrinting)
{
    // The first of twelve points lies more than a fifth above the rest:
    // trimming moves the window's start past it; the track is printed as read.
    PhraseChunks chunks;
    chunks.stp = Chunk("stp ", StepData(0, 1200, {{0, 1000, 0, 1000, 0, 0, 100}}));
    std::vector<std::pair<int32_t, int32_t>> points;
    for (int32_t i = 0; i < 12; ++i)
        points.emplace_back(50 + 100 * i, i == 0 ? 121 : 100);
    chunks.ptc = Chunk("ptc ", PitchData(points));
    Scratch scratch;
    const QString file = scratch.Write(chunks.File());

    const ToolRun plain = RunTvtool({"info", file});
    const ToolRun trimmed = RunTvtool({"info", "--trim", file});
    EXPECT_EQ(trimmed.exitCode, 0) << trimmed.err.toStdString();
    EXPECT_TRUE(plain.out.contains("\nstep 1 0 1001 0 1000 0 0 100\n"));
    EXPECT_TRUE(trimmed.out.contains("\nstep 1 0 1001 51 1000 0 0 100\n"))
        << trimmed.out.toStdString();
    EXPECT_TRUE(trimmed.out.contains("\npoint 0 50 121\n"));
}

TEST(TvtoolInfo, WrongCallsPrintUsageToStandardError)
{
    for (const QStringList& args : {QStringList{"info"}, QStringList{"info", "a.wav", "b.wav"},
                                    QStringList{"info", "--frobnicate", "a.wav"}}) {
        const ToolRun run = RunTvtool(args);
        EXPECT_EQ(run.exitCode, 2) << args.join(' ').toStdString();
        EXPECT_TRUE(run.out.isEmpty());
        EXPECT_TRUE(run.err.startsWith("usage: tvtool info")) << run.err.toStdString();
    }
    const ToolRun help = RunTvtool({"info", "--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_TRUE(help.out.startsWith("usage: tvtool info"));
}
