// The demo content pack: every phrase of its list reads as the tutor reads
// a native phrase, with steps and a pitch track, and names its steps'
// syllables for the learner's advice. The pack is the one named
// by TONVALE_DEMO_PACK (the build scripts' pack) or, without it, one built
// here with festival.
#include "audio/PhraseFile.h"
#include "compare/Syllables.h"
#include "content/PhraseList.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>

TEST(DemoContentPack, EveryListedPhraseReadsWithStepsAndPitch)
{
    QTemporaryDir scratch;
    QString pack = qEnvironmentVariable("TONVALE_DEMO_PACK");
    if (pack.isEmpty()) {
        if (QStandardPaths::findExecutable("festival").isEmpty())
            GTEST_SKIP() << "festival is not installed and TONVALE_DEMO_PACK is not set";
        pack = scratch.filePath("pack");
        QProcess tool;
        tool.start(QStringLiteral(TONVALE_BINARY_DIR "/src/tvtool"), {"demo-content", pack});
        ASSERT_TRUE(tool.waitForFinished(300000));
        ASSERT_EQ(tool.exitCode(), 0) << tool.readAllStandardError().toStdString();
    }
    for (const char* name : {"Sounds/Tree.txt", "Sounds/SentList.txt", "Help/TVTutor.hlp"})
        EXPECT_TRUE(QFile::exists(pack + "/" + name)) << name;

    QFile list(pack + "/Sounds/SentList.txt");
    ASSERT_TRUE(list.open(QIODevice::ReadOnly));
    std::vector<PhraseEntry> entries;
    SelectPhrases(list.readAll(), QByteArray(), QFile::encodeName(pack + "/Sounds/"), entries);
    ASSERT_GT(entries.size(), 1u);
    for (size_t i = 1; i < entries.size(); ++i) {
        int32_t loaded = 0;
        PhraseData phrase;
        phrase.WaveFile = QFile::decodeName(entries[i].FileStem) + ".wav";
        WaveFormat format;
        WaveHeader samples;
        std::unique_ptr<APIMemory> memory;
        PitchTrack pitch;
        QByteArray text;
        ASSERT_EQ(ReadPhraseFile(loaded, phrase, format, samples, memory, pitch, 0, 0, &text),
                  PhraseFileOk)
            << phrase.WaveFile.toStdString();
        EXPECT_EQ(text, entries[i].PhraseText);
        EXPECT_GT(phrase.StepCount, 0) << phrase.WaveFile.toStdString();
        EXPECT_GT(std::count_if(pitch.begin(), pitch.end(),
                                [](const PitchPoint& p) { return p.Value > 0; }),
                  10)
            << phrase.WaveFile.toStdString();
        EXPECT_EQ(format.SamplesPerSec, 22050u);
        const std::vector<QString> names = NameSteps(phrase, ReadSyllables(phrase.WaveFile));
        EXPECT_GE(2 * std::count_if(names.begin(), names.end(),
                                    [](const QString& name) { return !name.isEmpty(); }),
                  int(names.size()))
            << phrase.WaveFile.toStdString() << ": fewer than half the steps are named";
    }
}

// An installed pack (its lists under Sounds/, as a package lays them out)
// is a source as good as the text sources: a packaged tvtool has no other.
TEST(DemoContentPack, BuildsFromAnInstalledPack)
{
    if (QStandardPaths::findExecutable("festival").isEmpty())
        GTEST_SKIP() << "festival is not installed";
    QTemporaryDir scratch;
    const QDir installed(scratch.filePath("share/tonvale-tutor/content"));
    ASSERT_TRUE(installed.mkpath("Sounds") && installed.mkpath("Help"));
    const QByteArray tree = "Small Pack\r\n*Greetings / 10\r\n";
    const QByteArray help = "<html><body><a name=\"100\"></a><p>Greetings</p></body></html>";
    for (const auto& [name, bytes] :
         {std::pair{"Sounds/Tree.txt", tree},
          std::pair{"Sounds/SentList.txt", QByteArray("Phrases\r\n10_01.wav;Good morning.\r\n")},
          std::pair{"Help/TVTutor.hlp", help}}) {
        QFile file(installed.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    const QString out = scratch.filePath("out");
    QProcess tool;
    tool.start(QStringLiteral(TONVALE_BINARY_DIR "/src/tvtool"),
               {"demo-content", out, "--from", installed.path()});
    ASSERT_TRUE(tool.waitForFinished(300000));
    ASSERT_EQ(tool.exitCode(), 0) << tool.readAllStandardError().toStdString();
    EXPECT_TRUE(QFile::exists(out + "/Sounds/10_01.wav"));
    QFile copiedTree(out + "/Sounds/Tree.txt");
    ASSERT_TRUE(copiedTree.open(QIODevice::ReadOnly));
    EXPECT_EQ(copiedTree.readAll(), tree);
    QFile copiedHelp(out + "/Help/TVTutor.hlp");
    ASSERT_TRUE(copiedHelp.open(QIODevice::ReadOnly));
    EXPECT_EQ(copiedHelp.readAll(), help);
}
