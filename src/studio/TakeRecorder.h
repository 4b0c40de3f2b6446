#pragma once
// One take of the teacher's own voice, the way the tutor records a learner:
// the recording is planned from the phrase's text (2 s plus 0.1 s a
// character, at most 6 s; stopped early at will), its live level is
// reported for the meter with warnings while it clips or is too quiet, it
// is stored as a phrase file and analysed by the analyser program, and it
// is kept only when the analysis is Good. Widget-free, so the studio's
// recording can move onto the tutor's analysis engine without its windows
// changing.
#include "engine/RecordingFeedback.h"

#include <QElapsedTimer>
#include <QObject>
#include <QString>

#include <functional>
#include <memory>

class QTimer;
class WaveInput;

class TakeRecorder : public QObject
{
    Q_OBJECT
public:
    // analyser: the analyser program; workFolder: where takes are stored
    // and analysed (it must exist).
    TakeRecorder(QString analyser, QString workFolder, QObject* parent = nullptr);
    ~TakeRecorder() override;

    // Starts a take planned for text; false (and Finished is not emitted)
    // when the input cannot record, the reason then in LastProblem.
    bool Start(const QByteArray& text);
    // Ends the recording early; the take is stored and analysed.
    void Stop();
    // Drops whatever is under way: recording and analysis.
    void Cancel();

    bool IsRecording() const;
    bool IsAnalysing() const;
    int32_t PlannedMilliseconds() const { return plannedMs; }
    QString LastProblem() const { return problem; }
    // The take as recorded (before the analyser added its chunks), for
    // authoring; valid after Finished(true).
    QString TakeFile() const;

    // The sound input takes come from; tests put in their own.
    static void SetWaveInputFactory(std::function<std::unique_ptr<WaveInput>()> factory);

signals:
    void Progress(qint64 elapsedMs, int plannedMs, const InputLevel& level);
    void Analysing();
    // good: the take is kept in TakeFile; otherwise reason says why not.
    void Finished(bool good, const QString& reason);

private:
    void EndRecording();
    void ReportLevel();
    void PollResult();
    void Fail(const QString& reason);

    QString analyser;
    QString workFolder;
    QString problem;
    QByteArray text;
    std::unique_ptr<WaveInput> input;
    QTimer* recordTimer;
    QTimer* levelTimer;
    QTimer* pollTimer;
    QElapsedTimer clock;
    int32_t plannedMs = 0;
    bool recording = false;
    bool analysing = false;
};
