#include "history/PracticeHistory.h"

#include "history/HistorySchema.h"

#include <QAtomicInteger>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QStorageInfo>
#include <QThread>
#include <QUrl>

#include <algorithm>

namespace {

// A recording is at most a few seconds long; a file far larger than that is
// not one, and is not read into memory.
constexpr qint64 MostTakeBytes = 64 * 1024 * 1024;

QString NewConnectionName()
{
    static QAtomicInteger<quint64> counter;
    return QStringLiteral("tonvale-history-%1").arg(counter.fetchAndAddRelaxed(1));
}

QVariant OptionalValue(const std::optional<int>& value)
{
    return value ? QVariant(*value) : QVariant(QMetaType::fromType<int>());
}

QVariant OptionalValue(const std::optional<bool>& value)
{
    return value ? QVariant(*value ? 1 : 0) : QVariant(QMetaType::fromType<int>());
}

std::optional<int> OptionalInt(const QVariant& value)
{
    return value.isNull() ? std::nullopt : std::optional<int>(value.toInt());
}

std::optional<bool> OptionalBool(const QVariant& value)
{
    return value.isNull() ? std::nullopt : std::optional<bool>(value.toInt() != 0);
}

struct PruneRow
{
    qint64 Id;
    QString File;
    std::optional<int> Score;
};

// The takes to remove, given the phrase's takes in the order they were
// recorded (their ids: the clock may have gone back meanwhile): the oldest
// beyond the limit, sparing the first take (where the learner started), the
// best-scored one (the earliest of equal bests) and the one just recorded.
std::vector<const PruneRow*> TakesToPrune(const std::vector<PruneRow>& oldestFirst, int limit,
                                          qint64 newTakeId)
{
    std::vector<const PruneRow*> pruned;
    if (int(oldestFirst.size()) <= limit) return pruned;
    const PruneRow* best = nullptr;
    for (const PruneRow& row : oldestFirst) {
        if (row.Score && (!best || *row.Score > *best->Score)) best = &row;
    }
    size_t excess = oldestFirst.size() - size_t(limit);
    for (size_t i = 1; i < oldestFirst.size() && pruned.size() < excess; ++i) {
        const PruneRow& row = oldestFirst[i];
        if (&row != best && row.Id != newTakeId) pruned.push_back(&row);
    }
    return pruned;
}

// The columns every take query reads, in this order.
const QString TakeColumns = QStringLiteral(
    "t.id, t.recorded_ms, t.duration_ms, t.analysis, t.score, t.stress_match, t.ending_match, "
    "t.file");

StoredTake TakeFromQuery(const QSqlQuery& query, int first, const QString& folder)
{
    StoredTake take;
    take.Id = query.value(first).toLongLong();
    take.RecordedAt = QDateTime::fromMSecsSinceEpoch(query.value(first + 1).toLongLong(), Qt::UTC);
    take.DurationMs = query.value(first + 2).toInt();
    take.Analysis = query.value(first + 3).toString();
    take.Marks.Score = OptionalInt(query.value(first + 4));
    take.Marks.StressMatch = OptionalBool(query.value(first + 5));
    take.Marks.EndingMatch = OptionalBool(query.value(first + 6));
    take.File = folder + '/' + query.value(first + 7).toString();
    return take;
}

} // namespace

int KeptTakesFromSetting(const std::optional<QString>& value)
{
    bool isNumber = false;
    const int kept = value ? value->trimmed().toInt(&isNumber) : 0;
    if (!isNumber || kept < 1) return DefaultKeptTakesPerPhrase;
    return std::min(kept, MostKeptTakesPerPhrase);
}

QString DefaultHistoryDatabase()
{
    QString historyFolder = qEnvironmentVariable("TONVALE_HISTORY");
    if (historyFolder.isEmpty()) {
        QString dataHome = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
        if (dataHome.isEmpty() || QDir::isRelativePath(dataHome))
            dataHome = QDir::homePath() + "/.local/share";
        historyFolder = dataHome + "/tonvale-tutor/history";
    }
    return QDir::cleanPath(historyFolder + '/' + HistoryDatabaseName);
}

