// Files that are cut short, claim more than they hold, or carry values the
// records cannot take: each read fails cleanly or gives a defined result, and
// a failed read leaves the speaker with nothing a view could draw from.
#include "support/PhraseFileBytes.h"

#include <gtest/gtest.h>

#include <limits>

using namespace testbytes;

namespace {

// The speaker holds no samples and no pitch after a failed read.
void ExpectNothingHeld(const Speaker& speaker)
{
    EXPECT_EQ(speaker.Loaded, 0);
    EXPECT_EQ(speaker.Samples.Data, nullptr);
    EXPECT_EQ(speaker.Samples.BufferLength, 0u);
    ASSERT_TRUE(speaker.Memory);
    EXPECT_EQ(speaker.Memory->MemHandle(), 0u);
    EXPECT_TRUE(speaker.Pitch.empty());
}

} // namespace

TEST(DamagedPhraseFile, MissingFileCannotBeOpened)
{
    Scratch scratch;
    Speaker speaker;
    EXPECT_EQ(speaker.Read(scratch.Path("none.wav")), PhraseFileNotOpened);
    ExpectNothingHeld(speaker);
}

TEST(DamagedPhraseFile, EveryCutAtAChunkBoundaryFailsWithItsCode)
{
    PhraseChunks c;
    const int top = 12;
    const struct
    {
        int length;
        int32_t result;
    } cuts[] = {
        {0, ChunkNotFound},
        {8, ChunkNotFound},   // header of the outer chunk, no form type
        {top, ChunkNotFound}, // no "fmt "
        {top + 8, PhraseFileDamaged},
        {int(top + c.fmt.size()), ChunkNotFound},
        {int(top + c.fmt.size() + 8), PhraseFileDamaged},
        {int(top + c.fmt.size() + c.snt.size()), ChunkNotFound},
        {int(top + c.fmt.size() + c.snt.size() + 8), PhraseFileDamaged},
        {int(top + c.fmt.size() + c.snt.size() + c.stp.size()), PhraseFileDamaged}, // no "data"
        {int(top + c.fmt.size() + c.snt.size() + c.stp.size() + 8), PhraseFileDamaged},
        {int(c.File().size() - c.ptc.size()), ChunkNotFound},
        {int(c.File().size() - c.ptc.size() + 8), PhraseFileDamaged},
    };
    Scratch scratch;
    for (const auto& cut : cuts) {
        Speaker speaker;
        EXPECT_EQ(speaker.Read(scratch.Write(c.File().left(cut.length))), cut.result)
            << "cut at " << cut.length;
        ExpectNothingHeld(speaker);
    }
}

TEST(DamagedPhraseFile, EveryCutAnywhereFailsAndHoldsNothing)
{
    const QByteArray file = PhraseChunks().File();
    for (int length = 0; length < file.size(); ++length) {
        Speaker speaker;
        ASSERT_NE(speaker.ReadBytes(file.left(length)), 0) << "cut at " << length;
        ExpectNothingHeld(speaker);
    }
}

TEST(DamagedPhraseFile, DataChunkClaimingMoreThanTheFileFailsBeforeAllocating)
{
    Scratch scratch;
    PhraseChunks chunks;
    for (uint32_t claimed : {uint32_t(0x7FFFFFF0), uint32_t(0xFFFFFFFF), uint32_t(201)}) {
        chunks.data = ChunkHeader("data", claimed) + SampleData(100);
        Speaker speaker;
        EXPECT_EQ(speaker.Read(scratch.Write(Riff(chunks.fmt + chunks.snt + chunks.stp +
                                                  chunks.data))),
                  PhraseFileDamaged)
            << claimed;
        ExpectNothingHeld(speaker);
        EXPECT_EQ(speaker.Memory->MemSize(), 0);
    }
}

TEST(DamagedPhraseFile, TextAndStepChunksClaimingMoreThanTheFileAreDamaged)
{
    Scratch scratch;
    PhraseChunks chunks;
    Speaker text;
    EXPECT_EQ(text.Read(scratch.Write(Riff(chunks.fmt + ChunkHeader("snt ", 100) + "\xE1\0"))),
              PhraseFileDamaged);
    Speaker steps;
    EXPECT_EQ(steps.Read(scratch.Write(Riff(chunks.fmt + chunks.snt + ChunkHeader("stp ", 400) +
                                            StepData(0, 1, {})))),
              PhraseFileDamaged);
    Speaker pitch;
    EXPECT_EQ(pitch.Read(scratch.Write(Riff(chunks.fmt + chunks.snt + chunks.stp + chunks.data +
                                            ChunkHeader("ptc ", 79992)))),
              PhraseFileDamaged);
}

