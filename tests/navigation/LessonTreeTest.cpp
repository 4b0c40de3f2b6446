#include "navigation/LessonTree.h"

#include <gtest/gtest.h>

namespace {

std::vector<LessonNode> Parse(const QByteArray& text, int16_t& last)
{
    std::vector<LessonNode> nodes;
    ParseLessonTree(text, nodes, last);
    return nodes;
}

} // namespace

TEST(LessonTreeReading, LinksChildrenAndSiblingsByLevel)
{
    int16_t last = 0;
    auto nodes = Parse("Root\r\n*Topic A\r\n**Leaf / aa\r\n**Leaf two / ab\r\n*Topic B\r\n", last);
    ASSERT_EQ(last, 4);
    EXPECT_EQ(nodes[0].FirstChild, 1);
    EXPECT_EQ(nodes[1].NextSibling, 4); // back up a level: sibling of the earlier node
    EXPECT_EQ(nodes[4].PrevSibling, 1);
    EXPECT_EQ(nodes[2].Parent, 1);
    EXPECT_EQ(nodes[2].NextSibling, 3);
    EXPECT_EQ(nodes[3].Code, "ab");
    EXPECT_EQ(nodes[3].Name, "Leaf two");
    EXPECT_EQ(nodes[4].Parent, 0);
}
