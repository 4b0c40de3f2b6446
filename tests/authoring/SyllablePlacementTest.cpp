// The syllables a speech synthesiser says it spoke, placed on the steps the
// analyser finds in its recording: its times and the steps' never agree
// exactly, and a syllable lost or two run together name the wrong text in
// the learner's advice.
#include "audio/LoadedPhrase.h"
#include "authoring/PhraseAuthoring.h"
#include "compare/Syllables.h"
#include "support/SoundFiles.h"
#include "support/SyntheticVoice.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <sndfile.h>

TEST(TimedSyllables, EachStepGetsTheSyllablesNearestItInOrderAndNoneIsLost)
{
    QTemporaryDir folder;
    // Two voiced stretches: about 0.25 to 0.47 s and 0.55 to 0.80 s.
    const std::vector<float> voice = SynthesiseVoice({{0.25, 0, 0, 0},
                                                      {0.22, 190, 220, 0.5},
                                                      {0.08, 0, 0, 0},
                                                      {0.25, 220, 170, 0.6},
                                                      {0.25, 0, 0, 0}},
                                                     22050)
                                         .Samples;
    const QString in = folder.filePath("take.wav");
    ASSERT_TRUE(WriteSoundFile(in, SF_FORMAT_WAV | SF_FORMAT_PCM_16, 22050, 1, voice));
    const auto names = [&](std::vector<TimedSyllable> timed) {
        const QString out = folder.filePath("21_01.wav");
        AuthoringSyllables syllables;
        syllables.Timed = std::move(timed);
        const AuthoringResult result = AuthorPhraseFile(in, out, "record", syllables);
        EXPECT_TRUE(result.Written) << result.Problem;
        LoadedPhrase phrase;
        EXPECT_EQ(phrase.Read(out), PhraseFileOk);
        EXPECT_EQ(phrase.Phrase.StepCount, 2);
        return NameSteps(phrase.Phrase, ReadSyllables(out));
    };

    // The first syllable's middle falls before the first step (a voiceless
    // onset), and both middles in the second step.
    EXPECT_EQ(names({{"re", false, 0.20, true}, {"cord", true, 0.60, false}}),
              (std::vector<QString>{"re", "cord"}));
    EXPECT_EQ(names({{"It's", false, 0.58, true}, {"rain", true, 0.70, true}}),
              (std::vector<QString>{"It's", "rain"}));
    // Three syllables on two steps: two share the nearer step, none is lost.
    EXPECT_EQ(names({{"pho", true, 0.30, true}, {"to", false, 0.40, false},
                     {"graph", false, 0.85, false}}),
              (std::vector<QString>{"photo", "graph"}));
}
