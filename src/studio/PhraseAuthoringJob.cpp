#include "studio/PhraseAuthoringJob.h"

#include "authoring/PhraseAuthoring.h"
#include "compare/Syllables.h"
#include "course/SilenceTrim.h"

#include <QDir>
#include <QFile>
#include <QThread>

#include <exception>

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
        problem.clear();
        written = false;
        // An exception escaping a thread ends the program; a recording the
        // libraries cannot cope with is refused instead.
        try {
            QString source = recording;
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
        } catch (const std::exception& error) {
            written = false;
            problem = QString("cannot read the recording: %1").arg(error.what());
        }
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
