// The analyser's rewrite of a recording: steps before the samples, the
// pitch track after them, every other chunk byte for byte, positions in
// the file's own sample frames, and no trace when the analysis fails.
#include "analyser/PhraseAnalysis.h"
#include "analyser/RecordingAnalysis.h"
#include "audio/LoadedPhrase.h"
#include "audio/PhraseFile.h"
#include "audio/RiffFile.h"
#include "support/SyntheticVoice.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtEndian>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

namespace {

using namespace testbytes;

std::vector<float> Voice(int rate)
{
    return SynthesiseVoice({{0.25, 0, 0, 0},
                            {0.22, 130, 150, 0.5},
                            {0.08, 0, 0, 0},
                            {0.25, 150, 115, 0.6},
                            {0.25, 0, 0, 0}},
                           rate)
        .Samples;
}

struct StoredChunk
{
    QByteArray Id;
    QByteArray Data;
};

std::vector<StoredChunk> Chunks(const QString& path)
{
    std::vector<StoredChunk> found;
    RiffReader reader(path);
    RiffChunk outer;
    std::vector<RiffChunk> chunks;
    if (!reader.Open() || !ListRiffChunks(reader, outer, chunks)) return found;
    for (const RiffChunk& chunk : chunks) {
        QByteArray data;
        reader.ReadChunkData(chunk, data);
        found.push_back({FourCCText(chunk.Id), data});
    }
    return found;
}

const StoredChunk* Find(const std::vector<StoredChunk>& chunks, const char* id)
{
    for (const StoredChunk& chunk : chunks) {
        if (chunk.Id == id) return &chunk;
    }
    return nullptr;
}

QByteArrayList Ids(const std::vector<StoredChunk>& chunks)
{
    QByteArrayList ids;
    for (const StoredChunk& chunk : chunks)
        ids << chunk.Id;
    return ids;
}

std::vector<int32_t> Values(const QByteArray& bytes)
{
    std::vector<int32_t> values(bytes.size() / 4);
    std::memcpy(values.data(), bytes.constData(), values.size() * 4);
    return values;
}

AnalyserResult Analyse(const QString& path)
{
    return AnalyseRecording(QFile::encodeName(path));
}

// The tutor's own read of the student's analysed recording: without its text.
int32_t ReadAsTheTutorDoes(const QString& path)
{
    LoadedPhrase student;
    return student.Read(path, -1);
}

struct stat Status(const QString& path)
{
    struct stat status = {};
    ::lstat(QFile::encodeName(path).constData(), &status);
    return status;
}

class AnalyserRewrite : public ::testing::Test
{
protected:
    QTemporaryDir folder;
    QString Path(const QString& name) const { return folder.filePath(name); }
    QStringList Files() const { return QDir(folder.path()).entryList(QDir::Files); }
};

} // namespace

TEST_F(AnalyserRewrite, KeepsEveryOtherChunkByteForByte)
{
    const QByteArray format = FormatData(1, 1, 22050, 16);
    const QByteArray text = EncodePhraseText("Good morning");
    const QByteArray list = "INFOISFT\x05\0\0\0tvt1"; // odd size: padded
    const QByteArray samples = PcmBytes(Voice(22050), 16, 1);
    const QString path = Path("Student.wav");
    ASSERT_TRUE(WriteBytes(path, Riff(Chunk("fmt ", format) + Chunk("snt ", text) +
                                      Chunk("LIST", list) + Chunk("data", samples))));

    const AnalyserResult result = Analyse(path);
    ASSERT_TRUE(result.Good) << result.Reason;
    const std::vector<StoredChunk> chunks = Chunks(path);
    EXPECT_EQ(Ids(chunks), (QByteArrayList{"fmt ", "snt ", "LIST", "stp ", "data", "ptc "}));
    EXPECT_EQ(Find(chunks, "fmt ")->Data, format);
    EXPECT_EQ(Find(chunks, "snt ")->Data, text);
    EXPECT_EQ(Find(chunks, "LIST")->Data, list);
    EXPECT_EQ(Find(chunks, "data")->Data, samples);
    EXPECT_EQ(Files(), QStringList{"Student.wav"});

    // The tutor reads the student's file without its text.
    LoadedPhrase student;
    ASSERT_EQ(student.Read(path, -1), PhraseFileOk);
    EXPECT_EQ(student.Phrase.StepCount, 2);
    EXPECT_EQ(student.Samples.BufferLength, static_cast<uint32_t>(samples.size()));
    EXPECT_EQ(student.Pitch.size(), (samples.size() / 2 + 220) / 221);
    EXPECT_GT(student.Phrase.MaxHeight, 0);
    ASSERT_EQ(student.Read(path), PhraseFileOk);
}

