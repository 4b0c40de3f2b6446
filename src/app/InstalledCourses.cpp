#include "app/InstalledCourses.h"

#include "app/FirstRun.h"
#include "content/ContentText.h"
#include "course/CourseArchive.h"
#include "course/CoursePack.h"
#include "platform/InstanceLock.h"
#include "platform/SettingsStore.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

#include <algorithm>
#include <cstdio>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace {

bool Refuse(QString* problem, const QString& why)
{
    if (problem != nullptr) *problem = why;
    return false;
}

constexpr char CourseKey[] = "InstallCDDrive1331";

// The course's line as the tutor reads it back: the folder as it stands
// where nothing in it could be taken for a comment, a list, an escape or a
// typed value; else in quotes, with the format's escapes.
QByteArray CourseLine(const QString& folder)
{
    const QByteArray bytes = folder.toUtf8();
    const bool plain = !bytes.isEmpty() && bytes == bytes.trimmed() && !bytes.startsWith('@') &&
                       std::none_of(bytes.begin(), bytes.end(), [](char c) {
                           return c == '"' || c == '\\' || c == ';' || c == ',' ||
                                  uchar(c) < 0x20;
                       });
    if (plain) return QByteArray(CourseKey) + "=" + bytes;
    QByteArray quoted = "\"";
    for (const char c : bytes) {
        switch (c) {
        case '"': quoted += "\\\""; break;
        case '\\': quoted += "\\\\"; break;
        case '\n': quoted += "\\n"; break;
        case '\r': quoted += "\\r"; break;
        case '\t': quoted += "\\t"; break;
        default: quoted += c;
        }
    }
    return QByteArray(CourseKey) + "=" + quoted + "\"";
}

// The settings text with the course's line (every one, as a file edited by
// hand may hold it twice) replaced, or added to its group, or the group
// added at the end. Every other byte stays: comments, order, line ends and
// the values of other programs, which the INI format would rewrite its own
// way (a note cut at its ';').
QByteArray WithCourseLine(const QByteArray& text, const QByteArray& line)
{
    const QByteArray header = QByteArray("[") + CourseKey + "]";
    const QByteArray newline = text.contains("\r\n") ? "\r\n" : "\n";
    QByteArray result;
    bool replaced = false;
    qsizetype afterHeader = -1;
    for (const IniLine& written : SplitIniLines(text)) {
        if (written.Section == header && written.Key == CourseKey) {
            const QByteArray ending = written.Whole.endsWith("\r\n") ? "\r\n"
                                      : written.Whole.endsWith('\n')  ? "\n"
                                                                       : "";
            result += line + ending;
            replaced = true;
            continue;
        }
        result += written.Whole;
        if (written.Content == header) afterHeader = result.size();
    }
    if (replaced) return result;
    if (afterHeader >= 0) {
        // A header on the file's last line, without its line end.
        if (afterHeader == result.size() && !result.endsWith('\n')) {
            result += newline;
            afterHeader = result.size();
        }
        return result.insert(afterHeader, line + newline);
    }
    if (!result.isEmpty() && !result.endsWith('\n')) result += newline;
    return result + header + newline + line + newline;
}

} // namespace

QString InstalledCoursesFolder(const SettingsStore& settings)
{
    const std::optional<QString> installDir = settings.ReadValue("InstallDir");
    if (!installDir) return {};
    return QDir::cleanPath(*installDir + "/Courses");
}

QString CourseTitleOf(const QString& contentFolder)
{
    const QDir folder(contentFolder);
    QByteArray bytes;
    if (ReadWholeFile(folder.filePath(ManifestFileName), bytes)) {
        if (const std::optional<CourseManifest> manifest = ParseCourseManifest(bytes))
            return manifest->Title;
    }
    if (ReadWholeFile(folder.filePath(TreeFileName), bytes)) {
        const std::vector<QByteArrayView> lines = SplitContentLines(bytes);
        if (!lines.empty()) {
            const QString root = DecodeContentText(TrimBlanks(lines.front()).toByteArray());
            const QString name = root.section('/', 0, 0).trimmed();
            if (!name.isEmpty()) return name;
        }
    }
    return folder.dirName();
}

std::vector<InstalledCourse> ListInstalledCourses(const QString& coursesFolder)
{
    std::vector<InstalledCourse> courses;
    if (coursesFolder.isEmpty()) return courses;
    const QDir folder(coursesFolder);
    // Hidden names are installations under way or versions being replaced.
    for (const QString& name : folder.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        const QString path = folder.filePath(name);
        if (QFileInfo(QDir(path).filePath(TreeFileName)).isFile())
            courses.push_back({path, CourseTitleOf(path)});
    }
    std::sort(courses.begin(), courses.end(),
              [](const InstalledCourse& a, const InstalledCourse& b) {
                  return a.Title.localeAwareCompare(b.Title) < 0;
              });
    return courses;
}

QStringList RememberedContentFolders(const QString& coursesFolder)
{
    QByteArray bytes;
    QStringList folders;
    if (!ReadWholeFile(QDir(coursesFolder).filePath(".content-folders"), bytes)) return folders;
    for (QByteArrayView line : SplitContentLines(bytes)) {
        const QString folder = QString::fromUtf8(line).trimmed();
        if (!folder.isEmpty() && !folders.contains(folder)) folders << folder;
    }
    return folders;
}

