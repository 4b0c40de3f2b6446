// What WritePhraseFile stores reads back, once the steps and the pitch track
// have been added the way the analyser adds them: "stp " before "data",
// "ptc " at the end, every other chunk copied byte for byte.
#include "audio/RiffFile.h"
#include "support/PhraseFileBytes.h"

#include <QDir>
#include <QRandomGenerator>
#include <gtest/gtest.h>

using namespace testbytes;

namespace {

QByteArray FileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool AddStepsAndPitch(const QString& path, const QByteArray& steps, const QByteArray& pitch)
{
    RiffReader reader(path);
    RiffChunk outer;
    std::vector<RiffChunk> chunks;
    if (!reader.Open() || !ListRiffChunks(reader, outer, chunks))
        return false;
    RiffWriter writer(path);
    if (!writer.Open() || !writer.CreateRiff(outer.FormType))
        return false;
    for (const RiffChunk& chunk : chunks) {
        if (chunk.Id == FourCC("data") && !writer.WriteChunk(FourCC("stp "), steps))
            return false;
        if (!writer.CopyChunk(reader, chunk))
            return false;
    }
    return writer.WriteChunk(FourCC("ptc "), pitch) && writer.LeaveChunk() && writer.Commit();
}

WaveHeader Recording(QByteArray& samples, uint32_t bytesRecorded = 0)
{
    WaveHeader header;
    header.Data = samples.data();
    header.BufferLength = uint32_t(samples.size());
    header.BytesRecorded = bytesRecorded;
    return header;
}

} // namespace

TEST(PhraseFileRoundTrip, WritesFormatTextAndDataInThatOrder)
{
    Scratch scratch;
    QByteArray samples = SampleData(4).left(7); // odd: the data chunk gets a pad byte
    WaveFormat format;
    format.SamplesPerSec = 16000;
    const QString path = scratch.Path("Student.wav");
    ASSERT_EQ(WritePhraseFile(path, scratch.Path("Student.txt"), "abc   ", format,
                              Recording(samples)),
              0);
    EXPECT_EQ(FileBytes(path), Riff(Chunk("fmt ", FormatData(format)) +
                                    Chunk("snt ", QByteArray("\xE1\xE2\xE3\x00", 4)) +
                                    Chunk("data", samples)));
    EXPECT_EQ(QDir(scratch.Folder()).entryList(QDir::Files), QStringList{"Student.wav"});
}

TEST(PhraseFileRoundTrip, WrittenFileReadsBackWithSameFormatTextAndSamples)
{
    Scratch scratch;
    QByteArray samples = SampleData(2205);
    WaveFormat format;
    const QString path = scratch.Path("Student.wav");
    ASSERT_EQ(WritePhraseFile(path, QString(), "Is it raining?", format, Recording(samples)), 0);
    ASSERT_TRUE(AddStepsAndPitch(path, StepData(5, 2000, {{5, 900, 6, 880, 0, 0, 5000}}),
                                 PitchData({{100, 1800}, {200, 1900}})));
    Speaker student;
    ASSERT_EQ(student.Read(path, -1), 0);
    EXPECT_EQ(student.SampleBytes(), samples);
    EXPECT_EQ(student.Format.AvgBytesPerSec, 44100u);
    EXPECT_EQ(student.Phrase.Steps[1].Length, 896);
    EXPECT_EQ(student.Pitch.size(), 2u);
    Speaker withText;
    ASSERT_EQ(withText.Read(path), 0);
    EXPECT_EQ(withText.Text, "Is it raining?");
}

TEST(PhraseFileRoundTrip, EveryWrittenFileReadsBack)
{
    // Texts of every length up to beyond the field, any bytes, odd and even
    // sample counts, unusual formats.
    QRandomGenerator random(20240611);
    Scratch scratch;
    const QString path = scratch.Path("Student.wav");
    for (int round = 0; round < 25; ++round) {
        QByteArray text(random.bounded(260), '\0');
        for (char& c : text)
            c = char(random.bounded(256));
        QByteArray samples(random.bounded(3000), '\0');
        for (char& c : samples)
            c = char(random.bounded(256));
        WaveFormat format;
        format.FormatTag = uint16_t(random.bounded(3));
        format.Channels = uint16_t(random.bounded(1, 3));
        format.SamplesPerSec = random.bounded(8000, 48001);
        format.BitsPerSample = uint16_t(8 * random.bounded(1, 4));
        ASSERT_EQ(WritePhraseFile(path, QString(), text, format, Recording(samples)), 0);
        ASSERT_TRUE(AddStepsAndPitch(path, StepData(0, 1, {}), QByteArray()));

        Speaker student;
        ASSERT_EQ(student.Read(path, -1), 0) << "round " << round;
        EXPECT_EQ(FormatData(student.Format), FormatData(format));
        EXPECT_EQ(student.SampleBytes(), samples);
        Speaker native;
        ASSERT_EQ(native.Read(path), 0) << "round " << round;
        QByteArray stored = text;
        while (stored.endsWith(' '))
            stored.chop(1);
        EXPECT_EQ(native.Text, stored.left(200)) << "round " << round;
    }
}

TEST(PhraseFileRoundTrip, WritesTheBytesRecordedWhenThereAreAny)
{
    Scratch scratch;
    const QString path = scratch.Path("Student.wav");
    QByteArray buffer = SampleData(50);
    ASSERT_EQ(WritePhraseFile(path, QString(), "a", WaveFormat{}, Recording(buffer, 30)), 0);
    ASSERT_TRUE(AddStepsAndPitch(path, StepData(0, 1, {}), QByteArray()));
    Speaker student;
    ASSERT_EQ(student.Read(path, -1), 0);
    EXPECT_EQ(student.SampleBytes(), buffer.left(30));
    // More bytes recorded than the buffer holds would read past it.
    ASSERT_EQ(WritePhraseFile(path, QString(), "a", WaveFormat{}, Recording(buffer, 5000)), 0);
    ASSERT_TRUE(AddStepsAndPitch(path, StepData(0, 1, {}), QByteArray()));
    ASSERT_EQ(student.Read(path, -1), 0);
    EXPECT_EQ(student.SampleBytes(), buffer);
}

TEST(PhraseFileRoundTrip, FailedWriteKeepsTheEarlierFileAndLeavesNoTemporaryFile)
{
    Scratch scratch;
    const QString path = scratch.Write("earlier recording", "Student.wav");
    WaveHeader broken;
    broken.BufferLength = 100; // and no data behind it
    EXPECT_EQ(WritePhraseFile(path, QString(), "a", WaveFormat{}, broken), PhraseFileNotWritten);
    EXPECT_EQ(FileBytes(path), "earlier recording");
    EXPECT_EQ(WritePhraseFile(scratch.Path("no/such/folder/Student.wav"), QString(), "a",
                              WaveFormat{}, WaveHeader{}),
              PhraseFileNotWritten);
    EXPECT_EQ(QDir(scratch.Folder()).entryList(QDir::Files | QDir::Hidden),
              QStringList{"Student.wav"});
}