TEST_F(AnalyserRewrite, CountsPositionsInSampleFramesOfAnyFormat)
{
    // 8-bit stereo at 16 kHz: a frame is two bytes, a hop 160 frames.
    const std::vector<float> voice = Voice(16000);
    const QString path = Path("eight.wav");
    ASSERT_TRUE(WriteBytes(path, Riff(Chunk("fmt ", FormatData(1, 2, 16000, 8)) +
                                      Chunk("data", PcmBytes(voice, 8, 2)))));
    ASSERT_TRUE(Analyse(path).Good);
    const std::vector<StoredChunk> chunks = Chunks(path);
    // A file without a text keeps having none.
    EXPECT_EQ(Ids(chunks), (QByteArrayList{"fmt ", "stp ", "data", "ptc "}));
    const std::vector<int32_t> points = Values(Find(chunks, "ptc ")->Data);
    ASSERT_EQ(points.size(), 2 * ((voice.size() + 159) / 160));
    EXPECT_EQ(points[2 * 10], 1600);
    const std::vector<int32_t> steps = Values(Find(chunks, "stp ")->Data);
    ASSERT_GE(steps.size(), 2u + 7u);
    EXPECT_LT(steps[1], static_cast<int32_t>(voice.size()));
    EXPECT_NEAR(steps[0], 0.25 * 16000, 0.04 * 16000);

    // 24-bit mono at 44.1 kHz.
    const std::vector<float> high = Voice(44100);
    const QString deep = Path("deep.wav");
    ASSERT_TRUE(WriteBytes(deep, Riff(Chunk("fmt ", FormatData(1, 1, 44100, 24)) +
                                      Chunk("data", PcmBytes(high, 24, 1)))));
    ASSERT_TRUE(Analyse(deep).Good);
    EXPECT_EQ(Values(Find(Chunks(deep), "ptc ")->Data)[2], 441);
}

TEST_F(AnalyserRewrite, ReplacesTheChunksOfAnEarlierAnalysis)
{
    const QString path = Path("again.wav");
    ASSERT_TRUE(WriteBytes(path, Riff(Chunk("fmt ", FormatData(1, 1, 22050, 16)) +
                                      Chunk("data", PcmBytes(Voice(22050), 16, 1)))));
    ASSERT_TRUE(Analyse(path).Good);
    const QByteArray once = ReadBytes(path);
    ASSERT_TRUE(Analyse(path).Good);
    EXPECT_EQ(ReadBytes(path), once);
}

