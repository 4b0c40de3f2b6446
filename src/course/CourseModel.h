#pragma once
// A course as the studio edits it: the lesson tree (topics that hold
// categories, categories that hold phrases), each phrase's text and
// syllables, and the explanations that become the help document's topics.
// It is written out as an ordinary content pack (CoursePack.h), so every
// rule here is one the tutor's readers need:
//   - a category's code begins the names of its phrase files, and a phrase
//     belongs to every category whose code begins its line, so codes are
//     prefix-free; the studio chooses them and never changes them, so a
//     category keeps its phrase files when it moves;
//   - the reader links at most 20 levels below the root;
//   - names keep 200 bytes, codes 50, phrase texts 200 (UTF-8 bytes);
//   - a phrase file is "<code>_<nn>.wav" and its explanation is help topic
//     <code><nn>; a category's own explanation is topic <code>00, and the
//     first node's is topic 100, the course introduction the tutor opens
//     when a learner enters it.
// Nodes are addressed by their path of child indices from the root.
#include <QString>

#include <cstdint>
#include <functional>
#include <vector>

using NodePath = std::vector<int>;

inline constexpr int CourseIntroductionTopic = 100;
inline constexpr int MaxPhrasesPerCategory = 99;

struct CoursePhrase
{
    QString FileName;    // "21_03.wav", in Sounds/
    QString Text;        // as the phrase list shows it
    QString Syllables;   // the author's spelling, "re|CORD"; empty for none
    QString Explanation; // body of its help topic (HTML), empty for none
};

struct CourseNode
{
    QString Name;
    QString Code;                      // categories only
    bool IsCategory = false;           // a category lists phrases; a topic holds nodes
    QString Explanation;               // body of its help topic (HTML)
    std::vector<CourseNode> Children;  // topics only
    std::vector<CoursePhrase> Phrases; // categories only
};

// A help topic of an opened pack that no node or phrase owns: kept as it was.
struct ExtraHelpTopic
{
    int32_t Number = 0;
    QString Html; // its heading and body as they stood
};

struct Course
{
    CourseNode Root; // Root.Name is the first line of the tree: the course title
    std::vector<ExtraHelpTopic> ExtraTopics;
    // Phrase-list lines no single category owns (none, or several), and
    // the comments after the heading: kept as they were, after the phrases,
    // so that opening and saving a pack loses nothing.
    std::vector<QByteArray> UnplacedPhraseLines;
};

// --- Finding nodes -------------------------------------------------------

CourseNode* NodeAt(Course& course, const NodePath& path);
const CourseNode* NodeAt(const Course& course, const NodePath& path);
// Depth-first, parents before children, children in order (the order of
// the tree file's lines).
void ForEachNode(const Course& course,
                 const std::function<void(const CourseNode&, const NodePath&)>& visit);
// The node the tutor calls node 1: the root's first child (empty path: none).
NodePath FirstNodePath(const Course& course);
// Levels below the node, counting the node itself (a leaf has 1).
int SubtreeDepth(const CourseNode& node);

// --- The rules, each saying where it bites --------------------------------
// Each check returns an empty text when the value is fine, else why not, in
// words for the author.

QString CheckNodeName(const QString& name);
QString CheckPhraseText(const QString& text);
// Whether a node may go under parentPath (as a child of that topic); node is
// the node being placed, from (optional) its present path.
QString CheckPlacement(const Course& course, const CourseNode& node, const NodePath& parentPath,
                       const NodePath* from = nullptr);

// --- Codes, file names, topic numbers --------------------------------------

// Every category code of the course.
std::vector<QString> CategoryCodes(const Course& course);
// The first code of the studio's scheme (10..89, then 900..989, 9900..9989,
// ...) that neither begins nor is begun by any code in taken. Empty when the
// scheme is exhausted.
QString NextCategoryCode(const std::vector<QString>& taken);
// "<code>_<nn>.wav" for the lowest nn above every number in use (or the
// lowest free one once 99 is taken); empty when the category is full.
QString NextPhraseFileName(const QString& code, const std::vector<QString>& fileNamesInUse);
// The help topic of a category: <code>00; 0 when the code is not numeric.
int32_t CategoryTopic(const QString& code);
// The help topic of a phrase file, as the tutor computes it.
int32_t PhraseTopic(const QString& fileName);
// The code a phrase file name begins with ("21" for "21_03.wav"), empty
// when the name is not of the form <digits>_<digits>.wav.
QString CodeOfPhraseFile(const QString& fileName);

// A node named with an explicit code, used when a category is created.
CourseNode MakeCategory(const QString& name, const QString& code);
CourseNode MakeTopic(const QString& name);

// A new course: its title, an introduction (node 1) and one category.
Course NewCourse(const QString& title);
