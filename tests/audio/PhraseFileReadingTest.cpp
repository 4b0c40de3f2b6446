// Reading well-formed phrase files, and the orders and sizes they may have.
#include "support/PhraseFileBytes.h"

#include <gtest/gtest.h>

using namespace testbytes;

TEST(PhraseFileReading, FillsStepsSamplesPitchAndText)
{
    Scratch scratch;
    Speaker speaker;
    PhraseChunks chunks;
    ASSERT_EQ(speaker.Read(scratch.Write(chunks.File())), 0);
    EXPECT_EQ(speaker.Loaded, 1);
    EXPECT_EQ(speaker.Format.SamplesPerSec, 22050u);
    EXPECT_EQ(speaker.Format.BitsPerSample, 16);
    EXPECT_EQ(speaker.Text, "abc");
    const PhraseData& p = speaker.Phrase;
    EXPECT_EQ(p.PhraseStart, 10);
    EXPECT_EQ(p.PhraseEnd, 99);
    ASSERT_EQ(p.StepCount, 2);
    EXPECT_EQ(p.Steps[2].Start, 50);
    EXPECT_EQ(p.Steps[2].Length, 50);
    EXPECT_EQ(p.Steps[2].PitchStart, 52);
    EXPECT_EQ(p.Steps[2].PitchEnd, 97);
    EXPECT_EQ(p.Steps[1].Reserved1, 7);
    EXPECT_EQ(p.Steps[1].Reserved2, 8);
    EXPECT_EQ(p.Steps[1].Height, 900);
    EXPECT_EQ(p.MaxHeight, 1200);
    EXPECT_EQ(p.TotalLength, 90);
    EXPECT_EQ(speaker.SampleBytes(), SampleData(100));
    EXPECT_EQ(speaker.Samples.Data, speaker.Memory->MemPointer());
    ASSERT_EQ(speaker.Pitch.size(), 4u);
    EXPECT_EQ(speaker.Pitch[3].Position, 80);
    EXPECT_EQ(speaker.Pitch[3].Value, 1300);
}

TEST(PhraseFileReading, FormatChunkOf18BytesIsRejected)
{
    Scratch scratch;
    Speaker speaker;
    PhraseChunks chunks;
    chunks.fmt = Chunk("fmt ", FormatData() + QByteArray(2, '\0'));
    EXPECT_EQ(speaker.Read(scratch.Write(chunks.File())), PhraseFileBadFormatSize);
    EXPECT_EQ(speaker.Loaded, 0);
}

TEST(PhraseFileReading, MissingTextChunkFailsUnlessTextIsSkipped)
{
    Scratch scratch;
    PhraseChunks chunks;
    chunks.snt.clear();
    const QString path = scratch.Write(chunks.File());
    Speaker native;
    EXPECT_EQ(native.Read(path), ChunkNotFound);
    Speaker student;
    EXPECT_EQ(student.Read(path, -1), 0);
    EXPECT_EQ(student.Phrase.StepCount, 2);
    EXPECT_TRUE(student.Text.isEmpty());
}

TEST(PhraseFileReading, TextOnlyStopsAfterTheTextWithNoSamplesHeld)
{
    Scratch scratch;
    Speaker speaker;
    PhraseChunks chunks;
    chunks.stp.clear(); // not reached, so not missed
    ASSERT_EQ(speaker.Read(scratch.Write(chunks.File()), 0, -1), 0);
    EXPECT_EQ(speaker.Text, "abc");
    EXPECT_EQ(speaker.Loaded, 0);
    EXPECT_EQ(speaker.Samples.Data, nullptr);
}

TEST(PhraseFileReading, StepChunkOf8BytesGivesPhraseBoundsAndNoSteps)
{
    Scratch scratch;
    Speaker speaker;
    PhraseChunks chunks;
    chunks.stp = Chunk("stp ", StepData(123, 4567, {}));
    speaker.Phrase.StepCount = 5; // left from an earlier phrase
    speaker.Phrase.MaxHeight = 77;
    speaker.Phrase.TotalLength = 99;
    ASSERT_EQ(speaker.Read(scratch.Write(chunks.File())), 0);
    EXPECT_EQ(speaker.Phrase.StepCount, 0);
    EXPECT_EQ(speaker.Phrase.MaxHeight, 0);
    EXPECT_EQ(speaker.Phrase.TotalLength, 0);
    EXPECT_EQ(speaker.Phrase.PhraseStart, 123);
    EXPECT_EQ(speaker.Phrase.PhraseEnd, 4567);
}

TEST(PhraseFileReading, FullStepTableOf2101ValuesGives300StepsAnd2102IsRejected)
{
    std::vector<Step> steps;
    for (int i = 0; i < 300; ++i)
        steps.push_back({i * 10, i * 10 + 9, i * 10, i * 10 + 9, 0, 0, 100 + i});
    const QByteArray values = StepData(0, 2999, steps); // 2102 values
    Scratch scratch;
    PhraseChunks chunks;

    chunks.stp = Chunk("stp ", values.left(2101 * 4));
    Speaker full;
    ASSERT_EQ(full.Read(scratch.Write(chunks.File(), "full.wav")), 0);
    ASSERT_EQ(full.Phrase.StepCount, 300);
    EXPECT_EQ(full.Phrase.Steps[300].Start, 2990);
    EXPECT_EQ(full.Phrase.Steps[300].Reserved2, 0);
    // The last height lies past the end of the chunk and reads as 0.
    EXPECT_EQ(full.Phrase.Steps[300].Height, 0);
    EXPECT_EQ(full.Phrase.Steps[299].Height, 398);
    EXPECT_EQ(full.Phrase.MaxHeight, 398);
    EXPECT_EQ(full.Phrase.TotalLength, 3000);

    chunks.stp = Chunk("stp ", values);
    Speaker tooMany;
    EXPECT_EQ(tooMany.Read(scratch.Write(chunks.File(), "over.wav")), PhraseFileDamaged);
}

