#pragma once
// Checks of a content pack as the tutor will read it: the lesson tree
// (Sounds/Tree.txt), the phrase list (Sounds/SentList.txt), every listed
// phrase sound file and the help document (Help/TVTutor.hlp). The tutor
// itself skips what it cannot use without a word, so an author learns of a
// category nobody can reach or a phrase that never plays only from here.
//
// Errors are faults a learner meets (a lesson that cannot be reached, a
// phrase in two categories, a sound file that does not play, an explanation
// that is missing, a text the tutor cuts); warnings are things that work but
// are probably not what the author meant.
#include <QString>

#include <vector>

enum class LintSeverity { Error, Warning };

struct LintFinding
{
    QString File; // relative to the content folder, "/"-separated: "Sounds/Tree.txt"
    int Line = 0; // counts from 1; 0 when the finding concerns the whole file
    LintSeverity Severity = LintSeverity::Error;
    QString Message;
};

// All findings for the pack in contentDir, ordered by file (Tree.txt,
// SentList.txt, the help document) and line. Findings about a phrase's
// sound file or help topic stand at that phrase's line of SentList.txt.
std::vector<LintFinding> LintContent(const QString& contentDir);

// One finding as one line: "<file>:<line>: error: <message>" (or "warning").
QString FormatLintFinding(const LintFinding& finding);
