#pragma once
// Takes, wave files and database checks shared by the practice history's
// tests.
#include "history/PracticeHistory.h"
#include "support/PhraseFileBytes.h"

#include <QDirIterator>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QUuid>

// A mono 16-bit wave of the given length at 22050 samples per second.
inline QByteArray TakeWaveBytes(int milliseconds)
{
    using namespace testbytes;
    QByteArray samples((qsizetype(milliseconds) * 441 / 10) & ~qsizetype(1), '\0');
    for (qsizetype i = 0; i < samples.size(); i += 2)
        samples[i] = char(i % 97);
    return Riff(Chunk("fmt ", FormatData()) + Chunk("data", samples));
}

inline QString WriteTakeWave(const QString& folder, int milliseconds = 500)
{
    const QString path = folder + "/Student.wav";
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(TakeWaveBytes(milliseconds)) < 0)
        return QString();
    return path;
}

inline NewTake GoodTake(const PhraseKey& key, const QString& wave, std::optional<int> score,
                        const QDateTime& at = QDateTime())
{
    NewTake take;
    take.Key = key;
    take.PhraseText = "Where is the station?";
    take.Good = true;
    take.Analysis = "Good";
    take.AnalysedFile = wave;
    take.Marks.Score = score;
    take.RecordedAt = at;
    return take;
}

// The one phrase practised in a category; an empty one when there are
// none or more.
inline PhraseProgress OnlyPhraseOf(PracticeHistory& history, const QString& contentPack,
                                   const QString& categoryCode)
{
    std::vector<PhraseProgress> phrases;
    if (history.PhrasesOfCategory(contentPack, categoryCode, phrases) != HistoryOk ||
        phrases.size() != 1)
        return PhraseProgress{};
    return phrases[0];
}

// The first answer of a statement on a connection of its own ("" when it
// fails), e.g. "ok" for PRAGMA integrity_check.
inline QString AskDatabase(const QString& databaseFile, const QString& statement)
{
    const QString name = QUuid::createUuid().toString();
    QString answer;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", name);
        db.setDatabaseName(databaseFile);
        if (db.open()) {
            QSqlQuery query(db);
            if (query.exec(statement) && query.next()) answer = query.value(0).toString();
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
    return answer;
}

// Every file under folder whose name ends in suffix.
inline QStringList FilesUnder(const QString& folder, const QString& suffix)
{
    QStringList files;
    QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        if (path.endsWith(suffix)) files.append(path);
    }
    return files;
}
