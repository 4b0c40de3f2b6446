// The take files under the history folder: safe names, whole files under
// their real names only, and tidying what an interrupted write left.
#include "history/TakeFiles.h"
#include "history/HistoryTestSupport.h"
#include "support/QtPrinters.h"
#include "support/SyntheticVoice.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include <set>

TEST(TakeFiles, EveryKeyPartBecomesOneFolderNameOfItsOwn)
{
    const QStringList parts = {"12_03",
                               "../../etc",
                               "a/b",
                               "a%2Fb",
                               ".",
                               "..",
                               "",
                               ".hidden",
                               "Übung 3",
                               QString(300, 'x'),
                               QString(300, 'x') + "y"};
    std::set<QString> names;
    for (const QString& part : parts) {
        const QString name = TakeFolderName(part);
        SCOPED_TRACE(name.toStdString());
        EXPECT_FALSE(name.contains('/'));
        EXPECT_FALSE(name.startsWith('.'));
        EXPECT_FALSE(name.isEmpty());
        EXPECT_LE(name.size(), 120);
        names.insert(name);
    }
    EXPECT_EQ(names.size(), size_t(parts.size()));
    EXPECT_EQ(TakeFolderName("12_03"), "12_03");
}

TEST(TakeFiles, ATakeNeverReplacesAnotherOfTheSameNameAndLeavesNoScratchFile)
{
    QTemporaryDir dir;
    const QString folder = dir.filePath("demo/12_03");
    QString first, second;
    ASSERT_EQ(WriteTakeFile("first", folder, "20250304T102233.456Z.wav", first), HistoryOk);
    ASSERT_EQ(WriteTakeFile("second", folder, "20250304T102233.456Z.wav", second), HistoryOk);
    EXPECT_EQ(first, "20250304T102233.456Z.wav");
    EXPECT_EQ(second, "20250304T102233.456Z-2.wav");
    EXPECT_EQ(ReadBytes(folder + '/' + first), "first");
    EXPECT_EQ(ReadBytes(folder + '/' + second), "second");
    EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::Hidden).size(), 2);
}

TEST(TakeFiles, TidyingRemovesOldLeftOversButSparesKeptAndRecentFiles)
{
    QTemporaryDir dir;
    const QString folder = dir.path();
    const QDateTime now = QDateTime::currentDateTimeUtc();
    const auto make = [&](const QString& name, qint64 ageSeconds) {
        QFile file(folder + '/' + name);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("x");
        file.flush(); // a later flush would set the time again
        ASSERT_TRUE(file.setFileTime(now.addSecs(-ageSeconds), QFileDevice::FileModificationTime));
    };
    make("kept.wav", 7200);
    make("stray.wav", 7200);
    make(".take-AbC123", 7200);
    make("recent.wav", 5);
    make(".take-XyZ789", 5);
    TidyTakeFolder(folder, {"kept.wav"}, now);
    QStringList left = QDir(folder).entryList(QDir::Files | QDir::Hidden);
    left.sort();
    EXPECT_EQ(left, (QStringList{".take-XyZ789", "kept.wav", "recent.wav"}));
}

TEST(TakeFiles, DurationCountsTheSamplesTheFileReallyHolds)
{
    EXPECT_EQ(WaveDurationMs(TakeWaveBytes(2300)), 2300);
    // A data chunk that claims more than was written counts what is there.
    QByteArray cut = TakeWaveBytes(1000);
    cut.chop(22050);
    EXPECT_EQ(WaveDurationMs(cut), 500);
    EXPECT_EQ(WaveDurationMs("RIFF"), 0);
}
