#include "course/CoursePack.h"

#include "compare/Syllables.h"
#include "content/ContentText.h"
#include "content/ContentWriters.h"
#include "content/LessonTree.h"
#include "content/PhraseList.h"
#include "course/CourseHelp.h"
#include "platform/SaveFile.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

#include <set>

namespace {

bool Refuse(QString* problem, const QString& why)
{
    if (problem != nullptr) *problem = why;
    return false;
}

QByteArray Utf8(const QString& text)
{
    return text.trimmed().toUtf8();
}

// The spelling an author would type for syllables kept in a phrase file.
QString SpellSyllables(const SyllableList& syllables)
{
    QStringList pieces;
    for (const Syllable& syllable : syllables) {
        QString text = syllable.Text.simplified();
        text.replace(' ', '|');
        if (syllable.Stressed) text = text.size() >= 2 ? text.toUpper() : "'" + text;
        pieces << text;
    }
    return pieces.join('|');
}

// Why a text stored in another form than UTF-8 cannot be saved as read:
// the bytes it takes as UTF-8 outgrow its field. Empty when it fits.
QString OutgrowsAsUtf8(const QString& what, const QString& text, int width)
{
    const qsizetype bytes = Utf8(text).size();
    if (bytes <= width) return {};
    return QString("%1 is %2 bytes once stored as UTF-8, as the studio saves it; the tutor "
                   "keeps %3")
        .arg(what)
        .arg(bytes)
        .arg(width);
}

void NoteUnsaved(QString& unsaved, const QString& file, int line, const QString& why)
{
    if (unsaved.isEmpty() && !why.isEmpty())
        unsaved = QString("%1 line %2: %3").arg(file).arg(line).arg(why);
}

CourseNode BuildNode(const std::vector<LessonNode>& nodes, int32_t index, int level,
                     std::vector<bool>& seen, QString& unsaved)
{
    CourseNode node;
    node.Name = DecodeContentText(nodes[index].Name);
    node.Code = DecodeContentText(nodes[index].Code);
    // Node i stands on line i + 1 of the tree file.
    NoteUnsaved(unsaved, TreeFileName, index + 1,
                OutgrowsAsUtf8("the name", node.Name, NodeNameWidth));
    // A leaf without a code is a topic that has no categories yet: the studio
    // writes an empty topic so, and a category needs a code to hold phrases.
    node.IsCategory = nodes[index].FirstChild == -1 && index != 0 && !node.Code.trimmed().isEmpty();
    if (!node.IsCategory) node.Code.clear(); // an inner node's code selects nothing
    if (level >= MaxTreeLevel) return node;
    for (int32_t child = nodes[index].FirstChild;
         child >= 0 && child < static_cast<int32_t>(nodes.size()) && !seen[child];
         child = nodes[child].NextSibling) {
        seen[child] = true;
        node.Children.push_back(BuildNode(nodes, child, level + 1, seen, unsaved));
    }
    return node;
}

std::vector<CourseNode*> Categories(CourseNode& node)
{
    std::vector<CourseNode*> found;
    if (node.IsCategory && !node.Code.isEmpty()) found.push_back(&node);
    for (CourseNode& child : node.Children) {
        const std::vector<CourseNode*> below = Categories(child);
        found.insert(found.end(), below.begin(), below.end());
    }
    return found;
}

// A line the studio can own: one category, a ".wav" name and fields the
// writer carries back unchanged.
bool PlacePhraseLine(QByteArrayView line, int lineNumber, const QString& soundsFolder,
                     std::vector<CourseNode*>& categories, QString& unsaved)
{
    CourseNode* owner = nullptr;
    for (CourseNode* category : categories) {
        if (!PhraseLineMatches(line, Utf8(category->Code))) continue;
        if (owner != nullptr) return false;
        owner = category;
    }
    const qsizetype semi = line.indexOf(';');
    const QByteArrayView name = TrimBlanks(line.first(semi));
    const QByteArrayView text = TrimBlanks(line.sliced(semi + 1));
    // A sound file name is written back as UTF-8: one in another form
    // would name another file.
    const bool fits = name.size() > 4 && name.size() <= FileStemWidth &&
                      name.toByteArray().toLower().endsWith(".wav") && name.isValidUtf8() &&
                      text.size() <= PhraseTextWidth;
    if (owner == nullptr || !fits) return false;
    CoursePhrase phrase;
    phrase.FileName = QString::fromUtf8(name.toByteArray());
    phrase.Text = DecodeContentText(text.toByteArray());
    NoteUnsaved(unsaved, PhraseListFileName, lineNumber,
                OutgrowsAsUtf8("the text", phrase.Text, PhraseTextWidth));
    phrase.Syllables = SpellSyllables(ReadSyllables(soundsFolder + phrase.FileName));
    owner->Phrases.push_back(phrase);
    return true;
}

void TakeHelpTopics(const QString& html, Course& course)
{
    std::map<int32_t, HelpTopicText> topics = SplitHelpTopics(html);
    const auto take = [&topics](int32_t number, QString& body) {
        const auto found = topics.find(number);
        if (number == 0 || found == topics.end()) return;
        body = found->second.Body;
        topics.erase(found);
    };
    const CourseNode* first =
        course.Root.Children.empty() ? nullptr : &course.Root.Children.front();
    if (first != nullptr) take(CourseIntroductionTopic, course.Root.Children.front().Explanation);
    for (CourseNode* category : Categories(course.Root)) {
        if (category != first) take(CategoryTopic(category->Code), category->Explanation);
        for (CoursePhrase& phrase : category->Phrases)
            take(PhraseTopic(phrase.FileName), phrase.Explanation);
    }
    for (const auto& [number, topic] : topics)
        course.ExtraTopics.push_back({number, topic.Whole});
}

void AppendTreeLines(const CourseNode& node, int level, std::vector<TreeLine>& lines)
{
    lines.push_back({level, Utf8(node.Name), node.IsCategory ? Utf8(node.Code) : QByteArray()});
    for (const CourseNode& child : node.Children)
        AppendTreeLines(child, level + 1, lines);
}

void AppendPhraseLines(const CourseNode& node, std::vector<PhraseLine>& lines)
{
    for (const CoursePhrase& phrase : node.Phrases)
        lines.push_back({Utf8(phrase.FileName), Utf8(phrase.Text)});
    for (const CourseNode& child : node.Children)
        AppendPhraseLines(child, lines);
}

void ListFileNames(const CourseNode& node, std::set<QString>& names)
{
    for (const CoursePhrase& phrase : node.Phrases)
        names.insert(phrase.FileName.toLower());
    for (const CourseNode& child : node.Children)
        ListFileNames(child, names);
}

// The help document of course with the topics only previous still has:
// whichever of the two lists is on disk finds every topic it names.
QByteArray BridgingHelpDocument(const Course& course, const Course* previous)
{
    if (previous == nullptr) return ComposeHelpDocument(course).toUtf8();
    Course bridge = course;
    const std::map<int32_t, HelpTopicText> now = SplitHelpTopics(ComposeHelpDocument(course));
    for (const auto& [number, topic] : SplitHelpTopics(ComposeHelpDocument(*previous))) {
        if (now.count(number) == 0) bridge.ExtraTopics.push_back({number, topic.Whole});
    }
    return ComposeHelpDocument(bridge).toUtf8();
}

} // namespace

