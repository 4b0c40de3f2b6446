// A history that cannot take a take: damaged, locked by another tutor, on a
// read-only or full file system. The caller gets a code for one notice, and
// nothing stored before is lost or left half-written.
#include "history/HistoryTestSupport.h"
#include "support/SyntheticVoice.h"

#include <gtest/gtest.h>

#include <QProcess>
#include <QTemporaryDir>

namespace {

const QString WriterProgram = QStringLiteral(TONVALE_BINARY_DIR "/tests/tvhistory-writer");
const QString ToolProgram = QStringLiteral(TONVALE_BINARY_DIR "/src/tvtool");

// A file system of its own for one script: a small tmpfs mounted in a
// mount namespace the script alone sees, as an unprivileged user may.
bool MountNamespaceAvailable()
{
    QProcess probe;
    probe.start("unshare", {"--map-root-user", "--mount", "true"});
    return probe.waitForFinished(10000) && probe.exitStatus() == QProcess::NormalExit &&
           probe.exitCode() == 0;
}

// Runs script with $1 = a folder on a fresh tmpfs of sizeKb, $2 = the writer
// program, $3 = tvtool, $4 = a take's wave outside; returns what it printed.
QByteArray RunOnSmallFileSystem(const QString& script, int sizeKb, const QString& wave)
{
    QTemporaryDir mountPoint;
    const QString prelude = QString("set -u; mount -t tmpfs -o size=%1k tmpfs \"$1\" || exit 9; "
                                    "cp \"$4\" \"$1/Student.wav\"; W=\"$1/Student.wav\"; "
                                    "DB=\"$1/history/history.sqlite\"; ")
                                .arg(sizeKb);
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start("unshare", {"--map-root-user", "--mount", "sh", "-c", prelude + script, "sh",
                              mountPoint.path(), WriterProgram, ToolProgram, wave});
    if (!process.waitForFinished(60000)) return "timed out";
    return process.readAll();
}

int CsvRows(const QByteArray& output, const QByteArray& after)
{
    const qsizetype from = output.indexOf(after);
    return from < 0 ? -1 : int(output.mid(from + after.size()).count("\npack,c,"));
}

} // namespace

TEST(HistoryFailure, ADamagedDatabaseIsRefusedAndLeftAsItIs)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(HistoryDatabaseName);
    const QByteArray garbage = QByteArray("not a database at all ").repeated(300);
    ASSERT_TRUE(WriteBytes(path, garbage));

    PracticeHistory history(path);
    EXPECT_EQ(history.Open(), HistoryDamaged);
    EXPECT_TRUE(history.LastProblem().contains(path));
    const NewTake take = GoodTake({"demo", "14", "14_02"}, WriteTakeWave(dir.path()), 50);
    EXPECT_EQ(history.RecordTake(take), HistoryDamaged);
    EXPECT_FALSE(HistoryNotice(HistoryDamaged).isEmpty());
    EXPECT_EQ(ReadBytes(path), garbage);
    EXPECT_FALSE(QFileInfo::exists(dir.filePath("demo")));
}

TEST(HistoryFailure, ADatabaseWithADamagedPageIsRefusedAtOpening)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(HistoryDatabaseName);
    {
        PracticeHistory history(path);
        ASSERT_EQ(history.Open(), HistoryOk);
        const QString wave = WriteTakeWave(dir.path());
        for (int i = 0; i < 30; ++i) {
            NewTake take = GoodTake({"demo", "14", QString::number(i)}, wave, i);
            take.PhraseText = QString(2000, 'x'); // a page or so each
            ASSERT_EQ(history.RecordTake(take), HistoryOk);
        }
    }
    QByteArray bytes = ReadBytes(path);
    ASSERT_GT(bytes.size(), 4 * 4096);
    // The header of the second page, the first table's root.
    bytes.replace(4096, 8, QByteArray(8, '\x5a'));
    ASSERT_TRUE(WriteBytes(path, bytes));

    PracticeHistory history(path);
    EXPECT_EQ(history.Open(), HistoryDamaged) << history.LastProblem().toStdString();
    EXPECT_EQ(ReadBytes(path), bytes);
}

