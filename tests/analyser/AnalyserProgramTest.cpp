// The analyser program as the tutor starts it: command line, exit status,
// the result file on every outcome, and what a crash or a kill leaves.
#include "support/PhraseFileBytes.h"
#include "support/SyntheticVoice.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <functional>

#include <sys/resource.h>
#include <sys/stat.h>

namespace {

using namespace testbytes;

const QString Program = QStringLiteral(TONVALE_BINARY_DIR "/src/TVM");

QByteArray GoodRecording()
{
    const std::vector<float> voice = SynthesiseVoice({{0.25, 0, 0, 0},
                                                      {0.22, 130, 150, 0.5},
                                                      {0.08, 0, 0, 0},
                                                      {0.25, 150, 115, 0.6},
                                                      {0.25, 0, 0, 0}},
                                                     22050)
                                         .Samples;
    return Riff(Chunk("fmt ", FormatData(1, 1, 22050, 16)) +
                Chunk("snt ", EncodePhraseText("Hello")) + Chunk("data", PcmBytes(voice, 16, 1)));
}

struct ProgramRun
{
    int ExitCode = -1;
    bool Crashed = false;
};

ProgramRun Start(const QStringList& arguments, const QProcessEnvironment& environment = {})
{
    QProcess process;
    if (!environment.isEmpty()) process.setProcessEnvironment(environment);
    process.start(Program, arguments);
    process.waitForFinished(30000);
    return ProgramRun{process.exitCode(), process.exitStatus() == QProcess::CrashExit};
}

// Runs the analyser through a shell script ($0 is the program, $1 the folder),
// so that a test can limit its memory or give it a name Qt could not hold.
// A run that does not end within the time given is killed and reported.
struct ShellRun
{
    bool Finished = false;
    int ExitCode = -1;
};

ShellRun RunScript(const QString& script, const QString& folder, int milliseconds = 30000)
{
    QProcess process;
    process.start("/bin/sh", {"-c", script, Program, folder});
    if (!process.waitForFinished(milliseconds)) {
        process.kill();
        process.waitForFinished(5000);
        return {};
    }
    return ShellRun{process.exitStatus() == QProcess::NormalExit, process.exitCode()};
}

QByteArray Recording(uint32_t rate)
{
    const std::vector<float> voice =
        SynthesiseVoice({{0.2, 0, 0, 0}, {0.4, 140, 120, 0.5}, {0.2, 0, 0, 0}},
                        static_cast<int>(std::max<uint32_t>(rate, 4000)))
            .Samples;
    return Riff(Chunk("fmt ", FormatData(1, 1, rate, 16)) + Chunk("data", PcmBytes(voice, 16, 1)));
}

// A spoken phrase under a damaged "fmt ": 16-bit mono samples said to be of
// channels channels, blockAlign bytes a frame.
QByteArray RecordingWithFrame(uint16_t channels, uint16_t blockAlign)
{
    const std::vector<float> voice =
        SynthesiseVoice({{0.2, 0, 0, 0}, {0.4, 140, 120, 0.5}, {0.2, 0, 0, 0}}, 22050).Samples;
    const WaveFormat format{1, channels, 22050, 22050u * blockAlign, blockAlign, 16};
    return Riff(Chunk("fmt ", FormatData(format)) + Chunk("data", PcmBytes(voice, 16, 1)));
}

class AnalyserProgram : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!QFile::exists(Program))
            GTEST_SKIP() << "the analyser program was not built: " << Program.toStdString();
    }
    QTemporaryDir folder;
    QString Path(const QString& name) const { return folder.filePath(name); }
    QStringList Files() const { return QDir(folder.path()).entryList(QDir::Files | QDir::System); }
};

} // namespace

TEST_F(AnalyserProgram, AnalysesTheRecordingAndSaysGood)
{
    const QString wave = Path("Student.wav");
    ASSERT_TRUE(WriteBytes(wave, GoodRecording()));
    const ProgramRun run = Start({wave, "Melod"});
    EXPECT_EQ(run.ExitCode, 0);
    EXPECT_EQ(ReadBytes(Path("Student.rsl")), "Good\n");
    EXPECT_TRUE(ReadBytes(wave).contains("stp "));
    EXPECT_TRUE(ReadBytes(wave).contains("ptc "));
    EXPECT_EQ(Files(), (QStringList{"Student.rsl", "Student.wav"}));
}

