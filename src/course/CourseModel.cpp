#include "course/CourseModel.h"

#include "content/HelpDocument.h"
#include "content/LessonTree.h"
#include "content/PhraseList.h"

#include <QRegularExpression>

#include <algorithm>

namespace {

// The first node the scheme gives each code length: two digits from 10,
// then a run of nines that no shorter code uses, followed by two digits up
// to 89. No code of the scheme begins another, and a code followed by a
// two-digit phrase number never spells another code's topic.
constexpr int LongestSchemeCode = 7; // with two more digits a topic still fits 32 bits

bool BeginsOrIsBegunBy(const QString& a, const QString& b)
{
    return a.startsWith(b, Qt::CaseInsensitive) || b.startsWith(a, Qt::CaseInsensitive);
}

int PhraseNumberOf(const QString& fileName, const QString& code)
{
    const QString prefix = code + "_";
    if (!fileName.startsWith(prefix, Qt::CaseInsensitive) ||
        !fileName.endsWith(".wav", Qt::CaseInsensitive))
        return -1;
    bool ok = false;
    const int number = fileName.mid(prefix.size(), fileName.size() - prefix.size() - 4).toInt(&ok);
    return ok ? number : -1;
}

void VisitNodes(const CourseNode& node, NodePath& path,
                const std::function<void(const CourseNode&, const NodePath&)>& visit)
{
    visit(node, path);
    for (size_t i = 0; i < node.Children.size(); ++i) {
        path.push_back(static_cast<int>(i));
        VisitNodes(node.Children[i], path, visit);
        path.pop_back();
    }
}

bool IsWithin(const NodePath& path, const NodePath& ancestor)
{
    return path.size() >= ancestor.size() &&
           std::equal(ancestor.begin(), ancestor.end(), path.begin());
}

} // namespace

CourseNode* NodeAt(Course& course, const NodePath& path)
{
    return const_cast<CourseNode*>(NodeAt(static_cast<const Course&>(course), path));
}

const CourseNode* NodeAt(const Course& course, const NodePath& path)
{
    const CourseNode* node = &course.Root;
    for (int index : path) {
        if (index < 0 || index >= static_cast<int>(node->Children.size())) return nullptr;
        node = &node->Children[static_cast<size_t>(index)];
    }
    return node;
}

void ForEachNode(const Course& course,
                 const std::function<void(const CourseNode&, const NodePath&)>& visit)
{
    NodePath path;
    VisitNodes(course.Root, path, visit);
}

NodePath FirstNodePath(const Course& course)
{
    return course.Root.Children.empty() ? NodePath{} : NodePath{0};
}

int SubtreeDepth(const CourseNode& node)
{
    int deepest = 0;
    for (const CourseNode& child : node.Children)
        deepest = std::max(deepest, SubtreeDepth(child));
    return deepest + 1;
}

QString CheckNodeName(const QString& name)
{
    const QString trimmed = name.trimmed();
    if (trimmed.isEmpty()) return "A name cannot be empty.";
    if (trimmed.contains('/'))
        return "A name cannot hold a slash (/): the tutor reads what follows a slash as the "
               "category's code.";
    if (trimmed.startsWith('*'))
        return "A name cannot begin with a star (*): the tutor reads leading stars as the "
               "level in the tree.";
    if (trimmed.contains('\n') || trimmed.contains('\r')) return "A name must fit on one line.";
    const qsizetype bytes = trimmed.toUtf8().size();
    if (bytes > NodeNameWidth)
        return QString("The name is %1 bytes long; the tutor keeps %2 and would cut the rest.")
            .arg(bytes)
            .arg(NodeNameWidth);
    return {};
}

QString CheckPhraseText(const QString& text)
{
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty()) return "Type the phrase's text: the learner chooses phrases by it.";
    if (trimmed.contains('\n') || trimmed.contains('\r'))
        return "A phrase's text must fit on one line.";
    const qsizetype bytes = trimmed.toUtf8().size();
    if (bytes > PhraseTextWidth)
        return QString("The text is %1 bytes long; the tutor keeps %2 and would cut the rest.")
            .arg(bytes)
            .arg(PhraseTextWidth);
    return {};
}

