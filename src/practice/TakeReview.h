#pragma once
// Where a finished take meets the model and the learner's history: once the
// analysis cycle has ended, the learner's phrase (read back when the
// analyser accepted it) is compared with the native speaker's, and the take
// is counted in the practice history, its sound and marks kept when it is
// Good. The comparison and the history meet here and nowhere else, so a
// kept take's marks are always the ones the learner was shown.
//
// The history is opened on the first take and stays open; a history that
// cannot be opened or written never stops the exercise: the review then
// carries one short notice for the learner, and the next take tries again.
// A damaged history would refuse every take for ever, so it is set aside
// whole and a new one begins; the learner is told once where the old file is.
#include "compare/PhraseComparison.h"
#include "history/PracticeHistory.h"

#include <QString>

#include <memory>
#include <optional>

struct FinishedTake
{
    PhraseKey Key;
    QString PhraseText;
    // The analyser's result line ("Good", "Not Good,<reason>"); empty when
    // it left none (the analysis timed out or was cancelled).
    QString Analysis;
    bool Good = false;
    QString AnalysedFile; // the analysed recording, copied into the history when Good
};

struct TakeReview
{
    // Set when the take was Good, read back, and the model is loaded; its
    // Problem says why the two could not be compared.
    std::optional<Comparison> Compared;
    int32_t Stored = HistoryOk; // the history's result code
    // One sentence when the take was not kept, or when a damaged history
    // was set aside for a new one; else empty.
    QString Notice;
};

// A comparison that produced a score (no Problem).
inline bool HasScore(const std::optional<Comparison>& comparison)
{
    return comparison && comparison->Problem.isEmpty();
}

class PracticeSession
{
public:
    // databaseFile: the history database; empty for DefaultHistoryDatabase().
    explicit PracticeSession(QString databaseFile = QString(), HistoryOptions options = {});

    // The end of one analysis cycle. model: the native speaker's phrase, or
    // null when it could not be loaded; learner: the learner's phrase as
    // read back, or null when the take was not Good or did not read.
    TakeReview FinishTake(const FinishedTake& take, const LoadedPhrase* model,
                          const LoadedPhrase* learner);

    // The comparison alone, for a take shown again from the history.
    static Comparison CompareWithModel(const LoadedPhrase& model, const LoadedPhrase& learner);

    // The open history, or null when it cannot be opened (Notice says why).
    PracticeHistory* History();
    int32_t OpenResult() const { return openResult; }
    // Once, after a damaged history was set aside: what the learner is told,
    // naming the file it was kept as. Empty every other time.
    QString TakeStartNotice();
    void SetKeptTakesPerPhrase(int takes);
    int KeptTakesPerPhrase() const { return options.KeptTakesPerPhrase; }

private:
    void StartBesideDamagedHistory();

    QString databaseFile;
    HistoryOptions options;
    std::unique_ptr<PracticeHistory> history;
    int32_t openResult = HistoryNotOpen;
    QString startNotice;
};
