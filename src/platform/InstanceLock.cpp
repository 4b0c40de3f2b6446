#include "platform/InstanceLock.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QPointer>
#include <QSysInfo>
#include <QTimer>

#include <cstdlib>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The holder marks its lock as alive this often; a lock written on another
// computer and left unmarked for the longer time was left by a computer
// that was switched off or lost its network while its tutor ran.
constexpr int AliveMarkMs = 60 * 1000;
constexpr qint64 AbandonedAfterMs = 10 * 60 * 1000;

struct HeldLock
{
    QString folder;
    std::unique_ptr<QLockFile> file;
    QPointer<QTimer> aliveMarks;
};

HeldLock& Current()
{
    static HeldLock held;
    return held;
}

QString LockPath(const QString& folder)
{
    return QDir(folder).filePath(InstallationLockName);
}

// The time of the file system that holds folder, as it stamps a file
// written now: computers sharing an installation need not agree on the
// time, the server they share does. This computer's clock when no file
// can be made there.
QDateTime FolderNow(const QString& folder)
{
    QByteArray scratch = QFile::encodeName(QDir(folder).filePath(".tonvale-clock-XXXXXX"));
    const int fd = ::mkostemp(scratch.data(), O_CLOEXEC);
    if (fd < 0) return QDateTime::currentDateTime();
    const QDateTime now = QFileInfo(QFile::decodeName(scratch)).lastModified();
    ::close(fd);
    ::unlink(scratch.constData());
    return now.isValid() ? now : QDateTime::currentDateTime();
}

// Only the lock's age can tell whether a tutor on another computer still
// runs: its process cannot be looked up from here.
bool LeftByAnotherComputer(QLockFile& file, const QString& folder)
{
    qint64 pid = 0;
    QString host;
    QString application;
    if (!file.getLockInfo(&pid, &host, &application)) return false;
    if (host.isEmpty() || host == QSysInfo::machineHostName()) return false;
    const QDateTime marked = QFileInfo(LockPath(folder)).lastModified();
    return marked.isValid() && marked.msecsTo(FolderNow(folder)) > AbandonedAfterMs;
}

void KeepMarkingAlive(HeldLock& held)
{
    if (held.aliveMarks || !QCoreApplication::instance()) return;
    held.aliveMarks = new QTimer(QCoreApplication::instance());
    QObject::connect(held.aliveMarks, &QTimer::timeout, [] { MarkInstallationLockAlive(); });
    held.aliveMarks->start(AliveMarkMs);
}

} // namespace

InstallationLock LockInstallation(const QString& dataFolder)
{
    HeldLock& held = Current();
    const QString folder = QDir::cleanPath(dataFolder);
    if (held.file && held.folder == folder) return InstallationLock::Held;
    held.file.reset();

    const QString path = LockPath(folder);
    auto file = std::make_unique<QLockFile>(path);
    // A tutor runs for hours: a lock of this computer is stale only when
    // the process that wrote it is gone, never because it is old.
    file->setStaleLockTime(0);
    bool locked = file->tryLock(0);
    if (!locked && file->error() == QLockFile::LockFailedError &&
        LeftByAnotherComputer(*file, folder))
        locked = file->removeStaleLockFile() && file->tryLock(0);
    if (locked) {
        held.folder = folder;
        held.file = std::move(file);
        KeepMarkingAlive(held);
        return InstallationLock::Held;
    }
    return file->error() == QLockFile::LockFailedError ? InstallationLock::HeldElsewhere
                                                       : InstallationLock::Unavailable;
}

void MarkInstallationLockAlive()
{
    HeldLock& held = Current();
    if (!held.file) return;
    // A computer that slept past the wait may find its lock taken over: the
    // lock is then another tutor's, which this one must neither mark nor
    // remove when it ends.
    qint64 pid = 0;
    QString host;
    QString application;
    if (held.file->getLockInfo(&pid, &host, &application) &&
        (pid != QCoreApplication::applicationPid() || host != QSysInfo::machineHostName())) {
        (void)held.file.release(); // its destructor would delete the other tutor's lock
        held.folder.clear();
        delete held.aliveMarks;
        return;
    }
    // Stamped by the file system's own clock, against which it is judged.
    const int fd = ::open(QFile::encodeName(LockPath(held.folder)).constData(),
                          O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0) return;
    ::futimens(fd, nullptr);
    ::close(fd);
}

void ReleaseInstallationLock()
{
    HeldLock& held = Current();
    held.file.reset();
    held.folder.clear();
    delete held.aliveMarks;
}
