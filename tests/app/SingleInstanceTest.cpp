// One tutor per installation, tried with real second tutors: they share the
// Data folder's working files, so a second one must not run on it.
#include "app/Main.h"
#include "content/ContentText.h"
#include "platform/InstanceLock.h"
#include "support/TutorFixture.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHostInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QSysInfo>
#include <QTest>

namespace {

struct TutorRun
{
    int exitCode = -1;
    QByteArray err;
};

// The tutor as a learner starts it, or (checking) until the lesson tree
// shows; run.exitCode stays -1 when it has not ended within the time.
TutorRun RunTutor(const QString& settings, bool checking = true, int withinMs = 60000,
                  const QStringList& more = {})
{
    QProcess tutor;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    tutor.setProcessEnvironment(environment);
    QStringList arguments{"--settings", settings};
    if (checking) arguments << "--check-startup";
    arguments << more;
    tutor.start(TONVALE_BINARY_DIR "/src/tonvale-tutor", arguments);
    TutorRun run;
    if (!tutor.waitForFinished(withinMs)) {
        tutor.kill();
        tutor.waitForFinished();
        return run;
    }
    run.exitCode = tutor.exitCode();
    run.err = tutor.readAllStandardError();
    return run;
}

TutorRun RunTutorUntilTheTreeShows(const QString& settings)
{
    return RunTutor(settings);
}

class SingleInstance : public TutorFixture
{
};

} // namespace

TEST_F(SingleInstance, ASecondTutorOnTheSameInstallationSaysSoAndEnds)
{
    const QString settings = WriteSettings();
    // This process stands for the first tutor.
    ASSERT_EQ(LockInstallation(installRoot + "/Data"), InstallationLock::Held);
    const TutorRun second = RunTutorUntilTheTreeShows(settings);
    EXPECT_EQ(second.exitCode, 1);
    EXPECT_TRUE(second.err.contains("Tonvale Tutor is already running for this installation"))
        << second.err.toStdString();

    // The same process locking again still holds it.
    EXPECT_EQ(LockInstallation(installRoot + "/Data/"), InstallationLock::Held);
    auto* start = new Main(SettingsStore(settings));
    EXPECT_FALSE(start->AlreadyRunning->isVisible());
    EXPECT_TRUE(start->MainStartTimer->isActive());
    delete start;
}

TEST_F(SingleInstance, ASecondTutorAsksForNoCourseInstallsNoneAndLeavesTheSettingsAlone)
{
    // Courses to choose among: the one the settings name and two installed.
    for (const QString course : {"Rhythm", "Stress"}) {
        QDir().mkpath(installRoot + "/Courses/" + course + "/Sounds");
        WriteFile("install/Courses/" + course + "/Sounds/Tree.txt", course.toUtf8() + "\r\n");
    }
    const QString settings = WriteSettings();
    QByteArray before;
    ASSERT_TRUE(ReadWholeFile(settings, before));
    ASSERT_EQ(LockInstallation(installRoot + "/Data"), InstallationLock::Held);

    // A chooser waiting for an answer would keep it from ending.
    const TutorRun second = RunTutor(settings, false, 20000);
    EXPECT_EQ(second.exitCode, 0) << "it did not end by itself";
    EXPECT_TRUE(second.err.contains("Tonvale Tutor is already running for this installation"))
        << second.err.toStdString();
    // Nor is a course installed under the running one.
    const TutorRun install =
        RunTutor(settings, false, 30000, {"--install-course", installRoot + "/shared.tvcourse"});
    EXPECT_EQ(install.exitCode, 1);
    EXPECT_TRUE(install.err.contains("running for this installation")) << install.err.toStdString();
    QByteArray after;
    ASSERT_TRUE(ReadWholeFile(settings, after));
    EXPECT_EQ(QString(after), QString(before));
}

