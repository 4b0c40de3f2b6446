#pragma once
// The syllables of a native phrase, so that advice can name them ("The
// model stresses CORD; you stressed RE."): one entry per step with its text
// piece and whether the dictionary stresses it. They travel in an extra
// chunk of the phrase sound file, "syl ", after the chunks the tutor reads;
// a reader that does not know the chunk steps over it, so older readers and
// files without it are unaffected.
//
// The chunk's data is UTF-8 text, one entry a line, each line ending in LF:
//   <start>\t<stress>\t<text>
// start is the first sample of the entry's step (as "stp " gives it), or -1
// when the entries follow the steps one for one; stress is 1 for a syllable
// the dictionary stresses, else 0; text holds neither tab nor line end.
#include "audio/PhraseData.h"

#include <QByteArray>
#include <QString>

#include <vector>

struct Syllable
{
    int32_t Start = -1; // first sample of its step; -1: the entries follow the steps in order
    bool Stressed = false;
    QString Text;
};

using SyllableList = std::vector<Syllable>;

inline constexpr int MaxSyllableTextBytes = 50;

// An author's spelling of the syllables: pieces between '|' and blanks, as
// in "re|CORD" or "I re|CORD it". A piece of two or more letters that are
// all capitals, or a piece that starts with an apostrophe ("'i"), carries
// the stress; the apostrophe is not part of the text. Pieces are cut to
// MaxSyllableTextBytes and at most MaxSteps are kept.
SyllableList ParseSyllableSpelling(const QString& spelling);

QByteArray SyllableChunkData(const SyllableList& syllables);
// Lines that do not hold an entry are skipped.
SyllableList ParseSyllableChunk(const QByteArray& data);

// The "syl " chunk of the phrase file at path: empty when the file has
// none or cannot be read.
SyllableList ReadSyllables(const QString& path);

// One name per step of the phrase (index 0 is step 1): the text of the
// entry placed on the step's first sample or, when no entry carries a
// position and there are exactly as many entries as steps, the entry of the
// same number. Empty where no entry fits.
std::vector<QString> NameSteps(const PhraseData& phrase, const SyllableList& syllables);
