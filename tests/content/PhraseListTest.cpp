#include "content/PhraseList.h"
#include "content/ContentText.h"
#include "content/LessonTree.h"

#include <gtest/gtest.h>

namespace {

std::vector<PhraseEntry> Select(const QByteArray& file, const QByteArray& code)
{
    std::vector<PhraseEntry> entries;
    SelectPhrases(file, code, "/snd/", entries);
    return entries;
}

std::vector<QByteArray> Stems(const std::vector<PhraseEntry>& entries)
{
    std::vector<QByteArray> stems;
    for (size_t i = 1; i < entries.size(); ++i)
        stems.push_back(entries[i].FileStem);
    return stems;
}

} // namespace

TEST(PhraseListSelection, MatchesCodeAtLineStartWithoutRegardToCase)
{
    auto entries = Select("TTWI1.wav;Upper case\r\nxttwi2.wav;Not at start\r\n"
                          "ttwi3.wav;Lower case\r\nttwi4.wav no semicolon\r\n",
                          "ttwi");
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[0].PhraseText, "Default Phrase");
    EXPECT_EQ(entries[1].PhraseText, "Upper case");
    EXPECT_EQ(entries[1].FileStem, "/snd/TTWI1");
    EXPECT_EQ(entries[2].PhraseText, "Lower case");
}

TEST(PhraseListSelection, EmptyCodeTakesEveryLineWithASemicolon)
{
    auto entries = Select("a1.wav;One\nb1.wav;Two\ncomment line\n", "");
    EXPECT_EQ(entries.size(), 3u);
}

TEST(PhraseListSelection, OrdersByStemNotFileOrder)
{
    auto entries = Select("ab2.wav;two\nab10.wav;ten\nAB1.wav;one\nab3.wav;three\n", "ab");
    EXPECT_EQ(Stems(entries),
              (std::vector<QByteArray>{"/snd/AB1", "/snd/ab10", "/snd/ab2", "/snd/ab3"}));
    EXPECT_EQ(entries[2].PhraseText, "ten");
}

TEST(PhraseListSelection, ShorterStemSortsAsIfPaddedWithBlanks)
{
    // "ab" padded is "ab  ...", and a blank sorts after a tab but before "!".
    auto entries = Select("ab!.wav;bang\nab.wav;plain\nab\t.wav;tab\n", "ab");
    EXPECT_EQ(Stems(entries), (std::vector<QByteArray>{"/snd/ab\t", "/snd/ab", "/snd/ab!"}));
}

TEST(PhraseListSelection, TrimsStemAndTextButKeepsInnerBlanks)
{
    auto entries = Select("  ab 1.wav ;   Text with  inner blanks   \n", "");
    ASSERT_EQ(entries.size(), 2u);
    // The four characters before the semicolon are dropped whatever they are.
    EXPECT_EQ(entries[1].FileStem, "/snd/ab 1.");
    EXPECT_EQ(entries[1].PhraseText, "Text with  inner blanks");
}

TEST(PhraseListSelection, CutsLongTextAndKeepsEntryWithEarlySemicolon)
{
    const QByteArray text(300, 't');
    auto entries = Select("ab1.wav;" + text + "\nab;short stem\n", "ab");
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[2].PhraseText.size(), 200);
    EXPECT_EQ(entries[1].PhraseText, "short stem");
    EXPECT_EQ(entries[1].FileStem, "/snd/"); // no usable stem
}

TEST(PhraseListSelection, StemIsHeldToItsFieldButTheFolderIsKeptWhole)
{
    const QByteArray stem(200, 's');
    std::vector<PhraseEntry> entries;
    const QByteArray folder = "/a/very/long/folder/" + QByteArray(150, 'f') + "/";
    SelectPhrases(stem + ".wav;text\n", "", folder, entries);
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[1].FileStem, folder + QByteArray(124, 's'));
}

// A phrase's key (its stem under Sounds/ and its category code) is the same
// wherever the content folder is mounted; only FileStem carries the folder.
TEST(PhraseListSelection, KeyOfAPhraseSurvivesAMovedContentFolder)
{
    const QByteArray file = "14_02.wav;Are you coming?\n14_01.wav; You're coming.\n";
    std::vector<PhraseEntry> here;
    std::vector<PhraseEntry> moved;
    SelectPhrases(file, "14", "/home/a/pack/Sounds/", here);
    SelectPhrases(file, "14", "/media/usb/pack/Sounds/", moved);
    ASSERT_EQ(here.size(), 3u);
    ASSERT_EQ(moved.size(), 3u);
    for (size_t i = 1; i < here.size(); ++i) {
        EXPECT_EQ(here[i].Stem, moved[i].Stem);
        EXPECT_EQ(here[i].CategoryCode, "14");
        EXPECT_EQ(moved[i].CategoryCode, "14");
        EXPECT_NE(here[i].FileStem, moved[i].FileStem);
    }
    EXPECT_EQ(here[1].Stem, "14_01");
    EXPECT_EQ(here[1].FileStem, "/home/a/pack/Sounds/14_01");
    EXPECT_EQ(here[2].Stem, "14_02");
    EXPECT_TRUE(here[0].Stem.isEmpty()) << "the placeholder has no key";
}

// A field cut at its width inside a UTF-8 character would no longer be
// UTF-8, and the whole text would then be shown as Windows-1252.
TEST(PhraseListSelection, TextsAndNamesOfUtf8AreCutBetweenCharacters)
{
    const QByteArray cjk = QString("声調").repeated(40).toUtf8(); // 80 characters, 240 bytes
    const QString kept = QString("声調").repeated(33);            // 198 bytes
    std::vector<PhraseEntry> entries = Select("11_01.wav;" + cjk + "\r\n", "11");
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_TRUE(entries[1].PhraseText.isValidUtf8());
    EXPECT_EQ(DecodeContentText(entries[1].PhraseText), kept);
    std::vector<LessonNode> nodes;
    int32_t last = -1;
    ParseLessonTree("Root\r\n*" + cjk + " / 11\r\n", nodes, last);
    ASSERT_EQ(nodes.size(), 2u);
    EXPECT_EQ(DecodeContentText(nodes[1].Name), kept);
    // A field in Windows-1252 keeps all of its 200 bytes.
    entries = Select("11_01.wav;" + QByteArray(240, '\xE9') + "\r\n", "11");
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[1].PhraseText, QByteArray(200, '\xE9'));
}
