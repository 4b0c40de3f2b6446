// tvtool: the content tool for authors and support. Its outputs are read by
// other programs, so each subcommand prints an exact, documented format.
#include "tool/Commands.h"

#include <QCoreApplication>
#include <QGuiApplication>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <memory>

namespace {

struct Subcommand
{
    const char* name;
    const char* summary;
    int (*run)(const QStringList&, ToolStreams);
};

const Subcommand Subcommands[] = {
    {"tree", "tree SOUNDS_DIR          print the lesson tree of SOUNDS_DIR/Tree.txt", TreeCommand},
    {"phrases", "phrases SOUNDS_DIR CODE  print the phrases of one category", PhrasesCommand},
    {"info", "info [--skip-text] FILE  print a phrase sound file as the tutor reads it",
     InfoCommand},
    {"render", "render FILE --view V ... draw one view of a phrase sound file as SVG or PNG",
     RenderCommand},
    {"author", "author IN OUT.wav --text TEXT  make a phrase sound file of a recording",
     AuthorCommand},
    {"demo-content", "demo-content OUT_DIR    build the demo content pack", DemoContentCommand},
    {"lint", "lint CONTENT_DIR         check a content pack; one finding a line", LintCommand},
    {"history", "history export|stats|chart|forget  the learner's practice history",
     HistoryCommand},
    {"compare", "compare MODEL LEARNER [--json]  what differs from the model's phrase",
     CompareCommand},
};

void PrintUsage(std::ostream& stream)
{
    stream << "usage: tvtool COMMAND [ARGS...]\n\ncommands:\n";
    for (const Subcommand& command : Subcommands)
        stream << "  " << command.summary << "\n";
    stream << "\n'tvtool COMMAND --help' describes one command.\n";
}

// Text on a PNG needs fonts, and fonts need a GUI application; only the
// compare view draws text. It runs on the offscreen platform, so no display
// is ever needed.
bool DrawsTextOnAPicture(int argc, char** argv)
{
    bool render = false;
    bool compare = false;
    bool png = false;
    for (int i = 1; i < argc; ++i) {
        const QByteArray arg = argv[i];
        render = render || (i == 1 && arg == "render");
        compare = compare || (arg == "compare" && i > 1 && QByteArray(argv[i - 1]) == "--view");
        png = png || arg.toLower().endsWith(".png");
    }
    return render && compare && png;
}

// Whether everything printed reached its reader. A full disk or a closed
// pipe behind standard output must not pass for a finished listing: the
// programs that read tvtool's output take exit status 0 for a whole one.
bool OutputReachedItsReader(std::ostream& out, std::ostream& err)
{
    errno = 0;
    out.flush();
    const bool written = !out.fail() && std::fflush(stdout) == 0 && !std::ferror(stdout);
    if (!written) {
        const int cause = errno;
        err << "tvtool: cannot write the output" << (cause ? ": " : "")
            << (cause ? std::strerror(cause) : "") << "\n";
    }
    return written;
}

} // namespace

int main(int argc, char** argv)
{
    std::unique_ptr<QCoreApplication> application;
    if (DrawsTextOnAPicture(argc, argv)) {
        // Pictures are drawn off screen whatever display the user has set
        // up: over ssh or from cron a named platform would abort the program.
        qputenv("QT_QPA_PLATFORM", "offscreen");
        application = std::make_unique<QGuiApplication>(argc, argv);
    } else {
        application = std::make_unique<QCoreApplication>(argc, argv);
    }
    QCoreApplication& app = *application;
    std::ostream& out = std::cout;
    std::ostream& err = std::cerr;
    QStringList args = app.arguments().mid(1);
    if (args.isEmpty()) {
        PrintUsage(err);
        return 2;
    }
    if (args.first() == "--help" || args.first() == "-h") {
        PrintUsage(out);
        return OutputReachedItsReader(out, err) ? 0 : 1;
    }
    const QString name = args.takeFirst();
    for (const Subcommand& command : Subcommands) {
        if (name != command.name) continue;
        const int status = command.run(args, ToolStreams{out, err});
        return OutputReachedItsReader(out, err) || status != 0 ? status : 1;
    }
    err << "tvtool: unknown command '" << name.toStdString() << "'\n";
    PrintUsage(err);
    return 2;
}