int32_t SetDamagedHistoryAside(const QString& databaseFile, QString& keptFile)
{
    keptFile.clear();
    // SQLite reads a database together with these files of the same name.
    const QStringList companions = {QStringLiteral("-wal"), QStringLiteral("-shm")};
    const QString stamp =
        QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyyMMdd'T'HHmmss'Z'"));
    QString target;
    for (int number = 1; number <= 100 && target.isEmpty(); ++number) {
        const QString tried = databaseFile + ".damaged-" + stamp +
                              (number == 1 ? QString() : '-' + QString::number(number));
        if (!QFileInfo::exists(tried) &&
            std::none_of(companions.begin(), companions.end(),
                         [&](const QString& end) { return QFileInfo::exists(tried + end); }))
            target = tried;
    }
    if (target.isEmpty()) return HistoryFailed;
    // The log goes first: a new database must never meet the old one's log.
    QStringList moved;
    for (const QString& end : companions) {
        if (!QFileInfo::exists(databaseFile + end)) continue;
        if (!QFile::rename(databaseFile + end, target + end)) break;
        moved.append(end);
    }
    const bool companionsMoved = std::all_of(companions.begin(), companions.end(), [&](auto& end) {
        return moved.contains(end) || !QFileInfo::exists(databaseFile + end);
    });
    if (!companionsMoved || !QFile::rename(databaseFile, target)) {
        for (const QString& end : moved)
            QFile::rename(target + end, databaseFile + end);
        return FolderWriteFailure(QFileInfo(databaseFile).absolutePath());
    }
    keptFile = target;
    return HistoryOk;
}

PracticeHistory::PracticeHistory(QString databaseFile, HistoryOptions options)
    : databaseFile(QFileInfo(databaseFile).absoluteFilePath()),
      folder(QDir::cleanPath(QFileInfo(this->databaseFile).absolutePath())), options(options),
      connectionName(NewConnectionName())
{
    this->options.KeptTakesPerPhrase =
        std::clamp(this->options.KeptTakesPerPhrase, 1, MostKeptTakesPerPhrase);
}

PracticeHistory::~PracticeHistory()
{
    CloseDatabase();
}

void PracticeHistory::CloseDatabase()
{
    if (!db.isValid()) return;
    db.close();
    db = QSqlDatabase();
    QSqlDatabase::removeDatabase(connectionName);
}

int32_t PracticeHistory::Fail(int32_t result, const QString& problem)
{
    lastProblem = problem;
    return result;
}

int32_t PracticeHistory::SqlFail(const QSqlError& error, const QString& doing)
{
    return Fail(HistoryResultOf(error),
                QString("%1 (%2): %3").arg(doing, databaseFile, error.text()));
}

int32_t PracticeHistory::Open(HistoryAccess access)
{
    CloseDatabase();
    openResult = OpenDatabase(access);
    if (openResult != HistoryOk) CloseDatabase();
    return openResult;
}

int32_t PracticeHistory::OpenDatabase(HistoryAccess access)
{
    if (access == HistoryAccess::Read && !QFileInfo(databaseFile).isFile())
        return Fail(HistoryNotOpen, "no practice history at " + databaseFile);
    if (access == HistoryAccess::Write && !QDir().mkpath(folder))
        return Fail(FolderWriteFailure(folder), "cannot make the history folder " + folder);

    const QString readOnly = access == HistoryAccess::Read ? ";QSQLITE_OPEN_READONLY" : "";
    int32_t result = Connect(databaseFile, readOnly);
    if (result == HistoryOk) result = PrepareConnection(access);
    // SQLite reads a WAL database through a shared-memory file beside it,
    // which it cannot make on a read-only medium. Nobody can be writing
    // there, so the file is read as it stands.
    const QStorageInfo storage(folder);
    if (result == HistoryReadOnly && access == HistoryAccess::Read && storage.isReadOnly()) {
        CloseDatabase();
        const QString uri =
            QUrl::fromLocalFile(databaseFile).toString(QUrl::FullyEncoded) + "?immutable=1";
        result = Connect(uri, readOnly + ";QSQLITE_OPEN_URI");
        if (result == HistoryOk) result = PrepareConnection(access);
    }
    return result;
}

int32_t PracticeHistory::Connect(const QString& name, const QString& extraOptions)
{
    db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connectionName);
    if (!db.isValid())
        return Fail(HistoryFailed, "Qt's SQLite driver is not installed (libqt6sql6-sqlite)");
    db.setDatabaseName(name);
    db.setConnectOptions(QString("QSQLITE_BUSY_TIMEOUT=%1").arg(options.BusyTimeoutMs) +
                         extraOptions);
    if (!db.open()) return SqlFail(db.lastError(), "cannot open the history");
    return HistoryOk;
}

