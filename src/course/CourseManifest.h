#pragma once
// The manifest of a shared course: a small UTF-8 text file, Manifest.txt,
// at the top of the course archive and of the installed course folder,
// one "Key=Value" a line:
//   Format=1
//   Title=Stress for Beginners
//   Author=Ann Smith
//   Language=en-GB
//   Version=1.0
// It comes from outside like the rest of the archive, so the parser takes
// any bytes: unknown keys are skipped (a later studio may add some), and a
// value that is not valid UTF-8, holds a control character or outgrows its
// limit makes the whole manifest invalid.
#include <QByteArray>
#include <QString>

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
};

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
