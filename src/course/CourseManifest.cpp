#include "course/CourseManifest.h"

#include "content/ContentText.h"

#include <QStringDecoder>

namespace {

bool Refuse(QString* problem, const QString& why)
{
    if (problem != nullptr) *problem = why;
    return false;
}

bool HasControlCharacter(const QString& value)
{
    for (QChar c : value) {
        if (c.category() == QChar::Other_Control || c == QChar::LineSeparator ||
            c == QChar::ParagraphSeparator)
            return true;
    }
    return false;
}

QString TidiedValue(const QString& value)
{
    QString tidy;
    for (QChar c : value)
        tidy += (c.category() == QChar::Other_Control || c == QChar::LineSeparator ||
                 c == QChar::ParagraphSeparator)
                    ? QChar(' ')
                    : c;
    tidy = tidy.simplified();
    // Cut by whole characters, never inside a surrogate pair.
    if (tidy.size() > MaxManifestValueChars) {
        qsizetype cut = MaxManifestValueChars;
        if (tidy[cut - 1].isHighSurrogate()) --cut;
        tidy = tidy.left(cut).trimmed();
    }
    return tidy;
}

bool StoreValue(CourseManifest& manifest, const QString& key, const QString& value, bool& format,
                QString* problem)
{
    if (value.size() > MaxManifestValueChars)
        return Refuse(problem, QString("the manifest's %1 is longer than %2 characters")
                                   .arg(key)
                                   .arg(MaxManifestValueChars));
    if (HasControlCharacter(value))
        return Refuse(problem, QString("the manifest's %1 holds a control character").arg(key));
    if (key == "Format") {
        if (value != QString::number(ManifestFormat))
            return Refuse(problem, QString("the course is of format %1; this tutor reads "
                                           "format %2")
                                       .arg(value)
                                       .arg(ManifestFormat));
        format = true;
    } else if (key == "Title") {
        manifest.Title = value;
    } else if (key == "Author") {
        manifest.Author = value;
    } else if (key == "Language") {
        manifest.Language = value;
    } else if (key == "Version") {
        manifest.Version = value;
    }
    return true;
}

} // namespace

std::optional<CourseManifest> ParseCourseManifest(const QByteArray& bytes, QString* problem)
{
    if (bytes.size() > MaxManifestBytes) {
        Refuse(problem, "the manifest is too large");
        return std::nullopt;
    }
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QByteArray body = bytes;
    if (body.startsWith("\xEF\xBB\xBF")) body.remove(0, 3);
    const QString text = utf8(body);
    if (utf8.hasError()) {
        Refuse(problem, "the manifest is not UTF-8 text");
        return std::nullopt;
    }
    CourseManifest manifest;
    bool format = false;
    for (QByteArrayView line : SplitContentLines(text.toUtf8())) {
        const QString entry = QString::fromUtf8(line);
        const qsizetype equals = entry.indexOf('=');
        if (entry.trimmed().isEmpty() || entry.trimmed().startsWith('#') || equals < 0) continue;
        if (!StoreValue(manifest, entry.left(equals).trimmed(), entry.mid(equals + 1).trimmed(),
                        format, problem))
            return std::nullopt;
    }
    if (!format) {
        Refuse(problem, "the manifest does not say its format (Format=1)");
        return std::nullopt;
    }
    if (manifest.Title.isEmpty()) {
        Refuse(problem, "the manifest names no title");
        return std::nullopt;
    }
    return manifest;
}

CourseManifest Tidied(const CourseManifest& manifest)
{
    return {TidiedValue(manifest.Title), TidiedValue(manifest.Author),
            TidiedValue(manifest.Language), TidiedValue(manifest.Version)};
}

QByteArray CourseManifestText(const CourseManifest& manifest)
{
    CourseManifest tidy = Tidied(manifest);
    if (tidy.Title.isEmpty()) tidy.Title = "Untitled course";
    QString text = QString("Format=%1\n").arg(ManifestFormat);
    text += "Title=" + tidy.Title + "\n";
    text += "Author=" + tidy.Author + "\n";
    text += "Language=" + tidy.Language + "\n";
    text += "Version=" + tidy.Version + "\n";
    return text.toUtf8();
}
