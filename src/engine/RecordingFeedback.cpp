#include "engine/RecordingFeedback.h"

#include "audio/StudentRecording.h"
#include "platform/WorkingFiles.h"

#include <QFileInfo>

#include <QtEndian>

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {
// Below this the analyser finds no phrase: its own silence threshold is
// -50 dB of full scale, and a learner needs warning well before that.
constexpr float QuietPeakDb = -40;
constexpr int ClipMagnitude = 32700;

// Whether the samples never stray from their first value by more than the
// quietest level the analyser could take for a voice (-40 dB).
bool SteadySignal(const char* samples, uint32_t bytes)
{
    const int first = qFromLittleEndian<int16_t>(samples);
    const int quietMagnitude = int(32768 * std::pow(10.0, QuietPeakDb / 20.0));
    for (uint32_t i = 2; i + 1 < bytes; i += 2)
        if (std::abs(qFromLittleEndian<int16_t>(samples + i) - first) > quietMagnitude)
            return false;
    return true;
}
} // namespace

InputLevel MeasureInputLevel(const char* samples, uint32_t bytesSoFar, uint32_t windowBytes)
{
    InputLevel level;
    if (samples == nullptr || bytesSoFar < 2) return level;
    const uint32_t end = bytesSoFar & ~1u;
    const uint32_t begin = end > windowBytes ? (end - windowBytes) & ~1u : 0;
    int peak = 0;
    int clipped = 0;
    for (uint32_t i = begin; i < end; i += 2) {
        const int value = std::abs(int(qFromLittleEndian<int16_t>(samples + i)));
        peak = std::max(peak, value);
        clipped += value >= ClipMagnitude;
    }
    level.PeakDb = peak > 0 ? float(20.0 * std::log10(peak / 32768.0)) : -120.0f;
    level.Meter = std::clamp((level.PeakDb + 60.0f) / 60.0f, 0.0f, 1.0f);
    level.Clipping = clipped >= 3;
    level.TooQuiet = level.PeakDb < QuietPeakDb;
    return level;
}

QString RecordingProgressText(int64_t elapsedMs, int32_t plannedMs, const InputLevel& level,
                              bool hasSpoken)
{
    QString text = QString("%1 of %2 s")
                       .arg(std::min<int64_t>(elapsedMs, plannedMs) / 1000.0, 0, 'f', 1)
                       .arg(plannedMs / 1000.0, 0, 'f', 1);
    if (level.Clipping)
        text += " - too loud!";
    else if (level.TooQuiet && hasSpoken)
        text += " - Done? Press R to stop";
    else if (level.TooQuiet)
        text += " - speak up";
    return text;
}

QString LearnerReason(const QString& analyserReason, bool quietTake, bool steadyTake)
{
    const QString reason = analyserReason.trimmed().toLower();
    // The take is evened out before the analyser hears it, so a faint one
    // (a quiet room, a microphone turned down) reaches it as loud noise
    // without a voice: the learner should speak up, not move elsewhere.
    const bool faint = quietTake && (reason.contains("nois") || reason.contains("voice"));
    // The meter showed such a take as loud: speaking up would not help.
    if (steadyTake && (reason.contains("quiet") || reason.contains("silence") ||
                       reason.contains("voice")))
        return "The microphone gave a steady signal and no voice: check that it is connected "
               "and working.";
    if (faint || reason.contains("quiet") || reason.contains("silence"))
        return "Your recording was too quiet. Speak up, or move closer to the microphone.";
    if (reason.contains("voice") || reason.contains("voiced"))
        return "No voice was heard. Check the microphone and say the phrase aloud.";
    if (reason.contains("clip") || reason.contains("loud"))
        return "Your recording was too loud. Speak a little softer, or move back from the "
               "microphone.";
    if (reason.contains("nois")) return "There was too much noise. Try again somewhere quieter.";
    if (reason.contains("long")) return "The recording was too long. Say just the phrase.";
    return "The recording could not be analysed. Please try once more.";
}

QString AnalysisNotSavedReason(const QString& waveFile, qint64 bytesNeeded)
{
    const QString folder = QFileInfo(waveFile).path();
    switch (DiagnoseWriteProblem(folder, bytesNeeded)) {
    case WriteProblem::FolderMissing:
        return QString("Your recording could not be analysed: the folder %1 is missing")
            .arg(folder);
    case WriteProblem::ReadOnly:
        return "Your recording could not be analysed: the folder is read-only";
    case WriteProblem::DiskFull:
        return "Your recording could not be analysed: the disk is full";
    default:
        return {};
    }
}

qint64 RewrittenTakeBytes(const QString& waveFile)
{
    // The steps and a pitch point every 10 ms of a take of at most 6 s come
    // to a few kilobytes; 64 KiB covers them with room to spare.
    return std::max<qint64>(QFileInfo(waveFile).size(), 0) + 64 * 1024;
}

QString RecordingFailureReason(int32_t result, const QString& waveFile)
{
    switch (result) {
    case RecordingNoInput:
        return "Nothing was recorded: no microphone was found";
    case RecordingNotOpened:
        return "Nothing was recorded: the microphone could not be opened";
    case RecordingNoMemory:
        return "Nothing was recorded: there was not enough memory";
    case RecordingEmpty:
        return "Nothing was recorded: the microphone gave no sound";
    case RecordingInterrupted:
        return "The recording stopped: the sound system stopped answering. Close Tonvale Tutor "
               "and start it again";
    case RecordingServerRestarted:
        return "Nothing was recorded: the sound system was restarted. Close Tonvale Tutor and "
               "start it again";
    case RecordingInputLost:
        return "The microphone was disconnected during the recording. Connect it and record "
               "again";
    default:
        break;
    }
    const QString folder = QFileInfo(waveFile).path();
    // The recording is at most its buffer, plus the file's headers.
    switch (DiagnoseWriteProblem(folder, RecordBufferBytes + 4096)) {
    case WriteProblem::FolderMissing:
        return QString("Your recording could not be saved: the folder %1 is missing").arg(folder);
    case WriteProblem::ReadOnly:
        return "Your recording could not be saved: the folder is read-only";
    case WriteProblem::DiskFull:
        return "Your recording could not be saved: the disk is full";
    default:
        return "Your recording could not be saved";
    }
}

TakeFacts ExamineTake(const char* samples, uint32_t bytes, bool endedByTimer)
{
    TakeFacts facts;
    if (samples == nullptr || bytes < 2) return facts;
    const InputLevel whole = MeasureInputLevel(samples, bytes, bytes);
    facts.Clipped = whole.Clipping;
    facts.Quiet = whole.TooQuiet;
    facts.Steady = !whole.TooQuiet && SteadySignal(samples, bytes);
    // Still speaking at the end: the last fifth of a second (22050 Hz, 16-bit
    // mono) is loud enough for the analyser to take as voice.
    facts.CutOff = endedByTimer && !MeasureInputLevel(samples, bytes, 8820).TooQuiet;
    return facts;
}

QString TakeVerdict(const TakeFacts& facts, double takeSeconds, double nativeSeconds)
{
    if (facts.CutOff)
        return "Your take was cut off: you were still speaking when the time ran out.";
    if (facts.Clipped) return "Your take was too loud in places: speak a little softer.";
    if (nativeSeconds > 0 && takeSeconds < 0.6 * nativeSeconds)
        return "Your take is much shorter than the native speaker's: say the whole phrase.";
    return {};
}
