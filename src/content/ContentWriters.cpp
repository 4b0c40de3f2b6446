#include "content/ContentWriters.h"

#include "content/PhraseList.h"

namespace {

const QByteArray LineEnd = "\r\n";

bool HasLineBreak(const QByteArray& text)
{
    return text.contains('\n') || text.contains('\r');
}

bool HasOuterBlank(const QByteArray& text)
{
    return text.startsWith(' ') || text.endsWith(' ');
}

bool Refuse(QString* problem, const QString& why)
{
    if (problem != nullptr) *problem = why;
    return false;
}

bool CheckTreeLine(const TreeLine& line, int lineNumber, int previousLevel, QString* problem)
{
    const QString where = QString("Tree.txt line %1: ").arg(lineNumber);
    if (lineNumber == 1 && line.Level != 0)
        return Refuse(problem, where + "the first line is the root, at level 0");
    if (lineNumber > 1 && (line.Level < 1 || line.Level > MaxTreeLevel))
        return Refuse(problem, where + QString("levels run from 1 to %1").arg(MaxTreeLevel));
    if (lineNumber > 1 && line.Level > previousLevel + 1)
        return Refuse(problem, where + "a line goes at most one level below the line above it");
    if (line.Name.isEmpty() || HasOuterBlank(line.Name))
        return Refuse(problem, where + "a name is not empty and has no outer blanks");
    if (line.Name.contains('/') || line.Name.startsWith('*') || HasLineBreak(line.Name))
        return Refuse(problem, where + "a name holds no slash, line break or leading star");
    if (line.Name.size() > NodeNameWidth)
        return Refuse(problem, where + QString("a name keeps %1 bytes").arg(NodeNameWidth));
    if (HasLineBreak(line.Code) || HasOuterBlank(line.Code))
        return Refuse(problem, where + "a code holds no line break and no outer blanks");
    if (line.Code.size() > NodeCodeWidth)
        return Refuse(problem, where + QString("a code keeps %1 bytes").arg(NodeCodeWidth));
    return true;
}

bool CheckPhraseLine(const PhraseLine& line, int lineNumber, QString* problem)
{
    const QString where = QString("SentList.txt line %1: ").arg(lineNumber);
    const QByteArray& name = line.FileName;
    if (!name.toLower().endsWith(".wav") || name.size() <= 4)
        return Refuse(problem, where + "a sound file name ends in \".wav\"");
    if (name.contains(';') || HasLineBreak(name) || HasOuterBlank(name))
        return Refuse(problem, where + "a sound file name holds no semicolon, line break or "
                                       "outer blank");
    if (name.size() - 4 > FileStemWidth - 4)
        return Refuse(problem,
                      where + QString("a sound file name keeps %1 bytes before its extension")
                                  .arg(FileStemWidth - 4));
    if (HasLineBreak(line.Text) || HasOuterBlank(line.Text))
        return Refuse(problem, where + "a text holds no line break and no outer blanks");
    if (line.Text.size() > PhraseTextWidth)
        return Refuse(problem, where + QString("a text keeps %1 bytes").arg(PhraseTextWidth));
    return true;
}

void AppendTreeLines(const std::vector<LessonNode>& nodes, int32_t index, int level,
                     std::vector<TreeLine>& lines, std::vector<bool>& seen)
{
    // Links that loop back or leave the table are no part of the tree.
    if (index < 0 || index >= static_cast<int32_t>(nodes.size()) || seen[index] ||
        level > MaxTreeLevel)
        return;
    seen[index] = true;
    lines.push_back({level, nodes[index].Name, nodes[index].Code});
    for (int32_t child = nodes[index].FirstChild; child >= 0;
         child = child < static_cast<int32_t>(nodes.size()) ? nodes[child].NextSibling : -1) {
        if (child >= static_cast<int32_t>(nodes.size()) || seen[child]) break;
        AppendTreeLines(nodes, child, level + 1, lines, seen);
    }
}

} // namespace

std::vector<TreeLine> TreeLinesOf(const std::vector<LessonNode>& nodes)
{
    std::vector<TreeLine> lines;
    if (nodes.empty()) return lines;
    std::vector<bool> seen(nodes.size(), false);
    AppendTreeLines(nodes, 0, 0, lines, seen);
    return lines;
}

QByteArray LessonTreeText(const std::vector<TreeLine>& lines, QString* problem)
{
    QByteArray text;
    int previousLevel = 0;
    for (size_t i = 0; i < lines.size(); ++i) {
        const TreeLine& line = lines[i];
        if (!CheckTreeLine(line, static_cast<int>(i) + 1, previousLevel, problem)) return {};
        text += QByteArray(line.Level, '*') + line.Name;
        // The reader skips one character after the slash: the blank.
        if (!line.Code.isEmpty()) text += " / " + line.Code;
        text += LineEnd;
        previousLevel = line.Level;
    }
    return text;
}

QByteArray PhraseListText(const QByteArray& heading, const std::vector<PhraseLine>& lines,
                          QString* problem)
{
    if (heading.contains(';') || HasLineBreak(heading)) {
        Refuse(problem, "the heading holds no semicolon or line break");
        return {};
    }
    QByteArray text = heading + LineEnd;
    for (size_t i = 0; i < lines.size(); ++i) {
        // The heading is the file's first line.
        if (!CheckPhraseLine(lines[i], static_cast<int>(i) + 2, problem)) return {};
        text += lines[i].FileName + ';' + lines[i].Text + LineEnd;
    }
    return text;
}
