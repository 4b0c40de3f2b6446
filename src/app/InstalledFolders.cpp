#include "app/InstalledFolders.h"

#include <QDir>

InstalledFolders InstalledFoldersBeside(const QString& programFolder)
{
    return {QDir::cleanPath(programFolder + "/../lib/tonvale-tutor/Bin"),
            QDir::cleanPath(programFolder + "/../share/tonvale-tutor/content")};
}
