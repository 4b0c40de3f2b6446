// Commands the device cannot carry out: each gives a code and its text, and
// leaves the device as it was.
#include "audio/CommandDeviceFixture.h"

class CommandDeviceErrors : public CommandDeviceTest
{
protected:
    void SetUp() override
    {
        CommandDeviceTest::SetUp();
        ASSERT_EQ(Send(OpenCommand(SoundPath)), MciOk);
        ASSERT_EQ(Send("set wavefile time format samples"), MciOk);
    }

    void ExpectError(const QString& command, int16_t code)
    {
        EXPECT_EQ(Send(command), code) << command.toStdString();
        EXPECT_EQ(Reply, MciErrorText(code)) << command.toStdString();
        EXPECT_FALSE(Reply.isEmpty());
    }
};

TEST_F(CommandDeviceErrors, UnknownCommandsAndWordsAreRefused)
{
    ExpectError("", MciUnrecognizedCommand);
    ExpectError("record wavefile", MciUnrecognizedCommand);
    ExpectError("play wavefile wait", MciUnrecognizedKeyword);
    ExpectError("play wavefile from 10 from 20", MciUnrecognizedKeyword);
    ExpectError("status wavefile volume", MciUnrecognizedKeyword);
    ExpectError("close wavefile now", MciUnrecognizedKeyword);
    ExpectError("set wavefile speed 2", MciUnrecognizedKeyword);
    ExpectError("seek wavefile by 10", MciUnrecognizedKeyword);
    ExpectError("open " + SoundPath, MciUnrecognizedKeyword);
    EXPECT_EQ(Output->StartCount, 0);
}

TEST_F(CommandDeviceErrors, MissingAndMalformedNumbers)
{
    ExpectError("seek wavefile to", MciMissingParameter);
    ExpectError("play wavefile from  1000 to", MciMissingParameter);
    ExpectError("status wavefile", MciMissingParameter);
    ExpectError("set wavefile time format", MciMissingParameter);
    ExpectError("seek wavefile to 12abc", MciBadInteger);
    ExpectError("play wavefile from 1.5 to 20", MciBadInteger);
    ExpectError("seek wavefile to 99999999999", MciBadInteger);
}

TEST_F(CommandDeviceErrors, PositionsOutsideTheSoundAreRefused)
{
    ExpectError("seek wavefile to 44101", MciOutOfRange);
    ExpectError("play wavefile from -5 to  100", MciOutOfRange);
    ExpectError("play wavefile from  100 to  44101", MciOutOfRange);
    ExpectError("play wavefile from  200 to  100", MciOutOfRange);
    ASSERT_EQ(Send("set wavefile time format milliseconds"), MciOk);
    ExpectError("seek wavefile to 2001", MciOutOfRange);
    EXPECT_EQ(Send("seek wavefile to 2000"), MciOk);
    EXPECT_EQ(Output->StartCount, 0);
}

TEST_F(CommandDeviceErrors, UnknownTimeFormatKeepsTheOldOne)
{
    ExpectError("set wavefile time format bytes", MciBadTimeFormat);
    EXPECT_EQ(Send("status wavefile length"), MciOk);
    EXPECT_EQ(Reply, "44100");
}

TEST_F(CommandDeviceErrors, RefusedCommandLeavesRunningPlayAlone)
{
    ASSERT_EQ(Send("play wavefile"), MciOk);
    Output->NowUs = 100000;
    ExpectError("seek wavefile to 50000", MciOutOfRange);
    EXPECT_TRUE(WaveDeviceIsPlaying());
    EXPECT_EQ(Output->StopCount, 0);
}

TEST_F(CommandDeviceErrors, CommandEndsAtItsFirstZeroCharacter)
{
    EXPECT_EQ(Send(QString("status wavefile length") + QChar(0) + "garbage"), MciOk);
    EXPECT_EQ(Reply, "44100");
}

TEST_F(CommandDeviceErrors, ExtraBlanksBetweenWordsAreAccepted)
{
    EXPECT_EQ(Send("  status   wavefile\tposition  "), MciOk);
    EXPECT_EQ(Reply, "0");
}

TEST(CommandReplyText, CutAtNullKeepsTextBeforeFirstZero)
{
    EXPECT_EQ(CutAtNull(QString("abc") + QChar(0) + "def" + QChar(0)), "abc");
    EXPECT_EQ(CutAtNull(QString(QChar(0)) + "abc"), "");
    EXPECT_EQ(CutAtNull("no zero here"), "no zero here");
    EXPECT_EQ(CutAtNull(""), "");
}

TEST(CommandReplyText, EveryErrorTextIsShortAndHasNoZero)
{
    for (int16_t code = 1; code < 400; ++code) {
        const QString text = MciErrorText(code);
        EXPECT_FALSE(text.isEmpty()) << code;
        EXPECT_LT(text.size(), MciReplyLength) << code;
        EXPECT_EQ(text.indexOf(QChar(0)), -1) << code;
    }
}

TEST(CommandReplyText, ReplyReadAsNumberTheLenientWay)
{
    EXPECT_EQ(ReplyAsNumber("1234"), 1234);
    EXPECT_EQ(ReplyAsNumber("  -56 ms"), -56);
    EXPECT_EQ(ReplyAsNumber("+7"), 7);
    EXPECT_EQ(ReplyAsNumber(MciErrorText(MciInvalidDeviceName)), 0);
    EXPECT_EQ(ReplyAsNumber(""), 0);
    EXPECT_EQ(ReplyAsNumber("-"), 0);
}
