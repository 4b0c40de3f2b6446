// Planning, starting and stopping a recording, apart from the screen.
#include "audio/FakeWaveInput.h"
#include "audio/RiffFile.h"
#include "audio/StudentRecording.h"
#include "support/PhraseFileBytes.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>

TEST(RecordingPlan, LengthGrowsWithTheTrimmedTextAndSetsTheAnalysisLimit)
{
    EXPECT_EQ(PlannedRecordingLength("Good morning"), 3200);
    EXPECT_FLOAT_EQ(RecordingAnalysisLimit(3200), 32.0f);
    EXPECT_EQ(PlannedRecordingLength("Hello"), 2500);
    EXPECT_FLOAT_EQ(RecordingAnalysisLimit(2500), 30.0f);
    EXPECT_EQ(PlannedRecordingLength("   Hello      "), 2500);
    EXPECT_EQ(PlannedRecordingLength("a  b"), 2400) << "inner blanks count";
    EXPECT_EQ(PlannedRecordingLength(""), 2000);
    EXPECT_EQ(PlannedRecordingLength(QByteArray(50, 'x')), 7000);
    EXPECT_FLOAT_EQ(RecordingAnalysisLimit(7000), 70.0f);
}

class RecordingSequence : public ::testing::Test
{
protected:
    void SetUp() override { Input.WatchedHandle = &Block.Handle; }
    void TearDown() override { ReleaseRecording(Block, Input); }

    RecordingBlock Block;
    FakeWaveInput Input;
};

TEST_F(RecordingSequence, StartHoldsABlockOfOneAndAHalfBuffersAndRecordsMono22050)
{
    int32_t duration = 3200;
    EXPECT_EQ(StartRecording(Block, duration, Input), 0);
    EXPECT_EQ(duration, 3200);
    EXPECT_NE(Block.Handle, 0u);
    EXPECT_EQ(Block.Memory->MemSize(), 396900);
    EXPECT_EQ(Block.Buffer.Data, Block.Memory->MemPointer());
    EXPECT_EQ(Block.Buffer.BufferLength, 264600u);
    EXPECT_EQ(Block.Mode, "RecordWave");
    EXPECT_EQ(Input.StartedFormat.SamplesPerSec, 22050u);
    EXPECT_EQ(Input.StartedFormat.Channels, 1);
    EXPECT_EQ(Input.StartedFormat.BitsPerSample, 16);
    EXPECT_EQ(Input.StartedFormat.BlockAlign, 2);
    EXPECT_EQ(Input.StartedFormat.AvgBytesPerSec, 44100u);
    EXPECT_TRUE(Input.IsRecording());
}

TEST_F(RecordingSequence, LongPhraseIsCappedAtSixSeconds)
{
    int32_t duration = PlannedRecordingLength(QByteArray(50, 'x'));
    EXPECT_EQ(StartRecording(Block, duration, Input), 0);
    EXPECT_EQ(duration, 6000);
}

TEST_F(RecordingSequence, EarlyStopKeepsOnlyWhatWasRecorded)
{
    int32_t duration = 6000;
    ASSERT_EQ(StartRecording(Block, duration, Input), 0);
    Input.Deliver(QByteArray(22050, '\x11')); // half a second
    StopRecording(Block, Input);
    EXPECT_EQ(Block.Buffer.BytesRecorded, 22050u);
    Input.Deliver(QByteArray(100, '\x22'));
    EXPECT_EQ(Input.DroppedBytes, 100) << "nothing arrives after the stop";
    EXPECT_EQ(Block.Buffer.Data[22050], '\0');
}

TEST_F(RecordingSequence, NextRecordingStopsTheInputBeforeFreeingTheOldBlock)
{
    int32_t duration = 3000;
    ASSERT_EQ(StartRecording(Block, duration, Input), 0);
    ASSERT_EQ(StartRecording(Block, duration, Input), 0);
    EXPECT_TRUE(Input.BlockHeldWhenStopped);
    EXPECT_EQ(Input.StartCount, 2);
    EXPECT_NE(Block.Handle, 0u);
    EXPECT_EQ(Block.Buffer.BytesRecorded, 0u);
}

TEST_F(RecordingSequence, InputThatCannotRecordReportsItsCodeAndTheBlockIsStillReleased)
{
    Input.FailWith = RecordingNoInput;
    int32_t duration = 3000;
    EXPECT_EQ(StartRecording(Block, duration, Input), RecordingNoInput);
    EXPECT_FALSE(Input.IsRecording());
    StopRecording(Block, Input);
    EXPECT_EQ(Block.Buffer.BytesRecorded, 0u);
    ReleaseRecording(Block, Input);
    EXPECT_EQ(Block.Handle, 0u);
    EXPECT_EQ(Block.Buffer.Data, nullptr);
}

TEST_F(RecordingSequence, ReleaseStopsTheInputFirst)
{
    int32_t duration = 3000;
    ASSERT_EQ(StartRecording(Block, duration, Input), 0);
    Input.Deliver(QByteArray(10, '\x05'));
    ReleaseRecording(Block, Input);
    EXPECT_TRUE(Input.BlockHeldWhenStopped);
    EXPECT_FALSE(Input.IsRecording());
    EXPECT_EQ(Block.Handle, 0u);
    EXPECT_EQ(Block.Buffer.Data, nullptr);
    Input.Deliver(QByteArray(10, '\x05'));
    EXPECT_EQ(Input.DroppedBytes, 10);
}

class StoringRecording : public RecordingSequence
{
protected:
    QString StudentWave() const { return Scratch.Path("Student.wav"); }
    testbytes::Scratch Scratch;
};

TEST_F(StoringRecording, FileHoldsTheTextAndTheNormalisedBytesRecorded)
{
    int32_t duration = 3200;
    ASSERT_EQ(StartRecording(Block, duration, Input), 0);
    Input.Deliver(testbytes::Int32s({0x00010000, int32_t(0xCCCD0001)})); // 0, 1, 1, -13107
    StopRecording(Block, Input);
    EXPECT_EQ(StoreRecording(Block, StudentWave(), Scratch.Path("Student.txt"), "Good morning   "),
              0);

    testbytes::Speaker student;
    EXPECT_EQ(student.Read(StudentWave(), 0, 1), 0);
    EXPECT_EQ(student.Text, "Good morning");
    RiffReader riff(StudentWave());
    RiffChunk outer, data;
    QByteArray samples;
    ASSERT_TRUE(riff.Open() && riff.DescendOuter(outer) && riff.FindChunk(FourCC("data"), data));
    ASSERT_TRUE(riff.ReadChunkData(data, samples));
    EXPECT_EQ(samples.toHex(), QByteArray("0000020002009a99")) << "0, 2, 2, -26214 only";
}

TEST_F(StoringRecording, NothingRecordedIsAFailureNotASilentFile)
{
    int32_t duration = 3200;
    ASSERT_EQ(StartRecording(Block, duration, Input), 0);
    StopRecording(Block, Input);
    EXPECT_EQ(StoreRecording(Block, StudentWave(), Scratch.Path("Student.txt"), "Hello"),
              RecordingEmpty);
    EXPECT_FALSE(QFile::exists(StudentWave()));
}

TEST_F(StoringRecording, FailureToWriteIsReported)
{
    int32_t duration = 3200;
    ASSERT_EQ(StartRecording(Block, duration, Input), 0);
    Input.Deliver(QByteArray(100, '\x10'));
    StopRecording(Block, Input);
    EXPECT_EQ(StoreRecording(Block, Scratch.Path("no such folder/Student.wav"), "", "Hello"),
              PhraseFileNotWritten);
}