int32_t PracticeHistory::PrepareConnection(HistoryAccess access)
{
    int version = 0;
    if (int32_t rc = CheckDatabase(version); rc != HistoryOk) return rc;
    if (access == HistoryAccess::Write) return PrepareForWriting();
    if (version == HistorySchemaVersion) return HistoryOk;
    return Fail(HistoryOutdated, QString("the history %1 is of version %2; start the tutor "
                                         "once: its lesson list brings it up to version %3")
                                     .arg(databaseFile)
                                     .arg(version)
                                     .arg(HistorySchemaVersion));
}

// A damaged file, or one of a newer tutor, is refused before anything is
// written into it.
int32_t PracticeHistory::CheckDatabase(int& version)
{
    QSqlQuery query(db);
    if (!query.exec("PRAGMA quick_check") || !query.next())
        return SqlFail(query.lastError(), "cannot check the history");
    if (query.value(0).toString() != QLatin1String("ok"))
        return Fail(
            HistoryDamaged,
            QString("the history %1 is damaged: %2").arg(databaseFile, query.value(0).toString()));
    query.finish();
    QString problem;
    if (int32_t rc = ReadHistoryVersion(db, version, problem); rc != HistoryOk)
        return Fail(rc, problem + " (" + databaseFile + ")");
    if (version > HistorySchemaVersion)
        return Fail(HistoryNewerVersion,
                    QString("the history %1 is of version %2, newer than this program's %3")
                        .arg(databaseFile, QString::number(version),
                             QString::number(HistorySchemaVersion)));
    return HistoryOk;
}

int32_t PracticeHistory::PrepareForWriting()
{
    // With the write-ahead log a reader never waits for a writer, and a
    // commit that a kill interrupts is simply not there after recovery.
    // Switching a new history to the log needs the file to itself. When a
    // second tutor opens the same new history at that moment, SQLite says
    // "locked" at once instead of waiting (two readers that both want the
    // file to themselves would wait for each other for ever), so the
    // switch is tried again for as long as a busy history is waited for.
    QSqlQuery query(db);
    QElapsedTimer waited;
    waited.start();
    while (!query.exec("PRAGMA journal_mode = WAL") || !query.next()) {
        const QSqlError error = query.lastError();
        if (HistoryResultOf(error) != HistoryBusy || waited.elapsed() >= options.BusyTimeoutMs)
            return SqlFail(error, "cannot open the history");
        query.finish();
        QThread::msleep(5);
    }
    if (query.value(0).toString().compare("wal", Qt::CaseInsensitive) != 0)
        return Fail(HistoryReadOnly, "cannot keep the history's log beside " + databaseFile);
    query.finish();
    // In WAL mode NORMAL loses no commit to a crashed program, only
    // possibly the last ones to a power cut, and saves a flush per take.
    if (!query.exec("PRAGMA synchronous = NORMAL"))
        return SqlFail(query.lastError(), "cannot open the history");
    QString problem;
    if (int32_t rc = MigrateHistory(db, HistorySchemaVersion, problem); rc != HistoryOk)
        return Fail(rc, problem + " (" + databaseFile + ")");
    return HistoryOk;
}

int32_t PracticeHistory::RecordTake(const NewTake& take)
{
    if (!IsOpen()) return openResult;
    const QDateTime at =
        take.RecordedAt.isValid() ? take.RecordedAt.toUTC() : QDateTime::currentDateTimeUtc();
    QString relativeFile;
    int durationMs = 0;
    if (take.Good) {
        if (int32_t rc = KeepTakeFile(take, at, relativeFile, durationMs); rc != HistoryOk)
            return rc;
    }
    QStringList prunedFiles;
    if (int32_t rc = StoreTake(take, at, relativeFile, durationMs, prunedFiles); rc != HistoryOk) {
        if (!relativeFile.isEmpty()) RemoveTakeFile(relativeFile);
        return rc;
    }
    // Only now that no record names them may the pruned takes' files go.
    for (const QString& file : prunedFiles)
        RemoveTakeFile(file);
    if (take.Good) TidyFolderOf(take.Key);
    return HistoryOk;
}