TEST(DamagedPhraseFile, FailureAfterTheSamplesReleasesThemAtOnce)
{
    Scratch scratch;
    PhraseChunks chunks;
    Speaker speaker;
    ASSERT_EQ(speaker.Read(scratch.Write(chunks.File(), "good.wav")), 0);
    chunks.ptc.clear(); // fails after the sample block was allocated and filled
    EXPECT_EQ(speaker.Read(scratch.Write(chunks.File(), "nopitch.wav")), ChunkNotFound);
    ExpectNothingHeld(speaker);
    EXPECT_EQ(speaker.Memory->MemSize(), 0);
}

TEST(DamagedPhraseFile, FailureKeepsFormatAndStepsReadBeforeIt)
{
    Scratch scratch;
    PhraseChunks chunks;
    chunks.ptc.clear();
    Speaker speaker;
    EXPECT_EQ(speaker.Read(scratch.Write(chunks.File())), ChunkNotFound);
    EXPECT_EQ(speaker.Format.SamplesPerSec, 22050u);
    EXPECT_EQ(speaker.Phrase.StepCount, 2);
}

TEST(DamagedPhraseFile, TextLongerThanTheFieldKeeps200Characters)
{
    Scratch scratch;
    PhraseChunks chunks;
    const QByteArray text = QByteArray(150, 'a') + QByteArray(150, 'b');
    chunks.snt = Chunk("snt ", EncodePhraseText(text));
    Speaker speaker;
    ASSERT_EQ(speaker.Read(scratch.Write(chunks.File())), 0);
    EXPECT_EQ(speaker.Text, text.left(200));
    EXPECT_EQ(speaker.Phrase.StepCount, 2); // the rest of the chunk was stepped over
}

TEST(DamagedPhraseFile, EmptyPitchChunkGivesAnEmptyTrack)
{
    Scratch scratch;
    PhraseChunks chunks;
    chunks.ptc = Chunk("ptc ", QByteArray());
    Speaker speaker;
    ASSERT_EQ(speaker.Read(scratch.Write(chunks.File())), 0);
    EXPECT_EQ(speaker.Loaded, 1);
    EXPECT_TRUE(speaker.Pitch.empty());
}

TEST(DamagedPhraseFile, PitchChunkOf10000PointsIsDamaged)
{
    Scratch scratch;
    PhraseChunks chunks;
    std::vector<std::pair<int32_t, int32_t>> points(9999, {5, 1000});
    chunks.ptc = Chunk("ptc ", PitchData(points));
    Speaker full;
    ASSERT_EQ(full.Read(scratch.Write(chunks.File(), "full.wav")), 0);
    EXPECT_EQ(full.Pitch.size(), 9999u);
    points.push_back({6, 1000});
    chunks.ptc = Chunk("ptc ", PitchData(points));
    Speaker over;
    EXPECT_EQ(over.Read(scratch.Write(chunks.File(), "over.wav")), PhraseFileDamaged);
}

TEST(DamagedPhraseFile, PitchSizesRoundToEvenPointCounts)
{
    const QByteArray points = PitchData({{11, 1500}, {22, 1600}, {33, 1700}});
    const struct
    {
        int bytes;
        size_t points;
        int32_t secondValue; // bytes the chunk does not hold read as 0
    } cases[] = {{4, 0, 0}, {12, 2, 0}, {13, 2, 1600 & 0xFF}, {20, 2, 1600}};
    Scratch scratch;
    for (const auto& c : cases) {
        PhraseChunks chunks;
        chunks.ptc = Chunk("ptc ", points.left(c.bytes));
        Speaker speaker;
        ASSERT_EQ(speaker.Read(scratch.Write(chunks.File())), 0) << c.bytes;
        ASSERT_EQ(speaker.Pitch.size(), c.points) << c.bytes;
        if (c.points == 2) {
            EXPECT_EQ(speaker.Pitch[1].Position, 22);
            EXPECT_EQ(speaker.Pitch[1].Value, c.secondValue) << c.bytes;
        }
    }
}

