#pragma once
// Which phrase a take belongs to, in words that survive a moved or remounted
// content folder: the content pack (the course's identity where it has one,
// else the content folder's name; see practice/CourseHistory.h), the
// category code of the lesson tree and the phrase's sound-file stem relative
// to the pack's Sounds folder ("12_03" for Sounds/12_03.wav). The practice
// history files and finds its takes by this key, never by the folder the
// content happens to live in.
#include <QString>

#include <algorithm>

struct PhraseKey
{
    QString ContentPack;
    QString CategoryCode;
    QString Stem; // relative to Sounds/, without ".wav"

    friend bool operator==(const PhraseKey&, const PhraseKey&) = default;
};

// The content pack's name: the last folder name of the content folder
// ("demo-pack" for /srv/tonvale/demo-pack or /srv/tonvale/demo-pack/).
inline QString ContentPackOf(const QString& contentFolder)
{
    QString folder = contentFolder;
    while (folder.endsWith('/') || folder.endsWith('\\'))
        folder.chop(1);
    return folder.mid(std::max(folder.lastIndexOf('/'), folder.lastIndexOf('\\')) + 1);
}
