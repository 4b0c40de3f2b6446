#include "platform/WorkingFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStorageInfo>

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>

#include <vector>

void DeleteMatchingFiles(const QString& folder, const QString& pattern)
{
    if (folder.isEmpty()) return;
    QDir dir(folder);
    for (const QString& name : dir.entryList({pattern}, QDir::Files | QDir::Hidden))
        QFile::remove(dir.filePath(name));
}

namespace {

WriteProblem ProblemOfErrno(int error)
{
    switch (error) {
    case EACCES:
    case EPERM:
    case EROFS:
        return WriteProblem::ReadOnly;
    case ENOSPC:
    case EDQUOT:
        return WriteProblem::DiskFull;
    case ENOENT:
    case ENOTDIR:
        return WriteProblem::FolderMissing;
    default:
        return WriteProblem::Unknown;
    }
}

} // namespace

WriteProblem DiagnoseWriteProblem(const QString& folder, qint64 bytesNeeded)
{
    if (folder.isEmpty() || !QFileInfo(folder).isDir()) return WriteProblem::FolderMissing;
    // The free space a file system reports leaves out what is reserved for
    // others; only a real write tells for certain, so write a probe of the
    // same size and take it away again. The probe is a new file of a name
    // of its own: in a Data folder others can write to, a link planted at a
    // fixed name would lead the probe into a file of the learner's.
    QByteArray probe = QFile::encodeName(QDir(folder).filePath(".tonvale-write-probe-XXXXXX"));
    const int fd = ::mkostemp(probe.data(), O_CLOEXEC);
    if (fd < 0) return ProblemOfErrno(errno);
    WriteProblem problem = WriteProblem::None;
    std::vector<char> block(64 * 1024, '\0');
    for (qint64 left = std::max<qint64>(bytesNeeded, 1); left > 0;) {
        const ssize_t count = ::write(fd, block.data(), size_t(std::min<qint64>(left, 65536)));
        if (count < 0) {
            if (errno == EINTR) continue;
            problem = ProblemOfErrno(errno);
            break;
        }
        left -= count;
    }
    if (problem == WriteProblem::None && ::fsync(fd) != 0) problem = ProblemOfErrno(errno);
    ::close(fd);
    ::unlink(probe.constData());
    if (problem == WriteProblem::None && QStorageInfo(folder).isReadOnly())
        problem = WriteProblem::ReadOnly;
    return problem;
}