QString CheckPlacement(const Course& course, const CourseNode& node, const NodePath& parentPath,
                       const NodePath* from)
{
    const CourseNode* parent = NodeAt(course, parentPath);
    if (parent == nullptr) return "There is no such place in the tree.";
    if (parent->IsCategory)
        return QString("\"%1\" is a category: it lists phrases and cannot hold other entries. "
                       "Put both under a topic instead.")
            .arg(parent->Name);
    if (from != nullptr && IsWithin(parentPath, *from)) return "An entry cannot go inside itself.";
    // parentPath.size() is the parent's level; the node's deepest line lies
    // SubtreeDepth levels below it.
    const int deepest = static_cast<int>(parentPath.size()) + SubtreeDepth(node);
    if (deepest > MaxTreeLevel)
        return QString("That would put entries %1 levels deep; the tutor reads at most %2 "
                       "levels below the course title.")
            .arg(deepest)
            .arg(MaxTreeLevel);
    return {};
}

std::vector<QString> CategoryCodes(const Course& course)
{
    std::vector<QString> codes;
    ForEachNode(course, [&codes](const CourseNode& node, const NodePath&) {
        if (node.IsCategory && !node.Code.isEmpty()) codes.push_back(node.Code);
    });
    return codes;
}

QString NextCategoryCode(const std::vector<QString>& taken)
{
    for (int length = 2; length <= LongestSchemeCode; ++length) {
        const QString nines(length - 2, '9');
        for (int pair = length == 2 ? 10 : 0; pair <= 89; ++pair) {
            const QString code = nines + QString("%1").arg(pair, 2, 10, QChar('0'));
            const bool free = std::none_of(taken.begin(), taken.end(), [&code](const QString& t) {
                return !t.isEmpty() && BeginsOrIsBegunBy(code, t);
            });
            if (free) return code;
        }
    }
    return {};
}

QString NextPhraseFileName(const QString& code, const std::vector<QString>& fileNamesInUse)
{
    std::vector<bool> used(MaxPhrasesPerCategory + 1, false);
    int highest = 0;
    for (const QString& name : fileNamesInUse) {
        const int number = PhraseNumberOf(name, code);
        if (number >= 1 && number <= MaxPhrasesPerCategory) {
            used[static_cast<size_t>(number)] = true;
            highest = std::max(highest, number);
        }
    }
    // Numbers in order of adding keep the list in that order (it is sorted
    // by file name); gaps are filled only once the end is reached.
    int number = highest + 1;
    if (number > MaxPhrasesPerCategory) {
        number = 1;
        while (number <= MaxPhrasesPerCategory && used[static_cast<size_t>(number)])
            ++number;
        if (number > MaxPhrasesPerCategory) return {};
    }
    return QString("%1_%2.wav").arg(code, QString("%1").arg(number, 2, 10, QChar('0')));
}

int32_t CategoryTopic(const QString& code)
{
    static const QRegularExpression digits("^[0-9]{1,7}$");
    if (!digits.match(code).hasMatch()) return 0;
    return code.toInt() * 100;
}

int32_t PhraseTopic(const QString& fileName)
{
    return HelpTopicOfWaveFile(fileName);
}

QString CodeOfPhraseFile(const QString& fileName)
{
    static const QRegularExpression shape("^([0-9]+)_[0-9]+\\.wav$",
                                          QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = shape.match(fileName);
    return match.hasMatch() ? match.captured(1) : QString();
}

CourseNode MakeCategory(const QString& name, const QString& code)
{
    CourseNode node;
    node.Name = name;
    node.Code = code;
    node.IsCategory = true;
    return node;
}

CourseNode MakeTopic(const QString& name)
{
    CourseNode node;
    node.Name = name;
    return node;
}

Course NewCourse(const QString& title)
{
    Course course;
    course.Root.Name = title;
    course.Root.Children.push_back(MakeCategory("Introduction", NextCategoryCode({})));
    course.Root.Children.push_back(
        MakeCategory("First Lesson", NextCategoryCode(CategoryCodes(course))));
    return course;
}
