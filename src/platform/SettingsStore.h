#pragma once
// The settings store: one INI file, one group per setting with the value of
// the same name inside it ([InstallDir] / InstallDir=...). A value counts as
// missing when its stored size, terminating zero included, is below 2 bytes,
// that is when it is empty.
#include <QString>

#include <optional>

class SettingsStore
{
public:
    explicit SettingsStore(QString iniPath);

    // Which file the tutor reads: the --settings option, else
    // $TONVALE_SETTINGS, else the per-user file when it exists, else the
    // system file.
    static QString ChooseFile(const QString& commandLineFile);
    static QString UserFile();
    static QString SystemFile();

    // Whether the group of this name exists in the file.
    bool KeyExists(const QString& key) const;
    // The value inside the group of the same name; nullopt when missing.
    std::optional<QString> ReadValue(const QString& key) const;

    QString Path() const { return iniPath; }

private:
    QString iniPath;
};
