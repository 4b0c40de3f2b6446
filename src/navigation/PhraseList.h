#pragma once
// The phrase list: every phrase of every category in SentList.txt, one per
// line as "<stem>.wav;<text>". Reading keeps the lines of CategoryCode and
// orders them by sound-file stem.
#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <cstdint>
#include <vector>

inline constexpr int PhraseTextWidth = 200;
inline constexpr int FileStemWidth = 128;

struct PhraseEntry
{
    QByteArray PhraseText; // bytes as stored, cut to 200
    QByteArray FileStem;   // SoundsFolder + stem, cut to 128
};

// Whether a line of SentList.txt is a phrase of the category: it begins with
// the code, compared without regard to case, and holds a semicolon. An empty
// code takes every line with a semicolon.
bool PhraseLineMatches(QByteArrayView line, QByteArrayView categoryCode);

// Reads SoundsFolder + "SentList.txt" into PhraseList and PhraseCount.
// Returns false when the file cannot be opened (the list is then left as it was).
bool ReadPhraseList();

// The selection and ordering from bytes already in memory. entries[0] is the
// placeholder "Default Phrase".
void SelectPhrases(const QByteArray& fileBytes, const QByteArray& categoryCode,
                   const QByteArray& soundsFolder, std::vector<PhraseEntry>& entries);
