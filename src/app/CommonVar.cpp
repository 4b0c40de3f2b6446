#include "app/CommonVar.h"

void ResetCommonVar()
{
    InstallRoot.clear();
    ContentRoot.clear();
    SoundsFolder.clear();
    DataFolder.clear();
    BinFolder.clear();
    HelpFile.clear();
    AnalyserPath.clear();
    UseMciControl = false;

    TreeNodes.clear();
    LastNodeIndex = -1;
    CurrentNode = 0;
    PreviousNode = -1;
    CategoryCode.clear();

    PhraseList.assign(1, PhraseEntry{"Default Phrase", {}});
    PhraseCount = 0;
    CurrentPhrase = 0;

    if (NativeLoadedBlock != 0)
        NativeMemory->GFree();
    if (StudentLoadedBlock != 0)
        StudentMemory->GFree();
    NativeData = PhraseData{};
    StudentData = PhraseData{};
    NativeFormat = WaveFormat{};
    StudentFormat = WaveFormat{};
    NativeWave = WaveHeader{};
    StudentWave = WaveHeader{};
    NativeMemory = std::make_unique<APIMemory>();
    StudentMemory = std::make_unique<APIMemory>();
    NativeLoadedBlock = 0;
    StudentLoadedBlock = 0;
    NativePitchTrack.clear();
    StudentPitchTrack.clear();

    NativeLoaded = false;
    StudentAnalysed = 0;
    SavedWindowState = 0;
    FormLeft = -1;
    FormTop = -1.0;
    LevelBounds.fill(0);
    LevelBoundCount = 0;

    if (RecordHandle != 0)
        RecordMemory->GFree();
    RecordMemory = std::make_unique<APIMemory>();
    RecordHandle = 0;
    RecordFormat = WaveFormat{};
    RecordBuffer = WaveHeader{};
    RecordMode.clear();
}
