#include "course/CourseHelp.h"

#include <QRegularExpression>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextList>

#include <set>
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

// The tags a topic's heading is made of. A tag runs from "<" to the first
// ">" and holds no "<" of its own, so that no two tags overlap and one pass
// over a document finds them all, however it was written.
struct HelpTag
{
    enum Kind { Other, HeadingOpen, HeadingClose, AnchorOpen, AnchorClose };
    Kind What = Other;
    bool OfAnchor = false; // <a ...> or </a ...>, named or not
    int Level = 0;         // of a heading, 1 to 6
    int32_t Number = -1;   // of an anchor named with a topic number
    qsizetype Start = 0;   // the "<"
    qsizetype End = 0;     // after the ">"
};

HelpTag ClassifiedTag(const QString& html, qsizetype start, qsizetype end)
{
    using Re = QRegularExpression;
    static const Re headingOpen(Re::anchoredPattern("<h([1-6])[^>]*>"), Re::CaseInsensitiveOption);
    static const Re headingClose(Re::anchoredPattern("</h([1-6])\\s*>"), Re::CaseInsensitiveOption);
    static const Re namedAnchor(
        Re::anchoredPattern("<a\\s[^>]*name\\s*=\\s*[\"']?([0-9]{1,9})[\"']?[^>]*>"),
        Re::CaseInsensitiveOption);
    static const Re anchorClose(Re::anchoredPattern("</a\\s*>"), Re::CaseInsensitiveOption);
    static const Re anyAnchor("^</?a[\\s>]", Re::CaseInsensitiveOption);

    HelpTag tag;
    tag.Start = start;
    tag.End = end;
    const QStringView text = QStringView(html).sliced(start, end - start);
    const QChar first = text.size() > 2 ? text[text[1] == '/' ? 2 : 1].toLower() : QChar();
    if (first != 'a' && first != 'h') return tag; // most tags: no need for the patterns
    QRegularExpressionMatch match;
    if ((match = headingOpen.match(text)).hasMatch()) {
        tag.What = HelpTag::HeadingOpen;
        tag.Level = match.captured(1).toInt();
    } else if ((match = headingClose.match(text)).hasMatch()) {
        tag.What = HelpTag::HeadingClose;
        tag.Level = match.captured(1).toInt();
    } else if ((match = namedAnchor.match(text)).hasMatch()) {
        tag.What = HelpTag::AnchorOpen;
        tag.Number = match.captured(1).toInt();
    } else if (anchorClose.match(text).hasMatch()) {
        tag.What = HelpTag::AnchorClose;
    }
    tag.OfAnchor = anyAnchor.match(text).hasMatch();
    return tag;
}

std::vector<HelpTag> HelpTags(const QString& html)
{
    std::vector<HelpTag> tags;
    qsizetype start = html.indexOf('<');
    while (start >= 0) {
        qsizetype stop = start + 1;
        while (stop < html.size() && html[stop] != '<' && html[stop] != '>')
            ++stop;
        if (stop >= html.size()) break;
        if (html[stop] == '>') {
            tags.push_back(ClassifiedTag(html, start, stop + 1));
            stop = html.indexOf('<', stop);
        }
        start = stop;
    }
    return tags;
}

// A topic's heading found in the document: where it stands, its number and
// where its text stands.
struct TopicHeading
{
    qsizetype Start = 0;
    qsizetype End = 0;
    int32_t Number = 0;
    qsizetype TextStart = 0;
    qsizetype TextEnd = 0;
};

bool IsBlank(QChar c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v';
}

// Whether tag "next" follows tag "tag" with nothing but blanks between.
bool Follows(const QString& html, const std::vector<HelpTag>& tags, size_t tag, size_t next,
             HelpTag::Kind kind)
{
    if (next >= tags.size() || tags[next].What != kind) return false;
    for (qsizetype i = tags[tag].End; i < tags[next].Start; ++i) {
        if (!IsBlank(html[i])) return false;
    }
    return true;
}

