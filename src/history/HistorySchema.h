#pragma once
// The layout of the history database, version by version. A database
// carries its version in PRAGMA user_version (0 for a new, empty file);
// each migration takes it exactly one version up, in order, so a database
// of any earlier version is brought up to date at start-up. Migrations are
// only ever appended: a released one is never edited.
//
//   1  phrases (key, text, attempt counts) and takes (time, duration,
//      analyser's result, file)
//   2  the comparison's marks of a take: score, stress match, ending match
#include <QSqlDatabase>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <vector>

inline constexpr int HistorySchemaVersion = 2;

// The statements of each migration; entry i takes a database of version i
// to version i + 1.
const std::vector<QStringList>& HistoryMigrations();

// The version the database says it has. Returns a history result code;
// problem says why it could not be read.
int32_t ReadHistoryVersion(QSqlDatabase& db, int& version, QString& problem);

// Applies the migrations the database still lacks, each in a transaction of
// its own that also sets the new version, so a migration cut short leaves the
// database at the version before it. Another tutor migrating at the same
// time is waited for. Returns a history result code; problem says why.
int32_t MigrateHistory(QSqlDatabase& db, int toVersion, QString& problem);
