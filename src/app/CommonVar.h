#pragma once
// The process-wide shared state of the tutor: folder paths fixed at start-up,
// the lesson tree and phrase list, the two speakers' phrases with their
// companions, and the little state the screens hand to one another.
// Everything here lives on the user-interface thread.
#include "audio/APIMemory.h"
#include "audio/LoadedPhrase.h"
#include "audio/PhraseData.h"
#include "audio/StudentRecording.h"
#include "content/LessonTree.h"
#include "content/PhraseList.h"

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
inline std::vector<PhraseEntry> PhraseList{PlaceholderPhrase()};
inline int32_t PhraseCount = 0;
inline int32_t CurrentPhrase = 0;

// The two speakers, each one loaded phrase; the names below are its parts.
inline LoadedPhrase NativeSpeaker;
inline LoadedPhrase StudentSpeaker;
inline PhraseData& NativeData = NativeSpeaker.Phrase;
inline PhraseData& StudentData = StudentSpeaker.Phrase;
inline WaveFormat& NativeFormat = NativeSpeaker.Format;
inline WaveFormat& StudentFormat = StudentSpeaker.Format;
inline WaveHeader& NativeWave = NativeSpeaker.Samples;
inline WaveHeader& StudentWave = StudentSpeaker.Samples;
inline std::unique_ptr<APIMemory>& NativeMemory = NativeSpeaker.Memory;
inline std::unique_ptr<APIMemory>& StudentMemory = StudentSpeaker.Memory;
inline int32_t& NativeLoadedBlock = NativeSpeaker.Loaded;
inline int32_t& StudentLoadedBlock = StudentSpeaker.Loaded;
inline PitchTrack& NativePitchTrack = NativeSpeaker.Pitch;
inline PitchTrack& StudentPitchTrack = StudentSpeaker.Pitch;

// Exercise screen state handed between openings.
inline bool NativeLoaded = false;
inline int16_t StudentAnalysed = 0; // 0 or -1
inline int16_t SavedWindowState = 0; // 0 normal, 1 minimised, 2 maximised
inline int32_t FormLeft = -1;        // -1: no screen has stored a position yet
inline double FormTop = -1.0;

// Level table of the stress bars, entries 1..LevelBoundCount (percent of MaxHeight).
inline std::array<int16_t, 11> LevelBounds{};
inline int16_t LevelBoundCount = 0;

// The tutor's recording block (held while RecordHandle is non-zero); the
// names below are its parts.
inline RecordingBlock TutorRecording;
inline std::unique_ptr<APIMemory>& RecordMemory = TutorRecording.Memory;
inline uintptr_t& RecordHandle = TutorRecording.Handle;
inline WaveFormat& RecordFormat = TutorRecording.Format; // 22050 Hz, 16-bit, mono
inline WaveHeader& RecordBuffer = TutorRecording.Buffer; // into RecordMemory's block while held
inline QString& RecordMode = TutorRecording.Mode;        // "RecordWave" once started

// The recording procedures (audio/StudentRecording.h) on the tutor's block.
int32_t StartRecording(int32_t& Duration, WaveInput& Input);
void StopRecording(WaveInput& Input);
int32_t StoreRecording(const QString& WaveFile, const QString& TextFile,
                       const QByteArray& PhraseText);
void ReleaseRecording(WaveInput& Input);

// Puts every shared variable back to its start-up value (tests).
void ResetCommonVar();
