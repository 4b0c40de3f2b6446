// The syllables chunk: spelled by authors, stored after the chunks the
// tutor reads, invisible to the phrase reader, and matched to the steps
// even after the screen trimmed some away.
#include "SpokenPhrase.h"
#include "audio/PhraseFile.h"
#include "compare/Syllables.h"

#include <gtest/gtest.h>

using namespace testbytes;

namespace {

SpokenPhrase Record()
{
    return Speak({{0.2, 150, 150}, {0.3, 190, 160}});
}

QByteArray SyllableChunk(const SpokenPhrase& spoken)
{
    SyllableList entries = ParseSyllableSpelling("re|CORD");
    entries[0].Start = spoken.Phrase.Steps[1].Start;
    entries[1].Start = spoken.Phrase.Steps[2].Start;
    return Chunk("syl ", SyllableChunkData(entries));
}

} // namespace

TEST(SyllableChunk, SpellingMarksCapitalsAndApostrophesAsStressed)
{
    const SyllableList record = ParseSyllableSpelling("re|CORD");
    ASSERT_EQ(record.size(), 2u);
    EXPECT_EQ(record[0].Text, "re");
    EXPECT_FALSE(record[0].Stressed);
    EXPECT_EQ(record[1].Text, "CORD");
    EXPECT_TRUE(record[1].Stressed);

    const SyllableList phrase = ParseSyllableSpelling("I re|CORD it 'a|gain");
    ASSERT_EQ(phrase.size(), 6u);
    EXPECT_FALSE(phrase[0].Stressed); // a single capital is a word, not a stress mark
    EXPECT_TRUE(phrase[4].Stressed);
    EXPECT_EQ(phrase[4].Text, "a");
    EXPECT_TRUE(ParseSyllableSpelling(" | ").empty());

    // What is written is read back, tabs and line ends kept out.
    SyllableList odd = ParseSyllableSpelling("Zoë|CAFÉ");
    odd[0].Text = "a\tb\nc";
    const SyllableList back = ParseSyllableChunk(SyllableChunkData(odd));
    ASSERT_EQ(back.size(), 2u);
    EXPECT_EQ(back[0].Text, "a b c");
    EXPECT_EQ(back[1].Text, QStringLiteral("CAFÉ"));
    EXPECT_TRUE(back[1].Stressed);
}

TEST(SyllableChunk, PhraseReaderReadsAFileWithSyllablesExactlyAsOneWithout)
{
    const SpokenPhrase spoken = Record();
    Speaker plain;
    ASSERT_EQ(plain.ReadBytes(spoken.FileBytes()), PhraseFileOk);
    // At the end, where the content tool writes it, and between the chunks
    // that the reader searches one after the other.
    QByteArray between = spoken.FileBytes();
    between.insert(between.indexOf("stp "), SyllableChunk(spoken));
    between.replace(4, 4, UInt32(uint32_t(between.size() - 8)));
    for (const QByteArray& bytes : {spoken.FileBytes("abc", SyllableChunk(spoken)), between}) {
        Speaker withSyllables;
        ASSERT_EQ(withSyllables.ReadBytes(bytes), PhraseFileOk);
        EXPECT_EQ(withSyllables.Text, plain.Text);
        EXPECT_EQ(withSyllables.Phrase.StepCount, plain.Phrase.StepCount);
        EXPECT_EQ(withSyllables.Phrase.Steps[2].Start, plain.Phrase.Steps[2].Start);
        EXPECT_EQ(withSyllables.Pitch.size(), plain.Pitch.size());
        EXPECT_EQ(withSyllables.SampleBytes(), plain.SampleBytes());
    }
}

TEST(SyllableChunk, StoredFilesWithoutOrWithDamagedChunksHaveNoSyllables)
{
    const SpokenPhrase spoken = Record();
    Scratch scratch;
    EXPECT_TRUE(ReadSyllables(scratch.Write(spoken.FileBytes(), "plain.wav")).empty());
    EXPECT_TRUE(ReadSyllables(scratch.Path("missing.wav")).empty());
    const QString cut =
        scratch.Write(spoken.FileBytes("abc", ChunkHeader("syl ", 5000)), "cut.wav");
    EXPECT_TRUE(ReadSyllables(cut).empty());
    const QString good = scratch.Write(spoken.FileBytes("abc", SyllableChunk(spoken)), "good.wav");
    EXPECT_EQ(ReadSyllables(good).size(), 2u);
}

TEST(SyllableChunk, PlacedEntriesNameTheirStepsAfterTrimmingRemovedOne)
{
    const SpokenPhrase spoken = Speak({{0.2, 150, 150}, {0.2, 170, 170}, {0.3, 190, 160}});
    SyllableList entries = ParseSyllableSpelling("pho|to|GRAPH");
    for (int i = 0; i < 3; ++i)
        entries[i].Start = spoken.Phrase.Steps[i + 1].Start;
    PhraseData trimmed = spoken.Phrase;
    trimmed.Steps[1] = trimmed.Steps[2];
    trimmed.Steps[2] = trimmed.Steps[3];
    trimmed.StepCount = 2;
    EXPECT_EQ(NameSteps(trimmed, entries), (std::vector<QString>{"to", "GRAPH"}));

    // Unplaced entries name the steps only when they are as many.
    SyllableList unplaced = ParseSyllableSpelling("pho|to|GRAPH");
    EXPECT_EQ(NameSteps(spoken.Phrase, unplaced), (std::vector<QString>{"pho", "to", "GRAPH"}));
    EXPECT_EQ(NameSteps(trimmed, unplaced), (std::vector<QString>{"", ""}));
}
