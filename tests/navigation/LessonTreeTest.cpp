#include "navigation/LessonTree.h"

#include <gtest/gtest.h>

namespace {

struct ParsedTree
{
    std::vector<LessonNode> nodes;
    int32_t last = 0;
};

ParsedTree Parse(const QByteArray& text)
{
    ParsedTree tree;
    ParseLessonTree(text, tree.nodes, tree.last);
    return tree;
}

std::vector<int> ChildrenOf(const ParsedTree& tree, int node)
{
    std::vector<int> children;
    for (int c = tree.nodes[node].FirstChild; c >= 0; c = tree.nodes[c].NextSibling)
        children.push_back(c);
    return children;
}

} // namespace

TEST(LessonTreeReading, LinksChildrenAndSiblingsByLevel)
{
    auto tree = Parse("Root\r\n*Topic A\r\n**Leaf / aa\r\n**Leaf two / ab\r\n*Topic B\r\n");
    ASSERT_EQ(tree.last, 4);
    EXPECT_EQ(ChildrenOf(tree, 0), (std::vector<int>{1, 4}));
    EXPECT_EQ(ChildrenOf(tree, 1), (std::vector<int>{2, 3}));
    EXPECT_EQ(tree.nodes[4].PrevSibling, 1); // back up a level: sibling of the earlier node
    EXPECT_EQ(tree.nodes[2].Parent, 1);
    EXPECT_EQ(tree.nodes[3].PrevSibling, 2);
    EXPECT_EQ(tree.nodes[3].Code, "ab");
    EXPECT_EQ(tree.nodes[3].Name, "Leaf two");
    EXPECT_EQ(tree.nodes[0].Parent, -1);
    EXPECT_EQ(tree.nodes[4].FirstChild, -1);
}

TEST(LessonTreeReading, RootOnlyAndEmptyFile)
{
    auto rootOnly = Parse("Just the root\r\n");
    EXPECT_EQ(rootOnly.last, 0);
    EXPECT_EQ(rootOnly.nodes[0].FirstChild, -1);

    auto empty = Parse("");
    EXPECT_EQ(empty.last, -1);
    EXPECT_TRUE(empty.nodes.empty());
}

TEST(LessonTreeReading, LineTwoLevelsDeeperBecomesRootsFirstChild)
{
    // No node at the level in between: the root's earlier children drop out.
    auto tree = Parse("Root\n*A\n*B\n***Deep / dd\n");
    EXPECT_EQ(tree.nodes[0].FirstChild, 3);
    EXPECT_EQ(tree.nodes[3].Parent, 0);
    EXPECT_EQ(ChildrenOf(tree, 0), (std::vector<int>{3}));
}

TEST(LessonTreeReading, SplitsNameAndCodeAtFirstSlash)
{
    auto tree = Parse("Root\n*  Name with blanks  /  code x  \n*NoBlank/abc\n*A / b / c\n*Plain name\n");
    EXPECT_EQ(tree.nodes[1].Name, "Name with blanks");
    EXPECT_EQ(tree.nodes[1].Code, "code x");
    EXPECT_EQ(tree.nodes[2].Code, "bc"); // the character after the slash is always skipped
    EXPECT_EQ(tree.nodes[3].Name, "A");
    EXPECT_EQ(tree.nodes[3].Code, "b / c");
    EXPECT_EQ(tree.nodes[4].Code, "");
    EXPECT_EQ(tree.nodes[4].Name, "Plain name");
}

TEST(LessonTreeReading, CutsLongNamesAndCodesToTheirFields)
{
    const QByteArray name(250, 'n');
    const QByteArray code(80, 'c');
    auto tree = Parse("Root\n*" + name + " / " + code + "\n");
    EXPECT_EQ(tree.nodes[1].Name.size(), 200);
    EXPECT_EQ(tree.nodes[1].Code.size(), 50);
}