TEST(DamagedPhraseFile, StepSizesRoundToEvenValueCountsAndReadNoFurther)
{
    const QByteArray values = StepData(5, 95, {{10, 19, 11, 18, 1, 2, 300}});
    const struct
    {
        int bytes;
        int steps;
        int32_t phraseEnd;
        int32_t reserved1, reserved2; // values 6 and 7, when there is a step
    } cases[] = {
        {4, 0, 0, 0, 0},   // 1 value: the phrase end is missing
        {10, 0, 95, 0, 0}, // 2.5 values: 2
        {14, 0, 95, 0, 0}, // 3.5 values: 4, still no whole step
        {26, 1, 95, 0, 0}, // 6.5 values: 6, so the half value 6 is not taken
        {30, 1, 95, 1, 2}, // 7.5 values: 8, value 7 has two of its bytes
    };
    Scratch scratch;
    for (const auto& c : cases) {
        PhraseChunks chunks;
        chunks.stp = Chunk("stp ", values.left(c.bytes));
        Speaker speaker;
        ASSERT_EQ(speaker.Read(scratch.Write(chunks.File())), 0) << c.bytes;
        EXPECT_EQ(speaker.Phrase.StepCount, c.steps) << c.bytes;
        EXPECT_EQ(speaker.Phrase.PhraseEnd, c.phraseEnd) << c.bytes;
        if (c.steps == 1) {
            const StepRecord& step = speaker.Phrase.Steps[1];
            EXPECT_EQ(step.Length, 10);
            EXPECT_EQ(step.Reserved1, c.reserved1) << c.bytes;
            EXPECT_EQ(step.Reserved2, c.reserved2) << c.bytes;
            EXPECT_EQ(step.Height, 0); // past the end of every cut
        }
        EXPECT_EQ(speaker.SampleBytes(), SampleData(100));
    }
}

TEST(DamagedPhraseFile, MaxHeightStaysBetweenZeroAnd32767AndHeightsAreKept)
{
    Scratch scratch;
    PhraseChunks chunks;
    chunks.stp = Chunk("stp ", StepData(0, 99, {{0, 9, 0, 9, 0, 0, 40000},
                                                {10, 19, 10, 19, 0, 0, 100},
                                                {20, 29, 20, 29, 0, 0, -70000}}));
    Speaker speaker;
    ASSERT_EQ(speaker.Read(scratch.Write(chunks.File())), 0);
    EXPECT_EQ(speaker.Phrase.MaxHeight, 32767);
    EXPECT_EQ(speaker.Phrase.Steps[1].Height, 40000);
    EXPECT_EQ(speaker.Phrase.Steps[3].Height, -70000);

    chunks.stp = Chunk("stp ", StepData(0, 99, {{0, 9, 0, 9, 0, 0, -5}}));
    Speaker low;
    ASSERT_EQ(low.Read(scratch.Write(chunks.File(), "low.wav")), 0);
    EXPECT_EQ(low.Phrase.MaxHeight, 0); // the maximum starts at 0
}

TEST(DamagedPhraseFile, ExtremeStepBoundsSaturateLengths)
{
    constexpr int32_t low = std::numeric_limits<int32_t>::min();
    constexpr int32_t high = std::numeric_limits<int32_t>::max();
    Scratch scratch;
    PhraseChunks chunks;
    chunks.stp = Chunk("stp ", StepData(0, 99, {{low, high, 0, 0, 0, 0, 1},
                                                {high, low, 0, 0, 0, 0, 1},
                                                {0, high, 0, 0, 0, 0, 1}}));
    Speaker speaker;
    ASSERT_EQ(speaker.Read(scratch.Write(chunks.File())), 0);
    EXPECT_EQ(speaker.Phrase.Steps[1].Length, high);
    EXPECT_EQ(speaker.Phrase.Steps[2].Length, low);
    EXPECT_EQ(speaker.Phrase.Steps[3].Length, high);
    // high + low + high: saturated steps add up without wrapping around
    EXPECT_EQ(speaker.Phrase.TotalLength, high - 1);
}

TEST(DamagedPhraseFile, FilesThatAreNotPhraseFilesFailWithoutHoldingAnything)
{
    Scratch scratch;
    for (const QByteArray& bytes :
         {QByteArray("plain text, not a sound file\n"), QByteArray(11, '\0'),
          Riff(Chunk("fmt ", FormatData())), Riff(QByteArray(), "AVI ")}) {
        Speaker speaker;
        EXPECT_EQ(speaker.Read(scratch.Write(bytes)), ChunkNotFound);
        ExpectNothingHeld(speaker);
    }
}
