#pragma once
// The lesson tree and the phrase list as the screens share them: read from
// the content folder's Sounds folder into the process-wide variables
// (TreeNodes, LastNodeIndex; PhraseList, PhraseCount).
#include "content/LessonTree.h"
#include "content/PhraseList.h"

// Fills TreeNodes and LastNodeIndex from SoundsFolder + "Tree.txt".
void ReadLessonTree();

// Reads the phrases of CategoryCode from SoundsFolder + "SentList.txt" into
// PhraseList and PhraseCount. Returns false when the file cannot be opened
// (the list is then left as it was).
bool ReadPhraseList();
