#pragma once
// What the learner is told while recording and after a failed analysis:
// the live input level of the last moments of the recording, with warnings
// while the input clips or is too quiet to analyse, the analyser's reasons
// in words a learner understands, and why a recording never reached the
// analyser.
#include <QString>

#include <cstdint>

// The level meter's view of the latest samples (16-bit mono PCM).
struct InputLevel
{
    float PeakDb = -120;   // dB full scale of the loudest sample in the window
    float Meter = 0;       // 0..1 for the meter: -60 dB .. 0 dB
    bool Clipping = false; // samples at full scale
    bool TooQuiet = false; // too faint for the analyser to work with
};

// The level of the last windowBytes of the bytes recorded so far.
InputLevel MeasureInputLevel(const char* samples, uint32_t bytesSoFar, uint32_t windowBytes);

// The line under "Recording ..." for the time passed and the planned time.
QString RecordingProgressText(int64_t elapsedMs, int32_t plannedMs, const InputLevel& level);

// The analyser's reason after "Not Good," in a learner's words; a general
// hint when the reason is unknown or missing.
QString LearnerReason(const QString& analyserReason);

// Why the recording step failed, in plain words: result is the code of
// starting the input or of storing the recording (StudentRecording.h, or the
// phrase file writer's), waveFile the student's file it was to be stored in.
QString RecordingFailureReason(int32_t result, const QString& waveFile);
