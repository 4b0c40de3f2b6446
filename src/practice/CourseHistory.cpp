#include "practice/CourseHistory.h"

#include "content/ContentText.h"
#include "content/PhraseList.h"
#include "course/CourseManifest.h"
#include "history/PracticeHistory.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>

QString HistoryPackOf(const QString& contentFolder)
{
    QByteArray bytes;
    if (ReadWholeFile(QDir(contentFolder).filePath(ManifestFileName), bytes)) {
        const std::optional<CourseManifest> manifest = ParseCourseManifest(bytes);
        if (manifest && !manifest->Id.trimmed().isEmpty()) return manifest->Id.trimmed();
    }
    return ContentPackOf(contentFolder);
}

int32_t AdoptFolderNamedPhrases(const QString& databaseFile, const QString& contentFolder)
{
    const QString pack = HistoryPackOf(contentFolder);
    const QString folderName = ContentPackOf(contentFolder);
    if (pack == folderName || !QFileInfo(databaseFile).isFile()) return HistoryOk;
    // Without its phrase list nothing can be told to be this course's own.
    const std::optional<std::vector<PhraseEntry>> entries = ReadPhraseListFile(
        QDir(contentFolder).filePath("Sounds/SentList.txt"), QByteArray(), QByteArray());
    if (!entries) return HistoryOk;
    QHash<QString, QString> textOfStem;
    for (size_t i = 1; i < entries->size(); ++i)
        textOfStem.insert(QString::fromUtf8((*entries)[i].Stem),
                          DecodeContentText((*entries)[i].PhraseText));

    PracticeHistory history(databaseFile);
    if (int32_t rc = history.Open(HistoryAccess::Write); rc != HistoryOk) return rc;
    return history.MovePhrases(folderName, pack, textOfStem);
}
