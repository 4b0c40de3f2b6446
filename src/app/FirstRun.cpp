#include "app/FirstRun.h"

#include "platform/SettingsStore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QTemporaryFile>

namespace {

// A dangling link counts as there: writing through it would create a file
// the user did not ask for somewhere else.
bool PathTaken(const QString& path)
{
    const QFileInfo info(path);
    return info.exists() || info.isSymLink();
}

FirstRunResult Failure(const QString& problem)
{
    return {FirstRunOutcome::Failed, problem};
}

// Bin is a link that the set-up owns: it is pointed at the analyser of the
// package now installed, which may have moved since an earlier set-up.
bool LinkAnalyserFolder(const QString& analyserFolder, const QString& bin)
{
    const QFileInfo info(bin);
    if (info.isSymLink()) {
        if (!QFile::remove(bin))
            return false;
    } else if (info.isDir()) {
        return true; // the user's own Bin folder
    } else if (info.exists()) {
        return false;
    }
    return QFile::link(analyserFolder, bin);
}

// The settings are written under a fresh name and renamed into place; a
// rename never replaces a file, so a settings file that appeared meanwhile
// is kept as it is.
bool WriteSettingsFile(const InstalledFolders& installed, const QString& installFolder,
                       const QString& settingsFile)
{
    if (!QDir().mkpath(QFileInfo(settingsFile).absolutePath()))
        return false;
    QTemporaryFile scratch(settingsFile + ".XXXXXX");
    if (!scratch.open())
        return false;
    scratch.close();
    {
        QSettings settings(scratch.fileName(), QSettings::IniFormat);
        settings.setValue("InstallDir/InstallDir", installFolder);
        settings.setValue("InstallCDDrive1331/InstallCDDrive1331", installed.ContentFolder);
        if (!SyncSettingsWhole(settings))
            return false;
    }
    return QFile::rename(scratch.fileName(), settingsFile);
}

} // namespace

QString UserInstallFolder()
{
    QString dataHome = qEnvironmentVariable("XDG_DATA_HOME");
    if (dataHome.isEmpty() || QDir::isRelativePath(dataHome))
        dataHome = QDir::homePath() + "/.local/share";
    return QDir::cleanPath(dataHome + "/tonvale-tutor");
}

bool IsFirstStart(const QString& commandLineSettingsFile)
{
    return commandLineSettingsFile.isEmpty() &&
           qEnvironmentVariable("TONVALE_SETTINGS").isEmpty() &&
           !PathTaken(SettingsStore::UserFile()) && !PathTaken(SettingsStore::SystemFile());
}

FirstRunResult SetUpUserInstallation(const InstalledFolders& installed,
                                     const QString& installFolder, const QString& settingsFile)
{
    if (PathTaken(settingsFile))
        return {FirstRunOutcome::SettingsExist, QString()};
    if (!QFileInfo(installed.ContentFolder + "/Sounds/Tree.txt").isFile()) {
        return {FirstRunOutcome::NotInstalled,
                QString("no settings file, and no installed content in %1; "
                        "start with --settings FILE")
                    .arg(installed.ContentFolder)};
    }
    if (!QDir().mkpath(installFolder + "/Data"))
        return Failure(QString("cannot create %1/Data").arg(installFolder));
    if (!LinkAnalyserFolder(installed.AnalyserFolder, installFolder + "/Bin"))
        return Failure(
            QString("cannot link %1/Bin to %2").arg(installFolder, installed.AnalyserFolder));
    if (!WriteSettingsFile(installed, installFolder, settingsFile))
        return Failure(QString("cannot write the settings file %1").arg(settingsFile));
    return {FirstRunOutcome::SetUp, QString()};
}
