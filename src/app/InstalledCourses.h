#pragma once
// Courses a learner has installed from shared archives (".tvcourse"): each
// is unpacked into a folder of its own under the installation folder the
// settings name, <InstallDir>/Courses/<course>/, beside the learner's Data.
// The settings' content folder (InstallCDDrive1331) then names the course
// the tutor opens, and the learner's choice at start-up moves it, so the
// tutor starts on the course used last. A settings file that other users
// share (the system file) is never changed: the learner's own file is
// written instead, with the shared values and the new content folder.
#include "platform/SettingsStore.h"

#include <QString>
#include <QStringList>

#include <vector>

struct InstalledCourse
{
    QString Folder;
    QString Title; // from its manifest, else the first line of its tree
};

// <InstallDir>/Courses; empty when the settings name no installation folder.
QString InstalledCoursesFolder(const SettingsStore& settings);

// The courses in coursesFolder that hold a lesson tree, in title order.
std::vector<InstalledCourse> ListInstalledCourses(const QString& coursesFolder);

// Content folders the settings named before a course was installed (a
// disc, a folder of the school's), kept in coursesFolder so that they stay
// choices: the ones remembered, and remembering one more.
QStringList RememberedContentFolders(const QString& coursesFolder);
void RememberContentFolder(const QString& coursesFolder, const QString& contentFolder);

// The name to show for a content folder: its manifest's title, else the
// first line of its lesson tree, else the folder's name.
QString CourseTitleOf(const QString& contentFolder);

// Writes InstallCDDrive1331=contentFolder into the settings the tutor reads
// (settingsFile; the system file is copied to the user's file first),
// keeping every other setting, through a temporary file and a rename.
// False with a reason on failure.
bool PointSettingsAtContent(const QString& settingsFile, const QString& contentFolder,
                            QString* problem = nullptr);

// Whether a tutor runs on the installation the settings name. A tutor
// started again on it must neither ask for a course nor rewrite the settings
// under the running one, nor may a course be installed into it then. The
// lock is taken when free, so that no tutor slips in meanwhile; the
// start-up window finds it held by this process.
bool InstallationInUseElsewhere(const SettingsStore& settings);

struct CourseInstallReport
{
    bool Installed = false;
    QString Message; // for the learner: where it went, or why not
};

// tonvale-tutor --install-course FILE: sets up the learner's installation
// when this is the first start, unpacks the course into its Courses folder
// and points the settings at it.
CourseInstallReport InstallCourseForLearner(const QString& archive,
                                            const QString& commandLineSettingsFile);