TEST_F(AnalyserProgram, TakesThePathAsTheTutorPassesIt)
{
    // The tutor's field is padded with blanks; a folder name with a blank
    // arrives in two pieces when a shell splits the command line.
    QDir(folder.path()).mkdir("my data");
    const QString wave = Path("my data/Student.wav");
    ASSERT_TRUE(WriteBytes(wave, GoodRecording()));
    EXPECT_EQ(Start({wave + QString(20, ' '), "Melod"}).ExitCode, 0);
    EXPECT_EQ(ReadBytes(Path("my data/Student.rsl")), "Good\n");
    QFile::remove(Path("my data/Student.rsl"));
    const QString first = Path("my");
    EXPECT_EQ(Start({first, "data/Student.wav", "Melod"}).ExitCode, 0);
    EXPECT_EQ(ReadBytes(Path("my data/Student.rsl")), "Good\n");
}

TEST_F(AnalyserProgram, WritesAResultFileOnEveryFailure)
{
    const std::vector<std::pair<QByteArray, QByteArray>> cases = {
        {"not a recording", "Not Good,unreadable file\n"},
        {Riff(Chunk("fmt ", FormatData(1, 1, 22050, 16)) + Chunk("data", QByteArray(44100, '\0'))),
         "Not Good,silence or too quiet\n"},
        {Riff(Chunk("fmt ", FormatData(1, 1, 22050, 16)) +
              Chunk("data", PcmBytes(WhiteNoise(44100, 0.1, 4), 16, 1))),
         "Not Good,too noisy\n"},
    };
    for (const auto& [bytes, line] : cases) {
        const QString wave = Path("Student.wav");
        ASSERT_TRUE(WriteBytes(wave, bytes));
        EXPECT_EQ(Start({wave, "Melod"}).ExitCode, 1);
        EXPECT_EQ(ReadBytes(Path("Student.rsl")), line);
        EXPECT_EQ(ReadBytes(wave), bytes);
        EXPECT_EQ(Files(), (QStringList{"Student.rsl", "Student.wav"}));
        QFile::remove(Path("Student.rsl"));
    }
    EXPECT_EQ(Start({Path("Missing.wav"), "Melod"}).ExitCode, 1);
    EXPECT_EQ(ReadBytes(Path("Missing.rsl")), "Not Good,unreadable file\n");
}

TEST_F(AnalyserProgram, RefusesAWrongCommandLineWithStatusTwo)
{
    const QString wave = Path("Student.wav");
    ASSERT_TRUE(WriteBytes(wave, GoodRecording()));
    EXPECT_EQ(Start({}).ExitCode, 2);
    EXPECT_EQ(Start({"Melod"}).ExitCode, 2);
    EXPECT_FALSE(QFile::exists(Path("Student.rsl")));
    // With a recording named, whoever waits still gets a result.
    EXPECT_EQ(Start({wave, "Other"}).ExitCode, 2);
    EXPECT_EQ(ReadBytes(Path("Student.rsl")), "Not Good,wrong command line\n");
    EXPECT_EQ(ReadBytes(wave), GoodRecording());
}

TEST_F(AnalyserProgram, CrashWhileReplacingLeavesTheRecordingIntact)
{
    const QString wave = Path("Student.wav");
    const QByteArray original = GoodRecording();
    ASSERT_TRUE(WriteBytes(wave, original));
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("TVM_FAULT", "crash");
    const ProgramRun run = Start({wave, "Melod"}, environment);
    EXPECT_TRUE(run.Crashed);
    EXPECT_EQ(ReadBytes(wave), original);
    EXPECT_EQ(ReadBytes(Path("Student.rsl")), "Not Good,analyser failed\n");
    EXPECT_EQ(Files(), (QStringList{"Student.rsl", "Student.wav"}));
}

