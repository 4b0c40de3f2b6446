#include "platform/SettingsStore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QTemporaryFile>

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
