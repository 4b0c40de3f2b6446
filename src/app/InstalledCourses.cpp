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
#include <QSettings>
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

// Rewriting a hand-written file through the INI format would write its
// unquoted values as the format reads them ("a,b" as the list "a, b", a
// folder cut at its ';'): each is set to the text the tutor reads instead,
// which the format then quotes.
void KeepValuesAsTheTutorReads(QSettings& settings, const SettingsStore& asRead)
{
    for (const QString& group : settings.childGroups()) {
        const QString key = group + "/" + group;
        const QVariant formatValue = settings.value(key);
        const std::optional<QString> read = asRead.ReadValue(group);
        if (!formatValue.isValid() || !read) continue;
        if (formatValue.typeId() == QMetaType::QStringList || formatValue.toString() != *read)
            settings.setValue(key, *read);
    }
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
    if (original.exists()) {
        if (!original.open(QIODevice::ReadOnly))
            return Refuse(problem, QString("cannot read the settings %1").arg(settingsFile));
        const QByteArray bytes = original.readAll();
        if (original.error() != QFileDevice::NoError || scratch.write(bytes) != bytes.size() ||
            !scratch.flush())
            return Refuse(problem, QString("cannot copy the settings %1").arg(settingsFile));
    }
    scratch.close();
    {
        QSettings settings(scratch.fileName(), QSettings::IniFormat);
        KeepValuesAsTheTutorReads(settings, SettingsStore(scratch.fileName()));
        settings.setValue("InstallCDDrive1331/InstallCDDrive1331", contentFolder);
        if (!SyncSettingsWhole(settings))
            return Refuse(problem, QString("cannot write the settings %1").arg(target));
    }
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
