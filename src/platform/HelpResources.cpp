#include "platform/HelpResources.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

QString AllowedHelpResource(const QUrl& name, const QString& helpFolder)
{
    if (!name.scheme().isEmpty() || !name.host().isEmpty()) return {};
    const QString relative = name.path();
    if (relative.isEmpty() || relative.startsWith('/') || QDir::isAbsolutePath(relative)) return {};
    const QString course = QFileInfo(helpFolder + "/..").canonicalFilePath();
    const QString file = QFileInfo(QDir(helpFolder).filePath(relative)).canonicalFilePath();
    if (course.isEmpty() || file.isEmpty() || !file.startsWith(course + "/") ||
        !QFileInfo(file).isFile())
        return {};
    return file;
}

HelpLinkKind ClassifyHelpLink(const QUrl& link)
{
    const QString scheme = link.scheme().toLower();
    if (scheme.isEmpty() && link.path().isEmpty() && link.hasFragment()) return HelpLinkKind::Topic;
    if (scheme == "http" || scheme == "https" || scheme == "mailto") return HelpLinkKind::Web;
    return HelpLinkKind::Ignored;
}

bool HelpTablesNestTooDeep(const QString& html)
{
    static const QRegularExpression tableTag("<\\s*(/?)\\s*table\\b",
                                             QRegularExpression::CaseInsensitiveOption);
    int depth = 0;
    for (auto tags = tableTag.globalMatch(html); tags.hasNext();) {
        if (tags.next().capturedLength(1) == 0) {
            if (++depth > MostHelpTableNesting) return true;
        } else if (depth > 0) {
            --depth;
        }
    }
    return false;
}
