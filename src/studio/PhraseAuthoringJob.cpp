#include "studio/PhraseAuthoringJob.h"

#include "compare/Syllables.h"
#include "course/SilenceTrim.h"
#include "authoring/PhraseAuthoring.h"

#include <QDir>
#include <QFile>
#include <QThread>

PhraseAuthoringJob::PhraseAuthoringJob(QString scratchFolder, QObject* parent)
    : QObject(parent), scratch(std::move(scratchFolder))
{
}

PhraseAuthoringJob::~PhraseAuthoringJob()
{
    Wait();
}

void PhraseAuthoringJob::Wait()
{
    if (thread != nullptr) thread->wait();
}

bool PhraseAuthoringJob::Start(const QString& recording, const QString& phraseFile,
                               const QString& text, const QString& syllables, bool trimSilence)
{
    if (thread != nullptr) return false;
    const QString trimmed = QDir(scratch).filePath("trimmed.wav");
    thread = QThread::create([=, this] {
        QString source = recording;
        problem.clear();
        written = false;
        if (trimSilence) {
            const TrimResult trim = TrimSilence(recording, trimmed);
            if (!trim.Written) {
                problem = trim.Problem;
                return;
            }
            source = trimmed;
        }
        AuthoringSyllables spelled;
        spelled.Spelled = ParseSyllableSpelling(syllables);
        const AuthoringResult result =
            AuthorPhraseFile(source, phraseFile, text.trimmed().toUtf8(), spelled);
        written = result.Written;
        problem = QString::fromStdString(result.Problem);
        QFile::remove(trimmed);
    });
    connect(thread, &QThread::finished, this, [this] {
        thread->deleteLater();
        thread = nullptr;
        emit Done(written, problem);
    });
    thread->start();
    return true;
}
