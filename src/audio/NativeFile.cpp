#include "audio/NativeFile.h"

#include <QRandomGenerator>

#include <algorithm>
#include <cerrno>

#ifdef Q_OS_UNIX
#include <csignal>
#include <fcntl.h>
#include <pthread.h>
#include <sys/stat.h>
#include <unistd.h>
#else
#include <QFileInfo>
#endif

namespace {

QByteArray TemporaryNameBeside(const QByteArray& path)
{
    return path + '.' +
           QByteArray::number(QRandomGenerator::global()->generate(), 16).rightJustified(8, '0') +
           ".tmp";
}

#ifdef Q_OS_UNIX

// Hands an open descriptor to file, which closes it from then on.
bool AdoptDescriptor(QFile& file, int descriptor, QIODevice::OpenMode mode)
{
    if (file.open(descriptor, mode, QFileDevice::AutoCloseHandle)) return true;
    ::close(descriptor);
    return false;
}

// Stop requests (an interrupt, a termination, a hang-up) wait while the
// object lives: a file half written over in place is the one state a stop
// must never leave. A kill that cannot wait leaves the complete new version
// in the temporary file.
class StopRequestsDeferred
{
public:
    StopRequestsDeferred()
    {
        sigset_t deferred;
        sigemptyset(&deferred);
        for (int signal : {SIGINT, SIGTERM, SIGHUP, SIGQUIT})
            sigaddset(&deferred, signal);
        pthread_sigmask(SIG_BLOCK, &deferred, &previous);
    }
    ~StopRequestsDeferred() { pthread_sigmask(SIG_SETMASK, &previous, nullptr); }
    StopRequestsDeferred(const StopRequestsDeferred&) = delete;
    StopRequestsDeferred& operator=(const StopRequestsDeferred&) = delete;

private:
    sigset_t previous;
};

bool WriteAll(int descriptor, const char* data, int64_t size)
{
    while (size > 0) {
        const ssize_t written = ::write(descriptor, data, static_cast<size_t>(size));
        if (written <= 0) return false;
        data += written;
        size -= written;
    }
    return true;
}

// A rename would give the other names of a hard-linked file the old
// version, splitting one file into two; its contents are written over in
// place instead. The space is claimed first, so a full disk stops the
// write before any old byte is lost.
bool WriteOverInPlace(QFile& file, const QByteArray& target, bool& keepTemporary)
{
    const int64_t size = file.size();
    const int descriptor = ::open(target.constData(), O_WRONLY | O_CLOEXEC);
    if (descriptor < 0) return false;
    const StopRequestsDeferred deferred;
    bool ok = ::posix_fallocate(descriptor, 0, size) == 0 && file.seek(0);
    QByteArray block(static_cast<qsizetype>(std::min<int64_t>(size, 1 << 20)), '\0');
    for (int64_t done = 0; ok && done < size; done += block.size()) {
        block.truncate(std::min<int64_t>(size - done, block.size()));
        if (file.read(block.data(), block.size()) != block.size()) {
            ok = false;
            break;
        }
        keepTemporary = true; // from the first write on, the old version is going
        ok = WriteAll(descriptor, block.constData(), block.size());
    }
    ok = ok && ::ftruncate(descriptor, size) == 0 && ::fsync(descriptor) == 0;
    ok = ::close(descriptor) == 0 && ok;
    if (ok) keepTemporary = false;
    return ok;
}

#endif

} // namespace

