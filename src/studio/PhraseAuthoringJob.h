#pragma once
// Turning a recording into a phrase file off the windows' thread, so the
// studio stays responsive while a long import is read, trimmed and
// analysed: the recording's silence is trimmed into a scratch file (the
// original is never changed), then the phrase file is authored from it as
// `tvtool author` does, written under a temporary name and renamed into
// place only when the analysis is good.
#include <QObject>
#include <QString>

class QThread;

class PhraseAuthoringJob : public QObject
{
    Q_OBJECT
public:
    // scratchFolder holds the trimmed sound while the job runs.
    explicit PhraseAuthoringJob(QString scratchFolder, QObject* parent = nullptr);
    ~PhraseAuthoringJob() override;

    // False when a job is running already.
    bool Start(const QString& recording, const QString& phraseFile, const QString& text,
               const QString& syllables, bool trimSilence);
    bool IsRunning() const { return thread != nullptr; }
    // Waits for a running job (tests, and closing the studio).
    void Wait();

signals:
    // written: the phrase file is in place; otherwise problem says why not.
    void Done(bool written, const QString& problem);

private:
    QString scratch;
    QThread* thread = nullptr;
    bool written = false;
    QString problem;
};
