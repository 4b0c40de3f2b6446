// The piece of a phrase a click in a view plays.
#include "audio/PlayAroundPoint.h"
#include "audio/CommandDeviceFixture.h"

namespace {

PhraseData Phrase(int32_t start, int32_t end, const QString& waveFile = "/s/a b.wav")
{
    PhraseData phrase;
    phrase.PhraseStart = start;
    phrase.PhraseEnd = end;
    phrase.WaveFile = waveFile;
    return phrase;
}

QString PlayCommand(float width, const PhraseData& phrase, int button, float x)
{
    return PlayAroundPointCommands(width, phrase, button, x).value(3);
}

constexpr int Right = 2;
constexpr int Middle = 4;

} // namespace

TEST(PlayAroundPointCommands, ClosesOpensTrimmedPathAndSetsSamples)
{
    const QStringList commands =
        PlayAroundPointCommands(500, Phrase(0, 1000, "  /my sounds/a b.wav   "), 1, 250);
    ASSERT_EQ(commands.size(), 4);
    EXPECT_EQ(commands[0], "close wavefile");
    EXPECT_EQ(commands[1], "open /my sounds/a b.wav type waveaudio alias wavefile");
    EXPECT_EQ(commands[2], "set wavefile time format samples");
}

TEST(PlayAroundPointCommands, LeftClickPlaysFromPhraseStartWithTwoBlanksBeforeNumbers)
{
    // x = 10 % + 4000/44000 of 80 % of the width: sample 5000 of a phrase from 1000.
    const float x = 0.1f * 440 + 0.8f * 440 * (4000.0f / 44000.0f);
    EXPECT_EQ(PlayCommand(440, Phrase(1000, 45000), 1, x), "play wavefile from  1000 to  5000");
}

TEST(PlayAroundPointCommands, LeftClickLeftOfTheDrawingPlaysNothing)
{
    EXPECT_EQ(PlayCommand(400, Phrase(1000, 45000), 1, 10), "play wavefile from  1000 to  1000");
    EXPECT_EQ(PlayCommand(400, Phrase(1000, 45000), 1, -30), "play wavefile from  1000 to  1000");
}

TEST(PlayAroundPointCommands, ClickAtRightEdgeStaysBelowPhraseEnd)
{
    // Exactly 90 % of the width gives the fraction 1, which becomes 0.9999.
    EXPECT_EQ(PlayCommand(100, Phrase(1000, 45100), 1, 90), "play wavefile from  1000 to  45095");
    EXPECT_EQ(PlayCommand(100, Phrase(1000, 45100), 1, 100), "play wavefile from  1000 to  45095");
}

TEST(PlayAroundPointCommands, OtherButtonsPlayAWindowAroundThePoint)
{
    const float x = 0.1f * 440 + 0.8f * 440 * 0.5f; // sample 23000
    EXPECT_EQ(PlayCommand(440, Phrase(1000, 45000), Right, x),
              "play wavefile from  20800 to  25200");
    EXPECT_EQ(PlayCommand(440, Phrase(1000, 45000), Middle, x),
              "play wavefile from  20800 to  25200");
    EXPECT_EQ(PlayCommand(440, Phrase(1000, 45000), Right | 1, x),
              "play wavefile from  1000 to  23000")
        << "the left-button bit decides";
}

TEST(PlayAroundPointCommands, WindowIsKeptWithinThePhrase)
{
    EXPECT_EQ(PlayCommand(100, Phrase(1000, 45100), Right, 100),
              "play wavefile from  42895 to  45100");
    EXPECT_EQ(PlayCommand(100, Phrase(1000, 45100), Right, 0), "play wavefile from  1000 to  3200");
}

TEST(PlayAroundPointCommands, NegativeNumbersAreWrittenWithTheirSign)
{
    // A damaged file may have its phrase start below 0.
    EXPECT_EQ(PlayCommand(100, Phrase(-3000, 1000), 1, 0), "play wavefile from -3000 to -3000");
}

TEST(PlayAroundPointCommands, BoxWithoutWidthPlaysFromPhraseStart)
{
    EXPECT_EQ(PlayCommand(0, Phrase(1000, 45000), 1, 5), "play wavefile from  1000 to  1000");
    EXPECT_EQ(PlayCommand(0, Phrase(1000, 45000), Right, 5), "play wavefile from  1000 to  3200");
}

using PlayAroundPointDevice = CommandDeviceTest;

TEST_F(PlayAroundPointDevice, PlaysThePieceEvenWhileAnotherPlayRuns)
{
    ASSERT_EQ(Send(OpenCommand(SoundPath)), MciOk);
    ASSERT_EQ(Send("play wavefile"), MciOk);
    const float x = 0.1f * 440 + 0.8f * 440 * 0.5f; // sample 22000 of 0..44000
    PlayAroundPoint(440, Phrase(0, 44000, SoundPath + "  "), Right, x);
    EXPECT_EQ(Output->StopCount, 1);
    EXPECT_EQ(Output->StartCount, 2);
    EXPECT_EQ(FirstStartedSample(), 22000 - 2200);
    EXPECT_EQ(Output->StartedSamples.size(), 4400 * 2);
    EXPECT_TRUE(WaveDeviceIsPlaying());
}

TEST_F(PlayAroundPointDevice, MissingFilePlaysNothingAndRaisesNothing)
{
    EXPECT_NE(PlayAroundPoint(440, Phrase(0, 44000, Folder.filePath("gone.wav")), 1, 300),
              MciCannotPlay);
    EXPECT_EQ(Output->StartCount, 0);
    EXPECT_FALSE(WaveDeviceIsPlaying());
}

// Without an output the click must say so, as Play does, not do nothing.
TEST_F(PlayAroundPointDevice, AnOutputThatCannotPlayIsReported)
{
    EXPECT_EQ(PlayAroundPoint(440, Phrase(0, 44000, SoundPath), 1, 300), MciOk);
    Output->RefuseStart = true;
    EXPECT_EQ(PlayAroundPoint(440, Phrase(0, 44000, SoundPath), 1, 300), MciCannotPlay);
    EXPECT_FALSE(WaveDeviceIsPlaying());
}
