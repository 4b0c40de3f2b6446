#include "authoring/ContentLint.h"

#include "audio/LoadedPhrase.h"
#include "content/ContentText.h"
#include "content/HelpDocument.h"
#include "content/LessonTree.h"
#include "content/PhraseList.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <map>
#include <set>

namespace {

const QString TreeFile = "Sounds/Tree.txt";
const QString ListFile = "Sounds/SentList.txt";
const QString HelpDocumentFile = "Help/TVTutor.hlp";

// Entering node 1 of the tree opens this help topic.
constexpr int32_t FirstNodeTopic = 100;
// The phrase list stores the sound file's stem in 124 of the 128 characters
// of its path field.
constexpr qsizetype StoredStemWidth = FileStemWidth - 4;

QByteArray Folded(QByteArrayView text)
{
    QByteArray folded = text.toByteArray();
    for (char& c : folded)
        c = FoldCase(c);
    return folded;
}

// A content text as a finding shows it: control characters written \xNN,
// so a line break stored in a file cannot split a finding in two.
QString ShownText(const QString& text)
{
    QString shown;
    for (const QChar c : text) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7F)
            shown += QString::asprintf("\\x%02X", unsigned(c.unicode()));
        else
            shown += c;
    }
    return shown;
}

QString Shown(QByteArrayView bytes)
{
    return ShownText(DecodeContentText(bytes.toByteArray()));
}

bool HoldsControlCharacter(QByteArrayView text)
{
    return std::any_of(text.begin(), text.end(),
                       [](char c) { return uchar(c) < 0x20 || c == 0x7F; });
}

qsizetype LeadingStars(QByteArrayView line)
{
    qsizetype stars = 0;
    while (stars < line.size() && line[stars] == '*')
        ++stars;
    return stars;
}

// A reachable leaf with a code: one category of the tree.
struct Category
{
    QByteArray Code;
    QByteArray Name;
    int Line = 0;
    int PhraseCount = 0;
};

class ContentLinter
{
public:
    // Absolute, so that the files named in the findings are relative to the
    // pack whatever folder the check was started from.
    explicit ContentLinter(const QString& contentDir) : dir(QDir(contentDir).absolutePath()) {}

    std::vector<LintFinding> Run()
    {
        LoadHelpDocument();
        LintTree();
        LintPhraseList();
        ReportUnusedCategories();
        SortFindings();
        return std::move(findings);
    }

private:
    void Error(const QString& file, int line, const QString& message)
    {
        findings.push_back({file, line, LintSeverity::Error, message});
    }
    void Warning(const QString& file, int line, const QString& message)
    {
        findings.push_back({file, line, LintSeverity::Warning, message});
    }

    void LoadHelpDocument()
    {
        QByteArray bytes;
        helpReadable = ReadWholeFile(dir.filePath(HelpDocumentFile), bytes);
        if (!helpReadable) {
            Error(HelpDocumentFile, 0, "cannot be read: Help and Explain show \"topic not found\"");
            return;
        }
        helpTopics = HelpDocumentTopics(DecodeContentText(bytes));
        ReportHelpNotInUtf8(bytes);
    }

    // The help window reads the document as UTF-8, so a Windows-1252 one
    // (as the lists may be written) shows its accented letters wrongly.
    void ReportHelpNotInUtf8(const QByteArray& bytes)
    {
        if (bytes.isValidUtf8()) return;
        const std::vector<QByteArrayView> lines = SplitContentLines(bytes);
        for (size_t i = 0; i < lines.size(); ++i) {
            if (lines[i].isValidUtf8()) continue;
            Warning(HelpDocumentFile, static_cast<int>(i) + 1,
                    "not UTF-8 (Windows-1252?): Help and Explain show its accented letters "
                    "wrongly; the studio saves it as UTF-8");
            return;
        }
    }

    // --- The lesson tree -------------------------------------------------