TEST(LessonTreeReading, EmptyLineStartsAnUnreachableTopLevelNode)
{
    auto tree = Parse("Root\n*A\n\n*Below the empty line\n");
    ASSERT_EQ(tree.last, 3);
    EXPECT_EQ(tree.nodes[2].Parent, -1);
    EXPECT_EQ(tree.nodes[2].Name, "");
    EXPECT_EQ(tree.nodes[3].Parent, 2);
    EXPECT_EQ(ChildrenOf(tree, 0), (std::vector<int>{1}));
}

TEST(LessonTreeReading, LineDeeperThanTwentyLevelsIsKeptButLinkedNowhere)
{
    const QByteArray tooDeep = QByteArray(21, '*') + "Too deep";
    auto tree = Parse("Root\n*A\n" + tooDeep + "\n*B\n**C\n");
    ASSERT_EQ(tree.last, 4);
    EXPECT_EQ(tree.nodes[2].Name, "Too deep");
    EXPECT_EQ(tree.nodes[2].Parent, -1);
    EXPECT_EQ(tree.nodes[2].PrevSibling, -1);
    EXPECT_EQ(ChildrenOf(tree, 0), (std::vector<int>{1, 3}));
    EXPECT_EQ(ChildrenOf(tree, 3), (std::vector<int>{4}));

    // Twenty stars is still a real level.
    QByteArray chain = "Root\n";
    for (int level = 1; level <= 20; ++level)
        chain += QByteArray(level, '*') + "L" + QByteArray::number(level) + "\n";
    auto deep = Parse(chain);
    EXPECT_EQ(deep.nodes[20].Parent, 19);
}

TEST(LessonTreeReading, ReadsAnyLineEndAndALastLineWithoutOne)
{
    auto tree = Parse("Root\r*A\n*B\r\n*C");
    ASSERT_EQ(tree.last, 3);
    EXPECT_EQ(tree.nodes[3].Name, "C");
    EXPECT_EQ(ChildrenOf(tree, 0), (std::vector<int>{1, 2, 3}));
}

TEST(LessonTreeReading, BinaryBytesAndHugeLinesDoNotBreakReading)
{
    QByteArray binary("Root\n*A\0B /\xff\xfe\n", 14);
    binary += "*" + QByteArray(1 << 20, 'x') + "\n";
    auto tree = Parse(binary);
    ASSERT_EQ(tree.last, 2);
    EXPECT_EQ(tree.nodes[1].Name, QByteArray("A\0B", 3));
    EXPECT_EQ(tree.nodes[1].Code, "\xfe");
    EXPECT_EQ(tree.nodes[2].Name.size(), 200);
}

TEST(LessonTreeReading, TreesLargerThanSixteenBitIndicesKeepTheirLinks)
{
    QByteArray text = "Root\n*Topic\n";
    for (int i = 0; i < 40000; ++i)
        text += "**Leaf / c" + QByteArray::number(i) + "\n";
    auto tree = Parse(text);
    ASSERT_EQ(tree.last, 40001);
    EXPECT_EQ(tree.nodes[40001].PrevSibling, 40000);
    EXPECT_EQ(tree.nodes[40001].Parent, 1);
}

TEST(LessonTreeReading, FirstLineWithStarsIsStillTheTopLevelRoot)
{
    auto tree = Parse("*Course\n*Intro / 10\n*Stress\n**Words / 11\n");
    ASSERT_EQ(tree.last, 3);
    EXPECT_EQ(tree.nodes[0].Name, "Course");
    EXPECT_EQ(tree.nodes[0].Parent, -1);
    EXPECT_EQ(ChildrenOf(tree, 0), (std::vector<int>{1, 2}));
    EXPECT_EQ(ChildrenOf(tree, 2), (std::vector<int>{3}));

    auto deep = Parse(QByteArray(25, '*') + "Course\n*Intro\n");
    EXPECT_EQ(deep.nodes[0].Parent, -1);
    EXPECT_EQ(ChildrenOf(deep, 0), (std::vector<int>{1}));
}
