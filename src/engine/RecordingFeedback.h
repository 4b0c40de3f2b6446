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
// Quiet input asks to speak up only until the learner has spoken
// (hasSpoken); after that, quiet means they are done.
QString RecordingProgressText(int64_t elapsedMs, int32_t plannedMs, const InputLevel& level,
                              bool hasSpoken = false);

// The analyser's reason after "Not Good," in a learner's words; a general
// hint when the reason is unknown or missing. quietTake: the take as
// recorded was too faint (TakeFacts::Quiet), which the analyser, hearing it
// evened out, cannot know. steadyTake: the take was loud without any
// variation (TakeFacts::Steady), which the analyser hears as silence.
QString LearnerReason(const QString& analyserReason, bool quietTake = false,
                      bool steadyTake = false);

// Why the analyser could not write its analysis (bytesNeeded bytes) beside
// the stored take (waveFile), in the words of a take that could not be
// saved: the disk is full, the folder is read-only or missing. Empty when
// the folder shows no such problem now.
QString AnalysisNotSavedReason(const QString& waveFile, qint64 bytesNeeded);

// Room the analyser needs to rewrite the take: the take again, with its
// steps and pitch track added.
qint64 RewrittenTakeBytes(const QString& waveFile);

// Why the recording step failed, in plain words: result is the code of
// starting the input or of storing the recording (StudentRecording.h, or the
// phrase file writer's), waveFile the student's file it was to be stored in.
QString RecordingFailureReason(int32_t result, const QString& waveFile);

// What a take that reached the analyser looked like as it was recorded
// (before the level was evened out): full-scale samples, and whether the
// learner was still speaking when the planned length ran out.
struct TakeFacts
{
    bool Clipped = false;
    bool CutOff = false;
    bool Quiet = false; // too faint throughout for the analyser to work with
    bool Steady = false; // loud, but one steady value throughout: a faulty microphone, no voice
};
TakeFacts ExamineTake(const char* samples, uint32_t bytes, bool endedByTimer);

// One short sentence about an accepted take that a learner should hear of:
// clipped, cut off, or under 60 % of the native speaker's length (seconds
// of phrase each); empty when there is nothing to say.
QString TakeVerdict(const TakeFacts& facts, double takeSeconds, double nativeSeconds);