int32_t PracticeHistory::KeepTakeFile(const NewTake& take, const QDateTime& at,
                                      QString& relativeFile, int& durationMs)
{
    QFile source(take.AnalysedFile);
    if (!source.open(QIODevice::ReadOnly) || source.size() > MostTakeBytes)
        return Fail(HistoryTakeUnreadable, "cannot read the take " + take.AnalysedFile);
    const QByteArray bytes = source.readAll();
    if (bytes.size() != source.size())
        return Fail(HistoryTakeUnreadable, "cannot read the take " + take.AnalysedFile);
    durationMs = WaveDurationMs(bytes);

    const QString takeFolder = TakeFolderOf(take.Key);
    QString fileName;
    const int32_t rc = WriteTakeFile(bytes, folder + '/' + takeFolder, TakeFileName(at), fileName);
    if (rc != HistoryOk)
        return Fail(rc, QString("cannot keep the take in %1/%2").arg(folder, takeFolder));
    relativeFile = takeFolder + '/' + fileName;
    return HistoryOk;
}

int32_t PracticeHistory::StoreTake(const NewTake& take, const QDateTime& at,
                                   const QString& relativeFile, int durationMs,
                                   QStringList& prunedFiles)
{
    QSqlQuery query(db);
    if (!query.exec("BEGIN IMMEDIATE")) return SqlFail(query.lastError(), "cannot record the take");
    const auto rollBack = [&](const QSqlError& error) {
        QSqlQuery(db).exec("ROLLBACK");
        prunedFiles.clear();
        return SqlFail(error, "cannot record the take");
    };

    query.prepare("INSERT INTO phrases (content_pack, category_code, stem, phrase_text, attempts, "
                  "good_attempts) VALUES (?, ?, ?, ?, 1, ?) "
                  "ON CONFLICT (content_pack, category_code, stem) DO UPDATE SET "
                  "phrase_text = excluded.phrase_text, attempts = attempts + 1, "
                  "good_attempts = good_attempts + excluded.good_attempts");
    query.addBindValue(take.Key.ContentPack);
    query.addBindValue(take.Key.CategoryCode);
    query.addBindValue(take.Key.Stem);
    query.addBindValue(take.PhraseText);
    query.addBindValue(take.Good ? 1 : 0);
    if (!query.exec()) return rollBack(query.lastError());

    query.prepare(
        "SELECT id FROM phrases WHERE content_pack = ? AND category_code = ? AND stem = ?");
    query.addBindValue(take.Key.ContentPack);
    query.addBindValue(take.Key.CategoryCode);
    query.addBindValue(take.Key.Stem);
    if (!query.exec() || !query.next()) return rollBack(query.lastError());
    const qint64 phraseId = query.value(0).toLongLong();
    query.finish();

    if (take.Good) {
        query.prepare("INSERT INTO takes (phrase_id, recorded_ms, duration_ms, analysis, file, "
                      "score, stress_match, ending_match) VALUES (?, ?, ?, ?, ?, ?, ?, ?)");
        query.addBindValue(phraseId);
        query.addBindValue(at.toMSecsSinceEpoch());
        query.addBindValue(durationMs);
        query.addBindValue(take.Analysis);
        query.addBindValue(relativeFile);
        query.addBindValue(OptionalValue(take.Marks.Score));
        query.addBindValue(OptionalValue(take.Marks.StressMatch));
        query.addBindValue(OptionalValue(take.Marks.EndingMatch));
        if (!query.exec()) return rollBack(query.lastError());
        const qint64 takeId = query.lastInsertId().toLongLong();
        if (int32_t rc = PruneTakes(phraseId, takeId, prunedFiles); rc != HistoryOk) {
            QSqlQuery(db).exec("ROLLBACK");
            prunedFiles.clear();
            return rc;
        }
    }
    if (!query.exec("COMMIT")) return rollBack(query.lastError());
    return HistoryOk;
}