TEST(PhraseFileReading, PitchChunkBeforeFormatIsStillFound)
{
    Scratch scratch;
    Speaker speaker;
    PhraseChunks chunks;
    const QByteArray file = Riff(chunks.ptc + chunks.fmt + chunks.snt + chunks.stp + chunks.data);
    ASSERT_EQ(speaker.Read(scratch.Write(file)), 0);
    EXPECT_EQ(speaker.Pitch.size(), 4u);
}

TEST(PhraseFileReading, DataBeforeStepsIsDamaged)
{
    Scratch scratch;
    Speaker speaker;
    PhraseChunks chunks;
    const QByteArray file = Riff(chunks.fmt + chunks.snt + chunks.data + chunks.stp + chunks.ptc);
    EXPECT_EQ(speaker.Read(scratch.Write(file)), PhraseFileDamaged);
    EXPECT_EQ(speaker.Samples.Data, nullptr);
}

TEST(PhraseFileReading, UnknownChunksBetweenAreSteppedOver)
{
    Scratch scratch;
    Speaker speaker;
    PhraseChunks chunks;
    const QByteArray list = Chunk("LIST", "INFOISFT" + UInt32(3) + QByteArray("ab\0", 3) + '\0');
    const QByteArray file = Riff(chunks.fmt + list + chunks.snt + Chunk("junk", "x") + chunks.stp +
                                 Chunk("fact", UInt32(100)) + chunks.data + chunks.ptc);
    ASSERT_EQ(speaker.Read(scratch.Write(file)), 0);
    EXPECT_EQ(speaker.SampleBytes(), SampleData(100));
}

TEST(PhraseFileReading, EvenTextMakesAnOddChunkWhosePadByteIsSkipped)
{
    Scratch scratch;
    Speaker speaker;
    PhraseChunks chunks;
    chunks.snt = Chunk("snt ", EncodePhraseText("ab"));
    ASSERT_EQ(chunks.snt.size(), 8 + 3 + 1);
    ASSERT_EQ(speaker.Read(scratch.Write(chunks.File())), 0);
    EXPECT_EQ(speaker.Text, "ab");
    EXPECT_EQ(speaker.Phrase.StepCount, 2);
}

TEST(PhraseFileReading, TextIsStoredAsCodePlus128)
{
    EXPECT_EQ(EncodePhraseText("abc"), QByteArray("\xE1\xE2\xE3\x00", 4));
    // Character 128 is stored as a zero byte, and UTF-8 texts are full of it
    // (the apostrophe in "don’t"): only the last byte ends the text.
    Scratch scratch;
    Speaker speaker;
    PhraseChunks chunks;
    const QByteArray text = "don\xE2\x80\x99t";
    chunks.snt = Chunk("snt ", EncodePhraseText(text));
    ASSERT_EQ(speaker.Read(scratch.Write(chunks.File())), 0);
    EXPECT_EQ(speaker.Text, text);
}

TEST(PhraseFileReading, StepEndingWhereItStartsHasLengthOne)
{
    Scratch scratch;
    Speaker speaker;
    PhraseChunks chunks;
    chunks.stp = Chunk("stp ", StepData(0, 50, {{40, 40, 40, 40, 0, 0, 10}}));
    ASSERT_EQ(speaker.Read(scratch.Write(chunks.File())), 0);
    ASSERT_EQ(speaker.Phrase.StepCount, 1);
    EXPECT_EQ(speaker.Phrase.Steps[1].Length, 1);
    EXPECT_EQ(speaker.Phrase.TotalLength, 1);
}

TEST(PhraseFileReading, PathKeepsNoFieldPadding)
{
    Scratch scratch;
    Speaker speaker;
    const QString path = scratch.Write(PhraseChunks().File());
    EXPECT_EQ(speaker.Read(path + QString(128 - path.size(), ' ')), 0);
}

TEST(PhraseFileReading, SecondReadReplacesTheFirstPhrasesSamples)
{
    Scratch scratch;
    Speaker speaker;
    PhraseChunks chunks;
    ASSERT_EQ(speaker.Read(scratch.Write(chunks.File(), "one.wav")), 0);
    chunks.data = Chunk("data", SampleData(7));
    chunks.ptc = Chunk("ptc ", PitchData({{1, 2}}));
    ASSERT_EQ(speaker.Read(scratch.Write(chunks.File(), "two.wav")), 0);
    EXPECT_EQ(speaker.Loaded, 1);
    EXPECT_EQ(speaker.SampleBytes(), SampleData(7));
    EXPECT_EQ(speaker.Memory->MemSize(), 14);
    EXPECT_EQ(speaker.Pitch.size(), 1u);
}
