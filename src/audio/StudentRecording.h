#pragma once
// Recording the student, apart from the screen: the planned length of a
// recording, the recording block and its header in CommonVar (RecordMemory,
// RecordHandle, RecordBuffer, RecordFormat, RecordMode), the level
// normalisation and the storing of the student's phrase sound file.
//
// The screen drives it so:
//   RecordStudentWave_Click (start): d = PlannedRecordingLength(text),
//       AnalysisLimit = RecordingAnalysisLimit(d); "close wavefile";
//       rc = StartRecording(d, input); RecordTimer interval d (capped now),
//       or 1 ms when rc != 0 so the failure shows at once.
//   RecordStudentWave_Click (early stop) and RecordTimer_Timer:
//       StopRecording(input) first, then BuildStudentFileNames, then
//       rc = StoreRecording(...): 0 starts the analysis, anything else is
//       the failure state.
//   Screen unload: ReleaseRecording(input) before anything else is freed.
#include "audio/PhraseData.h"
#include "audio/WaveInput.h"

#include <QByteArray>
#include <QString>

#include <cstdint>

inline constexpr int32_t RecordMaxMilliseconds = 6000;
inline constexpr uint32_t RecordBufferBytes = 264600; // 6 s of 22050 Hz 16-bit mono
inline constexpr int32_t RecordBlockBytes = 396900;   // the block is 1.5 times the buffer
inline constexpr float MinimumAnalysisLimit = 30.0f;  // seconds
inline const QString RecordWaveMode = QStringLiteral("RecordWave");

// Results of starting and storing a recording (0 = success).
inline constexpr int32_t RecordingNotOpened = 1; // the input device refused to open
inline constexpr int32_t RecordingNoInput = 2;   // there is no input device
inline constexpr int32_t RecordingNoMemory = 7;  // the recording block was not allocated
inline constexpr int32_t RecordingEmpty = -9;    // the input delivered no bytes

// The recording format: PCM, 1 channel, 22050 samples per second, 16 bits.
WaveFormat MakeRecordFormat();

// Milliseconds planned for a phrase: 2000 + 100 per character of the text
// without its leading and trailing blanks (not yet capped).
int32_t PlannedRecordingLength(const QByteArray& PhraseText);

// Seconds allowed for recording plus analysis: ten times the planned
// seconds, at least 30.
float RecordingAnalysisLimit(int32_t PlannedMilliseconds);

// Frees the previous recording block (stopping the input first if it still
// runs), caps Duration at 6000 ms, allocates a fresh zero-filled block,
// points RecordBuffer at it, sets RecordMode and starts Input. Returns 0 or
// the input's failure code; the block is held in either case.
int32_t StartRecording(int32_t& Duration, WaveInput& Input);

// Stops the input; RecordBuffer.BytesRecorded then holds what was recorded.
void StopRecording(WaveInput& Input);

// Stores the stopped recording as the student's phrase sound file WaveFile
// (a trimmed path): NormalizeRecording, then WritePhraseFile with the phrase
// text and the bytes recorded. A recording of no bytes is RecordingEmpty and
// writes nothing: the file would otherwise hold six silent seconds. Returns 0,
// RecordingEmpty or the writer's code.
int32_t StoreRecording(const QString& WaveFile, const QString& TextFile,
                       const QByteArray& PhraseText);

// Stops the input and frees the recording block: the screen's unload.
void ReleaseRecording(WaveInput& Input);

// Scales the 16-bit samples of Buffer (its whole BufferLength) in place so
// that the loudest has magnitude 26214, eight tenths of full scale. Silence
// stays as it is.
void NormalizeRecording(WaveHeader& Buffer);