OpenResult OpenRegularFile(QFile& file, const QByteArray& path)
{
#ifdef Q_OS_UNIX
    // Without O_NONBLOCK, opening a FIFO waits for a writer.
    const int descriptor = ::open(path.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (descriptor < 0) return OpenResult::NotOpened;
    struct stat status;
    if (::fstat(descriptor, &status) != 0 || !S_ISREG(status.st_mode)) {
        ::close(descriptor);
        return OpenResult::NotRegular;
    }
    ::fcntl(descriptor, F_SETFL, ::fcntl(descriptor, F_GETFL) & ~O_NONBLOCK);
    return AdoptDescriptor(file, descriptor, QIODevice::ReadOnly) ? OpenResult::Opened
                                                                  : OpenResult::NotOpened;
#else
    const QString name = QFile::decodeName(path);
    if (QFileInfo::exists(name) && !QFileInfo(name).isFile()) return OpenResult::NotRegular;
    file.setFileName(name);
    return file.open(QIODevice::ReadOnly) ? OpenResult::Opened : OpenResult::NotOpened;
#endif
}

bool NativeFileExists(const QByteArray& path)
{
#ifdef Q_OS_UNIX
    struct stat status;
    return ::stat(path.constData(), &status) == 0;
#else
    return QFile::exists(QFile::decodeName(path));
#endif
}

QByteArray FollowLinks(const QByteArray& path)
{
    QByteArray current = path;
#ifdef Q_OS_UNIX
    for (int link = 0; link < 40; ++link) {
        struct stat status;
        if (::lstat(current.constData(), &status) != 0 || !S_ISLNK(status.st_mode)) break;
        QByteArray target(4096, '\0');
        const ssize_t length = ::readlink(current.constData(), target.data(), target.size());
        if (length <= 0 || length >= target.size()) break;
        target.truncate(length);
        // A relative link counts from the folder that holds it.
        if (!target.startsWith('/')) target.prepend(current.left(current.lastIndexOf('/') + 1));
        current = target;
    }
#endif
    return current;
}

QByteArray CreateFileBeside(QFile& file, const QByteArray& path)
{
    for (int attempt = 0; attempt < 8; ++attempt) {
        const QByteArray name = TemporaryNameBeside(path);
#ifdef Q_OS_UNIX
        // O_EXCL: never a file that exists, never through a link planted there.
        const int descriptor =
            ::open(name.constData(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (descriptor >= 0)
            return AdoptDescriptor(file, descriptor, QIODevice::ReadWrite) ? name : QByteArray();
        if (errno != EEXIST) return {};
#else
        file.setFileName(QFile::decodeName(name));
        if (file.open(QIODevice::ReadWrite | QIODevice::NewOnly)) return name;
#endif
    }
    return {};
}

bool ReplaceFile(QFile& file, const QByteArray& temporary, const QByteArray& target,
                 bool& keepTemporary)
{
    keepTemporary = false;
    if (!file.flush()) return false;
#ifdef Q_OS_UNIX
    const int descriptor = file.handle();
    struct stat old;
    const bool exists = ::stat(target.constData(), &old) == 0;
    if (exists && !S_ISREG(old.st_mode)) return false;
    if (exists) {
        // The owner first: changing it clears the set-user and set-group
        // bits, which a recording never needs anyway. Only the superuser may
        // give a file away; anybody may keep its group when a member of it.
        // Keeping neither is no failure: the file is then the analyser's.
        [[maybe_unused]] const bool ownerKept =
            ::fchown(descriptor, old.st_uid, old.st_gid) == 0 ||
            ::fchown(descriptor, static_cast<uid_t>(-1), old.st_gid) == 0;
        if (::fchmod(descriptor, old.st_mode & 0777) != 0) return false;
        if (old.st_nlink > 1) {
            const bool ok = WriteOverInPlace(file, target, keepTemporary);
            file.close();
            if (ok) RemoveNativeFile(temporary);
            return ok;
        }
    }
    // The rename must not reach the disk before the data it names.
    const bool synced = ::fsync(descriptor) == 0;
    file.close();
    return synced && file.error() == QFileDevice::NoError &&
           ::rename(temporary.constData(), target.constData()) == 0;
#else
    file.close();
    const QString to = QFile::decodeName(target);
    QFile::remove(to);
    return QFile::rename(QFile::decodeName(temporary), to);
#endif
}

bool RemoveNativeFile(const QByteArray& path)
{
#ifdef Q_OS_UNIX
    return ::unlink(path.constData()) == 0;
#else
    return QFile::remove(QFile::decodeName(path));
#endif
}
