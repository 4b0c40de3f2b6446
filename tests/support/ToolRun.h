#pragma once
// Running the built tvtool as other programs do, and what it printed.
#include <QByteArray>
#include <QProcess>
#include <QStringList>

struct ToolRun
{
    int exitCode = -1; // -1: did not finish normally
    QByteArray out;
    QByteArray err;
};

inline ToolRun RunTvtool(const QStringList& args, int timeoutMs = 60000,
                         const QString& workingFolder = QString())
{
    QProcess process;
    process.setWorkingDirectory(workingFolder);
    process.start(QStringLiteral(TONVALE_BINARY_DIR "/src/tvtool"), args);
    ToolRun run;
    if (!process.waitForFinished(timeoutMs) || process.exitStatus() != QProcess::NormalExit)
        return run;
    run.exitCode = process.exitCode();
    run.out = process.readAllStandardOutput();
    run.err = process.readAllStandardError();
    return run;
}
