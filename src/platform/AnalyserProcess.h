#pragma once
// Starting the analyser: a separate program run on the student's recording,
// without a shell, so blanks in paths cannot split its arguments. One
// analyser at a time: one still running from an earlier, timed-out cycle is
// stopped before the next starts.
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

class QProcess;

class AnalyserLauncher
{
public:
    virtual ~AnalyserLauncher() = default;
    // Starts program with arguments; false when it could not be started.
    virtual bool Start(const QString& program, const QStringList& arguments) = 0;
    // Stops an analyser still running; harmless when none is.
    virtual void StopRunning() = 0;
};

class AnalyserProcess final : public AnalyserLauncher
{
public:
    AnalyserProcess();
    ~AnalyserProcess() override;
    bool Start(const QString& program, const QStringList& arguments) override;
    void StopRunning() override;
    bool IsRunning() const;

private:
    std::unique_ptr<QProcess> process;
};

// The launcher the exercise screen uses; tests install their own.
AnalyserLauncher& CurrentAnalyserLauncher();
void InstallAnalyserLauncher(std::unique_ptr<AnalyserLauncher> launcher);
