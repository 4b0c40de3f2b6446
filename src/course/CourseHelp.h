#pragma once
// The help document of a course (Help/TVTutor.hlp): an HTML file whose top
// is the title and the contents and whose topics are headings carrying a
// named anchor, <h2><a name="N"></a>Heading</h2>, each followed by its
// body up to the next such heading. The studio writes a topic for the
// course introduction (100), for every category (<code>00) and for every
// phrase (<code><nn>), so Explain always finds its topic; topics of an
// opened pack that belong to nothing are kept as they stood.
//
// Explanations typed in the studio are stored as a small, closed set of
// HTML (paragraphs, bold, italic, bulleted and numbered lists, line breaks)
// with every text escaped, so what a teacher types can never become markup
// or reach outside the document.
#include "course/CourseModel.h"

#include <QString>

#include <map>

class QTextDocument;

// The whole help document for the course.
QString ComposeHelpDocument(const Course& course);

// The topics of a help document: each topic number with its heading text
// and its body, as they stand in the file. A number that appears twice
// keeps its first topic.
struct HelpTopicText
{
    QString Heading; // plain text
    QString Body;    // HTML
    QString Whole;   // heading element and body, as they stood
};
std::map<int32_t, HelpTopicText> SplitHelpTopics(const QString& html);

// What a help document written by hand would lose if composed replaced it:
// a topic's anchor, or words of its topics that composed does not hold (the
// contents before the first topic and the topics' headings are the
// studio's to write). Empty when nothing would be lost.
QString HelpTextLostBy(const QString& original, const QString& composed);

// Whether an explanation is in the closed set above, so that the studio's
// editor can hand it back unchanged in meaning; one written by hand with
// links, pictures, headings or styles is not, and is left as it stands.
bool ExplanationIsEditable(const QString& html);

// The explanation body for what a rich-text editor holds, in the closed set
// above; empty for a document without text.
QString ExplanationHtml(const QTextDocument& document);
