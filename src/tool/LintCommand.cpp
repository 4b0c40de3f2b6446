// tvtool lint: checks a content pack for the faults the tutor would pass
// over in silence, one finding a line, so authors and scripts can act on it.
#include "authoring/ContentLint.h"
#include "tool/Commands.h"

#include <QFileInfo>

namespace {

const char* LintUsage =
    "usage: tvtool lint CONTENT_DIR\n"
    "Checks the content pack in CONTENT_DIR as the tutor will read it: Sounds/Tree.txt,\n"
    "Sounds/SentList.txt, every listed phrase sound file and Help/TVTutor.hlp.\n"
    "Prints one line per finding, ordered by file and line:\n"
    "  <file>:<line>: error: <message>\n"
    "  <file>:<line>: warning: <message>\n"
    "<file> is relative to CONTENT_DIR; <line> counts from 1 and is 0 when the finding\n"
    "concerns the whole file. Findings about a phrase's sound file or help topic stand\n"
    "at the phrase's line of Sounds/SentList.txt. A count of errors and warnings follows\n"
    "on standard error.\n"
    "Errors: a file that cannot be read; tree lines that cannot be reached (a root with\n"
    "stars, a second line without stars, an empty line, a line more than one level deeper\n"
    "than the one above it, and the lines they cut off) or have more than 20 stars; leaves\n"
    "without a code; category codes that begin other codes or repeat them (compared\n"
    "without regard to case: a phrase would appear in both), or that hold a control\n"
    "character; phrase lines whose code matches no reachable leaf; sound files that are\n"
    "missing, do not read with result 0, end their phrase before it begins, or have no\n"
    "steps or no pitch; file names that are not <stem>.wav or give no help\n"
    "topic; topics missing from the help document (also topic 100 for the tree's first\n"
    "node); texts longer than their fields (name 200, code 50, phrase text 200, file\n"
    "name stem 124).\n"
    "Warnings: an empty line at the end of Tree.txt, no blank after a slash, a category\n"
    "without phrases, a sound file whose text differs from the list, two phrases with\n"
    "the same help topic.\n"
    "Exit status: 0 without errors (warnings allowed), 1 with errors, 2 for a wrong call.\n";

} // namespace

int LintCommand(const QStringList& args, ToolStreams io)
{
    if (args.contains("--help") || args.contains("-h")) {
        io.out << LintUsage;
        return 0;
    }
    if (args.size() != 1 || (args[0].startsWith('-') && args[0].size() > 1)) {
        io.err << LintUsage;
        return 2;
    }
    if (!QFileInfo(args[0]).isDir()) {
        io.err << "tvtool lint: " << args[0].toStdString() << " is not a folder\n";
        return 2;
    }
    int errors = 0;
    int warnings = 0;
    for (const LintFinding& finding : LintContent(args[0])) {
        (finding.Severity == LintSeverity::Error ? errors : warnings) += 1;
        const QByteArray line = FormatLintFinding(finding).toUtf8();
        io.out.write(line.constData(), line.size());
        io.out << '\n';
    }
    io.err << "tvtool lint: " << errors << (errors == 1 ? " error, " : " errors, ") << warnings
           << (warnings == 1 ? " warning\n" : " warnings\n");
    return errors > 0 ? 1 : 0;
}
