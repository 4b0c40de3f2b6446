#pragma once
// The analyser started as a process of its own, and the launcher the
// exercise screen uses.
#include "engine/AnalyserLauncher.h"

#include <functional>
#include <memory>

class QProcess;

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
