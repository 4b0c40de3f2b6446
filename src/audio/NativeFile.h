#pragma once
// Files named by their native path: the bytes the file system knows a name
// by. A name need not be valid text in any encoding (a folder copied from an
// older system, a Latin-1 name on a UTF-8 system); a QString cannot hold such
// a name, and a path that went through one comes back as other bytes. These
// procedures take the bytes and hand back open QFile objects.
// QFile::encodeName gives the native path of a path held as a QString.
//
// A new version of a file replaces the old one as a careful editor would: it
// is built beside the file and renamed over it, so the name always leads to
// the whole old or the whole new version; the file keeps its permissions and,
// where the system allows, its owner and group; a symbolic link keeps leading
// to the file it named (that file is replaced, not the link); and a file with
// several hard links stays one file under all its names.
#include <QByteArray>
#include <QFile>

enum class OpenResult {
    Opened,
    NotOpened,  // missing, or not readable
    NotRegular, // a folder, a FIFO, a device: nothing to read a recording from
};

// Opens path read-only. Never waits: a FIFO without a writer, or a device,
// is refused as NotRegular instead of being waited on.
OpenResult OpenRegularFile(QFile& file, const QByteArray& path);

bool NativeFileExists(const QByteArray& path);

// The file path leads to through any symbolic links. A link to a file not
// yet made leads to where that file would be. At most 40 links are followed.
QByteArray FollowLinks(const QByteArray& path);

// Creates and opens read-write a file of this process's own beside path,
// "<path>.<8 hex digits>.tmp", never one that exists. Returns its native
// path, or an empty one when no such file could be made.
QByteArray CreateFileBeside(QFile& file, const QByteArray& path);

// Puts the new version of target, complete in `file` (opened by
// CreateFileBeside at `temporary`), in place of target, as described above,
// and closes `file`. Target is a path whose links were followed already.
// The new version reaches the disk before it takes the name.
//
// False when target is not a regular file (the new version is then never
// put in its place) or when a step fails. On failure target keeps its old
// contents and the caller removes the temporary file; only when a file with
// several names fails part way through being written over is `keepTemporary`
// set: the new version then survives only in the temporary file.
bool ReplaceFile(QFile& file, const QByteArray& temporary, const QByteArray& target,
                 bool& keepTemporary);

// Removes the file; false when it could not.
bool RemoveNativeFile(const QByteArray& path);
