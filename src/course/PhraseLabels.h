#pragma once
// The labels a phrase file carries beside its sound: the phrase text ("snt ")
// and the syllables ("syl "). When an author changes a phrase's text or
// syllables the sound and its analysis stay as they are, so the file is
// rewritten with those two chunks replaced and every other chunk copied byte
// for byte, through a temporary file renamed over the old one.
#include <QByteArray>
#include <QString>

// Replaces the text and the syllables (the author's spelling, "re|CORD";
// empty removes them). The spelled syllables are placed on the steps one for
// one when they are as many, else kept unplaced. False with a reason when
// the file is no phrase file or cannot be written; it is then unchanged.
bool RewritePhraseLabels(const QString& path, const QByteArray& text, const QString& syllables,
                         QString* problem = nullptr);
// Replaces the text only: the syllables stay exactly as stored, placed by
// their times (a spelling cannot say that two words share a step).
bool RewritePhraseText(const QString& path, const QByteArray& text, QString* problem = nullptr);