bool WriteFileAtomically(const QString& path, const QByteArray& bytes, QString* problem)
{
    if (!QDir().mkpath(QFileInfo(path).absolutePath()))
        return Refuse(problem, QString("cannot create the folder of %1").arg(path));
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return Refuse(problem, QString("cannot write %1: %2").arg(path, file.errorString()));
    if (file.write(bytes) != bytes.size() || !CommitSaveFile(file))
        return Refuse(problem, QString("cannot write %1: %2").arg(path, file.errorString()));
    return true;
}

bool LoadCoursePack(const QString& folder, Course& course, CourseManifest& manifest,
                    QString* problem, QString* unsaved)
{
    const QDir dir(folder);
    QByteArray treeBytes;
    if (!ReadWholeFile(dir.filePath(TreeFileName), treeBytes))
        return Refuse(problem, QString("%1 cannot be read").arg(dir.filePath(TreeFileName)));
    std::vector<LessonNode> nodes;
    int32_t lastNodeIndex = -1;
    ParseLessonTree(treeBytes, nodes, lastNodeIndex);
    if (nodes.empty())
        return Refuse(problem, QString("%1 is empty").arg(dir.filePath(TreeFileName)));

    course = Course();
    QString firstUnsaved;
    std::vector<bool> seen(nodes.size(), false);
    seen[0] = true;
    course.Root = BuildNode(nodes, 0, 0, seen, firstUnsaved);

    QByteArray listBytes;
    if (ReadWholeFile(dir.filePath(PhraseListFileName), listBytes)) {
        std::vector<CourseNode*> categories = Categories(course.Root);
        const QString soundsFolder = dir.filePath("Sounds") + "/";
        const std::vector<QByteArrayView> lines = SplitContentLines(listBytes);
        for (size_t i = 0; i < lines.size(); ++i) {
            // The heading is written afresh; a teacher's comments stay,
            // after the phrases, with the lines the studio cannot place.
            const bool comment = !PhraseLineMatches(lines[i], {});
            if (comment && (i == 0 || TrimBlanks(lines[i]).isEmpty())) continue;
            if (comment || !PlacePhraseLine(lines[i], static_cast<int>(i) + 1, soundsFolder,
                                            categories, firstUnsaved))
                course.UnplacedPhraseLines.push_back(lines[i].toByteArray());
        }
    }

    QByteArray helpBytes;
    if (ReadWholeFile(dir.filePath(HelpFileName), helpBytes))
        TakeHelpTopics(DecodeContentText(helpBytes), course);
    if (unsaved != nullptr) *unsaved = firstUnsaved;

    QByteArray manifestBytes;
    std::optional<CourseManifest> read;
    if (ReadWholeFile(dir.filePath(ManifestFileName), manifestBytes))
        read = ParseCourseManifest(manifestBytes);
    manifest = read.value_or(CourseManifest{course.Root.Name, {}, "en", "1.0"});
    return true;
}

