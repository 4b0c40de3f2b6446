#pragma once
// Result codes of the practice history, shared by its files and its
// database: 0 is success, each failure has one short notice for the learner.
#include <QString>

#include <cstdint>

class QSqlError;

inline constexpr int32_t HistoryOk = 0;
inline constexpr int32_t HistoryNotOpen = -1;        // no history there, or Open not yet called
inline constexpr int32_t HistoryDamaged = -2;        // the database file is not a sound database
inline constexpr int32_t HistoryBusy = -3;           // another tutor held it past the wait
inline constexpr int32_t HistoryDiskFull = -4;       // no room left
inline constexpr int32_t HistoryReadOnly = -5;       // the folder or the database cannot be written
inline constexpr int32_t HistoryTakeUnreadable = -6; // the recording to keep cannot be read
inline constexpr int32_t HistoryNewerVersion = -7;   // written by a newer tutor; left alone
inline constexpr int32_t HistoryOutdated = -8; // older than this program, and opened to read only
inline constexpr int32_t HistoryFailed = -9;   // any other failure

inline const QString TakeNotKeptLead = QStringLiteral("This take was not kept in your history: ");

// One short sentence for the learner on why a take was not kept (or, with
// another lead, why the history cannot be used); empty for HistoryOk.
QString HistoryNotice(int32_t result, const QString& lead = TakeNotKeptLead);

// The result code that a database error stands for.
int32_t HistoryResultOf(const QSqlError& error);
