#include "platform/AnalyserProcess.h"

#include <QProcess>

namespace {
std::unique_ptr<AnalyserLauncher>& InstalledLauncher()
{
    static std::unique_ptr<AnalyserLauncher> launcher;
    return launcher;
}
} // namespace

AnalyserProcess::AnalyserProcess() = default;

AnalyserProcess::~AnalyserProcess()
{
    // An analyser outliving the tutor would only rewrite a working file
    // nobody reads any more; stop it with the tutor.
    StopRunning();
}

bool AnalyserProcess::IsRunning() const
{
    return process && process->state() != QProcess::NotRunning;
}

void AnalyserProcess::StopRunning()
{
    if (!IsRunning())
        return;
    process->kill();
    process->waitForFinished(2000);
}

bool AnalyserProcess::Start(const QString& program, const QStringList& arguments)
{
    StopRunning();
    process = std::make_unique<QProcess>();
    process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process->setStandardOutputFile(QProcess::nullDevice());
    process->setStandardInputFile(QProcess::nullDevice());
    process->start(program, arguments, QIODevice::NotOpen);
    return process->waitForStarted(5000);
}

AnalyserLauncher& CurrentAnalyserLauncher()
{
    auto& launcher = InstalledLauncher();
    if (!launcher)
        launcher = std::make_unique<AnalyserProcess>();
    return *launcher;
}

void InstallAnalyserLauncher(std::unique_ptr<AnalyserLauncher> launcher)
{
    InstalledLauncher() = std::move(launcher);
}
