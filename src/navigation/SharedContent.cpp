#include "navigation/SharedContent.h"

#include "app/CommonVar.h"

void ReadLessonTree()
{
    LessonTree tree = ReadLessonTreeFile(SoundsFolder + "Tree.txt");
    TreeNodes = std::move(tree.Nodes);
    LastNodeIndex = tree.LastNodeIndex;
}

bool ReadPhraseList()
{
    PhraseCount = 0;
    std::optional<std::vector<PhraseEntry>> entries =
        ReadPhraseListFile(SoundsFolder + "SentList.txt", CategoryCode, SoundsFolder.toLocal8Bit());
    if (!entries) return false;
    PhraseList = std::move(*entries);
    PhraseCount = static_cast<int32_t>(PhraseList.size() - 1);
    return true;
}