TEST_F(AnalyserRewrite, LeavesTheRecordingAloneWhenTheAnalysisFails)
{
    const std::vector<std::pair<const char*, QByteArray>> cases = {
        {ReasonTooQuiet,
         Riff(Chunk("fmt ", FormatData(1, 1, 22050, 16)) + Chunk("data", QByteArray(44100, '\0')))},
        {ReasonUnreadable, QByteArray("not a wave file at all")},
        {ReasonUnreadable, Riff(Chunk("data", "xx"), "AVI ")},
        {ReasonUnreadable, Riff(Chunk("fmt ", FormatData(1, 1, 22050, 16)))},
        {ReasonUnreadable, Riff(Chunk("data", PcmBytes(Voice(22050), 16, 1)))},
        {ReasonUnreadable, Riff(Chunk("fmt ", FormatData(1, 1, 22050, 16).left(14)) +
                                Chunk("data", PcmBytes(Voice(22050), 16, 1)))},
        {ReasonUnreadable, Riff(Chunk("fmt ", FormatData(2, 1, 22050, 16)) +
                                Chunk("data", PcmBytes(Voice(22050), 16, 1)))},
        // A data chunk that claims more than the file holds.
        {ReasonUnreadable, (Riff(Chunk("fmt ", FormatData(1, 1, 22050, 16)) +
                                 Chunk("data", PcmBytes(Voice(22050), 16, 1))))
                               .left(5000)},
    };
    for (const auto& [reason, bytes] : cases) {
        const QString path = Path("bad.wav");
        ASSERT_TRUE(WriteBytes(path, bytes));
        const AnalyserResult result = Analyse(path);
        EXPECT_FALSE(result.Good);
        EXPECT_EQ(result.Reason, reason);
        EXPECT_EQ(ReadBytes(path), bytes);
        EXPECT_EQ(Files(), QStringList{"bad.wav"});
    }
    EXPECT_EQ(Analyse(Path("missing.wav")).Reason, ReasonUnreadable);
}

TEST_F(AnalyserRewrite, WritesWhatTheTutorCannotReadInThePlainForm)
{
    const QByteArray plain = FormatData(1, 1, 22050, 16);
    const QByteArray samples = PcmBytes(Voice(22050), 16, 1);
    // The extensible format: extension size 22, valid bits, channel mask,
    // and the sub-format whose first two bytes are the plain tag.
    QByteArray extensible = plain + QByteArray("\x16\0\x10\0\x04\0\0\0", 8) +
                            QByteArray("\x01\0\0\0\0\0\x10\0\x80\0\0\xaa\0\x38\x9b\x71", 16);
    extensible[0] = '\xfe';
    extensible[1] = '\xff';
    const std::vector<std::pair<const char*, QByteArray>> cases = {
        {"extensible", Chunk("fmt ", extensible) + Chunk("data", samples)},
        {"with extension size",
         Chunk("fmt ", plain + QByteArray(2, '\0')) + Chunk("data", samples)},
        {"format after the samples",
         Chunk("data", samples) + Chunk("snt ", EncodePhraseText("Hi")) + Chunk("fmt ", plain)},
    };
    for (const auto& [what, chunks] : cases) {
        SCOPED_TRACE(what);
        const QString path = Path("Student.wav");
        ASSERT_TRUE(WriteBytes(path, Riff(chunks)));
        ASSERT_TRUE(Analyse(path).Good);
        EXPECT_EQ(ReadAsTheTutorDoes(path), PhraseFileOk);
        const std::vector<StoredChunk> written = Chunks(path);
        ASSERT_FALSE(written.empty());
        EXPECT_EQ(written.front().Id, "fmt ");
        EXPECT_EQ(written.front().Data, plain);
        EXPECT_EQ(Find(written, "data")->Data, samples);
    }
}

TEST_F(AnalyserRewrite, EndsTheRecordingWhereItsRiffChunkEnds)
{
    const QByteArray riff = Riff(Chunk("fmt ", FormatData(1, 1, 22050, 16)) +
                                 Chunk("data", PcmBytes(Voice(22050), 16, 1)));
    // What some tools append: a chunk-like tag, and bytes whose "size"
    // runs far past the end of the file.
    const QByteArray trailing = Chunk("id3 ", "TAG title") + "junk\xff\xff\xff\x7f";
    const QString path = Path("Student.wav");
    ASSERT_TRUE(WriteBytes(path, riff + trailing));
    const AnalyserResult result = Analyse(path);
    ASSERT_TRUE(result.Good) << result.Reason;
    EXPECT_EQ(Ids(Chunks(path)), (QByteArrayList{"fmt ", "stp ", "data", "ptc "}));
    const QByteArray rewritten = ReadBytes(path);
    EXPECT_FALSE(rewritten.contains("id3 "));
    EXPECT_EQ(rewritten.size(), 8 + qFromLittleEndian<quint32>(rewritten.constData() + 4));
}

