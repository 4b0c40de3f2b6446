#include "authoring/SyllableSpelling.h"

#include <algorithm>
#include <cmath>

namespace {

bool IsVowelLetter(const QString& word, qsizetype at)
{
    const QChar c = word[at].toLower();
    if (QStringLiteral("aeiou").contains(c)) return true;
    // "y" is a vowel except at the start of a word or before a vowel.
    if (c != 'y' || at == 0) return false;
    return !(at + 1 < word.size() && QStringLiteral("aeiou").contains(word[at + 1].toLower()));
}

struct LetterGroup
{
    qsizetype first;
    qsizetype last; // inclusive
};

std::vector<LetterGroup> VowelGroups(const QString& word)
{
    std::vector<LetterGroup> groups;
    for (qsizetype i = 0; i < word.size(); ++i) {
        if (!IsVowelLetter(word, i)) continue;
        if (!groups.empty() && groups.back().last == i - 1)
            groups.back().last = i;
        else
            groups.push_back({i, i});
    }
    // A final "e" after a consonant is silent ("time", "cake"), except in
    // "-le" ("table"), where it sounds with the "l".
    const qsizetype n = word.size();
    if (groups.size() > 1 && groups.back().first == n - 1 && word[n - 1].toLower() == 'e' &&
        !(n >= 2 && word[n - 2].toLower() == 'l'))
        groups.pop_back();
    return groups;
}

int CountConsonantPhones(const QStringList& phones, bool beforeVowel)
{
    int count = 0;
    if (beforeVowel) {
        for (const QString& phone : phones) {
            if (IsVowelPhone(phone)) break;
            ++count;
        }
    } else {
        for (auto phone = phones.rbegin(); phone != phones.rend(); ++phone) {
            if (IsVowelPhone(*phone)) break;
            ++count;
        }
    }
    return count;
}

bool EndsRColoured(const QStringList& phones)
{
    for (auto phone = phones.rbegin(); phone != phones.rend(); ++phone) {
        if (IsVowelPhone(*phone)) return *phone == "er" || *phone == "axr";
    }
    return false;
}

// Where the consonant letters between two vowel groups are cut: between a
// doubled letter ("ap|ples"), else in proportion to the consonant phones
// that close the first syllable and open the second.
qsizetype CutBetween(const QString& word, const LetterGroup& before, const LetterGroup& after,
                     const QStringList& closing, const QStringList& opening)
{
    for (qsizetype i = before.last + 1; i + 1 < after.first; ++i) {
        if (word[i].toLower() == word[i + 1].toLower()) return i + 1;
    }
    const qsizetype consonants = after.first - before.last - 1;
    int closes = CountConsonantPhones(closing, false);
    // An r-coloured vowel ("er") is spelled with the "r" that follows it.
    if (EndsRColoured(closing) && consonants > 0 && word[before.last + 1].toLower() == 'r')
        ++closes;
    const int opens = CountConsonantPhones(opening, true);
    // With no phone on either side, a single letter opens the next
    // syllable ("e|le|phant").
    const double toNext = closes + opens > 0 ? double(consonants) * opens / (closes + opens)
                                             : std::ceil(consonants / 2.0);
    return after.first - qsizetype(std::lround(toNext));
}

std::vector<QString> ShareInProportion(const QString& word, const std::vector<QStringList>& phones)
{
    std::vector<QString> pieces;
    double total = 0;
    for (const QStringList& syllable : phones)
        total += std::max<qsizetype>(syllable.size(), 1);
    double done = 0;
    qsizetype from = 0;
    for (size_t k = 0; k < phones.size(); ++k) {
        done += std::max<qsizetype>(phones[k].size(), 1);
        qsizetype to = k + 1 == phones.size() ? word.size()
                                              : qsizetype(std::lround(word.size() * done / total));
        to = std::clamp(to, from, word.size());
        pieces.push_back(word.mid(from, to - from));
        from = to;
    }
    return pieces;
}

} // namespace

bool IsVowelPhone(const QString& phone)
{
    static const QStringList vowels = {"aa", "ae", "ah", "ao", "aw", "ax", "axr", "ay", "eh", "el",
                                       "em", "en", "er", "ey", "ih", "iy", "ow",  "oy", "uh", "uw"};
    return vowels.contains(phone);
}

std::vector<QString> SpellSyllables(const QString& word, const std::vector<QStringList>& phones)
{
    if (phones.empty()) return {};
    if (phones.size() == 1) return {word};
    const std::vector<LetterGroup> groups = VowelGroups(word);
    if (groups.size() != phones.size()) return ShareInProportion(word, phones);
    std::vector<QString> pieces;
    qsizetype from = 0;
    for (size_t k = 0; k + 1 < groups.size(); ++k) {
        const qsizetype cut = CutBetween(word, groups[k], groups[k + 1], phones[k], phones[k + 1]);
        pieces.push_back(word.mid(from, cut - from));
        from = cut;
    }
    pieces.push_back(word.mid(from));
    return pieces;
}
