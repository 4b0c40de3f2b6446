#pragma once
// The learner's practice history: every take the analyser accepts, kept
// with its sound and its marks, and a count of every attempt, in one SQLite
// database beside the take files (see TakeFiles.h):
//   <history folder>/history.sqlite
//   <history folder>/<content pack>/<phrase stem>/<UTC time>.wav
// The working set in Data/ is never touched: a take is copied from it.
//
// Each write is one short transaction (the database in WAL mode, waiting a
// little for another tutor's write), so two tutors on one history take turns,
// and a tutor killed at any moment leaves a sound database: a take's file is
// whole on the disk before its record is committed, and files of removed
// records go only after the commit. Nothing here ever deletes a database it
// cannot read; failures come back as a code with a notice for the learner.
#include "history/PhraseKey.h"
#include "history/TakeFiles.h"
#include "history/TakeMarks.h"

#include <QDateTime>
#include <QHash>
#include <QSqlDatabase>
#include <QString>

#include <cstdint>
#include <optional>
#include <vector>

inline constexpr int DefaultKeptTakesPerPhrase = 20;
inline constexpr int MostKeptTakesPerPhrase = 10000;
// A phrase counts as mastered once one of its takes scored at least this.
inline constexpr int MasteredScore = 80;
// The settings group (and value) that holds the number of takes kept per phrase.
inline const QString KeptTakesSettingName = QStringLiteral("HistoryKeptTakes");
inline const QString HistoryDatabaseName = QStringLiteral("history.sqlite");

// The number of takes kept per phrase from the setting's text: the default
// when missing or not a whole number, at least 1 and at most MostKeptTakesPerPhrase.
int KeptTakesFromSetting(const std::optional<QString>& value);

// Moves a damaged database aside, with the log and shared-memory files
// beside it, to "<database>.damaged-<UTC time>" (its log keeps the "-wal"
// ending after that name), so that a new history can start while every byte
// of the old one is kept for a later recovery. keptFile: the name it now has.
// A file already there is never replaced.
int32_t SetDamagedHistoryAside(const QString& databaseFile, QString& keptFile);

// The learner's history database: <history folder>/history.sqlite, where the
// history folder is $TONVALE_HISTORY when set, else "history" in the tutor's
// per-user data folder ($XDG_DATA_HOME/tonvale-tutor, or
// ~/.local/share/tonvale-tutor).
QString DefaultHistoryDatabase();

struct HistoryOptions
{
    // Takes kept per phrase; the oldest beyond it are removed, but never the
    // first take, the best-scored one or the one just recorded.
    int KeptTakesPerPhrase = DefaultKeptTakesPerPhrase;
    // How long a write waits for another tutor's write to end. The tutor
    // writes from its screen's thread, so this stays short.
    int BusyTimeoutMs = 1000;
};

// A take as the analysis cycle ends it.
struct NewTake
{
    PhraseKey Key;
    QString PhraseText;
    bool Good = false;    // the analyser accepted it; only such takes keep their sound
    QString Analysis;     // the analyser's result line, "Good" or "Not Good,<reason>"
    QString AnalysedFile; // the analysed recording, copied when Good
    TakeMarks Marks;      // from the comparison, when it ran
    QDateTime RecordedAt; // invalid: now
};

// A kept take.
struct StoredTake
{
    qint64 Id = 0;
    QDateTime RecordedAt; // UTC
    int DurationMs = 0;
    QString Analysis;
    TakeMarks Marks;
    QString File; // absolute path of its sound
};

struct ExportedTake
{
    PhraseKey Key;
    QString PhraseText;
    StoredTake Take;
};

// One practised phrase: attempts count every analysed take, kept or not.
struct PhraseProgress
{
    PhraseKey Key;
    QString PhraseText;
    int Attempts = 0;
    int GoodAttempts = 0;
    int TakesKept = 0;
    std::optional<int> BestScore;

    bool Mastered() const { return BestScore && *BestScore >= MasteredScore; }
};