void RememberContentFolder(const QString& coursesFolder, const QString& contentFolder)
{
    const QString folder = QDir::cleanPath(contentFolder);
    QStringList folders = RememberedContentFolders(coursesFolder);
    if (folder.startsWith(QDir::cleanPath(coursesFolder) + "/") || folders.contains(folder)) return;
    folders << folder;
    WriteFileAtomically(QDir(coursesFolder).filePath(".content-folders"),
                        (folders.join('\n') + '\n').toUtf8());
}

bool PointSettingsAtContent(const QString& settingsFile, const QString& contentFolder,
                            QString* problem)
{
    // The shared file stays as the administrator wrote it.
    QString target = settingsFile;
    if (QFileInfo(settingsFile).absoluteFilePath() ==
        QFileInfo(SettingsStore::SystemFile()).absoluteFilePath())
        target = SettingsStore::UserFile();
    // A link stays a link: the file it names is the one replaced.
    if (const QString linked = QFileInfo(target).canonicalFilePath(); !linked.isEmpty())
        target = linked;
    if (!QDir().mkpath(QFileInfo(target).absolutePath()))
        return Refuse(problem, QString("cannot create the folder of %1").arg(target));
    QTemporaryFile scratch(target + ".XXXXXX");
    scratch.setAutoRemove(true);
    if (!scratch.open()) return Refuse(problem, QString("cannot write beside %1").arg(target));
    // Every other setting must survive: a file that is there but cannot be
    // read whole is refused, never replaced by one that holds only this key.
    QFile original(settingsFile);
    QByteArray bytes;
    if (original.exists()) {
        if (!original.open(QIODevice::ReadOnly))
            return Refuse(problem, QString("cannot read the settings %1").arg(settingsFile));
        bytes = original.readAll();
        if (original.error() != QFileDevice::NoError)
            return Refuse(problem, QString("cannot read the settings %1").arg(settingsFile));
    }
    // A file made read-only keeps its course (a school fixes it so); the
    // rename below would replace it all the same.
    if (const QFileInfo existing(target); existing.exists()) {
        using P = QFileDevice;
        if (!existing.isWritable() ||
            (existing.permissions() & (P::WriteOwner | P::WriteGroup | P::WriteOther)) == 0)
            return Refuse(problem, QString("the settings %1 are read-only").arg(target));
    }
    const QByteArray written = WithCourseLine(bytes, CourseLine(contentFolder));
    if (scratch.write(written) != written.size() || !scratch.flush())
        return Refuse(problem, QString("cannot write the settings %1").arg(target));
#ifdef Q_OS_UNIX
    // On the disk before it replaces the settings: a crash leaves the old
    // file or the new one, never an empty one.
    if (::fsync(scratch.handle()) != 0)
        return Refuse(problem, QString("cannot write the settings %1").arg(target));
#endif
    scratch.close();
    // The new file may be read by whoever could read the old one.
    if (QFileInfo::exists(target)) {
        QFile::setPermissions(scratch.fileName(), QFileInfo(target).permissions());
#ifdef Q_OS_UNIX
        [[maybe_unused]] const int sameGroup =
            ::chown(QFile::encodeName(scratch.fileName()).constData(), uid_t(-1),
                    gid_t(QFileInfo(target).groupId()));
#endif
    }
    // The system's rename replaces the old file in one step (Qt's would not
    // replace it at all), so the settings are never missing.
    if (std::rename(QFile::encodeName(scratch.fileName()).constData(),
                    QFile::encodeName(target).constData()) != 0)
        return Refuse(problem, QString("cannot write the settings %1").arg(target));
    scratch.setAutoRemove(false);
    return true;
}

bool InstallationInUseElsewhere(const SettingsStore& settings)
{
    const std::optional<QString> installDir = settings.ReadValue("InstallDir");
    return installDir && LockInstallation(*installDir + "/Data") == InstallationLock::HeldElsewhere;
}

CourseInstallReport InstallCourseForLearner(const QString& archive,
                                            const QString& commandLineSettingsFile)
{
    if (IsFirstStart(commandLineSettingsFile)) {
        const FirstRunResult setUp =
            SetUpUserInstallation(InstalledFoldersBeside(QCoreApplication::applicationDirPath()),
                                  UserInstallFolder(), SettingsStore::UserFile());
        if (setUp.Outcome != FirstRunOutcome::SetUp) return {false, setUp.Problem};
    }
    const SettingsStore settings(SettingsStore::ChooseFile(commandLineSettingsFile));
    const QString courses = InstalledCoursesFolder(settings);
    if (courses.isEmpty())
        return {false, QString("the settings %1 name no installation folder (InstallDir)")
                           .arg(settings.Path())};
    // A running tutor reads its course's files as the learner goes: it must
    // not have them replaced, nor its settings rewritten, under it.
    if (InstallationInUseElsewhere(settings))
        return {false, "Tonvale Tutor is running for this installation: close it, then install "
                       "the course again"};
    const CourseInstallResult result = InstallCourseArchive(archive, courses);
    if (!result.Installed)
        return {false, QString("%1: %2").arg(QFileInfo(archive).fileName(), result.Problem)};
    if (const std::optional<QString> previous = settings.ReadValue("InstallCDDrive1331"))
        RememberContentFolder(courses, *previous);
    QString problem;
    if (!PointSettingsAtContent(settings.Path(), result.Folder, &problem))
        return {false, QString("installed into %1, but %2").arg(result.Folder, problem)};
    return {true, QString("%1 \"%2\" into %3")
                      .arg(result.Replaced ? "updated" : "installed", result.Manifest.Title,
                           result.Folder)};
}
