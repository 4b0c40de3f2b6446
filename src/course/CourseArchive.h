#pragma once
// The shared course: one archive file (".tvcourse", a zip; a tar, plain or
// compressed, is read too) holding the content pack and its manifest,
//   Manifest.txt  Sounds/Tree.txt  Sounds/SentList.txt  Sounds/<name>.wav
//   Help/TVTutor.hlp  Help/<name>.png|jpg|jpeg|gif
// and nothing else. An archive comes from outside, so installing it trusts
// nothing in it: the listing is checked before a byte is unpacked (only
// those names, plain files and folders, no links, no device, no path out of
// the course folder, no name twice), the files are unpacked into a fresh
// folder of their own while every byte is counted against the limits (the
// sizes an archive declares can lie), the unpacked pack must read (its
// manifest, its tree, every phrase file through the tutor's own reader),
// and only then is the folder renamed into place. A refused archive leaves
// nothing behind.
#include "course/CourseManifest.h"

#include <QString>
#include <QStringList>

#include <cstdint>

struct ArchiveLimits
{
    int64_t MaxEntries = 10000;
    int64_t MaxSoundBytes = 32 << 20; // one phrase file (a 6 s phrase is 265 kB)
    int64_t MaxTextBytes = 8 << 20;   // the tree, the list, the help, a picture
    int64_t MaxTotalBytes = int64_t(1) << 30;
    // Unpacked bytes per archive byte beyond the first FreeBytes: sound
    // hardly compresses, so a far higher ratio is a bomb, not a course.
    int64_t MaxRatio = 50;
    int64_t FreeBytes = 16 << 20;
};

inline const QString CourseArchiveSuffix = QStringLiteral("tvcourse");

// Writes the pack in packFolder (its tree, list, listed phrase files, help
// document and pictures) with the manifest as a zip archive at archivePath,
// through a temporary file renamed into place. False with a reason when a
// file is missing or named so that no tutor would unpack it.
bool ExportCourseArchive(const QString& packFolder, const CourseManifest& manifest,
                         const QString& archivePath, QString* problem = nullptr);

struct CourseArchiveListing
{
    bool Valid = false;
    QString Problem;
    CourseManifest Manifest;
    QStringList Files; // the archive's files, "Sounds/Tree.txt", ...
};

// The listing and the manifest, checked, without unpacking anything.
CourseArchiveListing InspectCourseArchive(const QString& archivePath,
                                          const ArchiveLimits& limits = {});

struct CourseInstallResult
{
    bool Installed = false;
    QString Problem;
    QString Folder; // the installed course folder
    CourseManifest Manifest;
    bool Replaced = false; // an earlier version of the same course was replaced
};

// Installs the archive as a folder of coursesFolder, named after the
// course's title; the same course (its identity, or title and author for
// one without) installed again replaces its earlier version, another course
// of the same title gets a folder of its own. An archive of the same
// identity by another author, or of an older version, is refused, and the
// reason names the installed course.
CourseInstallResult InstallCourseArchive(const QString& archivePath, const QString& coursesFolder,
                                         const ArchiveLimits& limits = {});

// Whether a path may stand in a course archive (and so in an installed
// course): one of the names above, letters, digits, '_', '-' and '.' only.
bool IsCourseArchivePath(const QString& path);
