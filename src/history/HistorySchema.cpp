#include "history/HistorySchema.h"

#include "history/HistoryResult.h"

#include <QSqlError>
#include <QSqlQuery>

const std::vector<QStringList>& HistoryMigrations()
{
    static const std::vector<QStringList> migrations = {
        // To version 1. Times are UTC milliseconds since 1970; files are
        // relative to the history folder, so the folder can move.
        {"CREATE TABLE phrases ("
         " id INTEGER PRIMARY KEY,"
         " content_pack TEXT NOT NULL,"
         " category_code TEXT NOT NULL,"
         " stem TEXT NOT NULL,"
         " phrase_text TEXT NOT NULL,"
         " attempts INTEGER NOT NULL DEFAULT 0,"
         " good_attempts INTEGER NOT NULL DEFAULT 0,"
         " UNIQUE (content_pack, category_code, stem))",
         "CREATE TABLE takes ("
         " id INTEGER PRIMARY KEY,"
         " phrase_id INTEGER NOT NULL REFERENCES phrases (id),"
         " recorded_ms INTEGER NOT NULL,"
         " duration_ms INTEGER NOT NULL,"
         " analysis TEXT NOT NULL,"
         " file TEXT NOT NULL)",
         "CREATE INDEX takes_of_phrase ON takes (phrase_id, recorded_ms)"},
        // To version 2.
        {"ALTER TABLE takes ADD COLUMN score INTEGER CHECK (score BETWEEN 0 AND 100)",
         "ALTER TABLE takes ADD COLUMN stress_match INTEGER CHECK (stress_match IN (0, 1))",
         "ALTER TABLE takes ADD COLUMN ending_match INTEGER CHECK (ending_match IN (0, 1))"},
    };
    return migrations;
}

namespace {

int32_t Failed(const QSqlError& error, const QString& doing, QString& problem)
{
    problem = doing + ": " + error.text();
    return HistoryResultOf(error);
}

// One step in one transaction. The version is read again inside it: a
// tutor started at the same moment may have taken the step already.
int32_t MigrateOneStep(QSqlDatabase& db, int fromVersion, QString& problem)
{
    QSqlQuery query(db);
    if (!query.exec("BEGIN IMMEDIATE"))
        return Failed(query.lastError(), "cannot start bringing the history up to date", problem);
    int version = -1;
    if (int32_t rc = ReadHistoryVersion(db, version, problem); rc != HistoryOk) {
        query.exec("ROLLBACK");
        return rc;
    }
    if (version != fromVersion) {
        query.exec("ROLLBACK");
        return HistoryOk;
    }
    for (const QString& statement : HistoryMigrations()[fromVersion]) {
        if (!query.exec(statement)) {
            const QSqlError error = query.lastError();
            query.exec("ROLLBACK");
            return Failed(error,
                          QString("cannot bring the history to version %1").arg(fromVersion + 1),
                          problem);
        }
    }
    if (!query.exec(QString("PRAGMA user_version = %1").arg(fromVersion + 1)) ||
        !query.exec("COMMIT")) {
        const QSqlError error = query.lastError();
        query.exec("ROLLBACK");
        return Failed(error, "cannot store the history's new version", problem);
    }
    return HistoryOk;
}

} // namespace

int32_t ReadHistoryVersion(QSqlDatabase& db, int& version, QString& problem)
{
    QSqlQuery query(db);
    if (!query.exec("PRAGMA user_version") || !query.next())
        return Failed(query.lastError(), "cannot read the history's version", problem);
    version = query.value(0).toInt();
    return HistoryOk;
}

int32_t MigrateHistory(QSqlDatabase& db, int toVersion, QString& problem)
{
    for (;;) {
        int version = -1;
        if (int32_t rc = ReadHistoryVersion(db, version, problem); rc != HistoryOk) return rc;
        if (version > HistorySchemaVersion) {
            problem = QString("the history is of version %1, newer than this program's %2")
                          .arg(version)
                          .arg(HistorySchemaVersion);
            return HistoryNewerVersion;
        }
        if (version >= toVersion) return HistoryOk;
        if (int32_t rc = MigrateOneStep(db, version, problem); rc != HistoryOk) return rc;
    }
}
