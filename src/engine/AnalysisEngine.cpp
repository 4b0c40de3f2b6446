#include "engine/AnalysisEngine.h"

#include "analyser/PhraseAnalysis.h"
#include "audio/MciSubs.h"
#include "audio/PhraseFile.h"
#include "views/PhraseForDisplay.h"

#include <QFile>
#include <QFileInfo>
#include <QStorageInfo>

namespace {

// An input that stopped by itself is noticed within this time, so that the
// screen does not go on showing a take that records nothing.
constexpr int InputWatchMs = 200;
constexpr int FirstPollMs = 1000;
constexpr int NextPollMs = 100;
// Room for a result file: one line, one block of the disk.
constexpr qint64 ResultBytes = 4096;
// The live level looks at the last tenth of a second of 22050 Hz 16-bit mono.
constexpr uint32_t LevelWindowBytes = 4410;

void CloseCommandDevice()
{
    QString reply;
    SendMciCommand("close wavefile", reply);
}

} // namespace

AnalysisEngine::AnalysisEngine(RecordingBlock& block, LoadedPhrase& learner, QObject* parent)
    : QObject(parent), block(block), learner(learner), recordTimer(new QTimer(this)),
      inputTimer(new QTimer(this)), pollTimer(new QTimer(this))
{
    recordTimer->setTimerType(Qt::PreciseTimer);
    inputTimer->setInterval(InputWatchMs);
    connect(recordTimer, &QTimer::timeout, this, &AnalysisEngine::FinishRecording);
    connect(inputTimer, &QTimer::timeout, this, &AnalysisEngine::WatchInput);
    connect(pollTimer, &QTimer::timeout, this, &AnalysisEngine::Poll);
}

AnalysisEngine::~AnalysisEngine() = default;

void AnalysisEngine::SetWaveInputFactory(std::function<std::unique_ptr<WaveInput>()> factory)
{
    makeInput = std::move(factory);
}

void AnalysisEngine::SetAnalyser(const QString& program,
                                 std::function<AnalyserLauncher&()> launcherOfTheMoment)
{
    analyserProgram = program;
    launcher = std::move(launcherOfTheMoment);
}

void AnalysisEngine::SetWorkingFiles(const WorkingFileSet& files)
{
    workingFiles = files;
}

AnalyserLauncher& AnalysisEngine::Launcher() const
{
    return launcher();
}

void AnalysisEngine::StartRecording(const QByteArray& text)
{
    phraseText = text;
    endedEarly = false;
    heardVoice = false;
    int32_t duration = PlannedRecordingLength(phraseText);
    analysisLimit = RecordingAnalysisLimit(duration);
    // The command device may still play a phrase: it must not be heard
    // in the take.
    CloseCommandDevice();
    if (!input && makeInput) input = makeInput();
    startResult = input ? ::StartRecording(block, duration, *input) : RecordingNoInput;
    plannedMs = duration;
    block.Mode = RecordWaveMode;
    clock.Start();
    stage = Stage::Recording;
    // An input that cannot record ends the take at once, so the failure
    // shows instead of a silent wait.
    recordTimer->stop();
    recordTimer->setInterval(startResult == 0 ? duration : 1);
    recordTimer->start();
    if (startResult == 0) inputTimer->start();
    emit RecordingStarted(plannedMs);
}

void AnalysisEngine::StopEarly()
{
    if (stage != Stage::Recording) return;
    endedEarly = true;
    stage = Stage::Stopping;
    recordTimer->stop();
    recordTimer->setInterval(1);
    recordTimer->start();
    emit RecordingStopping();
}

void AnalysisEngine::WatchInput()
{
    if (stage != Stage::Recording && stage != Stage::Stopping) {
        inputTimer->stop();
        return;
    }
    if (input && input->StoppedBecause() != 0) FinishRecording();
}

void AnalysisEngine::FinishRecording()
{
    if (block.Mode != RecordWaveMode) return;
    if (input) StopRecording(block, *input);
    recordTimer->stop();
    inputTimer->stop();
    emit RecordingEnded();
    // Looked at before storing evens out the level: clipping shows only here.
    facts = ExamineTake(block.Buffer.Data, block.Buffer.BytesRecorded, !endedEarly);
    const PhraseData& files = learner.Phrase;
    int32_t stored = startResult;
    // Part of a take, or another device's sound, would be scored as the
    // learner's whole take: it is not stored.
    if (stored == 0 && input) stored = input->StoppedBecause();
    if (stored == 0)
        stored = block.Buffer.Data == nullptr
                     ? RecordingNoMemory
                     : StoreRecording(block, files.WaveFile, files.TextFile, phraseText);
    if (stored != 0) {
        // A take that never reached the analyser ends like one the analyser
        // refused; the reason says which step failed.
        stage = Stage::Idle;
        CleanUpWorkingFiles(workingFiles, CleanUpMoment::AnalysisEnded);
        emit RecordingFailed(RecordingFailureReason(stored, files.WaveFile));
        return;
    }
    emit RecordingStored();
    StartAnalysis();
}

