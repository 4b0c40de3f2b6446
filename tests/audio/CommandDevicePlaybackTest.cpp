// Playing ranges and following the position of what has been heard.
#include "audio/CommandDeviceFixture.h"

class CommandDevicePlayback : public CommandDeviceTest
{
protected:
    void SetUp() override
    {
        CommandDeviceTest::SetUp();
        ASSERT_EQ(Send(OpenCommand(SoundPath)), MciOk);
    }
};

TEST_F(CommandDevicePlayback, RangeWithTwoBlanksBeforeNumbersPlaysExactlyThoseSamples)
{
    ASSERT_EQ(Send("set wavefile time format samples"), MciOk);
    EXPECT_EQ(Send("play wavefile from  1000 to  5000"), MciOk) << Reply.toStdString();
    EXPECT_EQ(Output->StartCount, 1);
    EXPECT_EQ(Output->StartedSamples.size(), 4000 * 2);
    EXPECT_EQ(FirstStartedSample(), 1000);
    EXPECT_EQ(Output->StartedFormat.SamplesPerSec, 22050u);
    EXPECT_TRUE(WaveDeviceIsPlaying()); // returned at once, still sounding
}

TEST_F(CommandDevicePlayback, PlayFromSeekPositionRunsToTheEnd)
{
    ASSERT_EQ(Send("set wavefile time format samples"), MciOk);
    ASSERT_EQ(Send("seek wavefile to 2205"), MciOk);
    ASSERT_EQ(Send("set wavefile time format milliseconds"), MciOk);
    EXPECT_EQ(Position(), 100);
    ASSERT_EQ(Send("play wavefile"), MciOk);
    EXPECT_EQ(FirstStartedSample(), 2205);
    EXPECT_EQ(Output->StartedSamples.size(), (SoundSamples - 2205) * 2);
}

TEST_F(CommandDevicePlayback, PositionIsWhatTheOutputHasPlayedInEitherFormat)
{
    ASSERT_EQ(Send("set wavefile time format samples"), MciOk);
    ASSERT_EQ(Send("seek wavefile to 2205"), MciOk);
    ASSERT_EQ(Send("set wavefile time format milliseconds"), MciOk);
    ASSERT_EQ(Send("play wavefile"), MciOk);
    EXPECT_EQ(Position(), 100);
    Output->NowUs = 400000;
    EXPECT_EQ(Position(), 500); // milliseconds from the start of the file
    ASSERT_EQ(Send("set wavefile time format samples"), MciOk);
    EXPECT_EQ(Position(), 2205 + 8820);
    Output->NowUs = 400030;
    EXPECT_EQ(Position(), 2205 + 8820) << "only whole samples heard count";
}

TEST_F(CommandDevicePlayback, EndOfRangeStopsThePlayAndKeepsPositionThere)
{
    ASSERT_EQ(Send("set wavefile time format samples"), MciOk);
    ASSERT_EQ(Send("play wavefile from  0 to  2205"), MciOk);
    Output->NowUs = 99000;
    EXPECT_TRUE(WaveDeviceIsPlaying());
    Output->NowUs = 3000000;
    EXPECT_EQ(Position(), 2205);
    EXPECT_EQ(Send("status wavefile mode"), MciOk);
    EXPECT_EQ(Reply, "stopped");
    EXPECT_FALSE(WaveDeviceIsPlaying());
}

TEST_F(CommandDevicePlayback, DeviceThatGivesUpEndsThePlayWhereTheSoundStopped)
{
    Output->GiveUpAfterUs = 300000;
    ASSERT_EQ(Send("play wavefile"), MciOk);
    Output->NowUs = 1000000;
    EXPECT_FALSE(WaveDeviceIsPlaying());
    EXPECT_EQ(Position(), 300);
    Output->NowUs = 5000000;
    EXPECT_EQ(Position(), 300) << "a stopped play does not move on";
}

