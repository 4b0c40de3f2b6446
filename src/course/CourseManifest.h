#pragma once
// The manifest of a shared course: a small UTF-8 text file, Manifest.txt,
// at the top of the course archive and of the installed course folder,
// one "Key=Value" a line:
//   Format=1
//   Title=Stress for Beginners
//   Author=Ann Smith
//   Language=en-GB
//   Version=1.0
//   Id=0f8e3c2a-...            (the course's identity, kept across versions)
//   Retired=11_01.wav 11_02.wav (phrase files a version had, never named again)
// Retired may stand on several lines; their names add up.
// It comes from outside like the rest of the archive, so the parser takes
// any bytes: unknown keys are skipped (a later studio may add some), and a
// value that is not valid UTF-8, holds a control character or outgrows its
// limit makes the whole manifest invalid.
#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

inline constexpr int ManifestFormat = 1;
inline constexpr int MaxManifestBytes = 16 * 1024;
inline constexpr int MaxManifestValueChars = 200;
inline const QString ManifestFileName = QStringLiteral("Manifest.txt");

struct CourseManifest
{
    QString Title; // required
    QString Author;
    QString Language; // a language tag, "en-GB"
    QString Version;
    // Set by the studio when the course is made: an installed course is
    // replaced by an archive of the same Id only, whatever the titles.
    QString Id;
    // Names of phrase files that earlier versions of the course had and
    // that are gone: a new phrase never gets one, so a learner's history of
    // the old phrase never passes to it.
    QStringList Retired;
};

// How many bytes of retired names a manifest keeps (the newest names), so it
// stays well within MaxManifestBytes.
inline constexpr int MaxRetiredBytes = 12 * 1024;

// nullopt with a reason when the bytes are no manifest the tutor accepts:
// too large, not Format=1, no title, a bad value.
std::optional<CourseManifest> ParseCourseManifest(const QByteArray& bytes,
                                                  QString* problem = nullptr);

// The file's bytes; a value is cut to its limit and loses control
// characters, and an empty title becomes "Untitled course", so what is
// written always parses.
QByteArray CourseManifestText(const CourseManifest& manifest);

// The values made fit to write (as CourseManifestText writes them).
CourseManifest Tidied(const CourseManifest& manifest);

// A fresh identity for a new course or a copy.
QString NewCourseId();

// The identity of a course made before courses had one: the same for every
// copy of it, from the title and author that identified it then.
QString CourseIdFromTitle(const QString& title, const QString& author);

// Whether an installed course's manifest and an archive's are versions of
// one course: by Id when both have one, else by title and author.
bool SameCourseIdentity(const CourseManifest& installed, const CourseManifest& incoming);