int32_t PracticeHistory::PruneTakes(qint64 phraseId, qint64 newTakeId, QStringList& prunedFiles)
{
    QSqlQuery query(db);
    query.prepare("SELECT id, file, score FROM takes WHERE phrase_id = ? "
                  "ORDER BY id");
    query.addBindValue(phraseId);
    if (!query.exec()) return SqlFail(query.lastError(), "cannot find the takes to prune");
    std::vector<PruneRow> rows;
    while (query.next())
        rows.push_back(
            {query.value(0).toLongLong(), query.value(1).toString(), OptionalInt(query.value(2))});
    query.finish();

    for (const PruneRow* row : TakesToPrune(rows, options.KeptTakesPerPhrase, newTakeId)) {
        query.prepare("DELETE FROM takes WHERE id = ?");
        query.addBindValue(row->Id);
        if (!query.exec()) return SqlFail(query.lastError(), "cannot prune the takes");
        prunedFiles.append(row->File);
    }
    return HistoryOk;
}

void PracticeHistory::RemoveTakeFile(const QString& relativeFile)
{
    // The names come from the database file, which anything may have
    // written: never delete outside the history folder.
    const QString path = QDir::cleanPath(folder + '/' + relativeFile);
    if (QDir::isRelativePath(relativeFile) && path.startsWith(folder + '/')) QFile::remove(path);
}

void PracticeHistory::TidyFolderOf(const PhraseKey& key)
{
    // Every take filed in the folder counts, whichever phrase it belongs to
    // now: phrases of other categories share it (it is named by pack and
    // stem), and a phrase refiled under its course's identity keeps its
    // takes where they were.
    const QString takeFolder = TakeFolderOf(key) + '/';
    QSqlQuery query(db);
    query.prepare("SELECT file FROM takes WHERE substr(file, 1, ?) = ?");
    query.addBindValue(takeFolder.size());
    query.addBindValue(takeFolder);
    if (!query.exec()) return;
    QStringList keptNames;
    while (query.next())
        keptNames.append(QFileInfo(query.value(0).toString()).fileName());
    TidyTakeFolder(folder + '/' + takeFolder, keptNames, QDateTime::currentDateTimeUtc());
}

int32_t PracticeHistory::ForgetPhrase(const PhraseKey& key)
{
    if (!IsOpen()) return openResult;
    QSqlQuery query(db);
    if (!query.exec("BEGIN IMMEDIATE"))
        return SqlFail(query.lastError(), "cannot forget the phrase");
    const auto rollBack = [&](const QSqlError& error) {
        QSqlQuery(db).exec("ROLLBACK");
        return SqlFail(error, "cannot forget the phrase");
    };
    query.prepare("SELECT t.file FROM takes t JOIN phrases p ON p.id = t.phrase_id "
                  "WHERE p.content_pack = ? AND p.category_code = ? AND p.stem = ?");
    query.addBindValue(key.ContentPack);
    query.addBindValue(key.CategoryCode);
    query.addBindValue(key.Stem);
    if (!query.exec()) return rollBack(query.lastError());
    QStringList files;
    while (query.next())
        files.append(query.value(0).toString());
    query.finish();

    const QString phraseOfKey = "(SELECT id FROM phrases WHERE content_pack = ? AND "
                                "category_code = ? AND stem = ?)";
    for (const QString& statement : {"DELETE FROM takes WHERE phrase_id = " + phraseOfKey,
                                     "DELETE FROM phrases WHERE id = " + phraseOfKey}) {
        query.prepare(statement);
        query.addBindValue(key.ContentPack);
        query.addBindValue(key.CategoryCode);
        query.addBindValue(key.Stem);
        if (!query.exec()) return rollBack(query.lastError());
    }
    if (!query.exec("COMMIT")) return rollBack(query.lastError());

    for (const QString& file : files)
        RemoveTakeFile(file);
    // The folders go too once nothing else is filed there; a refiled
    // phrase's older takes lie in the folder of its former pack.
    QStringList takeFolders = {TakeFolderOf(key)};
    for (const QString& file : files) {
        const QString takeFolder = QFileInfo(file).path();
        if (!takeFolders.contains(takeFolder)) takeFolders.append(takeFolder);
    }
    for (const QString& takeFolder : takeFolders) {
        const QString path = QDir::cleanPath(folder + '/' + takeFolder);
        if (QDir::isRelativePath(takeFolder) && path.startsWith(folder + '/') && QDir().rmdir(path))
            QDir().rmdir(QFileInfo(path).absolutePath());
    }
    return HistoryOk;
}