    void LintTree()
    {
        QByteArray bytes;
        if (!ReadWholeFile(dir.filePath(TreeFile), bytes)) {
            Error(TreeFile, 0, "cannot be read: the tutor ends at start-up");
            return;
        }
        const std::vector<QByteArrayView> lines = SplitContentLines(bytes);
        if (lines.empty()) {
            Error(TreeFile, 0, "is empty: the tutor ends at start-up");
            return;
        }
        treeReadable = true;
        int32_t lastNodeIndex = -1;
        ParseLessonTree(bytes, nodes, lastNodeIndex);

        std::vector<bool> explained(lines.size(), false);
        CheckLevels(lines, explained);
        for (size_t i = 0; i < lines.size(); ++i)
            CheckFieldLengths(lines[i], static_cast<int>(i) + 1);
        const std::vector<bool> reachable = ReachableNodes();
        for (size_t i = 1; i < nodes.size(); ++i) {
            if (!reachable[i] && !explained[i])
                Error(TreeFile, static_cast<int>(i) + 1, "cannot be reached from the root");
        }
        CollectCategories(reachable);
        CheckCodePrefixes();
        CheckFirstNodeTopic(reachable);
    }

    // Star counts: the root has none, every other line has 1 to 20, and a
    // line goes at most one level deeper than the line above it. Lines that
    // break these rules are marked as explained, so that the lines they cut
    // off are reported as unreachable but they themselves are not reported
    // twice.
    void CheckLevels(const std::vector<QByteArrayView>& lines, std::vector<bool>& explained)
    {
        if (LeadingStars(lines[0]) > 0) {
            Error(TreeFile, 1, "the first line is the root and must not begin with a star");
            explained[0] = true;
        }
        qsizetype previousLevel = 0;
        for (size_t i = 1; i < lines.size(); ++i) {
            const int lineNumber = static_cast<int>(i) + 1;
            const qsizetype stars = LeadingStars(lines[i]);
            if (stars > MaxTreeLevel) {
                Error(TreeFile, lineNumber,
                      QString("%1 stars: at most %2 levels are read, so the line is linked "
                              "nowhere and cannot be reached")
                          .arg(stars)
                          .arg(MaxTreeLevel));
                explained[i] = true;
                continue; // the reader leaves the levels around it untouched
            }
            if (stars == 0) {
                ReportLineWithoutStars(lines, i);
                explained[i] = true;
            } else if (stars > previousLevel + 1) {
                Error(TreeFile, lineNumber,
                      QString("%1 stars directly below a line of %2: with no line of %3 stars "
                              "above it, it hangs below the root and the root's earlier "
                              "entries drop out of its list")
                          .arg(stars)
                          .arg(previousLevel)
                          .arg(stars - 1));
                explained[i] = true;
            }
            previousLevel = stars;
        }
    }

    void ReportLineWithoutStars(const std::vector<QByteArrayView>& lines, size_t index)
    {
        const int lineNumber = static_cast<int>(index) + 1;
        if (!TrimBlanks(lines[index]).isEmpty()) {
            Error(TreeFile, lineNumber,
                  "no star: only the first line (the root) may have none; this line and the "
                  "lines below it cannot be reached");
            return;
        }
        const bool onlyEmptyAfter =
            std::all_of(lines.begin() + static_cast<qsizetype>(index) + 1, lines.end(),
                        [](QByteArrayView line) { return TrimBlanks(line).isEmpty(); });
        if (onlyEmptyAfter)
            Warning(TreeFile, lineNumber,
                    "empty line at the end: read as a node without stars that nobody reaches");
        else
            Error(TreeFile, lineNumber,
                  "empty line: read as a second root, so the lines below it cannot be reached");
    }

