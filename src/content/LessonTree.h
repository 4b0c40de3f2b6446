#pragma once
// The lesson tree: topics as inner nodes, phrase categories as leaves, read
// from a content pack's Sounds/Tree.txt. One node per line; the level is the
// number of leading stars.
#include <QByteArray>
#include <QString>

#include <cstdint>
#include <vector>

inline constexpr int MaxTreeLevel = 20;
inline constexpr int NodeCodeWidth = 50;
inline constexpr int NodeNameWidth = 200;

struct LessonNode
{
    int32_t Parent = -1;      // -1 for a top-level node
    int32_t FirstChild = -1;  // -1 for a leaf
    int32_t PrevSibling = -1; // -1 for the first child
    int32_t NextSibling = -1; // -1 for the last child
    QByteArray Code;          // bytes as stored, cut to 50, trailing blanks removed
    QByteArray Name;          // bytes as stored, cut to 200, trailing blanks removed
};

// One node per line of the file, in file order; node 0 is the root.
struct LessonTree
{
    std::vector<LessonNode> Nodes;
    int32_t LastNodeIndex = -1; // -1: no node (an empty file, or one that cannot be read)
};

// The tree of the lesson tree file at path (normally <content>/Sounds/Tree.txt).
LessonTree ReadLessonTreeFile(const QString& path);

// The same reading from bytes already in memory.
void ParseLessonTree(const QByteArray& fileBytes, std::vector<LessonNode>& nodes,
                     int32_t& lastNodeIndex);