TEST(HistoryFailure, ADatabaseLockedPastTheWaitGivesBusyAndKeepsNothingOfTheTake)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(HistoryDatabaseName);
    const PhraseKey key{"demo", "14", "14_02"};
    const QString wave = WriteTakeWave(dir.path());
    PracticeHistory history(path, HistoryOptions{20, 100});
    ASSERT_EQ(history.Open(), HistoryOk);
    ASSERT_EQ(history.RecordTake(GoodTake(key, wave, 40)), HistoryOk);

    {
        // Another tutor in the middle of a long write.
        QSqlDatabase other = QSqlDatabase::addDatabase("QSQLITE", "other-tutor");
        other.setDatabaseName(path);
        ASSERT_TRUE(other.open());
        QSqlQuery lock(other);
        ASSERT_TRUE(lock.exec("BEGIN IMMEDIATE"));
        ASSERT_TRUE(lock.exec("UPDATE phrases SET attempts = attempts"));

        EXPECT_EQ(history.RecordTake(GoodTake(key, wave, 90)), HistoryBusy);
        // Reading goes on while the other tutor writes.
        std::vector<StoredTake> takes;
        ASSERT_EQ(history.TakesOf(key, takes), HistoryOk);
        EXPECT_EQ(takes.size(), 1u);

        lock.exec("COMMIT");
        other.close();
    }
    QSqlDatabase::removeDatabase("other-tutor");

    EXPECT_EQ(FilesUnder(dir.path() + "/demo", "").size(), 1u);
    ASSERT_EQ(history.RecordTake(GoodTake(key, wave, 90)), HistoryOk);
    const PhraseProgress phrase = OnlyPhraseOf(history, "demo", "14");
    EXPECT_EQ(phrase.Attempts, 2);
    EXPECT_EQ(phrase.TakesKept, 2);
}

TEST(HistoryFailure, ARecordingThatCannotBeReadIsNotCounted)
{
    QTemporaryDir dir;
    PracticeHistory history(dir.filePath(HistoryDatabaseName));
    ASSERT_EQ(history.Open(), HistoryOk);
    const PhraseKey key{"demo", "14", "14_02"};
    EXPECT_EQ(history.RecordTake(GoodTake(key, dir.filePath("missing.wav"), 50)),
              HistoryTakeUnreadable);
    std::vector<PhraseProgress> phrases;
    ASSERT_EQ(history.PhrasesOfCategory("demo", "14", phrases), HistoryOk);
    EXPECT_TRUE(phrases.empty());
}

// The cases that need a file system of their own.
class HistoryOnASmallFileSystem : public testing::Test
{
protected:
    void SetUp() override
    {
        if (!MountNamespaceAvailable())
            GTEST_SKIP() << "this machine allows no mount namespace (unshare)";
    }

    QTemporaryDir dir;
};

TEST_F(HistoryOnASmallFileSystem, ReadOnlyRefusesTheTakeAndTheOldOnesStillRead)
{
    const QByteArray output = RunOnSmallFileSystem(
        "\"$2\" \"$DB\" \"$W\" 2; mount -o remount,ro \"$1\" || exit 9; "
        "\"$2\" \"$DB\" \"$W\" 1; echo export; \"$3\" history export --db \"$DB\"",
        4096, WriteTakeWave(dir.path()));
    ASSERT_FALSE(output.contains("exit 9")) << output.toStdString();
    EXPECT_TRUE(output.contains("kept 2\n")) << output.toStdString();
    EXPECT_TRUE(output.contains(QString("failed %1\n").arg(HistoryReadOnly).toUtf8()))
        << output.toStdString();
    EXPECT_EQ(CsvRows(output, "export\n"), 2) << output.toStdString();
}

TEST_F(HistoryOnASmallFileSystem, FullRefusesTheTakeWithNothingHalfWritten)
{
    const QByteArray output = RunOnSmallFileSystem(
        "\"$2\" \"$DB\" \"$W\" 2; \"$2\" \"$DB\" \"$W\" 1 --fill \"$1/filler\"; "
        "echo left $(find \"$1/history\" -name '.take-*' | wc -l); rm \"$1/filler\"; "
        "\"$2\" \"$DB\" - 0 --check; \"$2\" \"$DB\" \"$W\" 1; "
        "echo export; \"$3\" history export --db \"$DB\"",
        1024, WriteTakeWave(dir.path(), 2000));
    EXPECT_TRUE(output.contains(QString("failed %1\n").arg(HistoryDiskFull).toUtf8()))
        << output.toStdString();
    EXPECT_TRUE(output.contains("left 0\n")) << output.toStdString();
    EXPECT_TRUE(output.contains("integrity ok\n")) << output.toStdString();
    // Room again: the next take is kept beside the two before the full disk.
    EXPECT_EQ(CsvRows(output, "export\n"), 3) << output.toStdString();
}
