// Arbitrary bytes as a shared course brings them: its manifest, its lesson
// tree, its phrase list and its help document. Besides crashes and
// over-reads (the sanitizers' part) it checks what the studio's writers
// promise: whatever the readers make of the bytes, written out again it
// reads back the same (or the writer refuses it); a manifest that parses is
// written so that it parses to the same values.
#include "course/CourseHelp.h"
#include "course/CourseManifest.h"
#include "content/ContentText.h"
#include "content/ContentWriters.h"
#include "content/LessonTree.h"
#include "content/PhraseList.h"

#include <cstdint>
#include <cstdlib>

namespace {

void Require(bool condition)
{
    if (!condition) std::abort();
}

void ManifestRoundTrip(const QByteArray& bytes)
{
    const std::optional<CourseManifest> manifest = ParseCourseManifest(bytes);
    if (!manifest) return;
    const std::optional<CourseManifest> again = ParseCourseManifest(CourseManifestText(*manifest));
    Require(again.has_value());
    const CourseManifest tidy = Tidied(*manifest);
    Require(again->Title == (tidy.Title.isEmpty() ? "Untitled course" : tidy.Title));
    Require(again->Author == tidy.Author && again->Language == tidy.Language &&
            again->Version == tidy.Version);
}

void TreeRoundTrip(const QByteArray& bytes)
{
    std::vector<LessonNode> nodes;
    int32_t last = -1;
    ParseLessonTree(bytes, nodes, last);
    const std::vector<TreeLine> lines = TreeLinesOf(nodes);
    const QByteArray written = LessonTreeText(lines);
    if (written.isEmpty()) return;
    std::vector<LessonNode> back;
    ParseLessonTree(written, back, last);
    const std::vector<TreeLine> again = TreeLinesOf(back);
    Require(again.size() == lines.size() && back.size() == lines.size());
    for (size_t i = 0; i < lines.size(); ++i)
        Require(again[i].Level == lines[i].Level && again[i].Name == lines[i].Name &&
                again[i].Code == lines[i].Code);
}

void PhraseListRoundTrip(const QByteArray& bytes)
{
    std::vector<PhraseLine> lines;
    for (QByteArrayView line : SplitContentLines(bytes)) {
        if (!PhraseLineMatches(line, {})) continue;
        // The phrase as the reader sees it: the stem before the four
        // characters in front of the semicolon, the text after it.
        const qsizetype semi = line.indexOf(';');
        if (semi < 4) continue;
        lines.push_back({TrimBlanks(line.first(semi - 4)).toByteArray() + ".wav",
                         TrimBlanks(line.sliced(semi + 1)).toByteArray()});
    }
    const QByteArray written = PhraseListText("Phrases", lines);
    if (written.isEmpty()) return;
    std::vector<PhraseEntry> before;
    std::vector<PhraseEntry> after;
    SelectPhrases(bytes, {}, "S/", before);
    // Lines without a stem are no phrases the writer can hold.
    std::erase_if(before, [](const PhraseEntry& entry) { return entry.FileStem == "S/"; });
    SelectPhrases(written, {}, "S/", after);
    Require(before.size() == after.size());
    for (size_t i = 0; i < before.size(); ++i)
        Require(before[i].FileStem == after[i].FileStem &&
                before[i].PhraseText == after[i].PhraseText);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    ManifestRoundTrip(bytes);
    TreeRoundTrip(bytes);
    PhraseListRoundTrip(bytes);
    for (const auto& [number, topic] : SplitHelpTopics(QString::fromUtf8(bytes)))
        Require(number >= 0 && topic.Whole.size() <= bytes.size() * 2 + 2);
    return 0;
}