    // Measured on the line itself: the reader has already cut what is too long.
    void CheckFieldLengths(QByteArrayView line, int lineNumber)
    {
        const qsizetype stars = LeadingStars(line);
        const qsizetype slash = line.indexOf('/');
        const QByteArrayView name =
            TrimBlanks(slash < 0 ? line.sliced(stars) : line.sliced(stars, slash - stars));
        if (name.size() > NodeNameWidth)
            Error(TreeFile, lineNumber,
                  QString("name is %1 bytes long; the tutor keeps %2")
                      .arg(name.size())
                      .arg(NodeNameWidth));
        if (slash < 0) return;
        const QByteArrayView afterSlash = line.sliced(slash + 1);
        if (!afterSlash.isEmpty() && afterSlash[0] != ' ') {
            // The reader skips the character after the slash, normally the
            // blank of "name / code".
            Warning(TreeFile, lineNumber,
                    QString("no blank after the slash: the tutor skips the character after "
                            "it, so the code reads \"%1\"")
                        .arg(Shown(TrimBlanks(afterSlash.sliced(1)))));
        }
        const QByteArrayView code =
            TrimBlanks(afterSlash.sliced(std::min<qsizetype>(1, afterSlash.size())));
        if (code.size() > NodeCodeWidth)
            Error(TreeFile, lineNumber,
                  QString("code is %1 bytes long; the tutor keeps %2")
                      .arg(code.size())
                      .arg(NodeCodeWidth));
        // A code names the category in the history and in tvtool's
        // tab-separated output, where a tab or line end would split it.
        if (HoldsControlCharacter(code))
            Error(TreeFile, lineNumber,
                  QString("code \"%1\" holds a control character; use letters and digits")
                      .arg(Shown(code)));
    }

    // The nodes the tree screen can show: the root's children, their
    // children and so on, following the links the reader made.
    std::vector<bool> ReachableNodes() const
    {
        std::vector<bool> reachable(nodes.size(), false);
        std::vector<int32_t> pending{0};
        reachable[0] = true;
        while (!pending.empty()) {
            const int32_t node = pending.back();
            pending.pop_back();
            for (int32_t child = nodes[node].FirstChild;
                 child >= 0 && child < static_cast<int32_t>(nodes.size()) && !reachable[child];
                 child = nodes[child].NextSibling) {
                reachable[child] = true;
                pending.push_back(child);
            }
        }
        return reachable;
    }

    void CollectCategories(const std::vector<bool>& reachable)
    {
        for (size_t i = 1; i < nodes.size(); ++i) {
            if (!reachable[i] || nodes[i].FirstChild != -1) continue;
            const int lineNumber = static_cast<int>(i) + 1;
            if (nodes[i].Code.isEmpty()) {
                Error(TreeFile, lineNumber,
                      QString("\"%1\" is a leaf without a code: choosing it lists the phrases "
                              "of every category")
                          .arg(Shown(nodes[i].Name)));
                continue;
            }
            categories.push_back({nodes[i].Code, nodes[i].Name, lineNumber, 0});
        }
    }

    // A phrase belongs to every category whose code begins its line, so a
    // code that begins another code puts that category's phrases in both.
    // In case-folded order a code's prefixes come right before it, each
    // covering the codes up to it; a stack of open prefixes finds the
    // nearest one for every code.
    void CheckCodePrefixes()
    {
        std::vector<const Category*> ordered;
        for (const Category& category : categories)
            ordered.push_back(&category);
        std::stable_sort(ordered.begin(), ordered.end(), [](const Category* a, const Category* b) {
            return Folded(a->Code) < Folded(b->Code);
        });
        std::vector<const Category*> open;
        for (const Category* category : ordered) {
            const QByteArray code = Folded(category->Code);
            while (!open.empty() && !code.startsWith(Folded(open.back()->Code)))
                open.pop_back();
            // Equal codes keep their file order: the later line is reported,
            // and later codes are compared with the first of them.
            if (!open.empty()) {
                const Category* prefix = open.back();
                const bool same = Folded(prefix->Code) == code;
                Error(TreeFile, category->Line,
                      same ? QString("code \"%1\" is also the code of line %2: both categories "
                                     "list the same phrases")
                                 .arg(Shown(category->Code), QString::number(prefix->Line))
                           : QString("code \"%1\" begins with the code \"%2\" of line %3: its "
                                     "phrases also appear in that category")
                                 .arg(Shown(category->Code), Shown(prefix->Code),
                                      QString::number(prefix->Line)));
                if (same) continue;
            }
            open.push_back(category);
        }
    }

    void CheckFirstNodeTopic(const std::vector<bool>& reachable)
    {
        if (nodes.size() < 2 || !reachable[1] || !helpReadable) return;
        if (helpTopics.count(FirstNodeTopic) == 0)
            Error(TreeFile, 2,
                  QString("entering this first node opens help topic %1, which %2 lacks")
                      .arg(FirstNodeTopic)
                      .arg(HelpDocumentFile));
    }

