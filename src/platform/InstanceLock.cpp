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

#include <memory>

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

// Only the lock's age can tell whether a tutor on another computer still
// runs: its process cannot be looked up from here.
bool LeftByAnotherComputer(QLockFile& file, const QString& path)
{
    qint64 pid = 0;
    QString host;
    QString application;
    if (!file.getLockInfo(&pid, &host, &application)) return false;
    if (host.isEmpty() || host == QSysInfo::machineHostName()) return false;
    const QDateTime marked = QFileInfo(path).lastModified();
    return marked.isValid() && marked.msecsTo(QDateTime::currentDateTime()) > AbandonedAfterMs;
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
        LeftByAnotherComputer(*file, path))
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
    const HeldLock& held = Current();
    if (!held.file) return;
    QFile lock(LockPath(held.folder));
    if (lock.open(QIODevice::ReadOnly))
        lock.setFileTime(QDateTime::currentDateTimeUtc(), QFileDevice::FileModificationTime);
}

void ReleaseInstallationLock()
{
    HeldLock& held = Current();
    held.file.reset();
    held.folder.clear();
    delete held.aliveMarks;
}
