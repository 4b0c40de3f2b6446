#include "content/PhraseList.h"

#include "content/ContentText.h"

#include <algorithm>
#include <array>

namespace {

bool StartsWithIgnoringCase(QByteArrayView line, QByteArrayView prefix)
{
    if (prefix.size() > line.size()) return false;
    for (qsizetype i = 0; i < prefix.size(); ++i) {
        if (FoldCase(prefix[i]) != FoldCase(line[i])) return false;
    }
    return true;
}

// Stems are compared as their stored 128-character fields, that is as if
// padded with blanks, and without regard to case. A category can hold a few
// hundred thousand phrases, so the comparison is a plain byte loop.
bool StemLess(QByteArrayView a, QByteArrayView b)
{
    static const auto folded = [] {
        std::array<unsigned char, 256> table{};
        for (int c = 0; c < 256; ++c)
            table[c] = static_cast<unsigned char>(FoldCase(static_cast<char>(c)));
        return table;
    }();
    const auto* pa = reinterpret_cast<const unsigned char*>(a.constData());
    const auto* pb = reinterpret_cast<const unsigned char*>(b.constData());
    const qsizetype common = std::min(a.size(), b.size());
    for (qsizetype i = 0; i < common; ++i) {
        if (folded[pa[i]] != folded[pb[i]]) return folded[pa[i]] < folded[pb[i]];
    }
    // The longer stem goes on against the shorter one's padding.
    if (a.size() > common) {
        for (qsizetype i = common; i < a.size(); ++i)
            if (folded[pa[i]] != ' ') return folded[pa[i]] < ' ';
    } else {
        for (qsizetype i = common; i < b.size(); ++i)
            if (folded[pb[i]] != ' ') return ' ' < folded[pb[i]];
    }
    return false;
}

QByteArrayView CutView(QByteArrayView text, qsizetype width)
{
    return text.first(std::min(text.size(), width));
}

} // namespace

bool PhraseLineMatches(QByteArrayView line, QByteArrayView categoryCode)
{
    return StartsWithIgnoringCase(line, categoryCode) && line.contains(';');
}

void SelectPhrases(const QByteArray& fileBytes, const QByteArray& categoryCode,
                   const QByteArray& soundsFolder, std::vector<PhraseEntry>& entries)
{
    // The lines are selected and ordered as views into the file's bytes: a
    // category may hold a few hundred thousand phrases, and only the final
    // entries need texts of their own.
    struct Found
    {
        QByteArrayView Stem;
        QByteArrayView Text;
    };
    std::vector<Found> found;
    for (QByteArrayView line : SplitContentLines(fileBytes)) {
        if (!PhraseLineMatches(line, categoryCode)) continue;
        const qsizetype semi = line.indexOf(';'); // 0-based; the stored format counts from 1
        Found& entry = found.emplace_back();
        // The four characters before the semicolon are the dot and the
        // extension; a semicolon within the first four characters leaves the
        // entry without a usable stem.
        if (semi >= 4) entry.Stem = CutView(TrimBlanks(line.first(semi - 4)), FileStemWidth);
        entry.Text = CutTextField(TrimBlanks(line.sliced(semi + 1)), PhraseTextWidth);
    }

    std::stable_sort(found.begin(), found.end(),
                     [](const Found& a, const Found& b) { return StemLess(a.Stem, b.Stem); });

    entries.clear();
    entries.reserve(found.size() + 1);
    entries.push_back(PlaceholderPhrase());
    for (const Found& entry : found) {
        // The folder is kept whole: only the stem is held to its field width.
        const QByteArrayView stem = CutView(entry.Stem, FileStemWidth - 4);
        QByteArray path;
        path.reserve(soundsFolder.size() + stem.size());
        path.append(soundsFolder).append(stem);
        entries.push_back(PhraseEntry{entry.Text.toByteArray(), std::move(path), stem.toByteArray(),
                                      categoryCode});
    }
}

std::optional<std::vector<PhraseEntry>> ReadPhraseListFile(const QString& path,
                                                           const QByteArray& categoryCode,
                                                           const QByteArray& soundsFolder)
{
    QByteArray bytes;
    if (!ReadWholeFile(path, bytes)) return std::nullopt;
    std::vector<PhraseEntry> entries;
    SelectPhrases(bytes, categoryCode, soundsFolder, entries);
    return entries;
}