    // --- The phrase list -------------------------------------------------

    void LintPhraseList()
    {
        QByteArray bytes;
        if (!ReadWholeFile(dir.filePath(ListFile), bytes)) {
            Error(ListFile, 0, "cannot be read: every category lists no phrases");
            return;
        }
        listReadable = true;
        const std::vector<QByteArrayView> lines = SplitContentLines(bytes);
        for (size_t i = 0; i < lines.size(); ++i) {
            if (PhraseLineMatches(lines[i], {})) LintPhraseLine(lines[i], static_cast<int>(i) + 1);
        }
    }

    void LintPhraseLine(QByteArrayView line, int lineNumber)
    {
        CheckCategoryOf(line, lineNumber);
        const qsizetype semi = line.indexOf(';');
        const QByteArrayView text = TrimBlanks(line.sliced(semi + 1));
        if (text.size() > PhraseTextWidth)
            Error(ListFile, lineNumber,
                  QString("phrase text is %1 bytes long; the tutor keeps %2")
                      .arg(text.size())
                      .arg(PhraseTextWidth));
        if (semi < 4) {
            Error(ListFile, lineNumber,
                  "the semicolon stands within the first four characters: no sound file name");
            return;
        }
        const QByteArrayView extension = line.sliced(semi - 4, 4);
        const QByteArrayView stem = TrimBlanks(line.first(semi - 4));
        if (Folded(extension) != ".wav") {
            Error(ListFile, lineNumber,
                  QString("the sound file name must end in \".wav\" right before the "
                          "semicolon: the tutor drops \"%1\" and opens \"%2.wav\"")
                      .arg(Shown(extension), Shown(stem)));
        }
        if (stem.isEmpty()) {
            Error(ListFile, lineNumber, "no sound file name before the semicolon");
            return;
        }
        // tvtool and lint print the name in one field of a tab-separated
        // line, and a tutor on another system may not open such a file.
        if (HoldsControlCharacter(stem))
            Error(ListFile, lineNumber,
                  QString("sound file name \"%1.wav\" holds a control character; use letters "
                          "and digits")
                      .arg(Shown(stem)));
        if (stem.size() > StoredStemWidth)
            Error(ListFile, lineNumber,
                  QString("sound file name is %1 bytes long before its extension; the "
                          "tutor keeps %2")
                      .arg(stem.size())
                      .arg(StoredStemWidth));

        // The path exactly as the exercise screen will build it.
        std::vector<PhraseEntry> entries;
        SelectPhrases(line.toByteArray(), {}, QFile::encodeName(dir.filePath("Sounds") + "/"),
                      entries);
        const QString waveFile = QFile::decodeName(entries[1].FileStem) + ".wav";
        CheckSoundFile(waveFile, entries[1].PhraseText, lineNumber);
        CheckHelpTopic(waveFile, stem, lineNumber);
    }

    void CheckCategoryOf(QByteArrayView line, int lineNumber)
    {
        if (!treeReadable) return;
        bool listed = false;
        for (Category& category : categories) {
            if (PhraseLineMatches(line, category.Code)) {
                ++category.PhraseCount;
                listed = true;
            }
        }
        if (!listed)
            Error(ListFile, lineNumber,
                  "no category of the tree has a code that begins this line: no screen lists it");
    }

