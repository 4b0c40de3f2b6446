// tvtool demo-content: builds the demo content pack from its text sources
// (content/demo of the source tree, else the pack installed with the tool,
// unless told otherwise), with festival started here as a process.
#include "app/InstalledFolders.h"
#include "authoring/DemoContent.h"
#include "tool/Commands.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#ifndef TONVALE_DEMO_CONTENT
#define TONVALE_DEMO_CONTENT "content/demo"
#endif

namespace {

bool RunFestival(const QString& scriptPath, std::string& problem)
{
    QProcess festival;
    festival.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    festival.start("festival", {"--batch", scriptPath});
    if (!festival.waitForStarted(10000)) {
        problem = "cannot start festival (Debian packages festival, festvox-us-slt-hts and "
                  "festvox-kallpc16k)";
        return false;
    }
    festival.closeWriteChannel();
    if (!festival.waitForFinished(600000) || festival.exitStatus() != QProcess::NormalExit ||
        festival.exitCode() != 0) {
        problem = "festival failed";
        return false;
    }
    return true;
}

// The text sources when none are named: those of the source tree the tool
// was built from, which a packaged tool's machine does not have; there the
// pack installed beside the tool is the source.
QString DefaultSource()
{
    const QString built = QStringLiteral(TONVALE_DEMO_CONTENT);
    if (QFileInfo(built + "/SentList.txt").isFile()) return built;
    return InstalledFoldersBeside(QCoreApplication::applicationDirPath()).ContentFolder;
}

// An installed pack keeps its lists under Sounds/, where the text sources
// have them at the top; such a pack's lists and help document are laid out
// as text sources in staging. False, with the problem, when they cannot be.
bool StageInstalledLayout(QString& source, const QTemporaryDir& staging, std::string& problem)
{
    const QDir pack(source);
    if (QFileInfo::exists(pack.filePath("SentList.txt")) ||
        !QFileInfo::exists(pack.filePath("Sounds/SentList.txt")))
        return true; // text sources, or nothing readable: the build says which file is missing
    const QDir staged(staging.path());
    const bool copied =
        staging.isValid() && staged.mkpath("Help") &&
        QFile::copy(pack.filePath("Sounds/Tree.txt"), staged.filePath("Tree.txt")) &&
        QFile::copy(pack.filePath("Sounds/SentList.txt"), staged.filePath("SentList.txt")) &&
        QFile::copy(pack.filePath("Help/TVTutor.hlp"), staged.filePath("Help/TVTutor.hlp"));
    if (!copied) {
        problem = "cannot read the lesson tree, phrase list and help document of the pack " +
                  QFile::encodeName(source).toStdString();
        return false;
    }
    source = staging.path();
    return true;
}

} // namespace

int DemoContentCommand(const QStringList& args, ToolStreams io)
{
    const char* usage =
        "usage: tvtool demo-content OUT_DIR [--from CONTENT_DIR] [--male-voice CODES]\n"
        "Builds the demo content pack in OUT_DIR from CONTENT_DIR (default: content/demo\n"
        "of the source tree, else the pack installed with tvtool). CONTENT_DIR holds the\n"
        "text sources, or is an installed pack (its lists under Sounds/). Every phrase\n"
        "of SentList.txt is spoken with festival and authored into\n"
        "OUT_DIR/Sounds/<stem>.wav; Tree.txt and SentList.txt are copied into\n"
        "OUT_DIR/Sounds and Help/TVTutor.hlp into OUT_DIR/Help. The categories in\n"
        "CODES (comma-separated, default 12,14,16) are spoken by festival's male voice\n"
        "(kal_diphone), the others by its female voice (cmu_us_slt_arctic_hts).\n";
    if (args.contains("--help") || args.contains("-h")) {
        io.out << usage;
        return 0;
    }
    DemoContentRequest request;
    request.Source = DefaultSource();
    QStringList words;
    for (qsizetype i = 0; i < args.size(); ++i) {
        if (args[i] == "--from" && i + 1 < args.size())
            request.Source = args[++i];
        else if (args[i] == "--male-voice" && i + 1 < args.size())
            request.MaleCategories = args[++i].toUtf8().split(',');
        else
            words << args[i];
    }
    QStringList rest;
    if (!OperandsOnly(words, rest) || rest.size() != 1) {
        io.err << usage;
        return 2;
    }
    request.Out = rest[0];
    const QTemporaryDir staging;
    std::string problem;
    if (!StageInstalledLayout(request.Source, staging, problem)) {
        io.err << "tvtool demo-content: " << problem << "\n";
        return 1;
    }
    const DemoContentOutcome outcome =
        BuildDemoContent(request, RunFestival, [&io](const std::string& problem) {
            io.err << "tvtool demo-content: " << problem << "\n";
        });
    if (!outcome.Finished) return 1;
    io.out << "demo-content: " << outcome.Written << " of " << outcome.Phrases << " phrases in "
           << QFile::encodeName(request.Out).toStdString() << "/Sounds\n";
    return outcome.Written == outcome.Phrases ? 0 : 1;
}
