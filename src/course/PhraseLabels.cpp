#include "course/PhraseLabels.h"

#include "audio/LoadedPhrase.h"
#include "audio/PhraseFile.h"
#include "audio/RiffFile.h"
#include "authoring/PhraseAuthoring.h"
#include "compare/Syllables.h"

namespace {

bool Refuse(QString* problem, const QString& why)
{
    if (problem != nullptr) *problem = why;
    return false;
}

QByteArray SyllableData(const QString& path, const QString& spelling)
{
    SyllableList syllables = ParseSyllableSpelling(spelling);
    if (syllables.empty()) return {};
    LoadedPhrase phrase;
    if (phrase.Read(path, -1) == PhraseFileOk &&
        phrase.Phrase.StepCount == static_cast<int32_t>(syllables.size())) {
        for (size_t i = 0; i < syllables.size(); ++i)
            syllables[i].Start = phrase.Phrase.Steps[i + 1].Start;
    }
    return SyllableChunkData(syllables);
}

// keepSyllables: the "syl " chunk is copied as it stands, else replaced by
// syllableSpelling's.
bool Rewrite(const QString& path, const QByteArray& text, bool keepSyllables,
             const QString& syllableSpelling, QString* problem)
{
    RiffReader in(path);
    RiffChunk outer;
    std::vector<RiffChunk> chunks;
    if (!in.Open() || !ListRiffChunks(in, outer, chunks) || outer.FormType != FourCC("WAVE"))
        return Refuse(problem, QString("%1 is not a phrase file").arg(path));
    const QByteArray syllableData =
        keepSyllables ? QByteArray() : SyllableData(path, syllableSpelling);

    RiffWriter out(path);
    bool written = out.Open() && out.CreateRiff(outer.FormType);
    bool textWritten = false;
    for (const RiffChunk& chunk : chunks) {
        if (!written) break;
        if (chunk.Id == FourCC("syl ") && !keepSyllables) continue;
        if (chunk.Id == FourCC("snt ")) {
            written = out.WriteChunk(FourCC("snt "), EncodePhraseText(FitPhraseText(text)));
            textWritten = true;
            continue;
        }
        written = out.CopyChunk(in, chunk);
    }
    if (!textWritten) return Refuse(problem, QString("%1 holds no phrase text").arg(path));
    // The syllables go last, where readers that do not know them never look.
    if (written && !syllableData.isEmpty()) written = out.WriteChunk(FourCC("syl "), syllableData);
    if (!written || !out.LeaveChunk() || !out.Commit())
        return Refuse(problem, QString("cannot write %1").arg(path));
    return true;
}

} // namespace

bool RewritePhraseLabels(const QString& path, const QByteArray& text, const QString& syllables,
                         QString* problem)
{
    return Rewrite(path, text, false, syllables, problem);
}

bool RewritePhraseText(const QString& path, const QByteArray& text, QString* problem)
{
    return Rewrite(path, text, true, {}, problem);
}
