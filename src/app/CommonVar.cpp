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

    PhraseList.assign(1, PlaceholderPhrase());
    PhraseCount = 0;
    CurrentPhrase = 0;

    NativeSpeaker.Clear();
    StudentSpeaker.Clear();

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

int32_t StartRecording(int32_t& Duration, WaveInput& Input)
{
    return StartRecording(TutorRecording, Duration, Input);
}

void StopRecording(WaveInput& Input)
{
    StopRecording(TutorRecording, Input);
}

int32_t StoreRecording(const QString& WaveFile, const QString& TextFile,
                       const QByteArray& PhraseText)
{
    return StoreRecording(TutorRecording, WaveFile, TextFile, PhraseText);
}

void ReleaseRecording(WaveInput& Input)
{
    ReleaseRecording(TutorRecording, Input);
}