TEST_F(CommandDevicePlayback, OutputThatCannotPlayReportsErrorAndStaysStopped)
{
    Output->RefuseStart = true;
    ASSERT_EQ(Send("set wavefile time format samples"), MciOk);
    EXPECT_EQ(Send("play wavefile from  4410 to  8820"), MciCannotPlay);
    EXPECT_EQ(Reply, MciErrorText(MciCannotPlay));
    EXPECT_FALSE(WaveDeviceIsPlaying());
    EXPECT_EQ(Send("status wavefile mode"), MciOk);
    EXPECT_EQ(Reply, "stopped");
    Output->NowUs = 1000000;
    EXPECT_EQ(Position(), 4410);
}

TEST_F(CommandDevicePlayback, EmptyRangeAndPlayAtTheEndPlayNothing)
{
    ASSERT_EQ(Send("set wavefile time format samples"), MciOk);
    EXPECT_EQ(Send("play wavefile from  1000 to  1000"), MciOk);
    EXPECT_EQ(Position(), 1000);
    ASSERT_EQ(Send("seek wavefile to 44100"), MciOk);
    EXPECT_EQ(Send("play wavefile"), MciOk);
    EXPECT_EQ(Output->StartCount, 0);
    EXPECT_FALSE(WaveDeviceIsPlaying());
}

TEST_F(CommandDevicePlayback, RangeOpenAtOneSideUsesPositionOrEnd)
{
    ASSERT_EQ(Send("set wavefile time format samples"), MciOk);
    ASSERT_EQ(Send("play wavefile to 300"), MciOk);
    EXPECT_EQ(FirstStartedSample(), 0);
    EXPECT_EQ(Output->StartedSamples.size(), 600);
    ASSERT_EQ(Send("play wavefile from 44000"), MciOk);
    EXPECT_EQ(FirstStartedSample(), 44000);
    EXPECT_EQ(Output->StartedSamples.size(), 200);
}

TEST_F(CommandDevicePlayback, NewPlayOrSeekStopsTheRunningOne)
{
    ASSERT_EQ(Send("play wavefile"), MciOk);
    Output->NowUs = 200000;
    ASSERT_EQ(Send("play wavefile from 1000 to 1500"), MciOk);
    EXPECT_EQ(Output->StopCount, 1);
    EXPECT_EQ(Output->StartCount, 2);
    EXPECT_EQ(Position(), 1000);
    Output->NowUs = 300000;
    EXPECT_EQ(Position(), 1100);
    ASSERT_EQ(Send("seek wavefile to 50"), MciOk);
    EXPECT_EQ(Output->StopCount, 2);
    EXPECT_FALSE(WaveDeviceIsPlaying());
    EXPECT_EQ(Position(), 50);
}

TEST_F(CommandDevicePlayback, PlayWithoutFromResumesWhereTheLastPlayStopped)
{
    Output->GiveUpAfterUs = 400000;
    ASSERT_EQ(Send("play wavefile"), MciOk);
    Output->NowUs = 900000;
    ASSERT_FALSE(WaveDeviceIsPlaying());
    Output->GiveUpAfterUs = INT64_MAX;
    ASSERT_EQ(Send("play wavefile"), MciOk);
    EXPECT_EQ(FirstStartedSample(), 8820);
}

TEST_F(CommandDevicePlayback, RangeOfNoWholeMicrosecondsEndsOnItsLastSample)
{
    // 4400 samples last 199546.49 us: heard to the end, every sample counts.
    ASSERT_EQ(Send("set wavefile time format samples"), MciOk);
    ASSERT_EQ(Send("play wavefile from  100 to  4500"), MciOk);
    Output->NowUs = 199546;
    EXPECT_TRUE(WaveDeviceIsPlaying());
    EXPECT_EQ(Position(), 4499);
    Output->NowUs = 199547;
    EXPECT_FALSE(WaveDeviceIsPlaying());
    EXPECT_EQ(Position(), 4500);
}
