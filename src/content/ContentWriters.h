#pragma once
// Writers for the two content files the readers beside them read: the
// lesson tree (Tree.txt) and the phrase list (SentList.txt). What a writer
// produces, its reader reads back to the same tree and the same list; what
// the format cannot carry (a name with a slash, a text over its field
// width, a line break inside a field) is refused, never cut or bent.
// Lines end with CR LF, as the files have always been written; the text is
// stored as the bytes given (UTF-8 from the studio).
#include "content/LessonTree.h"

#include <QByteArray>
#include <QString>

#include <vector>

// One line of the tree file: its level (0 for the root, the number of
// stars otherwise), the name and, for a category, the code.
struct TreeLine
{
    int Level = 0;
    QByteArray Name;
    QByteArray Code;
};

// The lines of a tree as the reader linked it: the root and every node it
// can reach, parents before children, siblings in order. Nodes the reader
// could not link are not part of the tree and are left out.
std::vector<TreeLine> TreeLinesOf(const std::vector<LessonNode>& nodes);

// Tree.txt for these lines. Empty result and a reason in problem when a
// line cannot be written so that the reader gets it back: the first line
// must be the only one at level 0, every other at 1..20 and at most one
// level below the line above it; a name must not be empty, hold a slash, a
// line break or a leading star, or outgrow 200 bytes; a code must not hold
// a line break or a leading or trailing blank, or outgrow 50 bytes.
QByteArray LessonTreeText(const std::vector<TreeLine>& lines, QString* problem = nullptr);

// One phrase of the list: the sound file's name ("21_03.wav") and the text.
struct PhraseLine
{
    QByteArray FileName;
    QByteArray Text;
};

// SentList.txt: a first line for people (heading, without a semicolon),
// then one phrase a line as "<file name>;<text>". Empty result and a reason
// when a line cannot be read back as written: a file name must end in
// ".wav", hold no semicolon or line break, not begin or end with a blank and
// keep its stem within 124 bytes; a text must not hold a line break, begin
// or end with a blank, or outgrow 200 bytes; the heading must hold no
// semicolon or line break.
QByteArray PhraseListText(const QByteArray& heading, const std::vector<PhraseLine>& lines,
                          QString* problem = nullptr);