int32_t PracticeHistory::MovePhrases(const QString& oldPack, const QString& newPack,
                                     const QHash<QString, QString>& textOfStem)
{
    if (!IsOpen()) return openResult;
    if (oldPack == newPack) return HistoryOk;
    QSqlQuery query(db);
    if (!query.exec("BEGIN IMMEDIATE"))
        return SqlFail(query.lastError(), "cannot refile the phrases");
    const auto rollBack = [&](const QSqlError& error) {
        QSqlQuery(db).exec("ROLLBACK");
        return SqlFail(error, "cannot refile the phrases");
    };
    struct Moving
    {
        qint64 Id;
        QString CategoryCode;
        QString Stem;
        int Attempts;
        int GoodAttempts;
    };
    std::vector<Moving> moving;
    query.prepare("SELECT id, category_code, stem, phrase_text, attempts, good_attempts "
                  "FROM phrases WHERE content_pack = ?");
    query.addBindValue(oldPack);
    if (!query.exec()) return rollBack(query.lastError());
    while (query.next()) {
        const QString stem = query.value(2).toString();
        const auto text = textOfStem.constFind(stem);
        if (text == textOfStem.constEnd() || text->trimmed() != query.value(3).toString().trimmed())
            continue;
        moving.push_back({query.value(0).toLongLong(), query.value(1).toString(), stem,
                          query.value(4).toInt(), query.value(5).toInt()});
    }
    query.finish();

    for (const Moving& phrase : moving) {
        query.prepare(
            "SELECT id FROM phrases WHERE content_pack = ? AND category_code = ? AND stem = ?");
        query.addBindValue(newPack);
        query.addBindValue(phrase.CategoryCode);
        query.addBindValue(phrase.Stem);
        if (!query.exec()) return rollBack(query.lastError());
        const std::optional<qint64> existing =
            query.next() ? std::optional<qint64>(query.value(0).toLongLong()) : std::nullopt;
        query.finish();
        if (!existing) {
            query.prepare("UPDATE phrases SET content_pack = ? WHERE id = ?");
            query.addBindValue(newPack);
            query.addBindValue(phrase.Id);
            if (!query.exec()) return rollBack(query.lastError());
            continue;
        }
        // Already practised under the identity: the two become one phrase.
        query.prepare("UPDATE takes SET phrase_id = ? WHERE phrase_id = ?");
        query.addBindValue(*existing);
        query.addBindValue(phrase.Id);
        if (!query.exec()) return rollBack(query.lastError());
        query.prepare("UPDATE phrases SET attempts = attempts + ?, "
                      "good_attempts = good_attempts + ? WHERE id = ?");
        query.addBindValue(phrase.Attempts);
        query.addBindValue(phrase.GoodAttempts);
        query.addBindValue(*existing);
        if (!query.exec()) return rollBack(query.lastError());
        query.prepare("DELETE FROM phrases WHERE id = ?");
        query.addBindValue(phrase.Id);
        if (!query.exec()) return rollBack(query.lastError());
    }
    if (!query.exec("COMMIT")) return rollBack(query.lastError());
    return HistoryOk;
}

int32_t PracticeHistory::TakesOf(const PhraseKey& key, std::vector<StoredTake>& takes)
{
    takes.clear();
    if (!IsOpen()) return openResult;
    QSqlQuery query(db);
    query.setForwardOnly(true);
    query.prepare("SELECT " + TakeColumns +
                  " FROM takes t JOIN phrases p ON p.id = t.phrase_id "
                  "WHERE p.content_pack = ? AND p.category_code = ? AND p.stem = ? "
                  "ORDER BY t.id DESC");
    query.addBindValue(key.ContentPack);
    query.addBindValue(key.CategoryCode);
    query.addBindValue(key.Stem);
    if (!query.exec()) return SqlFail(query.lastError(), "cannot list the takes");
    while (query.next())
        takes.push_back(TakeFromQuery(query, 0, folder));
    return HistoryOk;
}

