#include "platform/SettingsStore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>

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
    if (!commandLineFile.isEmpty())
        return commandLineFile;
    const QString fromEnvironment = qEnvironmentVariable("TONVALE_SETTINGS");
    if (!fromEnvironment.isEmpty())
        return fromEnvironment;
    if (QFileInfo::exists(UserFile()))
        return UserFile();
    return SystemFile();
}

bool SettingsStore::KeyExists(const QString& key) const
{
    // QSettings forgets a group that holds no values, but a group written
    // without its value is exactly the damaged case that must be seen, so
    // the section headers are looked for in the file itself.
    QFile file(iniPath);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray header = "[" + key.toUtf8() + "]";
    while (!file.atEnd()) {
        if (file.readLine().trimmed() == header)
            return true;
    }
    return false;
}

std::optional<QString> SettingsStore::ReadValue(const QString& key) const
{
    if (!QFileInfo(iniPath).isFile())
        return std::nullopt;
    QSettings settings(iniPath, QSettings::IniFormat);
    const QVariant value = settings.value(key + "/" + key);
    if (!value.isValid())
        return std::nullopt;
    // An unquoted value with commas reads as a list; it was one text.
    const QString text = value.typeId() == QMetaType::QStringList
                             ? value.toStringList().join(", ")
                             : value.toString();
    if (text.toUtf8().size() + 1 < 2)
        return std::nullopt;
    return text;
}
