#pragma once
// The sound of the kept takes under the history folder:
//   <history folder>/<content pack>/<phrase stem>/<UTC time>.wav
// Each key part becomes exactly one folder name, so nothing a content pack
// names can put a take outside the history folder. A take file is written
// under a scratch name in its own folder, flushed to the disk and only then
// given its real name, so a take file is either whole or absent.
#include "history/HistoryResult.h"
#include "history/PhraseKey.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>

#include <cstdint>

// A key part as one safe folder name: letters, digits, '_', '-' and '.'
// stay (a leading '.' does not), every other byte of its UTF-8 is written
// %XX, so different parts never share a folder. Over-long names are cut and
// end in a hash of the whole part.
QString TakeFolderName(const QString& part);

// "<content pack>/<phrase stem>", relative to the history folder.
QString TakeFolderOf(const PhraseKey& key);

// "20250304T102233.456Z.wav": the take's time in UTC, to the millisecond,
// in an order that sorts like time.
QString TakeFileName(const QDateTime& recordedAt);

// Why a folder cannot be made or written: read-only, full, or another
// failure, judged by the nearest folder that exists.
int32_t FolderWriteFailure(const QString& folder);

// Writes bytes as the take file wantedName in folder (made when missing).
// A file of that name already there is never replaced: the take is then
// named "<name>-2.wav", "-3", and so on. On success finalName is the name
// given; on failure nothing is left behind and the code says why.
int32_t WriteTakeFile(const QByteArray& bytes, const QString& folder, const QString& wantedName,
                      QString& finalName);

// The length of the sound in a wave file's bytes, in milliseconds; 0 when
// its format or its data cannot be read.
int WaveDurationMs(const QByteArray& bytes);

// Removes what an interrupted write left in a take folder: scratch files,
// and take files that no record names (keptNames), once they are older than
// a write could take, so that another tutor's take in progress is spared.
// A take file named for a time before every kept take there is not such a
// left-over but a recording from before the history was begun anew (after a
// damaged or lost database file): it is kept, since it may yet be recovered.
void TidyTakeFolder(const QString& folder, const QStringList& keptNames, const QDateTime& now);
