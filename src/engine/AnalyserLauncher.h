#pragma once
// Starting the analyser: a separate program run on the student's recording,
// without a shell, so blanks in paths cannot split its arguments. One
// analyser at a time: one still running from an earlier, timed-out cycle is
// stopped before the next starts. The tutor starts it as a process
// (widgets/AnalyserProcess.h); tests use a launcher of their own.
#include <QString>
#include <QStringList>

class AnalyserLauncher
{
public:
    virtual ~AnalyserLauncher() = default;
    // Starts program with arguments; false when it could not be started.
    virtual bool Start(const QString& program, const QStringList& arguments) = 0;
    // Stops an analyser still running; harmless when none is.
    virtual void StopRunning() = 0;
};
