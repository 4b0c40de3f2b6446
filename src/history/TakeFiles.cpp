#include "history/TakeFiles.h"

#include "audio/RiffFile.h"

#include <QBuffer>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStorageInfo>
#include <QTemporaryFile>
#include <QtEndian>

#include <algorithm>
#include <cerrno>

#include <unistd.h>

namespace {

// Folder names stay well inside the 255 bytes file systems allow.
constexpr int MaxFolderNameLength = 120;
constexpr int FolderNameHashLength = 16;

// A second take within the same millisecond is rare; a hundred is plenty.
constexpr int MaxSameNameTakes = 100;

// Scratch files start with this, so a tidy-up knows them.
const QString ScratchPrefix = QStringLiteral(".take-");

// A take is written in well under a second; anything older is left over.
constexpr qint64 LeftOverAfterSeconds = 600;

bool KeepsCharacter(char c, bool first)
{
    const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                       c == '_' || c == '-' || c == '.';
    return plain && !(first && c == '.');
}

// Why a write into folder failed: no room, no permission, or something else.
int32_t FileFailure(const QFileDevice& file, const QString& folder, qint64 needed)
{
    if (file.error() == QFileDevice::ResourceError) return HistoryDiskFull;
    const QStorageInfo storage(folder);
    if (storage.isValid() && storage.isReadOnly()) return HistoryReadOnly;
    if (storage.isValid() && storage.bytesAvailable() < needed) return HistoryDiskFull;
    if (file.error() == QFileDevice::OpenError || file.error() == QFileDevice::PermissionsError)
        return HistoryReadOnly;
    return HistoryFailed;
}

} // namespace

int32_t FolderWriteFailure(const QString& folder)
{
    // The nearest folder that exists tells whether the file system refuses.
    QString existing = folder;
    while (!QFileInfo(existing).exists() && QFileInfo(existing).absolutePath() != existing)
        existing = QFileInfo(existing).absolutePath();
    const QStorageInfo storage(existing);
    if (storage.isValid() && storage.isReadOnly()) return HistoryReadOnly;
    if (storage.isValid() && storage.bytesAvailable() == 0) return HistoryDiskFull;
    return QFileInfo(existing).isDir() && !QFileInfo(existing).isWritable() ? HistoryReadOnly
                                                                            : HistoryFailed;
}

namespace {

enum class Naming { Given, Taken, Failed };

// Gives the scratch file its real name unless a file has that name already,
// in one step: a check before a rename would let two tutors writing in the
// same millisecond replace each other's take. A hard link fails on a taken
// name; file systems without hard links get a plain rename after a check.
Naming GiveName(const QString& scratch, const QString& target)
{
    const QByteArray from = QFile::encodeName(scratch);
    const QByteArray to = QFile::encodeName(target);
    if (::link(from.constData(), to.constData()) == 0) {
        ::unlink(from.constData());
        return Naming::Given;
    }
    if (errno == EEXIST) return Naming::Taken;
    if (errno != EPERM && errno != ENOTSUP && errno != EOPNOTSUPP) return Naming::Failed;
    if (QFileInfo::exists(target)) return Naming::Taken;
    return QFile::rename(scratch, target) ? Naming::Given : Naming::Failed;
}

QString NumberedName(const QString& wantedName, int number)
{
    if (number == 1) return wantedName;
    const QFileInfo info(wantedName);
    return info.completeBaseName() + '-' + QString::number(number) + '.' + info.suffix();
}

} // namespace

QString TakeFolderName(const QString& part)
{
    const QByteArray bytes = part.toUtf8();
    QString name;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const char c = bytes[i];
        if (KeepsCharacter(c, i == 0))
            name += QLatin1Char(c);
        else
            name += QString::asprintf("%%%02X", uint(uchar(c)));
    }
    if (name.isEmpty()) return QStringLiteral("%");
    if (name.size() > MaxFolderNameLength) {
        const QByteArray hash = QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex();
        name = name.left(MaxFolderNameLength - FolderNameHashLength - 1) + '~' +
               QString::fromLatin1(hash.left(FolderNameHashLength));
    }
    return name;
}

QString TakeFolderOf(const PhraseKey& key)
{
    return TakeFolderName(key.ContentPack) + '/' + TakeFolderName(key.Stem);
}

QString TakeFileName(const QDateTime& recordedAt)
{
    return recordedAt.toUTC().toString(QStringLiteral("yyyyMMdd'T'HHmmss.zzz'Z.wav'"));
}

int32_t WriteTakeFile(const QByteArray& bytes, const QString& folder, const QString& wantedName,
                      QString& finalName)
{
    finalName.clear();
    if (!QDir().mkpath(folder)) return FolderWriteFailure(folder);

    QTemporaryFile scratch(folder + '/' + ScratchPrefix + "XXXXXX");
    if (!scratch.open()) return FolderWriteFailure(folder);
    // The take must be on the disk before any record names it.
    if (scratch.write(bytes) != bytes.size() || !scratch.flush() || ::fsync(scratch.handle()) != 0)
        return FileFailure(scratch, folder, bytes.size());
    scratch.close();

    for (int number = 1; number <= MaxSameNameTakes; ++number) {
        const QString name = NumberedName(wantedName, number);
        switch (GiveName(scratch.fileName(), folder + '/' + name)) {
        case Naming::Given:
            scratch.setAutoRemove(false);
            finalName = name;
            return HistoryOk;
        case Naming::Taken:
            continue; // another tutor's take of the same millisecond
        case Naming::Failed:
            return FolderWriteFailure(folder);
        }
    }
    return HistoryFailed;
}

int WaveDurationMs(const QByteArray& bytes)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    RiffReader riff(buffer);
    RiffChunk outer, format, data;
    if (!riff.Open() || !riff.DescendOuter(outer) || !riff.FindChunk(FourCC("fmt "), format) ||
        format.Size < 16)
        return 0;
    uchar fields[16];
    if (riff.Read(fields, sizeof fields) != qint64(sizeof fields)) return 0;
    const uint32_t bytesPerSecond = qFromLittleEndian<uint32_t>(fields + 8);
    if (bytesPerSecond == 0 || !riff.SeekToFirstSubChunk(outer) ||
        !riff.FindChunk(FourCC("data"), data))
        return 0;
    // A recording cut short claims more than it holds: count what is there.
    const int64_t held = std::min<int64_t>(data.Size, riff.FileSize() - data.DataOffset);
    return int(std::max<int64_t>(held, 0) * 1000 / bytesPerSecond);
}

void TidyTakeFolder(const QString& folder, const QStringList& keptNames, const QDateTime& now)
{
    // Take files are named for their time, so names sort like time. A
    // history never prunes the first take it kept of a phrase, so whatever
    // lay there before that take stays before it.
    const QString firstKept =
        keptNames.isEmpty() ? QString() : *std::min_element(keptNames.begin(), keptNames.end());
    const QDir dir(folder);
    const QFileInfoList entries =
        dir.entryInfoList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot);
    for (const QFileInfo& entry : entries) {
        const bool scratch = entry.fileName().startsWith(ScratchPrefix);
        const bool strayTake = entry.suffix() == QLatin1String("wav") && !firstKept.isEmpty() &&
                               entry.fileName() > firstKept &&
                               !keptNames.contains(entry.fileName());
        if ((scratch || strayTake) && entry.lastModified().secsTo(now) > LeftOverAfterSeconds)
            QFile::remove(entry.filePath());
    }
}
