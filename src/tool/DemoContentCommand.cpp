// tvtool demo-content: builds the demo content pack from its text sources
// (content/demo of the source tree unless told otherwise), with festival
// started here as a process.
#include "authoring/DemoContent.h"
#include "tool/Commands.h"

#include <QFile>
#include <QProcess>

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

} // namespace

int DemoContentCommand(const QStringList& args, ToolStreams io)
{
    const char* usage =
        "usage: tvtool demo-content OUT_DIR [--from CONTENT_DIR] [--male-voice CODES]\n"
        "Builds the demo content pack in OUT_DIR from CONTENT_DIR (default: content/demo\n"
        "of the source tree): every phrase of SentList.txt is spoken with festival and\n"
        "authored into OUT_DIR/Sounds/<stem>.wav; Tree.txt and SentList.txt are copied\n"
        "into OUT_DIR/Sounds and Help/TVTutor.hlp into OUT_DIR/Help. The categories in\n"
        "CODES (comma-separated, default 12,14,16) are spoken by festival's male voice\n"
        "(kal_diphone), the others by its female voice (cmu_us_slt_arctic_hts).\n";
    if (args.contains("--help") || args.contains("-h")) {
        io.out << usage;
        return 0;
    }
    DemoContentRequest request;
    request.Source = QStringLiteral(TONVALE_DEMO_CONTENT);
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
    const DemoContentOutcome outcome =
        BuildDemoContent(request, RunFestival, [&io](const std::string& problem) {
            io.err << "tvtool demo-content: " << problem << "\n";
        });
    if (!outcome.Finished) return 1;
    io.out << "demo-content: " << outcome.Written << " of " << outcome.Phrases << " phrases in "
           << QFile::encodeName(request.Out).toStdString() << "/Sounds\n";
    return outcome.Written == outcome.Phrases ? 0 : 1;
}
