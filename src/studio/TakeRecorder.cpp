#include "studio/TakeRecorder.h"

#include "app/CommonVar.h"
#include "audio/StudentRecording.h"
#include "engine/AnalysisCycle.h"
#include "widgets/AnalyserProcess.h"
#include "widgets/WaveIn.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTimer>

namespace {

// The meter shows the last 0.3 s: long enough to hold a syllable's peak,
// short enough to fall when the voice stops.
constexpr uint32_t MeterWindowBytes = 22050 * 2 * 3 / 10;
// The analyser needs well under a second for a phrase; one that has not
// answered in this time will not.
constexpr int AnalysisLimitMs = 30000;

// Why a take whose input stopped by itself was not kept.
QString StoppedInputProblem(int32_t because)
{
    if (because == RecordingInputLost)
        return "The microphone was disconnected during the recording. Connect it and record "
               "again.";
    return "The recording stopped: the sound system stopped answering. Close the studio and "
           "start it again.";
}

std::function<std::unique_ptr<WaveInput>()>& InputFactory()
{
    static std::function<std::unique_ptr<WaveInput>()> factory = [] {
        return std::unique_ptr<WaveInput>(std::make_unique<WaveIn>());
    };
    return factory;
}

} // namespace

TakeRecorder::TakeRecorder(QString analyserProgram, QString folder, QObject* parent)
    : QObject(parent), analyser(std::move(analyserProgram)), workFolder(std::move(folder))
{
    recordTimer = new QTimer(this);
    recordTimer->setSingleShot(true);
    recordTimer->setTimerType(Qt::PreciseTimer);
    levelTimer = new QTimer(this);
    levelTimer->setInterval(100);
    pollTimer = new QTimer(this);
    pollTimer->setInterval(100);
    connect(recordTimer, &QTimer::timeout, this, &TakeRecorder::EndRecording);
    connect(levelTimer, &QTimer::timeout, this, &TakeRecorder::ReportLevel);
    connect(pollTimer, &QTimer::timeout, this, &TakeRecorder::PollResult);
}

TakeRecorder::~TakeRecorder()
{
    Cancel();
    if (input) ReleaseRecording(*input);
}

void TakeRecorder::SetWaveInputFactory(std::function<std::unique_ptr<WaveInput>()> factory)
{
    InputFactory() = std::move(factory);
}

QString TakeRecorder::TakeFile() const
{
    return QDir(workFolder).filePath("TakeRecorded.wav");
}

bool TakeRecorder::IsRecording() const
{
    return recording;
}

bool TakeRecorder::IsAnalysing() const
{
    return analysing;
}

bool TakeRecorder::Start(const QByteArray& phraseText)
{
    Cancel();
    text = phraseText;
    if (!input) input = InputFactory()();
    int32_t duration = PlannedRecordingLength(text);
    const int32_t started = StartRecording(duration, *input);
    if (started != 0) {
        ReleaseRecording(*input);
        if (started == RecordingNoInput)
            problem = "No microphone was found. Connect one, or choose it as the system's input.";
        else if (started == RecordingServerRestarted)
            problem = "The sound system was restarted. Close the studio and start it again.";
        else
            problem = "The microphone could not be opened.";
        return false;
    }
    plannedMs = duration;
    recording = true;
    clock.start();
    recordTimer->start(duration);
    levelTimer->start();
    return true;
}

void TakeRecorder::Stop()
{
    if (recording) EndRecording();
}

void TakeRecorder::Cancel()
{
    recordTimer->stop();
    levelTimer->stop();
    pollTimer->stop();
    if (recording && input) StopRecording(*input);
    if (analysing) CurrentAnalyserLauncher().StopRunning();
    recording = false;
    analysing = false;
}

void TakeRecorder::ReportLevel()
{
    if (!recording || !input) return;
    // The take ends as soon as the input has stopped by itself: the meter
    // would otherwise freeze for the rest of the planned time.
    if (input->StoppedBecause() != 0) {
        EndRecording();
        return;
    }
    emit Progress(clock.elapsed(), plannedMs,
                  MeasureInputLevel(RecordBuffer.Data, input->BytesSoFar(), MeterWindowBytes));
}

void TakeRecorder::EndRecording()
{
    recordTimer->stop();
    levelTimer->stop();
    StopRecording(*input);
    recording = false;

    const QDir work(workFolder);
    const QString wave = work.filePath("Take.wav");
    const QString result = work.filePath("Take.rsl");
    QFile::remove(result);
    QFile::remove(TakeFile());
    // Part of a take, or what another device heard, must not become the
    // course's phrase.
    if (const int32_t stopped = input->StoppedBecause(); stopped != 0) {
        Fail(StoppedInputProblem(stopped));
        return;
    }
    // A full or vanished work folder is not the microphone's fault.
    if (const int32_t stored = StoreRecording(wave, work.filePath("Take.txt"), text);
        stored != 0) {
        Fail(RecordingFailureReason(stored, wave) + ".");
        return;
    }
    // The analyser rewrites the take in place; the take as recorded is kept
    // apart for authoring.
    if (!QFile::copy(wave, TakeFile()) || QFileInfo::exists(result)) {
        Fail("The take could not be stored.");
        return;
    }
    if (!CurrentAnalyserLauncher().Start(analyser, AnalyserArguments(wave))) {
        Fail(QString("The analyser %1 could not be started.").arg(analyser));
        return;
    }
    analysing = true;
    clock.restart();
    pollTimer->start();
    emit Analysing();
}

void TakeRecorder::PollResult()
{
    // The analyser rewrites the take in place, so the result file is the
    // only sign that it has finished.
    const QString result = QDir(workFolder).filePath("Take.rsl");
    if (!QFileInfo(result).isFile()) {
        if (clock.elapsed() > AnalysisLimitMs) {
            CurrentAnalyserLauncher().StopRunning();
            Fail("The analyser did not answer. Please record again.");
        }
        return;
    }
    pollTimer->stop();
    analysing = false;
    if (ResultFileSaysGood(result)) {
        emit Finished(true, {});
        return;
    }
    Fail(LearnerReason(ResultFileReason(result)));
}

void TakeRecorder::Fail(const QString& reason)
{
    pollTimer->stop();
    analysing = false;
    QFile::remove(TakeFile());
    emit Finished(false, reason);
}
