// Help topics looked up without the help window: the topic number of a
// phrase sound file and the anchors of the help document.
#include "content/HelpDocument.h"

#include <gtest/gtest.h>

TEST(HelpTopicNumber, FileNameWithoutExtensionAndUnderscores)
{
    EXPECT_EQ(HelpTopicOfWaveFile("/any/folder/4_12.wav"), 412);
    EXPECT_EQ(HelpTopicOfWaveFile("C:\\content\\Sounds\\12_07.wav"), 1207);
    EXPECT_EQ(HelpTopicOfWaveFile("3_1_10.wav"), 3110);
    EXPECT_EQ(HelpTopicOfWaveFile("/x/ab_1.wav"), 0);
    EXPECT_EQ(HelpTopicOfWaveFile("12_ab.wav"), 12); // the leading number only
    EXPECT_EQ(HelpTopicOfWaveFile(".wav"), 0);
    EXPECT_EQ(HelpTopicOfWaveFile("99999999999.wav"), 0);
}

TEST(HelpDocumentTopics, NamedAnchorsInAnyQuotingAndCase)
{
    EXPECT_TRUE(HelpDocumentHasTopic("<p><a name=\"100\"></a>", 100));
    EXPECT_TRUE(HelpDocumentHasTopic("<a name='1207'>x</a>", 1207));
    EXPECT_TRUE(HelpDocumentHasTopic("<A class=t NAME=1207>x</A>", 1207));
    EXPECT_TRUE(HelpDocumentHasTopic("<a\nname = \"5\" >", 5));
}

TEST(HelpDocumentTopics, OtherNumbersAndIdsAreNotTheTopic)
{
    EXPECT_FALSE(HelpDocumentHasTopic("<a name=\"1000\"></a>", 100));
    EXPECT_FALSE(HelpDocumentHasTopic("<a name=\"10\"></a>", 100));
    EXPECT_FALSE(HelpDocumentHasTopic("<a id=\"100\"></a>", 100));
    EXPECT_FALSE(HelpDocumentHasTopic("<a href=\"#100\">see</a>", 100));
    EXPECT_FALSE(HelpDocumentHasTopic("", 100));
}

// Lint looks up a topic for each of thousands of phrases in one set; it must
// hold exactly the anchors a single lookup finds.
TEST(HelpDocumentTopics, TheSetOfADocumentHoldsWhatEachLookupFinds)
{
    const QString html = "<h2><a name=\"100\"></a>Intro</h2><A class=t NAME=1207>x</A>"
                         "<a\nname = '5' ><a id=\"7\"></a><a href=\"#8\">see</a>"
                         "<a name=\"0100\"></a><a title=\"x\" name=12></a><p><a name=9";
    EXPECT_EQ(HelpDocumentTopics(html), (std::set<int32_t>{5, 12, 100, 1207}));
    EXPECT_TRUE(HelpDocumentTopics("").empty());
}
