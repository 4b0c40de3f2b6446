#pragma once
// Which course a phrase of the practice history belongs to. A course the
// studio made carries its identity in its manifest (Id=), the same in every
// copy and every version of it, and its phrases are filed under that: two
// courses whose folders merely share a name (every disc at /media/cdrom0, a
// school's level1/content and level2/content) never share marks or takes.
// Content without an identity is filed under its folder's name.
#include <QString>

#include <cstdint>

// The content pack of the phrases of the course in contentFolder: the
// manifest's Id, or else the folder's name (ContentPackOf).
QString HistoryPackOf(const QString& contentFolder);

// A history written before courses were filed by identity holds the
// course's phrases under its folder's name. Files those that are this
// course's own (a stem of its phrase list, with the same text) under its
// identity, takes and counts with them, so the learner keeps them; phrases
// of another course of the same folder name differ in text and stay where
// they are. Nothing to do (HistoryOk) without a history file or an identity.
int32_t AdoptFolderNamedPhrases(const QString& databaseFile, const QString& contentFolder);
