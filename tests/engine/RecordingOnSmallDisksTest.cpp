// A take that cannot be stored because the disk is full or the folder is
// read-only: the learner is told which, and the take before it stays whole.
// A take stored while the analysis then finds the disk full: the learner is
// told so, not that the take was refused or that memory ran low.
// Root ignores file permissions, so real file systems are used: small tmpfs
// mounted in a mount namespace of their own, where this program runs the
// disabled tests below again.
#include "audio/FakeWaveInput.h"
#include "engine/AnalysisEngine.h"
#include "engine/FakeAnalyser.h"
#include "support/QtPrinters.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStorageInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

const QByteArray EarlierTake = QByteArray("the take before, whole\n").repeated(40);

// An engine whose working files are in folder, with a microphone the test
// feeds and the analyser given.
struct EngineIn
{
    EngineIn(const QString& folder, AnalyserLauncher& analyser) : engine(block, learner)
    {
        learner.Phrase.WaveFile = folder + "/Student.wav";
        learner.Phrase.TextFile = folder + "/Student.txt";
        learner.Phrase.StepFile = folder + "/Student.stp";
        learner.Phrase.ResultFile = folder + "/Student.rsl";
        engine.SetWaveInputFactory([this] {
            auto input = std::make_unique<FakeWaveInput>();
            microphone = input.get();
            return std::unique_ptr<WaveInput>(std::move(input));
        });
        engine.SetAnalyser(folder + "/TVM",
                           [&analyser]() -> AnalyserLauncher& { return analyser; });
    }

    // Half a second of voice, stopped early and stored; false without a
    // microphone.
    bool Record()
    {
        engine.StartRecording("record");
        if (microphone == nullptr) return false;
        microphone->Deliver(enginetest::HalfASecondOfVoice());
        engine.StopEarly();
        engine.FinishRecording();
        return true;
    }

    RecordingBlock block;
    LoadedPhrase learner;
    AnalysisEngine engine;
    FakeWaveInput* microphone = nullptr;
};

// Records half a second into folder and returns the reason the engine gave
// for failing, or "" when it did not fail.
QString RecordInto(const QString& folder, enginetest::FakeAnalyser& analyser)
{
    EngineIn in(folder, analyser);
    QString reason;
    QObject::connect(&in.engine, &AnalysisEngine::RecordingFailed,
                     [&reason](const QString& why) { reason = why; });
    if (!in.Record()) return "no microphone";
    return reason;
}

// Writes until the disk of folder takes no more.
void Fill(const QString& folder)
{
    QFile filler(folder + "/filler");
    if (!filler.open(QIODevice::Append)) return;
    const QByteArray block(4096, 'x');
    while (filler.write(block) == block.size() && filler.flush()) {
    }
}

// An analyser that leaves its result (none when null) and meanwhile, as
// another program might, fills the disk.
class FillingAnalyser final : public AnalyserLauncher
{
public:
    bool Start(const QString&, const QStringList& arguments) override
    {
        const QString folder = QFileInfo(arguments.value(0)).path();
        QFile result(folder + "/Student.rsl");
        if (!Result.isNull() && result.open(QIODevice::WriteOnly)) result.write(Result);
        result.close();
        Fill(folder);
        return true;
    }
    void StopRunning() override {}

    QByteArray Result;
};

struct AnalysisEnd
{
    bool Finished = false;
    AnalysisOutcome Outcome = AnalysisOutcome::Good;
    QString Reason;
};

// Records half a second into folder, lets the analyser answer and polls once
// (at the time limit when pastLimit).
AnalysisEnd AnalyseIn(const QString& folder, AnalyserLauncher& analyser, bool pastLimit)
{
    EngineIn in(folder, analyser);
    AnalysisEnd end;
    QObject::connect(&in.engine, &AnalysisEngine::AnalysisFinished,
                     [&end](AnalysisOutcome outcome, const QString& reason) {
                         end = AnalysisEnd{true, outcome, reason};
                     });
    if (!in.Record()) return end;
    if (pastLimit) in.engine.Clock().Start(in.engine.AnalysisLimit() + 1);
    in.engine.Poll();
    return end;
}

bool WriteWhole(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.flush();
}