TEST_F(SingleInstance, ALockLeftByAKilledTutorIsTakenOver)
{
    const QString settings = WriteSettings();
    // A process that has ended leaves its id in the lock, as a killed tutor would.
    QProcess gone;
    gone.start("true");
    ASSERT_TRUE(gone.waitForFinished());
    const qint64 deadPid = gone.processId() > 0 ? gone.processId() : 999999;
    WriteFile("install/Data/" + InstallationLockName,
              QByteArray::number(deadPid) + "\ntonvale-tutor\n" +
                  QSysInfo::machineHostName().toUtf8() + "\n");
    const TutorRun tutor = RunTutorUntilTheTreeShows(settings);
    EXPECT_EQ(tutor.exitCode, 0) << tutor.err.toStdString();
}

TEST_F(SingleInstance, ALockOfAnotherComputerIsTakenOverOnlyOnceItIsNoLongerMarkedAlive)
{
    const QString settings = WriteSettings();
    const QString lockPath = installRoot + "/Data/" + InstallationLockName;
    const auto lockOfAnotherComputer = [&](const QDateTime& marked) {
        WriteFile("install/Data/" + InstallationLockName, "4242\ntonvale-tutor\nlab-pc-07\n");
        QFile lock(lockPath);
        ASSERT_TRUE(lock.open(QIODevice::ReadOnly));
        ASSERT_TRUE(lock.setFileTime(marked, QFileDevice::FileModificationTime));
    };
    lockOfAnotherComputer(QDateTime::currentDateTimeUtc().addSecs(-60));
    EXPECT_EQ(RunTutorUntilTheTreeShows(settings).exitCode, 1);
    // That computer was switched off days ago while its tutor ran.
    lockOfAnotherComputer(QDateTime::currentDateTimeUtc().addDays(-3));
    const TutorRun tutor = RunTutorUntilTheTreeShows(settings);
    EXPECT_EQ(tutor.exitCode, 0) << tutor.err.toStdString();

    // The holder's marks keep its own lock from looking abandoned.
    ASSERT_EQ(LockInstallation(installRoot + "/Data"), InstallationLock::Held);
    {
        QFile lock(lockPath);
        ASSERT_TRUE(lock.open(QIODevice::ReadOnly));
        ASSERT_TRUE(lock.setFileTime(QDateTime::currentDateTimeUtc().addDays(-1),
                                     QFileDevice::FileModificationTime));
    }
    MarkInstallationLockAlive();
    EXPECT_LT(QFileInfo(lockPath).lastModified().secsTo(QDateTime::currentDateTime()), 60);

    // This computer slept past the wait and another took the lock over: it
    // is that tutor's now, and ending here must not remove it.
    const QByteArray taken = "4343\ntonvale-tutor\nlab-pc-08\n";
    WriteFile("install/Data/" + InstallationLockName, taken);
    MarkInstallationLockAlive();
    ReleaseInstallationLock();
    QFile lock(lockPath);
    ASSERT_TRUE(lock.open(QIODevice::ReadOnly));
    EXPECT_EQ(lock.readAll(), taken);
}

TEST_F(SingleInstance, AMissingSettingsFileIsNamed)
{
    const QString missing = dir.filePath("no such settings.conf");
    auto* start = new Main(SettingsStore(missing));
    start->show();
    EXPECT_TRUE(start->BadRegistry->isVisible());
    EXPECT_TRUE(start->MissingSettings->isVisible());
    EXPECT_EQ(start->MissingSettings->text(), "The settings file " + missing + " does not exist");
    delete start;
}

TEST_F(SingleInstance, AFirstStartThatCouldNotSetUpSaysWhyInsteadOfAMissingFile)
{
    const QString systemFile = dir.filePath("etc/xdg/Tonvale/TonvaleTutor.conf");
    const QString why = "cannot create /home/learner/.local/share/tonvale-tutor/Data";
    auto* start = new Main(SettingsStore(systemFile), ListSystemMounts, why);
    start->show();
    EXPECT_TRUE(start->BadRegistry->isVisible());
    EXPECT_EQ(start->BadRegistry->text(),
              "ERROR!!!!       Please uninstall Tonvale Tutor and install it  again");
    EXPECT_TRUE(start->MissingSettings->isVisible());
    EXPECT_TRUE(start->MissingSettings->text().contains(why))
        << start->MissingSettings->text().toStdString();
    EXPECT_FALSE(start->MissingSettings->text().contains(systemFile));
    delete start;
}
