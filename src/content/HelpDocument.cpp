#include "content/HelpDocument.h"

#include <QRegularExpression>

#include <algorithm>
#include <cmath>

int32_t HelpTopicOfWaveFile(const QString& waveFile)
{
    QString name =
        waveFile.mid(std::max(waveFile.lastIndexOf('/'), waveFile.lastIndexOf('\\')) + 1);
    name = name.trimmed();
    name.chop(std::min<qsizetype>(4, name.size()));
    name.remove('_');

    // The value of the leading number, as a numeric conversion reads it.
    qsizetype end = 0;
    while (end < name.size() && name[end].isDigit() && name[end].unicode() < 128)
        ++end;
    if (end < name.size() && name[end] == '.') {
        ++end;
        while (end < name.size() && name[end].isDigit() && name[end].unicode() < 128)
            ++end;
    }
    bool ok = false;
    const double value = name.left(end).toDouble(&ok);
    if (!ok || !(value < 2147483647.5)) return 0; // no number, or none that a topic number can hold
    return static_cast<int32_t>(std::nearbyint(value));
}

namespace {
QRegularExpression TopicAnchor(int32_t context)
{
    return QRegularExpression(QString("<a\\s[^>]*name\\s*=\\s*[\"']?%1[\"'\\s>]").arg(context),
                              QRegularExpression::CaseInsensitiveOption);
}
} // namespace

bool HelpDocumentHasTopic(const QString& html, int32_t context)
{
    return HelpDocumentTopics(html).count(context) > 0;
}

std::set<int32_t> HelpDocumentTopics(const QString& html)
{
    // An anchor tag runs from "<a" to its first ">" (or the end); once one
    // is taken whole, the scan goes on after it, so no part of the document
    // is read twice. Inside it, any "name=N" followed by a quote, a blank or
    // the tag's end names topic N, written as the number is printed (no
    // leading zeros).
    static const QRegularExpression tag("<a\\s[^>]*>?", QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression name("name\\s*=\\s*[\"']?(-?[0-9]+)(?=[\"'\\s>])",
                                         QRegularExpression::CaseInsensitiveOption);
    std::set<int32_t> topics;
    for (auto tags = tag.globalMatch(html); tags.hasNext();) {
        const QString anchor = tags.next().captured(0);
        for (auto names = name.globalMatch(anchor); names.hasNext();) {
            const QString digits = names.next().captured(1);
            bool ok = false;
            const int32_t number = digits.toInt(&ok);
            if (ok && QString::number(number) == digits) topics.insert(number);
        }
    }
    return topics;
}

QString HelpTopicHeading(const QString& html, int32_t context)
{
    const QRegularExpressionMatch anchor = TopicAnchor(context).match(html);
    if (!anchor.hasMatch()) return {};
    // Text runs between tags; the first that is not blank is the heading.
    static const QRegularExpression text(">([^<]*[^<\\s][^<]*)<");
    const QRegularExpressionMatch heading = text.match(html, anchor.capturedStart());
    return heading.hasMatch() ? heading.captured(1).simplified() : QString();
}