// A limit on file sizes ends the program with a signal of its own while
// it writes the new recording; the tutor must still get a result.
TEST_F(AnalyserProgram, AFileSizeLimitLeavesTheRecordingIntactAndAResult)
{
    const QString wave = Path("Student.wav");
    const QByteArray original = GoodRecording();
    ASSERT_TRUE(WriteBytes(wave, original));
    QProcess process;
    process.setChildProcessModifier([limit = rlim_t(original.size() / 2)] {
        const rlimit size{limit, limit};
        ::setrlimit(RLIMIT_FSIZE, &size);
        std::signal(SIGXFSZ, SIG_DFL);
    });
    process.start(Program, {wave, "Melod"});
    ASSERT_TRUE(process.waitForFinished(20000));
    EXPECT_EQ(process.exitStatus(), QProcess::CrashExit);
    EXPECT_EQ(ReadBytes(wave), original);
    EXPECT_EQ(ReadBytes(Path("Student.rsl")), "Not Good,analyser failed\n");
    EXPECT_EQ(Files(), (QStringList{"Student.rsl", "Student.wav"}));
}

// Starts the analyser on wave with TVM_FAULT=hang and returns once the new
// recording is complete in its temporary file, where it waits to be stopped.
bool StartHangingWhileReplacing(QProcess& process, const QString& wave)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("TVM_FAULT", "hang");
    process.setProcessEnvironment(environment);
    process.start(Program, {wave, "Melod"});
    if (!process.waitForStarted(10000)) return false;
    const QDir folder = QFileInfo(wave).dir();
    const QStringList rewrite{QFileInfo(wave).fileName() + ".*.tmp"};
    QElapsedTimer timer;
    timer.start();
    while (folder.entryList(rewrite, QDir::Files).isEmpty() && timer.elapsed() < 20000)
        QThread::msleep(5);
    QThread::msleep(50);
    return !folder.entryList(rewrite, QDir::Files).isEmpty();
}

TEST_F(AnalyserProgram, KillWhileReplacingLeavesTheRecordingIntact)
{
    const QString wave = Path("Student.wav");
    const QByteArray original = GoodRecording();
    ASSERT_TRUE(WriteBytes(wave, original));
    QProcess process;
    ASSERT_TRUE(StartHangingWhileReplacing(process, wave));
    process.kill(); // SIGKILL: no handler runs
    process.waitForFinished(10000);
    EXPECT_EQ(ReadBytes(wave), original);
    EXPECT_FALSE(QFile::exists(Path("Student.rsl")));
    // What such a kill can leave is a temporary file named "*.tmp".
    for (const QString& name : Files())
        EXPECT_TRUE(name == "Student.wav" || name.endsWith(".tmp")) << name.toStdString();
}

// The tutor stops an analysis with SIGTERM (cancel, time limit). In a Data
// folder others can write to, a link planted where the failure line might be
// written must not lead it into another file.
TEST_F(AnalyserProgram, StopRequestLeavesAFailureResultAndNoPlantedLinkIsFollowed)
{
    const QString wave = Path("Student.wav");
    const QByteArray original = GoodRecording();
    ASSERT_TRUE(WriteBytes(wave, original));
    ASSERT_TRUE(WriteBytes(Path("notes.txt"), "the learner's notes\n"));
    ASSERT_TRUE(QFile::link(Path("notes.txt"), Path("Student.rsl.signal.tmp")));
    QProcess process;
    ASSERT_TRUE(StartHangingWhileReplacing(process, wave));
    process.terminate();
    ASSERT_TRUE(process.waitForFinished(10000));
    EXPECT_EQ(process.exitStatus(), QProcess::CrashExit);
    EXPECT_EQ(ReadBytes(Path("notes.txt")), "the learner's notes\n");
    EXPECT_FALSE(QFileInfo(Path("Student.rsl")).isSymLink());
    EXPECT_EQ(ReadBytes(Path("Student.rsl")), "Not Good,analyser failed\n");
    EXPECT_EQ(ReadBytes(wave), original);
    EXPECT_EQ(Files(),
              (QStringList{"notes.txt", "Student.rsl", "Student.rsl.signal.tmp", "Student.wav"}));
}