void AnalysisEngine::StartAnalysis()
{
    const PhraseData& files = learner.Phrase;
    // An analyser still busy with an earlier, timed-out take would rewrite
    // the new one; it goes first.
    AnalyserLauncher& analyser = Launcher();
    analyser.StopRunning();
    if (QFileInfo::exists(files.StepFile)) QFile::remove(files.StepFile);
    if (QFileInfo::exists(files.ResultFile)) QFile::remove(files.ResultFile);
    // A result left behind that cannot be removed would be read as this
    // take's result.
    if (QFileInfo::exists(files.ResultFile)) {
        Finish(AnalysisOutcome::StaleResult,
               "An earlier result could not be removed: " + files.ResultFile);
        return;
    }
    // A disk without room for the analysis would keep the learner waiting
    // the whole limit (the analyser cannot leave even its result): the free
    // space the system reports, confirmed by a real write, ends it at once.
    const qint64 analysisBytes = RewrittenTakeBytes(files.WaveFile);
    if (QStorageInfo(QFileInfo(files.WaveFile).path()).bytesAvailable() < analysisBytes) {
        if (const QString notSaved = AnalysisNotSavedReason(files.WaveFile, analysisBytes);
            !notSaved.isEmpty()) {
            Finish(AnalysisOutcome::NotSaved, notSaved);
            return;
        }
    }
    if (!analyser.Start(analyserProgram, AnalyserArguments(files.WaveFile))) {
        Finish(AnalysisOutcome::AnalyserMissing,
               QFileInfo::exists(analyserProgram)
                   ? "The analyser program could not be started: " + analyserProgram
                   : "The analyser program is missing: " + analyserProgram);
        return;
    }
    stage = Stage::Analysing;
    pollTimer->setInterval(FirstPollMs);
    pollTimer->start();
}

void AnalysisEngine::Poll()
{
    const QString resultFile = learner.Phrase.ResultFile;
    if (QFileInfo(resultFile).isFile()) {
        pollTimer->stop();
        const bool good = ResultFileSaysGood(resultFile);
        if (good && LoadPhraseForDisplay(learner, learner.Phrase.WaveFile,
                                         PhraseReading{.ReadText = false}) == PhraseFileOk) {
            Finish(AnalysisOutcome::Good, QString());
            emit PhraseReadBack();
        } else if (const QString reason = ResultFileReason(resultFile);
                   good || reason != QLatin1String(ReasonUnwritable)) {
            Finish(good ? AnalysisOutcome::Unreadable : AnalysisOutcome::NotGood,
                   LearnerReason(reason, facts.Quiet, facts.Steady));
        } else {
            // The take was never judged: asking for another would fail the
            // same way until the disk is seen to.
            const QString& wave = learner.Phrase.WaveFile;
            const QString notSaved = AnalysisNotSavedReason(wave, RewrittenTakeBytes(wave));
            Finish(AnalysisOutcome::NotSaved,
                   notSaved.isEmpty() ? LearnerReason(reason, facts.Quiet) : notSaved);
        }
    } else if (clock.ElapsedSeconds() <= analysisLimit) {
        pollTimer->setInterval(NextPollMs);
    } else {
        // An analyser past its limit is hung: left running it would rewrite
        // the next take, and outlive the tutor.
        Launcher().StopRunning();
        // One with no room left for even its one-line result ends without
        // one; the disk, not the memory, is what the learner must hear of.
        const QString notSaved = AnalysisNotSavedReason(learner.Phrase.WaveFile, ResultBytes);
        if (notSaved.isEmpty())
            Finish(AnalysisOutcome::TimedOut, QString());
        else
            Finish(AnalysisOutcome::NotSaved, notSaved);
    }
    CloseCommandDevice();
}

void AnalysisEngine::Cancel()
{
    if (stage != Stage::Analysing) return;
    Launcher().StopRunning();
    Finish(AnalysisOutcome::Cancelled, "The analysis was cancelled.");
}

void AnalysisEngine::Finish(AnalysisOutcome outcome, const QString& reason)
{
    stage = Stage::Idle;
    pollTimer->stop();
    CleanUpWorkingFiles(workingFiles, CleanUpMoment::AnalysisEnded);
    emit AnalysisFinished(outcome, reason);
}

void AnalysisEngine::ReportProgress()
{
    RecordingProgressReport report;
    report.Bytes = input ? input->BytesSoFar() : 0;
    report.Level = MeasureInputLevel(block.Buffer.Data, report.Bytes, LevelWindowBytes);
    if (!report.Level.TooQuiet) heardVoice = true;
    report.HeardVoice = heardVoice;
    report.ElapsedMs = static_cast<int64_t>(clock.ElapsedSeconds() * 1000);
    report.PlannedMs = std::max(plannedMs, 1);
    emit RecordingProgress(report);
}

void AnalysisEngine::Release()
{
    // An analyser still at work would rewrite a take nobody will read.
    if (stage == Stage::Analysing) Launcher().StopRunning();
    // Nothing may write into a released block: the input stops first.
    recordTimer->stop();
    inputTimer->stop();
    pollTimer->stop();
    if (input) ReleaseRecording(block, *input);
    stage = Stage::Idle;
}
