#include "platform/SettingsStore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QTemporaryFile>

#include <algorithm>

namespace {

// The text after "=" on the line "key=..." of the group [key], as written
// (blanks around it trimmed); the last such line when there are several.
std::optional<QByteArray> WrittenValue(const QString& iniPath, const QString& key)
{
    QFile file(iniPath);
    if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
    const QByteArray name = key.toUtf8();
    const QByteArray header = "[" + name + "]";
    std::optional<QByteArray> value;
    for (const IniLine& line : SplitIniLines(file.readAll())) {
        if (line.Section == header && line.Key == name) value = line.Value;
    }
    return value;
}

// A value written by hand without quotes is the text as written: the INI
// format would end it at a ';' (a folder "/srv/pack; level 2") and make a
// list of it at a ','. A ';' at its start or after a blank still begins a
// comment, as the settings examples write them. Quoted and escaped values,
// and typed ones ("@..."), are left to the format; nullopt for those.
std::optional<QString> PlainValue(const QByteArray& written)
{
    if (written.startsWith('@') || written.contains('"') || written.contains('\\'))
        return std::nullopt;
    qsizetype end = 0;
    while (end < written.size()) {
        if (written[end] == ';' &&
            (end == 0 || written[end - 1] == ' ' || written[end - 1] == '\t'))
            break;
        ++end;
    }
    return QString::fromUtf8(written.left(end).trimmed());
}

} // namespace

std::vector<IniLine> SplitIniLines(const QByteArray& text)
{
    std::vector<IniLine> lines;
    QByteArray section;
    for (qsizetype from = 0; from < text.size();) {
        qsizetype to = text.indexOf('\n', from);
        to = to < 0 ? text.size() : to + 1;
        IniLine line;
        line.Whole = text.mid(from, to - from);
        line.Content = line.Whole;
        if (from == 0 && line.Content.startsWith("\xEF\xBB\xBF")) line.Content.remove(0, 3);
        line.Content = line.Content.trimmed();
        from = to;
        if (line.Content.startsWith('[')) {
            section = line.Content;
        } else if (const qsizetype equals = line.Content.indexOf('='); equals > 0) {
            line.Key = line.Content.left(equals).trimmed();
            line.Value = line.Content.mid(equals + 1).trimmed();
        }
        line.Section = section;
        lines.push_back(std::move(line));
    }
    return lines;
}

SettingsStore::SettingsStore(QString path) : iniPath(std::move(path)) {}

QString SettingsStore::UserFile()
{
    return QDir::homePath() + "/.config/Tonvale/TonvaleTutor.conf";
}

QString SettingsStore::SystemFile()
{
    return "/etc/xdg/Tonvale/TonvaleTutor.conf";
}

QString SettingsStore::ChooseFile(const QString& commandLineFile)
{
    if (!commandLineFile.isEmpty()) return commandLineFile;
    const QString fromEnvironment = qEnvironmentVariable("TONVALE_SETTINGS");
    if (!fromEnvironment.isEmpty()) return fromEnvironment;
    if (QFileInfo::exists(UserFile())) return UserFile();
    return SystemFile();
}

bool SettingsStore::KeyExists(const QString& key) const
{
    // QSettings forgets a group that holds no values, but a group written
    // without its value is exactly the damaged case that must be seen, so
    // the section headers are looked for in the file itself.
    QFile file(iniPath);
    if (!file.open(QIODevice::ReadOnly)) return false;
    const QByteArray header = "[" + key.toUtf8() + "]";
    const std::vector<IniLine> lines = SplitIniLines(file.readAll());
    return std::any_of(lines.begin(), lines.end(),
                       [&](const IniLine& line) { return line.Content == header; });
}

std::optional<QString> SettingsStore::ReadValue(const QString& key) const
{
    if (!QFileInfo(iniPath).isFile()) return std::nullopt;
    std::optional<QString> plain;
    if (const std::optional<QByteArray> written = WrittenValue(iniPath, key))
        plain = PlainValue(*written);
    QString text;
    if (plain) {
        text = *plain;
    } else {
        QSettings settings(iniPath, QSettings::IniFormat);
        const QVariant value = settings.value(key + "/" + key);
        if (!value.isValid()) return std::nullopt;
        // A list can only come from a line the format reads its own way
        // (a quoted part beside a comma); it was one text.
        text = value.typeId() == QMetaType::QStringList ? value.toStringList().join(", ")
                                                        : value.toString();
    }
    if (text.toUtf8().size() + 1 < 2) return std::nullopt;
    return text;
}

bool SyncSettingsWhole(QSettings& settings)
{
    settings.sync();
    if (settings.status() != QSettings::NoError) return false;
    QFile written(settings.fileName());
    QTemporaryFile copy(settings.fileName() + ".check.XXXXXX");
    if (!written.open(QIODevice::ReadOnly) || !copy.open()) return false;
    const QByteArray bytes = written.readAll();
    if (written.error() != QFileDevice::NoError || copy.write(bytes) != bytes.size() ||
        !copy.flush())
        return false;
    copy.close();
    const QSettings readBack(copy.fileName(), QSettings::IniFormat);
    const QStringList keys = settings.allKeys();
    if (readBack.status() != QSettings::NoError || readBack.allKeys() != keys) return false;
    // Compared as the file holds them, as text: a number set is read back
    // as its digits.
    for (const QString& key : keys) {
        const QVariant set = settings.value(key);
        const QVariant read = readBack.value(key);
        if (set.canConvert<QString>() ? read.toString() != set.toString() : !read.isValid())
            return false;
    }
    return true;
}