QByteArray ReadWhole(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

// Runs only inside the namespace that the test after it makes:
// $TONVALE_SMALL_DISKS names a tmpfs to fill and one to make read-only.
TEST(DISABLED_RecordingOnSmallDisks, FullAndReadOnlyAreToldAndTheTakeBeforeIsKept)
{
    const QStringList disks = qEnvironmentVariable("TONVALE_SMALL_DISKS").split(':');
    ASSERT_EQ(disks.size(), 3);
    const QString full = disks[0];
    const QString readOnly = disks[1];
    // Filling anything but a small file system of its own would fill the
    // machine's disk.
    for (const QString& disk : disks)
        ASSERT_LT(QStorageInfo(disk).bytesTotal(), 16 << 20) << disk.toStdString();
    enginetest::FakeAnalyser analyser;
    analyser.Result = "Good\r\n";

    ASSERT_TRUE(WriteWhole(full + "/Student.wav", EarlierTake));
    Fill(full);
    EXPECT_EQ(RecordInto(full, analyser), "Your recording could not be saved: the disk is full");
    EXPECT_EQ(ReadWhole(full + "/Student.wav"), EarlierTake);
    EXPECT_EQ(QDir(full).entryList({"*.tmp"}, QDir::Files | QDir::Hidden), QStringList())
        << "a half-written take is taken away";

    ASSERT_TRUE(WriteWhole(readOnly + "/Student.wav", EarlierTake));
    ASSERT_EQ(QProcess::execute("mount", {"-o", "remount,ro", readOnly}), 0);
    EXPECT_EQ(RecordInto(readOnly, analyser),
              "Your recording could not be saved: the folder is read-only");
    EXPECT_EQ(ReadWhole(readOnly + "/Student.wav"), EarlierTake);

    EXPECT_EQ(analyser.Starts, 0) << "nothing reaches the analyser";
}

TEST(DISABLED_RecordingOnSmallDisks, ADiskThatFillsDuringTheAnalysisIsTold)
{
    const QStringList disks = qEnvironmentVariable("TONVALE_SMALL_DISKS").split(':');
    ASSERT_EQ(disks.size(), 3);
    const QString disk = disks[2];
    ASSERT_LT(QStorageInfo(disk).bytesTotal(), 16 << 20);
    const QString diskFull = "Your recording could not be analysed: the disk is full";

    // The analyser found no room to write its analysis into the take.
    FillingAnalyser analyser;
    analyser.Result = "Not Good,file cannot be rewritten\n";
    AnalysisEnd end = AnalyseIn(disk, analyser, false);
    EXPECT_TRUE(end.Finished);
    EXPECT_NE(end.Outcome, AnalysisOutcome::NotGood) << "the take was not refused";
    EXPECT_EQ(end.Reason, diskFull);

    // Not even its result fitted: at the limit the disk is named, not memory.
    ASSERT_TRUE(QFile::remove(disk + "/filler"));
    analyser.Result = QByteArray();
    end = AnalyseIn(disk, analyser, true);
    EXPECT_TRUE(end.Finished);
    EXPECT_NE(end.Outcome, AnalysisOutcome::TimedOut);
    EXPECT_EQ(end.Reason, diskFull);

    // Full already, with room for the take and not for its analysis: told
    // at once, rather than after the whole limit, and no analyser started.
    Fill(disk);
    QFile filler(disk + "/filler");
    ASSERT_TRUE(filler.resize(filler.size() - 40 * 1024));
    enginetest::FakeAnalyser unstarted;
    unstarted.Result = "Good\n";
    end = AnalyseIn(disk, unstarted, false);
    EXPECT_TRUE(end.Finished);
    EXPECT_EQ(end.Reason, diskFull);
    EXPECT_EQ(unstarted.Starts, 0);
}

TEST(RecordingOnSmallDisks, FullAndReadOnlyAreToldAndTheTakeBeforeIsKept)
{
    QProcess probe;
    probe.start("unshare", {"--map-root-user", "--mount", "true"});
    if (!probe.waitForFinished(10000) || probe.exitStatus() != QProcess::NormalExit ||
        probe.exitCode() != 0)
        GTEST_SKIP() << "this machine allows no mount namespace (unshare)";

    QTemporaryDir full;
    QTemporaryDir readOnly;
    QTemporaryDir filling;
    const QString script =
        "for disk in \"$1\" \"$2\" \"$3\"; do mount -t tmpfs -o size=512k tmpfs \"$disk\" || "
        "exit 1; done; TONVALE_SMALL_DISKS=\"$1:$2:$3\" exec \"$4\" "
        "--gtest_also_run_disabled_tests --gtest_filter=DISABLED_RecordingOnSmallDisks.*";
    QProcess inner;
    inner.setProcessChannelMode(QProcess::MergedChannels);
    inner.start("unshare",
                {"--map-root-user", "--mount", "sh", "-c", script, "sh", full.path(),
                 readOnly.path(), filling.path(), QCoreApplication::applicationFilePath()});
    ASSERT_TRUE(inner.waitForFinished(60000));
    const QByteArray output = inner.readAll();
    EXPECT_EQ(inner.exitCode(), 0) << output.toStdString();
    EXPECT_TRUE(output.contains("[  PASSED  ] 2 tests")) << output.toStdString();
}
