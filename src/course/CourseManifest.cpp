#include "course/CourseManifest.h"

#include "content/ContentText.h"

#include <QStringDecoder>
#include <QUuid>

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
    } else if (key == "Id") {
        manifest.Id = value;
    } else if (key == "Retired") {
        for (const QString& name : value.split(' ', Qt::SkipEmptyParts))
            manifest.Retired << name;
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
    CourseManifest tidy = manifest;
    tidy.Title = TidiedValue(manifest.Title);
    tidy.Author = TidiedValue(manifest.Author);
    tidy.Language = TidiedValue(manifest.Language);
    tidy.Version = TidiedValue(manifest.Version);
    tidy.Id = TidiedValue(manifest.Id);
    tidy.Retired.clear();
    qsizetype bytes = 0;
    for (auto name = manifest.Retired.crbegin(); name != manifest.Retired.crend(); ++name) {
        const QString one = TidiedValue(*name);
        if (one.isEmpty() || one.contains(' ') || tidy.Retired.contains(one)) continue;
        bytes += one.toUtf8().size() + 1;
        if (bytes > MaxRetiredBytes) break; // the oldest go first
        tidy.Retired.prepend(one);
    }
    return tidy;
}

QString NewCourseId()
{
    return QUuid::createUuid().toString(QUuid::WithoutBraces);
}

QString CourseIdFromTitle(const QString& title, const QString& author)
{
    static const QUuid space("6f1c2b0e-3d5a-4f7e-9b8c-2a4d6e8f0b1c");
    return QUuid::createUuidV5(space, title + '\n' + author).toString(QUuid::WithoutBraces);
}

bool SameCourseIdentity(const CourseManifest& installed, const CourseManifest& incoming)
{
    if (!installed.Id.isEmpty() && !incoming.Id.isEmpty()) return installed.Id == incoming.Id;
    return installed.Title == incoming.Title && installed.Author == incoming.Author;
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
    if (!tidy.Id.isEmpty()) text += "Id=" + tidy.Id + "\n";
    // One line stays within a value's limit; the lines' names add up.
    QString line;
    for (const QString& name : tidy.Retired) {
        if (!line.isEmpty() && line.size() + 1 + name.size() > MaxManifestValueChars) {
            text += "Retired=" + line + "\n";
            line.clear();
        }
        line += (line.isEmpty() ? "" : " ") + name;
    }
    if (!line.isEmpty()) text += "Retired=" + line + "\n";
    return text.toUtf8();
}
