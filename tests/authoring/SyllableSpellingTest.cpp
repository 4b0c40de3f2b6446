// Festival's spoken syllables spelled with the word's own letters.
#include "authoring/SyllableSpelling.h"

#include <gtest/gtest.h>

namespace {

std::vector<QStringList> Phones(const QStringList& syllables)
{
    std::vector<QStringList> phones;
    for (const QString& syllable : syllables)
        phones.push_back(syllable.split(' '));
    return phones;
}

} // namespace

TEST(SyllableSpelling, EachSyllableTakesItsVowelAndItsShareOfTheConsonants)
{
    using Pieces = std::vector<QString>;
    EXPECT_EQ(SpellSyllables("photograph", Phones({"f ow", "t ax", "g r ae f"})),
              (Pieces{"pho", "to", "graph"}));
    EXPECT_EQ(SpellSyllables("record", Phones({"r ax", "k ao r d"})), (Pieces{"re", "cord"}));
    EXPECT_EQ(SpellSyllables("apples", Phones({"ae", "p ax l z"})), (Pieces{"ap", "ples"}));
    EXPECT_EQ(SpellSyllables("early", Phones({"er", "l iy"})), (Pieces{"ear", "ly"}));
    EXPECT_EQ(SpellSyllables("table", Phones({"t ey", "b ax l"})), (Pieces{"ta", "ble"}));
    EXPECT_EQ(SpellSyllables("lemonade", Phones({"l eh", "m ax", "n ey d"})),
              (Pieces{"le", "mo", "nade"}));
    EXPECT_EQ(SpellSyllables("cat", Phones({"k ae t"})), (Pieces{"cat"}));
    // No vowel letters to go by: the letters are shared by the phones.
    const Pieces mister = SpellSyllables("Mr", Phones({"m ih", "s t er"}));
    ASSERT_EQ(mister.size(), 2u);
    EXPECT_EQ(mister[0] + mister[1], "Mr");
}
