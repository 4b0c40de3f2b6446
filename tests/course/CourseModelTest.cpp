// The rules of a course's tree: codes the studio chooses never begin one
// another and never collide in topic numbers, nodes stay within the reader's
// twenty levels, and names fit their fields.
#include "course/CourseModel.h"
#include "content/LessonTree.h"

#include <gtest/gtest.h>

#include <set>

TEST(CategoryCodes, HundredsOfNewCodesAreMutuallyPrefixFreeWithDistinctTopics)
{
    std::vector<QString> taken;
    std::set<int32_t> topics{CourseIntroductionTopic};
    for (int i = 0; i < 400; ++i) {
        const QString code = NextCategoryCode(taken);
        ASSERT_FALSE(code.isEmpty()) << i;
        for (const QString& other : taken)
            ASSERT_FALSE(code.startsWith(other) || other.startsWith(code)) << code.toStdString();
        taken.push_back(code);
        ASSERT_TRUE(topics.insert(CategoryTopic(code)).second) << code.toStdString();
        for (int n : {1, 42, MaxPhrasesPerCategory}) {
            const QString file = QString("%1_%2.wav").arg(code).arg(n, 2, 10, QChar('0'));
            ASSERT_TRUE(topics.insert(PhraseTopic(file)).second) << file.toStdString();
        }
    }
}

TEST(CategoryCodes, NewCodesAvoidCodesAnOpenedPackAlreadyUses)
{
    // A hand-made pack with a one-digit code and a three-digit one.
    const QString code = NextCategoryCode({"1", "203", "20", "ab"});
    EXPECT_EQ(code, "21");
    EXPECT_EQ(NextCategoryCode({"1", "2", "3", "4", "5", "6", "7", "8"}), "900");
}

TEST(PhraseFileNames, NumbersFollowTheHighestAndFillGapsOnlyAtTheEnd)
{
    EXPECT_EQ(NextPhraseFileName("21", {}), "21_01.wav");
    // A hand-written tree may give any code: the file must still begin with it.
    EXPECT_EQ(NextPhraseFileName("5%1", {}), "5%1_01.wav");
    EXPECT_EQ(NextPhraseFileName("21", {"21_01.wav", "21_05.wav", "210_07.wav", "22_09.wav"}),
              "21_06.wav");
    std::vector<QString> full;
    for (int n = 1; n <= MaxPhrasesPerCategory; ++n)
        if (n != 17) full.push_back(QString("21_%1.wav").arg(n, 2, 10, QChar('0')));
    EXPECT_EQ(NextPhraseFileName("21", full), "21_17.wav");
    full.push_back("21_17.wav");
    EXPECT_EQ(NextPhraseFileName("21", full), "");
    EXPECT_EQ(CodeOfPhraseFile("9901_03.wav"), "9901");
    EXPECT_EQ(CodeOfPhraseFile("ttwi3.wav"), "");
}

TEST(TreePlacement, TheTwentiethLevelIsTheLastAndCategoriesHoldNoEntries)
{
    Course course = NewCourse("Course");
    // A chain of topics 19 levels deep under the root.
    CourseNode* parent = &course.Root;
    NodePath path;
    for (int level = 1; level <= MaxTreeLevel - 1; ++level) {
        parent->Children.push_back(MakeTopic(QString("Level %1").arg(level)));
        path.push_back(static_cast<int>(parent->Children.size()) - 1);
        parent = &parent->Children.back();
    }
    const CourseNode category = MakeCategory("Deepest", "40");
    EXPECT_EQ(CheckPlacement(course, category, path), "");
    CourseNode topicWithCategory = MakeTopic("Holder");
    topicWithCategory.Children.push_back(category);
    EXPECT_NE(CheckPlacement(course, topicWithCategory, path), "");
    EXPECT_NE(CheckPlacement(course, category, {0}), ""); // node 1 is a category
    // A topic cannot go inside itself.
    const NodePath first{2};
    EXPECT_NE(CheckPlacement(course, *NodeAt(course, first), {2, 0}, &first), "");
}

TEST(NodeNames, ExplainWhatTheTreeFileCannotHold)
{
    EXPECT_EQ(CheckNodeName("Word Stress"), "");
    EXPECT_NE(CheckNodeName("  "), "");
    EXPECT_NE(CheckNodeName("Either/or"), "");
    EXPECT_NE(CheckNodeName("*starred"), "");
    EXPECT_NE(CheckNodeName(QString(NodeNameWidth / 2 + 1, QChar(0xe9))), ""); // 2 bytes each
    EXPECT_EQ(CheckNodeName(QString(NodeNameWidth / 2, QChar(0xe9))), "");
    EXPECT_NE(CheckPhraseText(""), "");
    EXPECT_NE(CheckPhraseText("one\ntwo"), "");
}
