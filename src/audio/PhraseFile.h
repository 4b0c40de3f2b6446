#pragma once
// The phrase sound file: a RIFF "WAVE" file with "fmt ", "snt " (the phrase
// text), "stp " (stress steps), "data" (samples) and "ptc " (pitch track).
// ReadPhraseFile fills one speaker's PhraseData and companions from it;
// WritePhraseFile stores a fresh recording with its text.
#include "audio/APIMemory.h"
#include "audio/PhraseData.h"

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <memory>

inline constexpr int32_t PhraseFileOk = 0;
inline constexpr int32_t PhraseFileNotOpened = -5;
inline constexpr int32_t PhraseFileBadFormatSize = -6;
inline constexpr int32_t PhraseFileDamaged = -7;
inline constexpr int32_t PhraseFileNotWritten = -8;
inline constexpr int32_t ChunkNotFound = 265;

// Reads Phrase.WaveFile. Loaded is the speaker's held flag (1 while a sample
// block is held). Text receives the phrase text as stored, decoded from its
// (c + 128) mod 256 bytes, without the terminating zero.
int32_t ReadPhraseFile(int32_t& Loaded, PhraseData& Phrase, WaveFormat& Format,
                       WaveHeader& Samples, std::unique_ptr<APIMemory>& Memory,
                       PitchTrack& Pitch, int16_t TextOnly, int16_t SkipText,
                       QByteArray* Text = nullptr);

// Writes "fmt ", "snt " and "data" to Path (atomically: a temporary file
// beside it is renamed over it). Text is the phrase text, bytes as stored in
// the phrase list; trailing blanks are dropped. Returns 0 or -8.
int32_t WritePhraseFile(const QString& Path, const QString& SecondPath, const QByteArray& Text,
                        const WaveFormat& Format, const WaveHeader& Buffer);
