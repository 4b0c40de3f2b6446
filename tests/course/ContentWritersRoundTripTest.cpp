// The writers of Tree.txt and SentList.txt: what they write, the readers
// read back to the same tree and the same list; what the format cannot
// carry is refused.
#include "content/ContentText.h"
#include "content/ContentWriters.h"
#include "content/LessonTree.h"
#include "content/PhraseList.h"

#include <gtest/gtest.h>

namespace {

QByteArray DemoFile(const char* name)
{
    QByteArray bytes;
    ReadWholeFile(QString(TONVALE_SOURCE_DIR "/content/demo/") + name, bytes);
    return bytes;
}

std::vector<LessonNode> Parsed(const QByteArray& text)
{
    std::vector<LessonNode> nodes;
    int32_t last = -1;
    ParseLessonTree(text, nodes, last);
    return nodes;
}

void ExpectSameTree(const std::vector<LessonNode>& a, const std::vector<LessonNode>& b)
{
    ASSERT_EQ(a.size(), b.size());
    for (size_t i = 0; i < a.size(); ++i) {
        EXPECT_EQ(a[i].Parent, b[i].Parent) << i;
        EXPECT_EQ(a[i].FirstChild, b[i].FirstChild) << i;
        EXPECT_EQ(a[i].PrevSibling, b[i].PrevSibling) << i;
        EXPECT_EQ(a[i].NextSibling, b[i].NextSibling) << i;
        EXPECT_EQ(a[i].Name, b[i].Name) << i;
        EXPECT_EQ(a[i].Code, b[i].Code) << i;
    }
}

} // namespace

TEST(ContentWritersRoundTrip, DemoTreeReadsBackNodeForNodeAndByteForByte)
{
    const QByteArray original = DemoFile("Tree.txt");
    const std::vector<LessonNode> nodes = Parsed(original);
    ASSERT_GT(nodes.size(), 5u);
    QString problem;
    const QByteArray written = LessonTreeText(TreeLinesOf(nodes), &problem);
    ASSERT_FALSE(written.isEmpty()) << problem.toStdString();
    ExpectSameTree(Parsed(written), nodes);
    EXPECT_EQ(written, original);
}

TEST(ContentWritersRoundTrip, DeepNarrowAndWideTreesKeepTheirLinks)
{
    // Twenty levels down one branch, back up to level 1, then siblings with
    // names at their full width and UTF-8 text.
    std::vector<TreeLine> lines{{0, "Course", {}}};
    for (int level = 1; level <= MaxTreeLevel; ++level)
        lines.push_back({level, "Level " + QByteArray::number(level),
                         level == MaxTreeLevel ? "10" : QByteArray()});
    lines.push_back({1, QByteArray(NodeNameWidth, 'n'), QByteArray(NodeCodeWidth, '7')});
    lines.push_back({1,
                     "Br\xc3\xbc"
                     "cke \xe2\x80\x93 Stress",
                     "12"});
    QString problem;
    const QByteArray text = LessonTreeText(lines, &problem);
    ASSERT_FALSE(text.isEmpty()) << problem.toStdString();
    const std::vector<LessonNode> nodes = Parsed(text);
    const std::vector<TreeLine> back = TreeLinesOf(nodes);
    ASSERT_EQ(back.size(), lines.size());
    for (size_t i = 0; i < lines.size(); ++i) {
        EXPECT_EQ(back[i].Level, lines[i].Level) << i;
        EXPECT_EQ(back[i].Name, lines[i].Name) << i;
        EXPECT_EQ(back[i].Code, lines[i].Code) << i;
    }
}

