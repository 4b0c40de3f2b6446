#include "studio/StudioPrograms.h"

#include "app/FirstRun.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

QString TutorProgram()
{
    return QDir(QCoreApplication::applicationDirPath()).filePath("tonvale-tutor");
}

QString AnalyserProgram()
{
    const QString beside = QDir(QCoreApplication::applicationDirPath()).filePath("TVM");
    if (QFileInfo(beside).isExecutable()) return beside;
    return InstalledFoldersBeside(QCoreApplication::applicationDirPath()).AnalyserFolder + "/TVM";
}

QString InstalledContentFolder()
{
    return InstalledFoldersBeside(QCoreApplication::applicationDirPath()).ContentFolder;
}
