// tvtool render as other programs see it: the built tool run on phrase
// files written here, its exact SVG, its PNG against the picture box, and
// its exit status.
#include "compare/DrawCompare.h"
#include "compare/SpokenPhrase.h"
#include "support/FileSizeLimit.h"
#include "support/PhraseFileBytes.h"
#include "support/ToolRun.h"
#include "views/DrawStress.h"
#include "views/PitchProcessing.h"
#include "views/ViewColours.h"
#include "widgets/PictureBox.h"

#include <QFile>
#include <QImage>
#include <QProcess>
#include <gtest/gtest.h>

using namespace testbytes;

namespace {

QByteArray ReadAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

TEST(TvtoolRender, StressViewAsSvgHoldsEveryDrawingCallInOrder)
{
    // Two touching steps over samples 10..99 in a 200 x 100 box: 160 / 89
    // pixels a sample from x = 20, levels 80 and 100, and the joint erased
    // down to the lower bar.
    Scratch scratch;
    const QString out = scratch.Path("stress.svg");
    const ToolRun run = RunTvtool({"render", scratch.Write(PhraseChunks().File()), "--view",
                                   "stress", "--size", "200x100", "--out", out});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_TRUE(run.out.isEmpty());
    EXPECT_EQ(ReadAll(out),
              "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"200\" height=\"100\" "
              "viewBox=\"0 0 200 100\">\n"
              "<rect class=\"clear\" x=\"0\" y=\"0\" width=\"200\" height=\"100\" "
              "fill=\"#ceffce\"/>\n"
              "<rect x=\"20\" y=\"26\" width=\"71.91\" height=\"64\" fill=\"#ceffce\" "
              "stroke=\"#000000\" stroke-width=\"2\"/>\n"
              "<rect x=\"91.91\" y=\"10\" width=\"89.888\" height=\"80\" fill=\"#ceffce\" "
              "stroke=\"#000000\" stroke-width=\"2\"/>\n"
              "<line x1=\"90.91\" y1=\"27\" x2=\"90.91\" y2=\"89\" stroke=\"#ceffce\" "
              "stroke-width=\"1\"/>\n"
              "<line x1=\"91.91\" y1=\"27\" x2=\"91.91\" y2=\"89\" stroke=\"#ceffce\" "
              "stroke-width=\"1\"/>\n"
              "<line x1=\"92.91\" y1=\"27\" x2=\"92.91\" y2=\"89\" stroke=\"#ceffce\" "
              "stroke-width=\"1\"/>\n"
              "</svg>\n");
}

TEST(TvtoolRender, StudentFileWithoutTextReadsOnlyWithStudent)
{
    PhraseChunks chunks;
    chunks.snt.clear();
    Scratch scratch;
    const QString file = scratch.Write(chunks.File());
    const QString out = scratch.Path("signal.svg");

    const ToolRun native =
        RunTvtool({"render", file, "--view", "signal", "--size", "50x40", "--out", out});
    EXPECT_EQ(native.exitCode, 1);
    EXPECT_EQ(native.err, "result 265\n");
    EXPECT_FALSE(QFile::exists(out));

    const ToolRun student = RunTvtool(
        {"render", file, "--view", "signal", "--size", "50x40", "--out", out, "--student"});
    ASSERT_EQ(student.exitCode, 0) << student.err.toStdString();
    const QByteArray svg = ReadAll(out);
    EXPECT_TRUE(svg.contains("<rect class=\"clear\" x=\"0\" y=\"0\" width=\"50\" height=\"40\" "
                             "fill=\"#ceffff\"/>"));
    EXPECT_EQ(svg.count("<line "), 40); // one column a pixel between the margins
}

TEST(TvtoolRender, PngIsThePictureTheBoxShows)
{
    Scratch scratch;
    const QString file = scratch.Write(PhraseChunks().File());
    const QString out = scratch.Path("stress.png");
    const ToolRun run =
        RunTvtool({"render", file, "--view", "stress", "--size", "240x90", "--out", out});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    const QImage png = QImage(out).convertToFormat(QImage::Format_RGB32);

    Speaker speaker;
    ASSERT_EQ(speaker.Read(file), 0);
    TrimPitchWindows(speaker.Phrase, speaker.Pitch);
    PictureBox box;
    box.SetBackColor(NativeStressBackColor);
    box.setGeometry(0, 0, 244, 94);
    DrawStress(box.PictureCanvas(), speaker.Phrase, box.BackColor(), StandardLevelBounds,
               StandardLevelBoundCount);
    EXPECT_EQ(png, box.Picture().convertToFormat(QImage::Format_RGB32));
    EXPECT_EQ(png.pixel(24, 60) & 0xFFFFFF, 0x000000u); // the first bar's left edge, x = 24
}

TEST(TvtoolRender, UnreadableFileWritesNothingAndWrongCallsShowUsageAndWhy)
{
    Scratch scratch;
    const QString out = scratch.Path("pitch.png");
    const ToolRun missing = RunTvtool(
        {"render", scratch.Path("none.wav"), "--view", "pitch", "--size", "100x50", "--out", out});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_EQ(missing.err, "result -5\n");
    EXPECT_FALSE(QFile::exists(out));

    // The usage, then why the call was refused as its last line.
    const QString file = scratch.Write(PhraseChunks().File());
    const std::pair<QStringList, QString> calls[] = {
        {{"render", file, "--view", "pitch", "--out", out}, "--size is missing"},
        {{"render", file, "--view", "contour", "--size", "100x50", "--out", out},
         "no view is called 'contour'"},
        {{"render", file, "--view", "pitch", "--size", "0x50", "--out", out}, "not '0x50'"},
        {{"render", file, "--view", "pitch", "--size", "100x50", "--out", "a.jpg"},
         "--out must name an .svg or a .png file"},
        {{"render", file, "--view", "pitch", "--size", "100x50", "--out"}, "--out needs a value"},
        {{"render", file, file, "--view", "signal", "--size", "100x50", "--out", out},
         "the signal view draws one file"}};
    for (const auto& [args, why] : calls) {
        const ToolRun wrong = RunTvtool(args);
        EXPECT_EQ(wrong.exitCode, 2) << args.join(' ').toStdString();
        EXPECT_TRUE(wrong.err.startsWith("usage: tvtool render")) << args.join(' ').toStdString();
        const QString last = QString::fromUtf8(wrong.err).trimmed().section('\n', -1);
        EXPECT_TRUE(last.startsWith("tvtool render: ") && last.contains(why)) << last.toStdString();
    }
    EXPECT_FALSE(QFile::exists(out));
}

TEST(TvtoolRender, ADiskOutOfRoomFailsTheCallAndKeepsTheOldPicture)
{
    Scratch scratch;
    const QString file = scratch.Write(PhraseChunks().File());
    for (const char* name : {"pitch.svg", "pitch.png"}) {
        const QString out = scratch.Path(name);
        const QStringList args = {"render", file,      "--view", "pitch",
                                  "--size", "300x200", "--out",  out};
        ASSERT_EQ(RunTvtool(args).exitCode, 0);
        const QByteArray before = ReadAll(out);
        ToolRun full;
        {
            FileSizeLimit limit(64);
            ASSERT_TRUE(limit.Applied());
            full = RunTvtool(args);
        }
        EXPECT_EQ(full.exitCode, 1) << name;
        EXPECT_TRUE(full.err.startsWith("tvtool render: cannot write")) << full.err.toStdString();
        EXPECT_EQ(ReadAll(out), before) << name;
    }

    // What the tool prints, when it cannot reach its reader, is no success
    // either.
    QProcess listing;
    listing.setStandardOutputFile("/dev/full");
    listing.start(QStringLiteral(TONVALE_BINARY_DIR "/src/tvtool"), {"info", file});
    ASSERT_TRUE(listing.waitForFinished(60000));
    EXPECT_EQ(listing.exitCode(), 1);
    EXPECT_EQ(listing.readAllStandardError(),
              "tvtool: cannot write the output: No space left on device\n");
}

TEST(TvtoolRender, CompareViewDrawsBothPhrasesAsSvgOrPng)
{
    Scratch scratch;
    const QString model =
        scratch.Write(Speak({{0.25, 210, 220}, {0.3, 180, 130}}).FileBytes(), "model.wav");
    const QString learner =
        scratch.Write(Speak({{0.25, 110, 110}, {0.3, 100, 140}}, 0.5).FileBytes(), "learner.wav");
    const QString svg = scratch.Path("compare.svg");
    const ToolRun run = RunTvtool(
        {"render", model, learner, "--view", "compare", "--size", "400x160", "--out", svg});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    const QByteArray drawing = ReadAll(svg);
    EXPECT_TRUE(drawing.contains("stroke=\"" + CompareModelColor.name().toUtf8() + "\""));
    EXPECT_TRUE(drawing.contains("stroke=\"" + CompareLearnerColor.name().toUtf8() + "\""));
    EXPECT_TRUE(drawing.contains(">Model</text>"));

    // A picture needs no display, whatever platform the user's session names.
    const QString png = scratch.Path("compare.png");
    const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
    const QByteArray display = qgetenv("DISPLAY");
    qputenv("QT_QPA_PLATFORM", "xcb");
    qunsetenv("DISPLAY");
    const ToolRun drawn = RunTvtool(
        {"render", model, learner, "--view", "compare", "--size", "400x160", "--out", png});
    qputenv("QT_QPA_PLATFORM", platform);
    if (!display.isEmpty()) qputenv("DISPLAY", display);
    ASSERT_EQ(drawn.exitCode, 0) << drawn.err.toStdString();
    const QImage picture(png);
    EXPECT_EQ(picture.size(), QSize(400, 160));
    EXPECT_EQ(picture.pixelColor(2, 80), CompareBackColor);

    EXPECT_EQ(
        RunTvtool({"render", model, "--view", "compare", "--size", "40x40", "--out", svg}).exitCode,
        2);
    EXPECT_EQ(
        RunTvtool({"render", model, learner, "--view", "pitch", "--size", "40x40", "--out", svg})
            .exitCode,
        2);
}
