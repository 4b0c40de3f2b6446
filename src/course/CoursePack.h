#pragma once
// A course on disk: an ordinary content pack that the tutor opens as it
// opens any other,
//   <folder>/Sounds/Tree.txt       the lesson tree
//   <folder>/Sounds/SentList.txt   the phrase list
//   <folder>/Sounds/<code>_<nn>.wav  the phrase files
//   <folder>/Help/TVTutor.hlp      the help document
//   <folder>/Manifest.txt          title, author, language, version (studio)
// Every file is written whole under a temporary name and renamed into
// place, so a studio stopped at any moment leaves each file either as it
// was or as it was meant to be, never half-written. The files also change
// in an order that keeps the pack whole between any two renames: first a
// help document with the topics of both the course as last saved and as it
// is now, then the phrase list, then the tree, then the help document of
// the course as it is; so a phrase is never listed without its topic, and
// a category leaves the tree only after its phrases have left the list.
#include "course/CourseManifest.h"
#include "course/CourseModel.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>

inline const QString TreeFileName = QStringLiteral("Sounds/Tree.txt");
inline const QString PhraseListFileName = QStringLiteral("Sounds/SentList.txt");
inline const QString HelpFileName = QStringLiteral("Help/TVTutor.hlp");

// Writes bytes to path through a temporary file beside it and a rename;
// the folder is made when missing. False with a reason on failure, the old
// file then untouched.
bool WriteFileAtomically(const QString& path, const QByteArray& bytes, QString* problem = nullptr);

// Reads the pack in folder: the tree as the reader links it, each phrase
// line with the one category whose code begins it, the syllables kept in
// each phrase file, and the help topics. Texts are read as the tutor shows
// them (UTF-8, else Windows-1252) and saved as UTF-8. False with a reason
// when the tree cannot be read. unsaved, when given, receives what a save
// could not write back as it stands, by file and line: a name or text that
// fits its field as stored but outgrows it as UTF-8 ("Sounds/SentList.txt
// line 4: ..."); empty when a save keeps every text.
bool LoadCoursePack(const QString& folder, Course& course, CourseManifest& manifest,
                    QString* problem = nullptr, QString* unsaved = nullptr);

// Writes the help document, the phrase list, the tree and the manifest of
// course into folder (phrase files are written on their own, before);
// previous is the course as last saved there (nullptr for none). False with
// a reason when a file cannot be written or the course holds a value the
// files cannot carry. betweenFiles runs before each file is written (the
// test that kills a saving studio widens the moments between files with it).
bool SaveCoursePack(const QString& folder, const Course& course, const CourseManifest& manifest,
                    const Course* previous = nullptr, QString* problem = nullptr,
                    const std::function<void()>& betweenFiles = {});

// The file bytes SaveCoursePack writes, for the tests and the fuzzer.
QByteArray TreeTextOf(const Course& course, QString* problem = nullptr);
QByteArray PhraseListTextOf(const Course& course, QString* problem = nullptr);

// Phrase files in the pack's Sounds folder that the course no longer lists
// (left by deleted phrases and categories so that an undo can bring them
// back); the studio removes them when it closes the course.
QStringList UnlistedPhraseFiles(const QString& folder, const Course& course);

// Whether the studio may write into folder: false for the pack installed
// with the tutor (installedContent, shared by every user even where the
// file system would let this user write) and for read-only media.
bool PackIsWritable(const QString& folder, const QString& installedContent);
