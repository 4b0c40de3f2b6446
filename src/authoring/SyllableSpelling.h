#pragma once
// Written syllables from spoken ones: festival gives each syllable of a
// word as its phones, and the advice wants the letters ("pho", "to",
// "graph"). Each syllable takes one group of vowel letters; the consonant
// letters between two groups go to the two syllables in proportion to the
// consonant phones that close the first and open the second. Where the
// vowel groups do not match the syllables (a silent final "e" is dropped
// first), the letters are shared in proportion to the phones.
#include <QString>
#include <QStringList>

#include <vector>

// phones: one list of festival's phone names per syllable, in order. The
// pieces, joined, give the word back; one piece per syllable.
std::vector<QString> SpellSyllables(const QString& word, const std::vector<QStringList>& phones);

// Festival's vowel phones (its "radio" phone set).
bool IsVowelPhone(const QString& phone);