// One category of one content pack, over its practised phrases.
struct CategoryProgress
{
    QString ContentPack;
    QString CategoryCode;
    int PhrasesPractised = 0;
    int Attempts = 0;
    int GoodAttempts = 0;
    int TakesKept = 0;
    int TakesScored = 0;
    std::optional<double> MeanScore; // over the kept takes with a score
    std::optional<int> BestScore;
};

enum class HistoryAccess {
    Write, // creates the folder and the database when missing, brings an older one up to date
    Read   // opens an existing, current database without changing anything
};

class PracticeHistory
{
public:
    // databaseFile: the database; the take files live in its folder.
    explicit PracticeHistory(QString databaseFile, HistoryOptions options = {});
    ~PracticeHistory();
    PracticeHistory(const PracticeHistory&) = delete;
    PracticeHistory& operator=(const PracticeHistory&) = delete;

    // Opens the database; every other call fails with this code until it
    // succeeds. Safe to call again after a failure.
    int32_t Open(HistoryAccess access = HistoryAccess::Write);
    bool IsOpen() const { return openResult == HistoryOk; }
    QString DatabaseFile() const { return databaseFile; }
    QString Folder() const { return folder; }
    // What went wrong last, with the file and the database's own words: for
    // tools and logs, not for the learner (see HistoryNotice).
    QString LastProblem() const { return lastProblem; }

    // Counts the attempt and, when the take is Good, keeps a copy of its
    // sound and its record, removing the oldest takes beyond the limit: one
    // transaction. On failure nothing stored before is changed.
    int32_t RecordTake(const NewTake& take);
    // Deletes the phrase's takes, their files and its attempt counts.
    int32_t ForgetPhrase(const PhraseKey& key);
    // Files the phrases of oldPack whose stem textOfStem holds, with the same
    // text, under newPack, their takes and counts with them (added to those
    // of a phrase already there); the take files stay where they are. One
    // transaction: all of them move, or none.
    int32_t MovePhrases(const QString& oldPack, const QString& newPack,
                        const QHash<QString, QString>& textOfStem);

    // The phrase's kept takes, newest first.
    int32_t TakesOf(const PhraseKey& key, std::vector<StoredTake>& takes);
    // The practised phrases of a category, by stem.
    int32_t PhrasesOfCategory(const QString& contentPack, const QString& categoryCode,
                              std::vector<PhraseProgress>& phrases);
    // The practised phrases of a content pack not yet mastered, lowest best
    // score first (unscored first of all).
    int32_t PhrasesNotMastered(const QString& contentPack, std::vector<PhraseProgress>& phrases);
    // Every practised category of every content pack, by pack and code.
    int32_t Categories(std::vector<CategoryProgress>& categories);
    // Every kept take, by pack, category, stem and time.
    int32_t AllTakes(std::vector<ExportedTake>& takes);

private:
    int32_t OpenDatabase(HistoryAccess access);
    int32_t Connect(const QString& name, const QString& extraOptions);
    int32_t PrepareConnection(HistoryAccess access);
    int32_t CheckDatabase(int& version);
    int32_t PrepareForWriting();
    int32_t KeepTakeFile(const NewTake& take, const QDateTime& at, QString& relativeFile,
                         int& durationMs);
    int32_t StoreTake(const NewTake& take, const QDateTime& at, const QString& relativeFile,
                      int durationMs, QStringList& prunedFiles);
    int32_t PruneTakes(qint64 phraseId, qint64 newTakeId, QStringList& prunedFiles);
    int32_t QueryPhrases(const QString& where, const QVariantList& values, const QString& order,
                         std::vector<PhraseProgress>& phrases);
    void RemoveTakeFile(const QString& relativeFile);
    void TidyFolderOf(const PhraseKey& key);
    int32_t Fail(int32_t result, const QString& problem);
    int32_t SqlFail(const QSqlError& error, const QString& doing);
    void CloseDatabase();

    QString databaseFile;
    QString folder;
    HistoryOptions options;
    QString connectionName;
    QSqlDatabase db;
    int32_t openResult = HistoryNotOpen;
    QString lastProblem;
};
