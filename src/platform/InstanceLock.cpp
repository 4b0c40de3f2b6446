#include "platform/InstanceLock.h"

#include <QDir>
#include <QLockFile>

#include <memory>

namespace {
struct HeldLock
{
    QString folder;
    std::unique_ptr<QLockFile> file;
};

HeldLock& Current()
{
    static HeldLock held;
    return held;
}
} // namespace

InstallationLock LockInstallation(const QString& dataFolder)
{
    HeldLock& held = Current();
    const QString folder = QDir::cleanPath(dataFolder);
    if (held.file && held.folder == folder) return InstallationLock::Held;
    held.file.reset();

    auto file = std::make_unique<QLockFile>(QDir(folder).filePath(InstallationLockName));
    // A tutor runs for hours: the lock is stale only when the process that
    // wrote it is gone, never because it is old.
    file->setStaleLockTime(0);
    if (file->tryLock(0)) {
        held = {folder, std::move(file)};
        return InstallationLock::Held;
    }
    return file->error() == QLockFile::LockFailedError ? InstallationLock::HeldElsewhere
                                                       : InstallationLock::Unavailable;
}

void ReleaseInstallationLock()
{
    Current().file.reset();
    Current().folder.clear();
}
