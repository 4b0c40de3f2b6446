#pragma once
// The settings store: one INI file, one group per setting with the value of
// the same name inside it ([InstallDir] / InstallDir=...). A value counts as
// missing when its stored size, terminating zero included, is below 2 bytes,
// that is when it is empty.
#include <QByteArray>
#include <QString>

#include <optional>
#include <vector>

class QSettings;

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
    // An unquoted value is the text after "=" as written, up to a ';' that
    // stands first or after a blank (a comment); quoted and escaped values
    // are read as the INI format reads them.
    std::optional<QString> ReadValue(const QString& key) const;

    QString Path() const { return iniPath; }

private:
    QString iniPath;
};

// One line of a settings file as the tutor reads it by hand, where the INI
// format would read values its own way (see ReadValue).
struct IniLine
{
    QByteArray Whole;   // as written, with its line end
    QByteArray Content; // trimmed, without an editor's byte-order mark
    QByteArray Section; // the header of the group it stands in ("[Key]"), or the line's own
    QByteArray Key;     // a "key=value" line's key, trimmed; empty for any other line
    QByteArray Value;   // and its value, trimmed
};
std::vector<IniLine> SplitIniLines(const QByteArray& text);

// Writes settings to their file and checks that the file holds every one of
// them, read back through a copy under another name. QSettings saves through
// a QSaveFile that takes a full disk for success, leaving an empty or
// cut-short file, and a second QSettings on the same path would be answered
// from the first one's cache, not from the disk.
bool SyncSettingsWhole(QSettings& settings);