TEST_F(AnalyserRewrite, KeepsTheRecordingsModeOwnerAndLinks)
{
    const QByteArray bytes = Riff(Chunk("fmt ", FormatData(1, 1, 22050, 16)) +
                                  Chunk("data", PcmBytes(Voice(22050), 16, 1)));
    const QString path = Path("Student.wav");
    ASSERT_TRUE(WriteBytes(path, bytes));
    ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), 0640), 0);
    // Only the superuser may give a file away; others keep the owner anyway.
    const bool root = ::geteuid() == 0;
    if (root) {
        ASSERT_EQ(::chown(QFile::encodeName(path).constData(), 4242, 4343), 0);
    }
    const struct stat before = Status(path);
    ASSERT_TRUE(Analyse(path).Good);
    const struct stat after = Status(path);
    EXPECT_EQ(after.st_mode & 07777, 0640u);
    EXPECT_EQ(after.st_uid, before.st_uid);
    EXPECT_EQ(after.st_gid, before.st_gid);

    // A link is followed: the recording it leads to is rewritten, the link stays.
    ASSERT_TRUE(QDir(folder.path()).mkdir("takes"));
    const QString target = Path("takes/one.wav");
    ASSERT_TRUE(WriteBytes(target, bytes));
    ASSERT_TRUE(QFile::link("takes/one.wav", Path("Linked.wav")));
    ASSERT_TRUE(Analyse(Path("Linked.wav")).Good);
    EXPECT_TRUE(S_ISLNK(Status(Path("Linked.wav")).st_mode));
    EXPECT_EQ(QFile::symLinkTarget(Path("Linked.wav")), target);
    EXPECT_EQ(ReadAsTheTutorDoes(target), PhraseFileOk);
    EXPECT_EQ(QDir(Path("takes")).entryList(QDir::Files), QStringList{"one.wav"});

    // Hard links stay one file under both names.
    ASSERT_TRUE(WriteBytes(Path("first.wav"), bytes));
    ASSERT_EQ(::link(QFile::encodeName(Path("first.wav")).constData(),
                     QFile::encodeName(Path("second.wav")).constData()),
              0);
    ASSERT_TRUE(Analyse(Path("first.wav")).Good);
    EXPECT_EQ(Status(Path("first.wav")).st_ino, Status(Path("second.wav")).st_ino);
    EXPECT_EQ(ReadAsTheTutorDoes(Path("second.wav")), PhraseFileOk);
    QStringList files = Files();
    files.sort();
    EXPECT_EQ(files, (QStringList{"Linked.wav", "Student.wav", "first.wav", "second.wav"}));
}

TEST_F(AnalyserRewrite, WritesTheResultBesideTheRecording)
{
    EXPECT_EQ(ResultFilePath("/data/Student.wav"), "/data/Student.rsl");
    EXPECT_EQ(ResultFilePath("/my.folder/Student"), "/my.folder/Student.rsl");
    EXPECT_EQ(ResultFilePath("Student.WAV"), "Student.rsl");
    EXPECT_EQ(ResultFilePath("/data/.wav"), "/data/.wav.rsl");

    const QString result = Path("Student.rsl");
    ASSERT_TRUE(WriteResultFile(QFile::encodeName(result), AnalyserResult{true, {}}));
    EXPECT_EQ(ReadBytes(result), "Good\n");
    ASSERT_TRUE(WriteResultFile(QFile::encodeName(result), AnalyserResult{false, ReasonClipped}));
    EXPECT_EQ(ReadBytes(result), "Not Good,clipped\n");
    EXPECT_EQ(Files(), QStringList{"Student.rsl"});
    EXPECT_FALSE(WriteResultFile(QFile::encodeName(Path("no/such/folder/Student.rsl")),
                                 AnalyserResult{true, {}}));
}
