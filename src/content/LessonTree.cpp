#include "content/LessonTree.h"

#include "content/ContentText.h"

#include <array>

namespace {

// A field keeps at most `width` bytes of the trimmed text; consumers see it
// without trailing blanks. A name is cut between characters; a code, which
// selects phrase lines by its bytes, exactly at its width.
QByteArray StoreTrimmed(QByteArrayView text, qsizetype width, bool isName)
{
    const QByteArrayView trimmed = TrimBlanks(text);
    const QByteArrayView kept =
        isName ? CutTextField(trimmed, width) : trimmed.first(std::min(trimmed.size(), width));
    return TrimTrailingBlanks(kept).toByteArray();
}

// Name and code of one line, after its stars. With a slash the name is what
// lies before it; the code skips the one character after the slash (normally
// the blank of "name / code").
void SplitNameAndCode(QByteArrayView line, qsizetype stars, LessonNode& node)
{
    const qsizetype slash = line.indexOf('/');
    QByteArrayView name;
    QByteArrayView code;
    if (slash < 0) {
        name = line.sliced(stars);
    } else {
        name = line.sliced(stars, slash - stars);
        code = line.sliced(std::min(slash + 2, line.size()));
    }
    node.Name = StoreTrimmed(name, NodeNameWidth, true);
    node.Code = StoreTrimmed(code, NodeCodeWidth, false);
}

} // namespace

void ParseLessonTree(const QByteArray& fileBytes, std::vector<LessonNode>& nodes,
                     int32_t& lastNodeIndex)
{
    // The value 0 in lastAtLevel stands both for "no node at this level" and
    // for the root, which is why the root must be the only line without stars.
    std::array<int32_t, MaxTreeLevel + 1> lastAtLevel{};
    int previousLevel = 0;
    nodes.clear();
    lastNodeIndex = -1;

    const std::vector<QByteArrayView> lines = SplitContentLines(fileBytes);
    nodes.reserve(lines.size());
    for (const QByteArrayView line : lines) {
        const int32_t n = static_cast<int32_t>(nodes.size());
        qsizetype stars = 0;
        while (stars < line.size() && line[stars] == '*')
            ++stars;

        LessonNode& node = nodes.emplace_back();
        SplitNameAndCode(line, stars, node);
        lastNodeIndex = n;

        // A line deeper than the deepest supported level is kept as a node,
        // so that indices still follow the lines, but it is linked nowhere
        // and leaves the levels of the lines around it untouched.
        // The first line is the root, whatever it starts with: a root with
        // stars would become its own parent, and the top level, where Exit
        // ends the tutor, could never be reached.
        const qsizetype depth = n == 0 ? 0 : stars;
        if (depth > MaxTreeLevel) continue;
        const int level = static_cast<int>(depth);

        for (int k = level + 1; k <= previousLevel; ++k)
            lastAtLevel[k] = 0; // a return to a higher level forgets the deeper ones

        if (lastAtLevel[level] == 0) {
            if (level > 0) nodes[lastAtLevel[level - 1]].FirstChild = n;
            node.PrevSibling = -1;
        } else {
            const int32_t sibling = lastAtLevel[level];
            nodes[sibling].NextSibling = n;
            node.PrevSibling = sibling;
        }
        node.Parent = level > 0 ? lastAtLevel[level - 1] : -1;
        node.FirstChild = -1;
        node.NextSibling = -1;
        lastAtLevel[level] = n;
        previousLevel = level;
    }
}

LessonTree ReadLessonTreeFile(const QString& path)
{
    LessonTree tree;
    QByteArray bytes;
    if (ReadWholeFile(path, bytes)) ParseLessonTree(bytes, tree.Nodes, tree.LastNodeIndex);
    return tree;
}
