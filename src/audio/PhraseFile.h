#pragma once
// The phrase sound file: a RIFF "WAVE" file with "fmt ", "snt " (the phrase
// text), "stp " (stress steps), "data" (samples) and "ptc " (pitch track).
// ReadPhraseFile fills one speaker's PhraseData and companions from it;
// WritePhraseFile stores a fresh recording with its text.
//
// Chunk contents (all numbers little-endian):
//   "fmt "  exactly 16 bytes: the PCM format of WaveFormat, field by field.
//   "snt "  the phrase text, each byte c stored as (c + 128) mod 256, then a
//           zero byte; at most 201 bytes are read.
//   "stp "  32-bit values: the phrase's first and last sample, then per step
//           start, end, pitch window start and end, two reserved values,
//           height. At most 2101 values.
//   "data"  the samples (16-bit mono PCM as the tutor records them).
//   "ptc "  per point a 32-bit sample position and a 32-bit pitch value; at
//           most 9999 points.
// "fmt ", "snt ", "stp " and "data" are searched forward in that order, each
// from where the previous one ended; "ptc " is searched from the top again.
#include "audio/APIMemory.h"
#include "audio/PhraseData.h"

#include <QByteArray>
#include <QIODevice>
#include <QString>

#include <cstdint>
#include <memory>

inline constexpr int32_t PhraseFileOk = 0;
inline constexpr int32_t PhraseFileNotOpened = -5;
inline constexpr int32_t PhraseFileBadFormatSize = -6;
// A chunk cannot be read whole or left, or claims more than the file holds;
// "stp " or "ptc " is too large; "data" is missing.
inline constexpr int32_t PhraseFileDamaged = -7;
inline constexpr int32_t PhraseFileNotWritten = -8;
// The outer chunk cannot be entered, or "fmt ", "snt ", "stp " or "ptc " is
// missing. The value is the one callers have always seen for a missing chunk.
inline constexpr int32_t ChunkNotFound = 265;

// Reads Phrase.WaveFile (trailing blanks are field padding, not path).
//
// Loaded is the speaker's held flag: when set, the old sample block is freed
// first. Memory is replaced by a fresh object in every case; on success it
// owns the new sample block, which stays locked, Samples points at it with its
// length in bytes, Pitch holds the pitch track (empty for an empty "ptc "),
// and Loaded becomes 1.
//
// On any failure Loaded is 0, no sample block is held, Samples' pointer and
// length are cleared and Pitch is empty; Format and the step fields keep what
// was read before the failure. With TextOnly set the read stops after the text
// and returns 0 with no samples held. With SkipText set the text chunk is not
// looked for.
//
// Text, when given, receives the phrase text decoded from its stored bytes,
// without the terminating zero, at most 200 bytes; it is cleared first.
//
// Step values are kept as stored; Length and TotalLength are computed in
// 64 bits and saturate at the 32-bit limits, and MaxHeight saturates at 32767
// (a step may then be higher than MaxHeight).
int32_t ReadPhraseFile(int32_t& Loaded, PhraseData& Phrase, WaveFormat& Format,
                       WaveHeader& Samples, std::unique_ptr<APIMemory>& Memory,
                       PitchTrack& Pitch, int16_t TextOnly, int16_t SkipText,
                       QByteArray* Text = nullptr);

// The same read from an open, seekable device instead of Phrase.WaveFile
// (bytes in memory for the fuzzer and the tests).
int32_t ReadPhraseFromDevice(QIODevice& Device, int32_t& Loaded, PhraseData& Phrase,
                             WaveFormat& Format, WaveHeader& Samples,
                             std::unique_ptr<APIMemory>& Memory, PitchTrack& Pitch,
                             int16_t TextOnly, int16_t SkipText, QByteArray* Text = nullptr);

// Writes "fmt ", "snt " and "data" to Path. The file is built beside Path and
// renamed over it when complete, so a failure leaves any earlier file intact.
// Text is the phrase text, bytes as stored in the phrase list; trailing blanks
// are dropped and at most 200 bytes are kept, so the text chunk never exceeds
// what readers take. The samples are Buffer.BytesRecorded bytes when above 0
// (at most Buffer.BufferLength), otherwise Buffer.BufferLength bytes.
// SecondPath is not used. Returns 0, or -8 when the file cannot be created or
// written.
int32_t WritePhraseFile(const QString& Path, const QString& SecondPath, const QByteArray& Text,
                        const WaveFormat& Format, const WaveHeader& Buffer);

// The text chunk's bytes for a text: (c + 128) mod 256 per byte, then a zero.
QByteArray EncodePhraseText(const QByteArray& text);

// The 16 bytes of the "fmt " chunk for a format, field by field.
QByteArray FormatChunkBytes(const WaveFormat& format);
