#pragma once
// The process-wide shared state of the tutor: folder paths fixed at start-up,
// the lesson tree and phrase list, the two speakers' phrases with their
// companions, and the little state the screens hand to one another.
// Everything here lives on the user-interface thread.
#include "audio/APIMemory.h"
#include "audio/PhraseData.h"
#include "navigation/LessonTree.h"
#include "navigation/PhraseList.h"

#include <QString>

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

// Folders. Paths use "/" on every platform; the folder values end with "/".
inline QString InstallRoot;
inline QString ContentRoot;
inline QString SoundsFolder;
inline QString DataFolder;
inline QString BinFolder;
inline QString HelpFile;
inline QString AnalyserPath;
inline bool UseMciControl = false;
inline uintptr_t HelpOwner = 0; // never assigned, as the help requests expect

// Lesson tree.
inline std::vector<LessonNode> TreeNodes;
inline int32_t LastNodeIndex = -1; // wider than the 16 bits of old: large trees must not wrap
inline int32_t CurrentNode = 0;
inline int32_t PreviousNode = -1;
inline QByteArray CategoryCode;

// Phrase list; entry 0 is the placeholder "Default Phrase".
inline std::vector<PhraseEntry> PhraseList{PhraseEntry{"Default Phrase", {}}};
inline int32_t PhraseCount = 0;
inline int32_t CurrentPhrase = 0;

// The two speakers.
inline PhraseData NativeData;
inline PhraseData StudentData;
inline WaveFormat NativeFormat;
inline WaveFormat StudentFormat;
inline WaveHeader NativeWave;
inline WaveHeader StudentWave;
inline std::unique_ptr<APIMemory> NativeMemory = std::make_unique<APIMemory>();
inline std::unique_ptr<APIMemory> StudentMemory = std::make_unique<APIMemory>();
inline int32_t NativeLoadedBlock = 0;
inline int32_t StudentLoadedBlock = 0;
inline PitchTrack NativePitchTrack;
inline PitchTrack StudentPitchTrack;

// Exercise screen state handed between openings.
inline bool NativeLoaded = false;
inline int16_t StudentAnalysed = 0; // 0 or -1
inline int16_t SavedWindowState = 0; // 0 normal, 1 minimised, 2 maximised
inline int32_t FormLeft = -1;        // -1: no screen has stored a position yet
inline double FormTop = -1.0;

// Level table of the stress bars, entries 1..LevelBoundCount (percent of MaxHeight).
inline std::array<int16_t, 11> LevelBounds{};
inline int16_t LevelBoundCount = 0;

// Recording block (held while RecordHandle is non-zero).
inline std::unique_ptr<APIMemory> RecordMemory = std::make_unique<APIMemory>();
inline uintptr_t RecordHandle = 0;
inline WaveFormat RecordFormat;  // 22050 Hz, 16-bit, mono
inline WaveHeader RecordBuffer;  // points into RecordMemory's block while it is held
inline QString RecordMode;       // "RecordWave" once a recording has been started

// Puts every shared variable back to its start-up value (tests).
void ResetCommonVar();