int32_t PracticeHistory::QueryPhrases(const QString& where, const QVariantList& values,
                                      const QString& order, std::vector<PhraseProgress>& phrases)
{
    phrases.clear();
    if (!IsOpen()) return openResult;
    QSqlQuery query(db);
    query.setForwardOnly(true);
    query.prepare("SELECT p.content_pack, p.category_code, p.stem, p.phrase_text, p.attempts, "
                  "p.good_attempts, COUNT(t.id), MAX(t.score) "
                  "FROM phrases p LEFT JOIN takes t ON t.phrase_id = p.id WHERE " +
                  where + " GROUP BY p.id ORDER BY " + order);
    for (const QVariant& value : values)
        query.addBindValue(value);
    if (!query.exec()) return SqlFail(query.lastError(), "cannot list the phrases practised");
    while (query.next()) {
        PhraseProgress phrase;
        phrase.Key = {query.value(0).toString(), query.value(1).toString(),
                      query.value(2).toString()};
        phrase.PhraseText = query.value(3).toString();
        phrase.Attempts = query.value(4).toInt();
        phrase.GoodAttempts = query.value(5).toInt();
        phrase.TakesKept = query.value(6).toInt();
        phrase.BestScore = OptionalInt(query.value(7));
        phrases.push_back(phrase);
    }
    return HistoryOk;
}

int32_t PracticeHistory::PhrasesOfCategory(const QString& contentPack, const QString& categoryCode,
                                           std::vector<PhraseProgress>& phrases)
{
    return QueryPhrases("p.content_pack = ? AND p.category_code = ?", {contentPack, categoryCode},
                        "p.stem", phrases);
}

int32_t PracticeHistory::PhrasesNotMastered(const QString& contentPack,
                                            std::vector<PhraseProgress>& phrases)
{
    // The best score is the aggregate, so the filter follows the grouping.
    const int32_t rc =
        QueryPhrases("p.content_pack = ?", {contentPack},
                     "MAX(t.score) IS NOT NULL, MAX(t.score), p.category_code, p.stem", phrases);
    phrases.erase(std::remove_if(phrases.begin(), phrases.end(),
                                 [](const PhraseProgress& phrase) { return phrase.Mastered(); }),
                  phrases.end());
    return rc;
}

int32_t PracticeHistory::Categories(std::vector<CategoryProgress>& categories)
{
    categories.clear();
    if (!IsOpen()) return openResult;
    QSqlQuery query(db);
    query.setForwardOnly(true);
    // Takes are summed per phrase first, so a phrase's counts enter once.
    if (!query.exec("SELECT p.content_pack, p.category_code, COUNT(*), SUM(p.attempts), "
                    "SUM(p.good_attempts), TOTAL(k.kept), TOTAL(k.scored), TOTAL(k.score_sum), "
                    "MAX(k.best) FROM phrases p LEFT JOIN (SELECT phrase_id, COUNT(*) AS kept, "
                    "COUNT(score) AS scored, TOTAL(score) AS score_sum, MAX(score) AS best "
                    "FROM takes GROUP BY phrase_id) k ON k.phrase_id = p.id "
                    "GROUP BY p.content_pack, p.category_code "
                    "ORDER BY p.content_pack, p.category_code"))
        return SqlFail(query.lastError(), "cannot sum up the categories");
    while (query.next()) {
        CategoryProgress category;
        category.ContentPack = query.value(0).toString();
        category.CategoryCode = query.value(1).toString();
        category.PhrasesPractised = query.value(2).toInt();
        category.Attempts = query.value(3).toInt();
        category.GoodAttempts = query.value(4).toInt();
        category.TakesKept = int(query.value(5).toDouble());
        category.TakesScored = int(query.value(6).toDouble());
        if (category.TakesScored > 0)
            category.MeanScore = query.value(7).toDouble() / category.TakesScored;
        category.BestScore = OptionalInt(query.value(8));
        categories.push_back(category);
    }
    return HistoryOk;
}

int32_t PracticeHistory::AllTakes(std::vector<ExportedTake>& takes)
{
    takes.clear();
    if (!IsOpen()) return openResult;
    QSqlQuery query(db);
    query.setForwardOnly(true);
    if (!query.exec("SELECT p.content_pack, p.category_code, p.stem, p.phrase_text, " +
                    TakeColumns +
                    " FROM takes t JOIN phrases p ON p.id = t.phrase_id "
                    "ORDER BY p.content_pack, p.category_code, p.stem, t.recorded_ms, t.id"))
        return SqlFail(query.lastError(), "cannot list the takes");
    while (query.next()) {
        ExportedTake take;
        take.Key = {query.value(0).toString(), query.value(1).toString(),
                    query.value(2).toString()};
        take.PhraseText = query.value(3).toString();
        take.Take = TakeFromQuery(query, 4, folder);
        takes.push_back(take);
    }
    return HistoryOk;
}
