#include "course/CourseHelp.h"

#include <QRegularExpression>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextList>

#include <utility>
#include <vector>

namespace {

// One tag of HTML, from its "<" to the first ">".
const QRegularExpression& HtmlTag()
{
    static const QRegularExpression tag("<[^>]*>");
    return tag;
}

QString Escaped(const QString& text)
{
    return text.toHtmlEscaped();
}

QString Topic(int level, int32_t number, const QString& heading, const QString& body)
{
    QString html =
        QString("<h%1><a name=\"%2\"></a>%3</h%1>\n").arg(level).arg(number).arg(Escaped(heading));
    if (!body.trimmed().isEmpty()) html += body.trimmed() + "\n";
    return html;
}

void ComposeContents(const CourseNode& node, bool isFirstNode, QString& contents)
{
    if (node.IsCategory) {
        QStringList links;
        const int32_t categoryTopic = CategoryTopic(node.Code);
        if (categoryTopic != 0 && !isFirstNode)
            links << QString("<a href=\"#%1\">About %2</a>")
                         .arg(categoryTopic)
                         .arg(Escaped(node.Name));
        for (const CoursePhrase& phrase : node.Phrases)
            links << QString("<a href=\"#%1\">%2</a>")
                         .arg(PhraseTopic(phrase.FileName))
                         .arg(Escaped(phrase.Text));
        if (!links.isEmpty())
            contents += QString("<li>%1: %2</li>\n").arg(Escaped(node.Name), links.join(", "));
    }
    for (const CourseNode& child : node.Children)
        ComposeContents(child, false, contents);
}

void ComposeTopics(const CourseNode& node, bool isFirstNode, QString& topics)
{
    // The first node's own explanation is the course introduction (100),
    // which stands first in the document.
    if (node.IsCategory && !isFirstNode) {
        const int32_t categoryTopic = CategoryTopic(node.Code);
        if (categoryTopic != 0) topics += Topic(2, categoryTopic, node.Name, node.Explanation);
    }
    for (const CoursePhrase& phrase : node.Phrases)
        topics += Topic(3, PhraseTopic(phrase.FileName), phrase.Text, phrase.Explanation);
    for (const CourseNode& child : node.Children)
        ComposeTopics(child, false, topics);
}

QString InlineHtml(const QTextBlock& block)
{
    QString html;
    for (auto it = block.begin(); !it.atEnd(); ++it) {
        const QTextFragment fragment = it.fragment();
        if (!fragment.isValid()) continue;
        QString text = Escaped(fragment.text());
        // A line break typed inside a paragraph (Shift+Enter).
        text.replace(QChar::LineSeparator, "<br>");
        const QTextCharFormat format = fragment.charFormat();
        if (format.fontItalic()) text = "<i>" + text + "</i>";
        if (format.fontWeight() >= QFont::Bold) text = "<b>" + text + "</b>";
        html += text;
    }
    return html;
}

// The character references a heading's text may hold, read without a
// document (which would need a running GUI for its fonts).
QString DecodeEntities(const QString& text)
{
    static const QRegularExpression reference("&(#[0-9]{1,7}|#x[0-9a-fA-F]{1,6}|[a-zA-Z]{2,6});");
    QString out;
    qsizetype last = 0;
    for (auto it = reference.globalMatch(text); it.hasNext();) {
        const QRegularExpressionMatch match = it.next();
        out += text.mid(last, match.capturedStart(0) - last);
        last = match.capturedEnd(0);
        const QString name = match.captured(1);
        char32_t code = 0;
        if (name.startsWith("#x"))
            code = name.mid(2).toUInt(nullptr, 16);
        else if (name.startsWith('#'))
            code = name.mid(1).toUInt();
        else if (name == "amp")
            code = '&';
        else if (name == "lt")
            code = '<';
        else if (name == "gt")
            code = '>';
        else if (name == "quot")
            code = '"';
        else if (name == "apos")
            code = '\'';
        else if (name == "nbsp")
            code = ' ';
        if (code == 0 || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
            out += match.captured(0);
        else
            out += QString::fromUcs4(&code, 1);
    }
    return out + text.mid(last);
}

} // namespace

QString ComposeHelpDocument(const Course& course)
{
    const QString title = course.Root.Name;
    QString contents;
    QString topics;
    const CourseNode* first =
        course.Root.Children.empty() ? nullptr : &course.Root.Children.front();
    if (first != nullptr) {
        contents += QString("<li><a href=\"#%1\">%2</a></li>\n")
                        .arg(CourseIntroductionTopic)
                        .arg(Escaped(first->Name));
        topics += Topic(2, CourseIntroductionTopic, first->Name, first->Explanation);
    }
    for (size_t i = 0; i < course.Root.Children.size(); ++i) {
        ComposeContents(course.Root.Children[i], i == 0, contents);
        ComposeTopics(course.Root.Children[i], i == 0, topics);
    }
    for (const ExtraHelpTopic& extra : course.ExtraTopics)
        topics += extra.Html.trimmed() + "\n";

    return QString("<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>%1</title>"
                   "</head><body>\n<h1>%1</h1>\n<h2>Contents</h2>\n<ul>\n%2</ul>\n%3"
                   "</body></html>\n")
        .arg(Escaped(title), contents, topics);
}

std::map<int32_t, HelpTopicText> SplitHelpTopics(const QString& html)
{
    // A topic's heading as the studio writes it, <h2><a name="N"></a>Heading</h2>,
    // and as people write it by hand: the anchor around the heading's text,
    // an empty anchor just before the heading, or the anchor around it.
    static const QRegularExpression heading(
        "<h([1-6])[^>]*>\\s*<a\\s[^>]*name\\s*=\\s*[\"']?([0-9]{1,9})[\"']?[^>]*>\\s*</a>"
        "(.*?)</h\\1\\s*>"
        "|<h([1-6])[^>]*>\\s*<a\\s[^>]*name\\s*=\\s*[\"']?([0-9]{1,9})[\"']?[^>]*>"
        "((?:(?!</?a[\\s>]).)*?)</a\\s*>\\s*</h\\4\\s*>"
        "|<a\\s[^>]*name\\s*=\\s*[\"']?([0-9]{1,9})[\"']?[^>]*>\\s*</a\\s*>\\s*"
        "<h([1-6])[^>]*>(.*?)</h\\8\\s*>"
        "|<a\\s[^>]*name\\s*=\\s*[\"']?([0-9]{1,9})[\"']?[^>]*>\\s*<h([1-6])[^>]*>"
        "((?:(?!</?a[\\s>]).)*?)</h\\11\\s*>\\s*</a\\s*>",
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption);
    static const QRegularExpression bodyEnd("</body\\s*>",
                                            QRegularExpression::CaseInsensitiveOption);

    std::map<int32_t, HelpTopicText> topics;
    std::vector<QRegularExpressionMatch> matches;
    for (auto it = heading.globalMatch(html); it.hasNext();)
        matches.push_back(it.next());
    qsizetype end = html.indexOf(bodyEnd);
    if (end < 0) end = html.size();
    for (size_t i = 0; i < matches.size(); ++i) {
        const QRegularExpressionMatch& match = matches[i];
        // Each form of heading fills groups of its own: number, text.
        static constexpr std::pair<int, int> groups[] = {{2, 3}, {5, 6}, {7, 9}, {10, 12}};
        auto [numberGroup, textGroup] = groups[0];
        for (const auto& [number, text] : groups) {
            if (match.capturedStart(number) >= 0) {
                numberGroup = number;
                textGroup = text;
                break;
            }
        }
        const qsizetype bodyStart = match.capturedEnd(0);
        const qsizetype bodyStop =
            i + 1 < matches.size() ? matches[i + 1].capturedStart(0) : std::max(end, bodyStart);
        HelpTopicText topic;
        QString headingText = match.captured(textGroup);
        headingText.remove(HtmlTag());
        topic.Heading = DecodeEntities(headingText).simplified();
        topic.Body = html.mid(bodyStart, bodyStop - bodyStart).trimmed();
        topic.Whole = html.mid(match.capturedStart(0), bodyStop - match.capturedStart(0));
        topics.try_emplace(match.captured(numberGroup).toInt(), topic);
    }
    return topics;
}

namespace {

// The words a reader sees in a piece of HTML, in their order.
QStringList VisibleWords(const QString& html)
{
    static const QRegularExpression blanks("\\s+");
    QString text = html;
    text.replace(HtmlTag(), " ");
    return DecodeEntities(text).split(blanks, Qt::SkipEmptyParts);
}

QStringList AnchorNumbers(const QString& html)
{
    static const QRegularExpression anchor("<a\\s[^>]*name\\s*=\\s*[\"']?([^\"'\\s>]+)",
                                           QRegularExpression::CaseInsensitiveOption);
    QStringList numbers;
    for (auto it = anchor.globalMatch(html); it.hasNext();)
        numbers << it.next().captured(1);
    return numbers;
}

} // namespace

QString HelpTextLostBy(const QString& original, const QString& composed)
{
    static const QRegularExpression anchor("<a\\s[^>]*name\\s*=",
                                           QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression bodyEnd("</body\\s*>",
                                            QRegularExpression::CaseInsensitiveOption);
    const QStringList kept = AnchorNumbers(composed);
    for (const QString& number : AnchorNumbers(original)) {
        if (!kept.contains(number)) return QString("the topic <a name=\"%1\">").arg(number);
    }
    // The contents before the first topic are composed afresh, and the
    // headings of the topics are written from the names and texts.
    const qsizetype first = original.indexOf(anchor);
    if (first < 0) return {};
    qsizetype end = original.indexOf(bodyEnd, first);
    if (end < 0) end = original.size();
    std::map<QString, int> written;
    for (const QString& word : VisibleWords(composed))
        ++written[word];
    for (const auto& [number, topic] : SplitHelpTopics(original)) {
        for (const QString& word : VisibleWords(topic.Heading.toHtmlEscaped()))
            ++written[word];
    }
    QStringList lost;
    for (const QString& word : VisibleWords(original.mid(first, end - first))) {
        if (written[word] > 0)
            --written[word];
        else if (lost.size() < 8)
            lost << word;
    }
    if (lost.isEmpty()) return {};
    return QString("text such as \"%1\"").arg(lost.join(' '));
}

bool ExplanationIsEditable(const QString& html)
{
    static const QRegularExpression kept(
        QRegularExpression::anchoredPattern("</?(p|b|i|strong|em|ul|ol|li|br)\\s*/?>"),
        QRegularExpression::CaseInsensitiveOption);
    for (auto it = HtmlTag().globalMatch(html); it.hasNext();) {
        if (!kept.match(it.next().captured(0)).hasMatch()) return false;
    }
    return true;
}

QString ExplanationHtml(const QTextDocument& document)
{
    QString html;
    QTextList* openList = nullptr;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        QTextList* list = block.textList();
        if (list != openList) {
            if (openList != nullptr)
                html += openList->format().style() == QTextListFormat::ListDecimal ? "</ol>\n"
                                                                                   : "</ul>\n";
            if (list != nullptr)
                html +=
                    list->format().style() == QTextListFormat::ListDecimal ? "<ol>\n" : "<ul>\n";
            openList = list;
        }
        const QString inner = InlineHtml(block);
        if (list != nullptr)
            html += "<li>" + inner + "</li>\n";
        else if (!inner.trimmed().isEmpty())
            html += "<p>" + inner + "</p>\n";
    }
    if (openList != nullptr)
        html += openList->format().style() == QTextListFormat::ListDecimal ? "</ol>\n" : "</ul>\n";
    return html.trimmed();
}
