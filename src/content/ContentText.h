#pragma once
// The content files (Tree.txt, SentList.txt) are 8-bit text, one byte per
// character. These helpers split them into lines whatever the line ends
// (CR LF, LF or CR), trim blanks as the records expect, and turn stored bytes
// into something to show.
#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <vector>

// The lines of a file, without their line ends. A last line without a line
// end still counts; an empty file has no lines.
std::vector<QByteArrayView> SplitContentLines(const QByteArray& bytes);

// An ASCII capital as its small letter, every other byte as it is: codes
// and stems compare without regard to case, and only ASCII has case here.
inline char FoldCase(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// Removes blanks (the space character only) from both ends / the right end.
QByteArrayView TrimBlanks(QByteArrayView text);
QByteArrayView TrimTrailingBlanks(QByteArrayView text);

// Bytes as stored, shown: UTF-8 where they are valid UTF-8, else Windows-1252.
QString DecodeContentText(const QByteArray& bytes);

// At most width bytes of a text field, as the tutor keeps it. In a field of
// UTF-8 the cut moves back to the start of the character it would split:
// the kept part then still reads as UTF-8, instead of the whole name being
// shown as Windows-1252 for want of its last byte or two.
QByteArrayView CutTextField(QByteArrayView text, qsizetype width);

// Reads a whole file; false when it cannot be opened or read.
bool ReadWholeFile(const QString& path, QByteArray& bytes);
