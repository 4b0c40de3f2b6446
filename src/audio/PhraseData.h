#pragma once
// One speaker's phrase as its phrase sound file gives it, and the companions
// kept beside it (sound format, sample buffer header, pitch track).
//
// Sample positions (step bounds, phrase bounds, pitch positions) count
// samples from the first sample of the file's "data" chunk.
#include <QString>

#include <array>
#include <cstdint>
#include <vector>

inline constexpr int MaxSteps = 300;
// "stp " holds at most 2101 values: 300 steps, of which the last one's height
// lies past the end and reads as 0. Writers of 300 steps stop there too.
inline constexpr int MaxStepValues = 2101;
inline constexpr int MaxPitchPoints = 9999;
inline constexpr int MaxPhraseTextBytes = 201;        // "snt " incl. the zero byte

struct StepRecord
{
    int32_t Start = 0;      // first sample of the step
    int32_t Length = 0;     // end sample - start sample + 1
    int32_t PitchStart = 0; // pitch points after this sample count for the step
    int32_t PitchEnd = 0;   // ... up to and including this sample
    int32_t Reserved1 = 0;  // stored, never interpreted by the tutor
    int32_t Reserved2 = 0;
    int32_t Height = 0; // stress magnitude; bars are drawn relative to MaxHeight
};

struct PitchPoint
{
    int32_t Position = 0; // sample
    int32_t Value = 0;    // the analyser's scale (tenths of Hz); below 1 = no pitch
};

// The 16-byte PCM format of the "fmt " chunk, field by field.
struct WaveFormat
{
    uint16_t FormatTag = 1; // 1 = PCM
    uint16_t Channels = 1;
    uint32_t SamplesPerSec = 22050;
    uint32_t AvgBytesPerSec = 44100;
    uint16_t BlockAlign = 2;
    uint16_t BitsPerSample = 16;
};

// The wave buffer header: where a speaker's samples are and how many bytes
// they take. BytesRecorded is set by the recorder only.
struct WaveHeader
{
    char* Data = nullptr;
    uint32_t BufferLength = 0; // bytes
    uint32_t BytesRecorded = 0;
};

struct PhraseData
{
    int16_t StepCount = 0;                     // steps 1..StepCount of Steps are valid
    std::array<StepRecord, MaxSteps + 1> Steps{}; // entry 0 is never filled
    int16_t MaxHeight = 0;                     // largest Height, saturated at 32767
    int32_t TotalLength = 0;                   // sum of Length over the valid steps
    int32_t PhraseStart = 0;                   // first sample of the phrase
    int32_t PhraseEnd = 0;                     // last sample of the phrase
    // Paths are kept without the fixed-width padding of the stored records.
    QString WaveFile;
    QString TextFile;
    QString StepFile;
    QString PitchFile;
    QString ResultFile;
};

using PitchTrack = std::vector<PitchPoint>;