    void CheckSoundFile(const QString& waveFile, const QByteArray& listText, int lineNumber)
    {
        const QString shownName = ShownText(dir.relativeFilePath(waveFile));
        if (!QFileInfo(waveFile).isFile()) {
            Error(ListFile, lineNumber, QString("sound file %1 is missing").arg(shownName));
            return;
        }
        LoadedPhrase phrase;
        const int32_t result = phrase.Read(waveFile);
        if (result != PhraseFileOk) {
            Error(ListFile, lineNumber,
                  QString("sound file %1 does not read as a phrase file (result %2: %3)")
                      .arg(shownName, QString::number(result), ReadFailureMeaning(result)));
            return;
        }
        if (phrase.Phrase.PhraseEnd < phrase.Phrase.PhraseStart)
            Error(ListFile, lineNumber,
                  QString("sound file %1 ends its phrase (sample %2) before it begins (sample "
                          "%3): its views are drawn backwards and it does not play")
                      .arg(shownName, QString::number(phrase.Phrase.PhraseEnd),
                           QString::number(phrase.Phrase.PhraseStart)));
        if (phrase.Phrase.StepCount == 0)
            Error(
                ListFile, lineNumber,
                QString("sound file %1 has no steps: the stress view stays empty").arg(shownName));
        const bool voiced = std::any_of(phrase.Pitch.begin(), phrase.Pitch.end(),
                                        [](const PitchPoint& point) { return point.Value >= 1; });
        if (!voiced)
            Error(ListFile, lineNumber,
                  QString("sound file %1 has no pitch: the intonation view stays empty")
                      .arg(shownName));
        if (TrimTrailingBlanks(phrase.Text) != TrimTrailingBlanks(listText))
            Warning(ListFile, lineNumber,
                    QString("sound file %1 holds the text \"%2\", not the listed text")
                        .arg(shownName, Shown(phrase.Text)));
    }

    static QString ReadFailureMeaning(int32_t result)
    {
        switch (result) {
        case PhraseFileNotOpened:
            return "cannot be opened";
        case PhraseFileBadFormatSize:
            return "the \"fmt \" chunk is not 16 bytes";
        case PhraseFileDamaged:
            return "a chunk is damaged or too large, or \"data\" is missing";
        case ChunkNotFound:
            return "not a RIFF file, or \"fmt \", \"snt \", \"stp \" or \"ptc \" is missing";
        default:
            return "unreadable";
        }
    }

    void CheckHelpTopic(const QString& waveFile, QByteArrayView stem, int lineNumber)
    {
        const int32_t topic = HelpTopicOfWaveFile(waveFile);
        if (topic == 0) {
            Error(ListFile, lineNumber,
                  QString("sound file name \"%1.wav\" gives no help topic: its name must "
                          "begin with digits (12_07.wav is topic 1207)")
                      .arg(Shown(stem)));
            return;
        }
        const auto [earlier, isNew] = topicLines.try_emplace(topic, lineNumber);
        if (!isNew)
            Warning(ListFile, lineNumber,
                    QString("help topic %1 is also the topic of line %2: both phrases open "
                            "the same explanation")
                        .arg(topic)
                        .arg(earlier->second));
        if (helpReadable && helpTopics.count(topic) == 0)
            Error(ListFile, lineNumber,
                  QString("no help topic %1 in %2: Explain shows \"topic not found\"")
                      .arg(topic)
                      .arg(HelpDocumentFile));
    }

    void ReportUnusedCategories()
    {
        if (!listReadable) return;
        for (const Category& category : categories) {
            if (category.PhraseCount == 0)
                Warning(TreeFile, category.Line,
                        QString("category \"%1\" (code \"%2\") lists no phrases")
                            .arg(Shown(category.Name), Shown(category.Code)));
        }
    }

    void SortFindings()
    {
        const auto rank = [](const QString& file) {
            return file == TreeFile ? 0 : file == ListFile ? 1 : file == HelpDocumentFile ? 2 : 3;
        };
        std::stable_sort(findings.begin(), findings.end(),
                         [&rank](const LintFinding& a, const LintFinding& b) {
                             if (rank(a.File) != rank(b.File)) return rank(a.File) < rank(b.File);
                             return a.Line < b.Line;
                         });
    }

    QDir dir;
    std::vector<LintFinding> findings;
    bool treeReadable = false;
    bool listReadable = false;
    bool helpReadable = false;
    std::set<int32_t> helpTopics; // looked up once for every phrase
    std::vector<LessonNode> nodes;
    std::vector<Category> categories;
    std::map<int32_t, int> topicLines;
};

} // namespace

std::vector<LintFinding> LintContent(const QString& contentDir)
{
    return ContentLinter(contentDir).Run();
}

QString FormatLintFinding(const LintFinding& finding)
{
    return QString("%1:%2: %3: %4")
        .arg(finding.File, QString::number(finding.Line),
             finding.Severity == LintSeverity::Error ? QString("error") : QString("warning"),
             finding.Message);
}