// The closing tag of the heading opened by tag "open", found without
// crossing another heading's start (a heading never holds one, and a
// heading left open ends there rather than swallowing the topics below);
// with withinAnchor, also without crossing an anchor's tag, and only where
// </a> follows the closing tag. 0 when there is none.
size_t HeadingClose(const QString& html, const std::vector<HelpTag>& tags, size_t open,
                    bool withinAnchor)
{
    for (size_t i = open + 1; i < tags.size(); ++i) {
        if (tags[i].What == HelpTag::HeadingOpen || (withinAnchor && tags[i].OfAnchor)) return 0;
        if (tags[i].What != HelpTag::HeadingClose || tags[i].Level != tags[open].Level) continue;
        if (!withinAnchor || Follows(html, tags, i, i + 1, HelpTag::AnchorClose)) return i;
    }
    return 0;
}

// A topic's heading beginning at tag i, in any of the forms the help
// documents use:
//   <h2><a name="N"></a>Heading</h2>      (as the studio writes it)
//   <h2><a name="N">Heading</a></h2>
//   <a name="N"></a><h2>Heading</h2>
//   <a name="N"><h2>Heading</h2></a>
// The index of the first tag after it, or 0 when none begins there.
size_t MatchTopicHeading(const QString& html, const std::vector<HelpTag>& tags, size_t i,
                         TopicHeading& found)
{
    const auto take = [&](size_t anchor, size_t textStart, size_t textEnd, size_t last) {
        found = {tags[i].Start, tags[last].End, tags[anchor].Number, tags[textStart].End,
                 tags[textEnd].Start};
        return last + 1;
    };
    if (tags[i].What == HelpTag::HeadingOpen &&
        Follows(html, tags, i, i + 1, HelpTag::AnchorOpen)) {
        const size_t anchor = i + 1;
        if (Follows(html, tags, anchor, anchor + 1, HelpTag::AnchorClose)) {
            if (const size_t close = HeadingClose(html, tags, i, false); close != 0)
                return take(anchor, anchor + 1, close, close);
        }
        for (size_t k = anchor + 1; k < tags.size(); ++k) {
            if (tags[k].What == HelpTag::HeadingOpen) break;
            if (!tags[k].OfAnchor) continue;
            if (tags[k].What == HelpTag::AnchorClose &&
                Follows(html, tags, k, k + 1, HelpTag::HeadingClose) &&
                tags[k + 1].Level == tags[i].Level)
                return take(anchor, anchor, k, k + 1);
            break;
        }
        return 0;
    }
    if (tags[i].What == HelpTag::AnchorOpen && tags[i].Number >= 0) {
        if (Follows(html, tags, i, i + 1, HelpTag::AnchorClose) &&
            Follows(html, tags, i + 1, i + 2, HelpTag::HeadingOpen)) {
            if (const size_t close = HeadingClose(html, tags, i + 2, false); close != 0)
                return take(i, i + 2, close, close);
        }
        if (Follows(html, tags, i, i + 1, HelpTag::HeadingOpen)) {
            if (const size_t close = HeadingClose(html, tags, i + 1, true); close != 0)
                return take(i, i + 1, close, close + 1);
        }
    }
    return 0;
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
    static const QRegularExpression bodyEnd("</body\\s*>",
                                            QRegularExpression::CaseInsensitiveOption);
    const std::vector<HelpTag> tags = HelpTags(html);
    std::vector<TopicHeading> headings;
    for (size_t i = 0; i < tags.size();) {
        TopicHeading found;
        const size_t after = MatchTopicHeading(html, tags, i, found);
        if (after == 0) {
            ++i;
            continue;
        }
        headings.push_back(found);
        i = after;
    }

    std::map<int32_t, HelpTopicText> topics;
    qsizetype end = html.indexOf(bodyEnd);
    if (end < 0) end = html.size();
    for (size_t i = 0; i < headings.size(); ++i) {
        const TopicHeading& heading = headings[i];
        const qsizetype bodyStop =
            i + 1 < headings.size() ? headings[i + 1].Start : std::max(end, heading.End);
        HelpTopicText topic;
        QString headingText = html.mid(heading.TextStart, heading.TextEnd - heading.TextStart);
        headingText.remove(HtmlTag());
        topic.Heading = DecodeEntities(headingText).simplified();
        topic.Body = html.mid(heading.End, bodyStop - heading.End).trimmed();
        topic.Whole = html.mid(heading.Start, bodyStop - heading.Start);
        topics.try_emplace(heading.Number, topic);
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
    const QStringList keptList = AnchorNumbers(composed);
    const std::set<QString> kept(keptList.begin(), keptList.end());
    for (const QString& number : AnchorNumbers(original)) {
        if (kept.count(number) == 0) return QString("the topic <a name=\"%1\">").arg(number);
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
