#include "studio/LearnerTrial.h"

#include "platform/SettingsStore.h"
#include "studio/StudioPrograms.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QSettings>
#include <QStandardPaths>

namespace {

bool Refuse(QString* problem, const QString& why)
{
    if (problem != nullptr) *problem = why;
    return false;
}

} // namespace

QString LearnerTrialFolder()
{
    return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation))
        .filePath("tonvale-studio/trial");
}

bool PrepareLearnerTrial(const QString& courseFolder, const QString& trialFolder,
                         const QString& analyserFolder, QString* problem)
{
    const QDir trial(trialFolder);
    if (!QDir().mkpath(trial.filePath("Data")) || !QDir().mkpath(trial.filePath("history")))
        return Refuse(problem, QString("cannot create %1").arg(trialFolder));
    const QString bin = trial.filePath("Bin");
    if (QFileInfo(bin).isSymLink()) QFile::remove(bin);
    if (!QFileInfo::exists(bin) && !QFile::link(analyserFolder, bin))
        return Refuse(problem, QString("cannot link %1 to the analyser").arg(bin));
    const QString settingsFile = trial.filePath("TonvaleTutor.conf");
    QFile::remove(settingsFile);
    QSettings settings(settingsFile, QSettings::IniFormat);
    settings.setValue("InstallDir/InstallDir", trial.absolutePath());
    settings.setValue("InstallCDDrive1331/InstallCDDrive1331", QDir(courseFolder).absolutePath());
    if (!SyncSettingsWhole(settings))
        return Refuse(problem, QString("cannot write %1").arg(settingsFile));
    return true;
}

QStringList LearnerTrialArguments(const QString& trialFolder)
{
    // Only the course being built: the course installed with the tutor
    // would otherwise be offered beside it.
    return {"--settings", QDir(trialFolder).filePath("TonvaleTutor.conf"), "--no-course-choice"};
}

bool StartLearnerTrial(const QString& courseFolder, QString* problem)
{
    const QString trial = LearnerTrialFolder();
    if (!PrepareLearnerTrial(courseFolder, trial, QFileInfo(AnalyserProgram()).absolutePath(),
                             problem))
        return false;
    QProcess tutor;
    tutor.setProgram(TutorProgram());
    tutor.setArguments(LearnerTrialArguments(trial));
    // The practice history and anything else the tutor keeps per user go to
    // the trial's own folders.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("TONVALE_HISTORY", QDir(trial).filePath("history"));
    environment.insert("XDG_DATA_HOME", QDir(trial).filePath("share"));
    environment.remove("TONVALE_SETTINGS");
    tutor.setProcessEnvironment(environment);
    if (!tutor.startDetached())
        return Refuse(problem, QString("cannot start the tutor %1").arg(TutorProgram()));
    return true;
}