QByteArray TreeTextOf(const Course& course, QString* problem)
{
    std::vector<TreeLine> lines;
    AppendTreeLines(course.Root, 0, lines);
    return LessonTreeText(lines, problem);
}

QByteArray PhraseListTextOf(const Course& course, QString* problem)
{
    std::vector<PhraseLine> lines;
    AppendPhraseLines(course.Root, lines);
    QByteArray heading = "Phrases of " + Utf8(course.Root.Name);
    heading.replace(';', ',');
    QByteArray text = PhraseListText(heading, lines, problem);
    if (text.isEmpty()) return text;
    for (const QByteArray& line : course.UnplacedPhraseLines)
        text += line + "\r\n";
    return text;
}

bool SaveCoursePack(const QString& folder, const Course& course, const CourseManifest& manifest,
                    const Course* previous, QString* problem,
                    const std::function<void()>& betweenFiles)
{
    const QDir dir(folder);
    const QByteArray tree = TreeTextOf(course, problem);
    if (tree.isEmpty()) return false;
    const QByteArray list = PhraseListTextOf(course, problem);
    if (list.isEmpty()) return false;
    const QString helpPath = dir.filePath(HelpFileName);
    const std::vector<std::pair<QString, QByteArray>> steps{
        {helpPath, BridgingHelpDocument(course, previous)},
        {dir.filePath(PhraseListFileName), list},
        {dir.filePath(TreeFileName), tree},
        {helpPath, ComposeHelpDocument(course).toUtf8()},
        {dir.filePath(ManifestFileName), CourseManifestText(manifest)}};
    for (const auto& [path, bytes] : steps) {
        if (betweenFiles) betweenFiles();
        if (!WriteFileAtomically(path, bytes, problem)) return false;
    }
    return true;
}

QStringList UnlistedPhraseFiles(const QString& folder, const Course& course)
{
    std::set<QString> listed;
    ListFileNames(course.Root, listed);
    for (const QByteArray& line : course.UnplacedPhraseLines)
        listed.insert(QString::fromUtf8(line.left(line.indexOf(';'))).trimmed().toLower());
    QStringList unlisted;
    const QDir sounds(QDir(folder).filePath("Sounds"));
    for (const QString& name : sounds.entryList({"*.wav", "*.WAV"}, QDir::Files)) {
        if (!CodeOfPhraseFile(name).isEmpty() && listed.count(name.toLower()) == 0)
            unlisted << name;
    }
    return unlisted;
}

bool PackIsWritable(const QString& folder, const QString& installedContent)
{
    const QString canonical = QFileInfo(folder).canonicalFilePath();
    const QString installed = QFileInfo(installedContent).canonicalFilePath();
    if (canonical.isEmpty()) return false;
    if (!installed.isEmpty() && (canonical == installed || canonical.startsWith(installed + "/")))
        return false;
    const QDir dir(canonical);
    for (const QString& part : {QString("."), QString("Sounds"), QString("Help")}) {
        const QFileInfo info(dir.filePath(part));
        if (info.exists() && !info.isWritable()) return false;
    }
    return true;
}
