#include "widgets/AnalyserProcess.h"

#include <QProcess>

#ifdef Q_OS_LINUX
#include <signal.h>
#include <sys/prctl.h>
#endif

namespace {
std::unique_ptr<AnalyserLauncher>& InstalledLauncher()
{
    static std::unique_ptr<AnalyserLauncher> launcher;
    return launcher;
}

// The analyser normally ends within a second of being asked; one that does
// not (hung in a loop, stopped) is killed.
constexpr int TerminateGraceMs = 1000;
constexpr int KillWaitMs = 2000;
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
    if (!IsRunning()) return;
    // Asked first, so that it can remove its scratch files; then forced.
    process->terminate();
    if (process->waitForFinished(TerminateGraceMs)) return;
    process->kill();
    process->waitForFinished(KillWaitMs);
}

bool AnalyserProcess::Start(const QString& program, const QStringList& arguments)
{
    StopRunning();
    process = std::make_unique<QProcess>();
    // The analyser's messages go where the tutor's go; its output and input
    // are nothing. Each channel is set once, by a file or by forwarding: a
    // process opened without reading sends its error channel to the null
    // device as well, which Qt reports as inconsistent at every start.
    process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process->setStandardOutputFile(QProcess::nullDevice());
    process->setStandardInputFile(QProcess::nullDevice());
#ifdef Q_OS_LINUX
    // Should the tutor itself be killed, the analyser goes with it instead
    // of running on orphaned.
    process->setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
#endif
    process->start(program, arguments, QIODevice::ReadOnly);
    return process->waitForStarted(5000);
}

AnalyserLauncher& CurrentAnalyserLauncher()
{
    auto& launcher = InstalledLauncher();
    if (!launcher) launcher = std::make_unique<AnalyserProcess>();
    return *launcher;
}

void InstallAnalyserLauncher(std::unique_ptr<AnalyserLauncher> launcher)
{
    InstalledLauncher() = std::move(launcher);
}
