#include "platform/WorkingFiles.h"

#include <QDir>
#include <QFile>

void DeleteMatchingFiles(const QString& folder, const QString& pattern)
{
    if (folder.isEmpty())
        return;
    QDir dir(folder);
    for (const QString& name : dir.entryList({pattern}, QDir::Files | QDir::Hidden))
        QFile::remove(dir.filePath(name));
}
