#pragma once
// Recording the student, apart from the screen: the planned length of a
// recording, the recording block with its companions, the level
// normalisation and the storing of the student's phrase sound file. The
// tutor records into its process-wide block (RecordMemory, RecordHandle,
// RecordBuffer, RecordFormat, RecordMode); another program may record into
// a block of its own.
//
// The analysis cycle drives it so:
//   start: d = PlannedRecordingLength(text), AnalysisLimit =
//       RecordingAnalysisLimit(d); "close wavefile";
//       rc = StartRecording(block, d, input); RecordTimer interval d (capped
//       now), or 1 ms when rc != 0 so the failure shows at once.
//   early stop and RecordTimer_Timer: StopRecording(block, input) first,
//       then rc = StoreRecording(block, ...): 0 starts the analysis,
//       anything else is the failure state.
//   screen unload: ReleaseRecording(block, input) before anything else is
//       freed.
#include "audio/APIMemory.h"
#include "audio/PhraseData.h"
#include "audio/WaveInput.h"

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <memory>

inline constexpr int32_t RecordMaxMilliseconds = 6000;
inline constexpr uint32_t RecordBufferBytes = 264600; // 6 s of 22050 Hz 16-bit mono
inline constexpr int32_t RecordBlockBytes = 396900;   // the block is 1.5 times the buffer
inline constexpr float MinimumAnalysisLimit = 30.0f;  // seconds
inline const QString RecordWaveMode = QStringLiteral("RecordWave");

// Results of starting and storing a recording (0 = success).
inline constexpr int32_t RecordingNotOpened = 1; // the input device refused to open
inline constexpr int32_t RecordingNoInput = 2;   // there is no input device
inline constexpr int32_t RecordingInterrupted = 3; // the sound system stopped during the take
inline constexpr int32_t RecordingInputLost = 4;   // the device went away during the take
inline constexpr int32_t RecordingServerRestarted = 5; // the sound system was restarted since
                                                       // the program started
inline constexpr int32_t RecordingNoMemory = 7;  // the recording block was not allocated
inline constexpr int32_t RecordingEmpty = -9;    // the input delivered no bytes

// One recording's block and its companions.
struct RecordingBlock
{
    std::unique_ptr<APIMemory> Memory = std::make_unique<APIMemory>(); // owns the samples
    uintptr_t Handle = 0; // non-zero while Memory holds a block
    WaveFormat Format;    // the recording format once a recording has started
    WaveHeader Buffer;    // points into Memory's block while it is held
    QString Mode;         // "RecordWave" once a recording has been started

    RecordingBlock() = default;
    RecordingBlock(const RecordingBlock&) = delete;
    RecordingBlock& operator=(const RecordingBlock&) = delete;
    ~RecordingBlock()
    {
        if (Handle != 0 && Memory) Memory->GFree();
    }
};

// The recording format: PCM, 1 channel, 22050 samples per second, 16 bits.
WaveFormat MakeRecordFormat();

// Milliseconds planned for a phrase: 2000 + 100 per character of the text
// without its leading and trailing blanks (not yet capped).
int32_t PlannedRecordingLength(const QByteArray& PhraseText);

// Seconds allowed for recording plus analysis: ten times the planned
// seconds, at least 30.
float RecordingAnalysisLimit(int32_t PlannedMilliseconds);

// Frees Block's previous block (stopping the input first if it still runs),
// caps Duration at 6000 ms, allocates a fresh zero-filled block, points
// Block.Buffer at it, sets Block.Mode and starts Input. Returns 0 or the
// input's failure code; the block is held in either case.
int32_t StartRecording(RecordingBlock& Block, int32_t& Duration, WaveInput& Input);

// Stops the input; Block.Buffer.BytesRecorded then holds what was recorded.
void StopRecording(RecordingBlock& Block, WaveInput& Input);

// Stores the stopped recording as the student's phrase sound file WaveFile
// (a trimmed path): NormalizeRecording, then WritePhraseFile with the phrase
// text and the bytes recorded. A recording of no bytes is RecordingEmpty and
// writes nothing: the file would otherwise hold six silent seconds. Returns 0,
// RecordingEmpty or the writer's code.
int32_t StoreRecording(RecordingBlock& Block, const QString& WaveFile, const QString& TextFile,
                       const QByteArray& PhraseText);

// Stops the input and frees the recording block: the screen's unload.
void ReleaseRecording(RecordingBlock& Block, WaveInput& Input);

// Scales the 16-bit samples of Buffer (its whole BufferLength) in place so
// that the loudest has magnitude 26214, eight tenths of full scale. Silence
// stays as it is.
void NormalizeRecording(WaveHeader& Buffer);
