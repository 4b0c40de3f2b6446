#pragma once
// A course's help document is untrusted: it arrives with a shared course.
// The help viewer shows it without loading anything from outside the
// course folder: a picture or style sheet is taken only by a relative name
// that leads, with every link followed, to a file inside the course folder
// (the help document's folder's parent); absolute paths, file and remote
// addresses load nothing. A web or mail link is opened in the system's
// browser only when the learner clicks it.
#include <QString>
#include <QUrl>

// The file a resource name of the help document stands for, or empty when
// it must not be loaded. helpFolder is the folder of the help document.
QString AllowedHelpResource(const QUrl& name, const QString& helpFolder);

enum class HelpLinkKind {
    Topic,  // "#1203": a place in the document itself
    Web,    // http, https or mailto: for the system's browser, on a click
    Ignored // anything else: another file, a program, a scheme the viewer cannot trust
};

HelpLinkKind ClassifyHelpLink(const QUrl& link);

// Tables within tables are laid out in a time that doubles with every level:
// a few dozen, in a document of a kilobyte, would hold the screen showing it
// for good. Real help goes a level or two deep.
inline constexpr int MostHelpTableNesting = 8;

// True when tables in `html` nest deeper than MostHelpTableNesting (a table
// left open counts as still holding what follows it).
bool HelpTablesNestTooDeep(const QString& html);