TEST(ContentWritersRoundTrip, TreeValuesTheFormatCannotCarryAreRefused)
{
    const auto refused = [](std::vector<TreeLine> lines) {
        QString problem;
        const bool empty = LessonTreeText(lines, &problem).isEmpty();
        return empty && !problem.isEmpty();
    };
    EXPECT_TRUE(refused({{0, "Root", {}}, {1, "Either/or", "10"}}));
    EXPECT_TRUE(refused({{0, "Root", {}}, {1, "*Starred", "10"}}));
    EXPECT_TRUE(refused({{0, "Root", {}}, {1, "Two\nlines", "10"}}));
    EXPECT_TRUE(refused({{0, "Root", {}}, {2, "Too deep a step", "10"}}));
    EXPECT_TRUE(refused({{0, "Root", {}}, {1, QByteArray(NodeNameWidth + 1, 'n'), "10"}}));
    EXPECT_TRUE(refused({{0, "Root", {}}, {1, "Name", QByteArray(NodeCodeWidth + 1, '1')}}));
    EXPECT_TRUE(refused({{0, "Root", {}}, {1, "Name", " 10"}}));
    EXPECT_TRUE(refused({{0, "Root", {}}, {0, "Second root", {}}}));
    EXPECT_TRUE(refused({{0, "Root", {}}, {MaxTreeLevel + 1, "Name", {}}}));
}

TEST(ContentWritersRoundTrip, DemoPhraseListSelectsTheSameEntriesForEveryCategory)
{
    const QByteArray original = DemoFile("SentList.txt");
    std::vector<PhraseLine> lines;
    const std::vector<QByteArrayView> rows = SplitContentLines(original);
    for (QByteArrayView row : rows) {
        if (!PhraseLineMatches(row, {})) continue;
        const qsizetype semi = row.indexOf(';');
        lines.push_back({TrimBlanks(row.first(semi)).toByteArray(),
                         TrimBlanks(row.sliced(semi + 1)).toByteArray()});
    }
    ASSERT_GT(lines.size(), 10u);
    QString problem;
    const QByteArray written = PhraseListText(rows.front().toByteArray(), lines, &problem);
    ASSERT_FALSE(written.isEmpty()) << problem.toStdString();
    EXPECT_EQ(written, original);
    for (const QByteArray code : {"10", "11", "13", "17", ""}) {
        std::vector<PhraseEntry> before;
        std::vector<PhraseEntry> after;
        SelectPhrases(original, code, "/c/Sounds/", before);
        SelectPhrases(written, code, "/c/Sounds/", after);
        ASSERT_EQ(before.size(), after.size()) << code.constData();
        for (size_t i = 0; i < before.size(); ++i) {
            EXPECT_EQ(before[i].FileStem, after[i].FileStem);
            EXPECT_EQ(before[i].PhraseText, after[i].PhraseText);
        }
    }
}

TEST(ContentWritersRoundTrip, PhraseTextsWithSemicolonsAndFullWidthsReadBackWhole)
{
    const QByteArray stem(FileStemWidth - 4, '2');
    const std::vector<PhraseLine> lines{{"21_01.wav", "Well; he said \"no\""},
                                        {stem + ".wav", QByteArray(PhraseTextWidth, 't')},
                                        {"21_02.wav", ""}};
    const QByteArray text = PhraseListText("Phrases", lines);
    std::vector<PhraseEntry> entries;
    SelectPhrases(text, "2", "", entries);
    ASSERT_EQ(entries.size(), 4u);
    EXPECT_EQ(entries[1].PhraseText, "Well; he said \"no\"");
    EXPECT_EQ(entries[1].FileStem, "21_01");
    EXPECT_EQ(entries[2].PhraseText, "");
    EXPECT_EQ(entries[3].FileStem, stem);
    EXPECT_EQ(entries[3].PhraseText, QByteArray(PhraseTextWidth, 't'));
}

TEST(ContentWritersRoundTrip, PhraseValuesTheFormatCannotCarryAreRefused)
{
    const auto refused = [](const QByteArray& heading, const PhraseLine& line) {
        QString problem;
        return PhraseListText(heading, {line}, &problem).isEmpty() && !problem.isEmpty();
    };
    EXPECT_TRUE(refused("Phrases", {"21_01.mp3", "text"}));
    EXPECT_TRUE(refused("Phrases", {"21;01.wav", "text"}));
    EXPECT_TRUE(refused("Phrases", {QByteArray(FileStemWidth - 3, '2') + ".wav", "text"}));
    EXPECT_TRUE(refused("Phrases", {"21_01.wav", "two\r\nlines"}));
    EXPECT_TRUE(refused("Phrases", {"21_01.wav", QByteArray(PhraseTextWidth + 1, 't')}));
    EXPECT_TRUE(refused("Phrases", {"21_01.wav", " padded"}));
    EXPECT_TRUE(refused("Phrases; of 21", {"21_01.wav", "text"}));
}
