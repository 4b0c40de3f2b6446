#include "history/HistoryResult.h"

#include <QSqlError>

namespace {

// SQLite's primary result codes; extended codes carry them in the low byte.
constexpr int SqlitePerm = 3;
constexpr int SqliteBusy = 5;
constexpr int SqliteLocked = 6;
constexpr int SqliteReadOnly = 8;
constexpr int SqliteCorrupt = 11;
constexpr int SqliteFull = 13;
constexpr int SqliteCantOpen = 14;
constexpr int SqliteNotADatabase = 26;

} // namespace

QString HistoryNotice(int32_t result, const QString& lead)
{
    switch (result) {
    case HistoryOk:
        return QString();
    case HistoryDamaged:
        return lead + "the history file is damaged.";
    case HistoryBusy:
        return lead + "another Tonvale Tutor is writing to it.";
    case HistoryDiskFull:
        return lead + "the disk is full.";
    case HistoryReadOnly:
        return lead + "its folder cannot be written.";
    case HistoryTakeUnreadable:
        return lead + "the recording could not be read.";
    case HistoryNewerVersion:
        return lead + "it was written by a newer Tonvale Tutor.";
    case HistoryNotOpen:
        return lead + "it could not be opened.";
    default:
        return lead + "it could not be written.";
    }
}

int32_t HistoryResultOf(const QSqlError& error)
{
    bool isNumber = false;
    const int code = error.nativeErrorCode().toInt(&isNumber) & 0xff;
    if (!isNumber) return HistoryFailed;
    switch (code) {
    case SqliteBusy:
    case SqliteLocked:
        return HistoryBusy;
    case SqliteCorrupt:
    case SqliteNotADatabase:
        return HistoryDamaged;
    case SqliteFull:
        return HistoryDiskFull;
    case SqlitePerm:
    case SqliteReadOnly:
    case SqliteCantOpen:
        return HistoryReadOnly;
    default:
        return HistoryFailed;
    }
}
