#pragma once
// The analysis cycle of a learner's take, apart from any screen: record into
// a recording block, store the take as the learner's phrase sound file,
// start the analyser on it, poll for its result file and read the analysed
// phrase back. The cycle's state is here; a screen (or another program)
// starts it and shows what its events say. A take gives, in this order:
//   RecordingStarted, RecordingProgress (each time it is asked for),
//   RecordingStopping (when stopped early), RecordingEnded (the input has
//   stopped; the take is stored next), then either RecordingFailed(reason),
//   which ends the cycle, or RecordingStored, AnalysisFinished(outcome,
//   reason) and, when Good, PhraseReadBack.
// Three timers pace it: the recording timer ends the take after its planned
// length (1 ms after an early stop, or at once when the input cannot
// record); the input watch ends it as soon as the input stops by itself
// (the take then fails unstored); the poll timer looks for the result file
// 1000 ms after the analyser started, then every 100 ms until the take's
// time limit.
//
// The analyser rewrites the take in place, so the result file is the only
// sign that it has finished; the poll looks for that, never for the wave.
#include "audio/LoadedPhrase.h"
#include "audio/StudentRecording.h"
#include "audio/WaveInput.h"
#include "engine/AnalyserLauncher.h"
#include "engine/AnalysisCycle.h"
#include "engine/RecordingFeedback.h"
#include "engine/WorkingFileCleanup.h"

#include <QObject>
#include <QTimer>

#include <functional>
#include <memory>

enum class AnalysisOutcome {
    Good,            // the analysed take has been read back
    NotGood,         // the analyser refused the take
    Unreadable,      // the analyser said Good, but its file cannot be read
    TimedOut,        // no result within the limit; the analyser was stopped
    Cancelled,       // the learner stopped the analysis
    AnalyserMissing, // the analyser program could not be started
    StaleResult,     // an earlier result file could not be removed
    NotSaved         // the disk took no analysis of the take (full, read-only): not the
                     // learner's doing, so the take is no attempt
};

// The take so far, for a live display.
struct RecordingProgressReport
{
    uint32_t Bytes = 0;      // recorded so far
    InputLevel Level;        // of the last tenth of a second
    int64_t ElapsedMs = 0;   // since the take started
    int32_t PlannedMs = 1;   // the planned length, at least 1
    bool HeardVoice = false; // the input has been loud enough at some report of this take
};

class AnalysisEngine : public QObject
{
    Q_OBJECT
public:
    enum class Stage {
        Idle,
        Recording,
        Stopping, // stopped early; the recording timer ends the take next
        Analysing
    };

    // The take is recorded into block and stored, analysed and read back as
    // learner, whose phrase holds the file names (WaveFile, TextFile,
    // StepFile, ResultFile).
    AnalysisEngine(RecordingBlock& block, LoadedPhrase& learner, QObject* parent = nullptr);
    ~AnalysisEngine() override;

    // The sound input, made at the first take.
    void SetWaveInputFactory(std::function<std::unique_ptr<WaveInput>()> factory);
    // The analyser program and the launcher that starts it, asked for at
    // each use.
    void SetAnalyser(const QString& program, std::function<AnalyserLauncher&()> launcher);
    // Where the analyser's scratch files are cleared after each analysis.
    void SetWorkingFiles(const WorkingFileSet& files);

    // A take of the phrase with this text (bytes as stored): planned at
    // 2 s plus 0.1 s per character, at most 6 s; the analysis may take ten
    // times the planned length, at least 30 s.
    void StartRecording(const QByteArray& phraseText);
    // Ends the take now (while recording).
    void StopEarly();
    // The recording timer's tick: stops the input, stores the take and
    // starts the analysis.
    void FinishRecording();
    // The input watch's tick: ends a take whose input stopped by itself.
    void WatchInput();
    // Starts the analyser on the stored take.
    void StartAnalysis();
    // The poll timer's tick.
    void Poll();
    // Stops an analysis at work.
    void Cancel();
    // Emits RecordingProgress for the take so far.
    void ReportProgress();
    // Stops everything and frees the recording block: the screen goes.
    void Release();

    Stage CurrentStage() const { return stage; }
    bool IsRecording() const { return stage == Stage::Recording; }
    bool IsAnalysing() const { return stage == Stage::Analysing; }
    bool IsIdle() const { return stage == Stage::Idle; }
    QTimer* RecordTimer() const { return recordTimer; }
    QTimer* PollTimer() const { return pollTimer; }
    // Seconds since the take started; tests stand it as if started earlier.
    AnalysisClock& Clock() { return clock; }
    float AnalysisLimit() const { return analysisLimit; }
    int32_t PlannedMilliseconds() const { return plannedMs; }
    // How the last stored take looked before its level was evened out.
    const TakeFacts& LastTakeFacts() const { return facts; }

signals:
    void RecordingStarted(int32_t plannedMs);
    void RecordingStopping();
    // The input has stopped; the learner's file names are read after this.
    void RecordingEnded();
    void RecordingProgress(const RecordingProgressReport& report);
    void RecordingStored();
    // Why the take never reached the analyser, in plain words.
    void RecordingFailed(const QString& reason);
    // reason: in a learner's words; empty for Good and TimedOut. A take the
    // analyser could not write for a disk problem, or that got no result
    // in time on a disk with a problem, ends NotSaved, saying which.
    void AnalysisFinished(AnalysisOutcome outcome, const QString& reason);
    void PhraseReadBack();

private:
    AnalyserLauncher& Launcher() const;
    void Finish(AnalysisOutcome outcome, const QString& reason);

    RecordingBlock& block;
    LoadedPhrase& learner;
    std::function<std::unique_ptr<WaveInput>()> makeInput;
    std::unique_ptr<WaveInput> input;
    QString analyserProgram;
    std::function<AnalyserLauncher&()> launcher;
    WorkingFileSet workingFiles;
    QTimer* recordTimer;
    QTimer* inputTimer;
    QTimer* pollTimer;

    Stage stage = Stage::Idle;
    QByteArray phraseText;
    AnalysisClock clock;
    float analysisLimit = 0;
    int32_t plannedMs = 0;
    int32_t startResult = 0;
    bool endedEarly = false;
    bool heardVoice = false;
    TakeFacts facts;
};
