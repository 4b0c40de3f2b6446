#include "compare/Syllables.h"

#include "audio/RiffFile.h"

#include <QRegularExpression>

#include <algorithm>

namespace {

QString CutToBytes(const QString& text, int limit)
{
    QString cut = text;
    while (cut.toUtf8().size() > limit)
        cut.chop(1);
    return cut;
}

bool IsStressedPiece(const QString& piece)
{
    int letters = 0;
    for (const QChar c : piece) {
        if (!c.isLetter()) continue;
        if (!c.isUpper()) return false;
        ++letters;
    }
    return letters >= 2;
}

} // namespace

SyllableList ParseSyllableSpelling(const QString& spelling)
{
    static const QRegularExpression separators(QStringLiteral("[|\\s]+"));
    SyllableList syllables;
    for (QString piece : spelling.split(separators, Qt::SkipEmptyParts)) {
        if (int(syllables.size()) == MaxSteps) break;
        Syllable syllable;
        if (piece.startsWith('\'')) {
            syllable.Stressed = true;
            piece.remove(0, 1);
        } else {
            syllable.Stressed = IsStressedPiece(piece);
        }
        if (piece.isEmpty()) continue;
        syllable.Text = CutToBytes(piece, MaxSyllableTextBytes);
        syllables.push_back(syllable);
    }
    return syllables;
}

QByteArray SyllableChunkData(const SyllableList& syllables)
{
    QByteArray data;
    for (const Syllable& syllable : syllables) {
        QString text = syllable.Text;
        text.replace('\t', ' ').replace('\n', ' ').replace('\r', ' ');
        data += QByteArray::number(syllable.Start) + '\t' + (syllable.Stressed ? "1" : "0") + '\t' +
                CutToBytes(text, MaxSyllableTextBytes).toUtf8() + '\n';
    }
    return data;
}

SyllableList ParseSyllableChunk(const QByteArray& data)
{
    SyllableList syllables;
    for (const QByteArray& line : data.split('\n')) {
        if (int(syllables.size()) == MaxSteps) break;
        const QList<QByteArray> fields = line.split('\t');
        if (fields.size() != 3) continue;
        bool startRead = false;
        Syllable syllable;
        syllable.Start = fields[0].toInt(&startRead);
        if (!startRead || (fields[1] != "0" && fields[1] != "1")) continue;
        syllable.Stressed = fields[1] == "1";
        syllable.Text = CutToBytes(QString::fromUtf8(fields[2]), MaxSyllableTextBytes);
        syllables.push_back(syllable);
    }
    return syllables;
}

SyllableList ReadSyllables(const QString& path)
{
    RiffReader reader(path);
    RiffChunk outer;
    RiffChunk chunk;
    QByteArray data;
    // The chunk is short; one that claims more than a full table's worth is
    // not ours.
    constexpr uint32_t largest = (MaxSyllableTextBytes + 16) * (MaxSteps + 1);
    if (!reader.Open() || !reader.DescendOuter(outer) || !reader.FindChunk(FourCC("syl "), chunk) ||
        chunk.Size > largest || !reader.ReadChunkData(chunk, data))
        return {};
    return ParseSyllableChunk(data);
}

std::vector<QString> NameSteps(const PhraseData& phrase, const SyllableList& syllables)
{
    const int count = std::clamp<int>(phrase.StepCount, 0, MaxSteps);
    std::vector<QString> names(static_cast<size_t>(count));
    const bool placed = std::any_of(syllables.begin(), syllables.end(),
                                    [](const Syllable& s) { return s.Start >= 0; });
    if (!placed) {
        if (int(syllables.size()) == count) {
            for (int i = 0; i < count; ++i)
                names[i] = syllables[i].Text;
        }
        return names;
    }
    for (int i = 0; i < count; ++i) {
        for (const Syllable& syllable : syllables) {
            if (syllable.Start == phrase.Steps[i + 1].Start) names[i] = syllable.Text;
        }
    }
    return names;
}