TEST_F(AnalyserProgram, RefusesInputItCannotUseWithoutHangingOrBlocking)
{
    struct Case
    {
        const char* What;
        std::function<bool(const QString& path)> Make;
        QByteArray Line;
    };
    const std::vector<Case> cases = {
        // A hum-removal block that rounds to one sample once stepped by zero.
        {"a rate of 1 Hz", [](const QString& path) { return WriteBytes(path, Recording(1)); },
         "Not Good,unsupported sample rate\n"},
        // Below 8 kHz the voice's upper range passes the Nyquist frequency.
        {"a rate of 4 kHz", [](const QString& path) { return WriteBytes(path, Recording(4000)); },
         "Not Good,unsupported sample rate\n"},
        // A gigabyte of samples (a sparse file) is too long by its header
        // alone; reading it first would need far more memory than allowed.
        {"a gigabyte of samples",
         [](const QString& path) {
             const uint32_t size = 1u << 30;
             QByteArray header = "RIFF" + UInt32(size + 36) + "WAVE" +
                                 Chunk("fmt ", FormatData(1, 1, 22050, 16)) + "data" + UInt32(size);
             QFile file(path);
             return file.open(QIODevice::WriteOnly) && file.write(header) == header.size() &&
                    file.resize(header.size() + qint64(size));
         },
         "Not Good,too long\n"},
        // A header whose frames the data cannot hold describes a damaged
        // file, not a silent one.
        {"a block align far above the frame",
         [](const QString& path) { return WriteBytes(path, RecordingWithFrame(1, 60000)); },
         "Not Good,unreadable file\n"},
        {"more channels than the data holds one frame of",
         [](const QString& path) { return WriteBytes(path, RecordingWithFrame(65535, 2)); },
         "Not Good,unreadable file\n"},
        // Opening a FIFO for reading waits for a writer that never comes.
        {"a FIFO",
         [](const QString& path) {
             return ::mkfifo(QFile::encodeName(path).constData(), 0644) == 0;
         },
         "Not Good,not a regular file\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.What);
        const QString wave = Path("Student.wav");
        QFile::remove(wave);
        QFile::remove(Path("Student.rsl"));
        ASSERT_TRUE(c.Make(wave));
        const std::filesystem::file_time_type before =
            std::filesystem::last_write_time(QFile::encodeName(wave).toStdString());
        const ShellRun run = RunScript("ulimit -v 400000; exec \"$0\" \"$1/Student.wav\" Melod",
                                       folder.path(), 20000);
        EXPECT_TRUE(run.Finished);
        EXPECT_EQ(run.ExitCode, 1);
        EXPECT_EQ(ReadBytes(Path("Student.rsl")), c.Line);
        EXPECT_EQ(std::filesystem::last_write_time(QFile::encodeName(wave).toStdString()), before);
        EXPECT_EQ(Files(), (QStringList{"Student.rsl", "Student.wav"}));
    }
}

TEST_F(AnalyserProgram, KeepsAFileNameThatIsNotUtf8AsItsBytes)
{
    // "Stud\xe9nt.wav" in Latin-1: no valid UTF-8, so no QString holds it.
    const std::string name = folder.path().toStdString() + "/Stud\xe9nt";
    ASSERT_TRUE(WriteBytes(Path("plain.wav"), GoodRecording()));
    std::filesystem::rename(QFile::encodeName(Path("plain.wav")).toStdString(), name + ".wav");
    const ShellRun run =
        RunScript("exec \"$0\" \"$1/Stud$(printf '\\351')nt.wav\" Melod", folder.path());
    ASSERT_TRUE(run.Finished);
    EXPECT_EQ(run.ExitCode, 0);
    std::error_code error;
    EXPECT_TRUE(std::filesystem::is_regular_file(name + ".rsl", error));
    EXPECT_GT(std::filesystem::file_size(name + ".wav", error),
              static_cast<uintmax_t>(GoodRecording().size()));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path().toStdString()),
                            std::filesystem::directory_iterator()),
              2);
    // Qt cannot name these files to remove them with the folder.
    std::filesystem::remove_all(folder.path().toStdString(), error);
}
