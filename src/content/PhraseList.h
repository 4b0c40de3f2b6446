#pragma once
// The phrase list: every phrase of every category in a content pack's
// Sounds/SentList.txt, one per line as "<stem>.wav;<text>". Reading keeps the
// lines of one category and orders them by sound-file stem.
#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <cstdint>
#include <optional>
#include <vector>

inline constexpr int PhraseTextWidth = 200;
inline constexpr int FileStemWidth = 128;

struct PhraseEntry
{
    QByteArray PhraseText; // bytes as stored, cut to 200
    QByteArray FileStem;   // SoundsFolder + stem, cut to 128
    // The same phrase in words that survive a moved or remounted content
    // folder: the stem relative to the Sounds folder ("12_03" for
    // Sounds/12_03.wav, FileStem without the folder) and the category code
    // it was read for.
    QByteArray Stem;
    QByteArray CategoryCode;
};

// Entry 0 of every phrase list: a phrase that is no phrase.
inline PhraseEntry PlaceholderPhrase()
{
    PhraseEntry entry;
    entry.PhraseText = "Default Phrase";
    return entry;
}

// Whether a line of SentList.txt is a phrase of the category: it begins with
// the code, compared without regard to case, and holds a semicolon. An empty
// code takes every line with a semicolon.
bool PhraseLineMatches(QByteArrayView line, QByteArrayView categoryCode);

// The phrases of categoryCode in the phrase list file at path (normally
// <content>/Sounds/SentList.txt), each FileStem starting with soundsFolder;
// entry 0 is the placeholder "Default Phrase". Nothing when the file cannot
// be opened.
std::optional<std::vector<PhraseEntry>> ReadPhraseListFile(const QString& path,
                                                           const QByteArray& categoryCode,
                                                           const QByteArray& soundsFolder);

// The selection and ordering from bytes already in memory. entries[0] is the
// placeholder "Default Phrase".
void SelectPhrases(const QByteArray& fileBytes, const QByteArray& categoryCode,
                   const QByteArray& soundsFolder, std::vector<PhraseEntry>& entries);
