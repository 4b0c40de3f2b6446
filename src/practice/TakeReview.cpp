#include "practice/TakeReview.h"

#include "compare/Syllables.h"
#include "history/TakeMarks.h"

#include <QDir>
#include <QFileInfo>

#include <cstdio>

#include <utility>

PracticeSession::PracticeSession(QString databaseFile, HistoryOptions options)
    : databaseFile(std::move(databaseFile)), options(options)
{
}

void PracticeSession::SetKeptTakesPerPhrase(int takes)
{
    if (options.KeptTakesPerPhrase == takes) return;
    options.KeptTakesPerPhrase = takes;
    // The limit is the history's own option: the next take opens it afresh.
    history.reset();
    openResult = HistoryNotOpen;
}

PracticeHistory* PracticeSession::History()
{
    // The default folder is looked up at every take, so that a history
    // folder named after start-up ($TONVALE_HISTORY) is the one written.
    const QString file = QFileInfo(databaseFile.isEmpty() ? DefaultHistoryDatabase() : databaseFile)
                             .absoluteFilePath();
    if (!history || history->DatabaseFile() != file) {
        history = std::make_unique<PracticeHistory>(file, options);
        openResult = HistoryNotOpen;
    }
    if (!history->IsOpen()) {
        openResult = history->Open(HistoryAccess::Write);
        if (openResult == HistoryDamaged) StartBesideDamagedHistory();
    }
    return history->IsOpen() ? history.get() : nullptr;
}

void PracticeSession::StartBesideDamagedHistory()
{
    std::fprintf(stderr, "tonvale-tutor: %s\n", qPrintable(history->LastProblem()));
    QString keptFile;
    if (SetDamagedHistoryAside(history->DatabaseFile(), keptFile) != HistoryOk) {
        std::fprintf(stderr, "tonvale-tutor: cannot move the damaged history %s aside\n",
                     qPrintable(history->DatabaseFile()));
        return;
    }
    std::fprintf(stderr, "tonvale-tutor: the damaged history is kept as %s; a new one begins\n",
                 qPrintable(keptFile));
    // The recordings stay in their folders: the kept file still names them.
    openResult = history->Open(HistoryAccess::Write);
    startNotice = QString("Your history file was damaged: it is kept as %1, and a new history "
                          "has begun.")
                      .arg(QDir::toNativeSeparators(keptFile));
}

QString PracticeSession::TakeStartNotice()
{
    return std::exchange(startNotice, QString());
}

Comparison PracticeSession::CompareWithModel(const LoadedPhrase& model, const LoadedPhrase& learner)
{
    return ComparePhrases(model, learner, ReadSyllables(model.Phrase.WaveFile));
}

TakeReview PracticeSession::FinishTake(const FinishedTake& take, const LoadedPhrase* model,
                                       const LoadedPhrase* learner)
{
    TakeReview review;
    const bool good = take.Good && learner != nullptr;
    if (good && model != nullptr && model->Loaded != 0)
        review.Compared = CompareWithModel(*model, *learner);

    NewTake record;
    record.Key = take.Key;
    record.PhraseText = take.PhraseText;
    record.Good = good;
    record.Analysis = take.Analysis;
    record.AnalysedFile = take.AnalysedFile;
    if (HasScore(review.Compared))
        record.Marks = MarksFromComparison(review.Compared->Score, review.Compared->StressMatch,
                                           review.Compared->EndingMatch);

    // A phrase without a key (the list's placeholder) has nowhere to go.
    if (take.Key.Stem.isEmpty()) return review;
    PracticeHistory* open = History();
    review.Stored = open ? open->RecordTake(record) : openResult;
    const QString started = TakeStartNotice();
    const QString notKept = HistoryNotice(review.Stored);
    review.Notice =
        started.isEmpty() || notKept.isEmpty() ? started + notKept : started + ' ' + notKept;
    return review;
}
