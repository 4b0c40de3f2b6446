// tonvale-tutor: the desktop tutor. Reads its settings, finds the content
// and opens the lesson tree. Started for the first time from a package, it
// first sets up the user's own installation folder and settings file.
#include "app/CourseChooser.h"
#include "app/FirstRun.h"
#include "app/InstalledCourses.h"
#include "app/Main.h"
#include "app/Tutor.h"
#include "platform/SettingsStore.h"
#include "widgets/AnalyserProcess.h"
#include "widgets/AudioDevice.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QElapsedTimer>
#include <QTimer>

#include <cstdio>

namespace {

void SetUpOnFirstStart(const QString& commandLineSettingsFile)
{
    if (!IsFirstStart(commandLineSettingsFile))
        return;
    const FirstRunResult result =
        SetUpUserInstallation(InstalledFoldersBeside(QCoreApplication::applicationDirPath()),
                              UserInstallFolder(), SettingsStore::UserFile());
    if (result.Outcome != FirstRunOutcome::SetUp && !result.Problem.isEmpty())
        std::fprintf(stderr, "tonvale-tutor: %s\n", qPrintable(result.Problem));
}

// For installation checks: ends the process with status 0 as soon as the
// lesson tree is on screen, and with 1 (saying why on standard error) when
// start-up stops at the damaged-settings message or the content prompt, ends
// early, or takes longer than 30 s.
void EndOnceLessonTreeShown(const Main& start)
{
    SetEndTutorHandler([] {
        std::fprintf(stderr, "tonvale-tutor: ended before the lesson tree was shown\n");
        QCoreApplication::exit(1);
    });
    auto* poll = new QTimer(QCoreApplication::instance());
    QElapsedTimer elapsed;
    elapsed.start();
    QObject::connect(poll, &QTimer::timeout, [&start, poll, elapsed] {
        const auto finish = [poll](int status, const char* message) {
            poll->stop();
            std::fprintf(status == 0 ? stdout : stderr, "tonvale-tutor: %s\n", message);
            std::fflush(stdout);
            QCoreApplication::exit(status);
        };
        for (const QWidget* window : QApplication::topLevelWidgets()) {
            if (window->objectName() == "TreeNode" && window->isVisible())
                return finish(0, "lesson tree shown");
        }
        if (start.AlreadyRunning->isVisible())
            return finish(1, "another tutor is running for this installation");
        if (start.BadRegistry->isVisible())
            return finish(1, "the settings are damaged");
        if (start.CDLoad->isVisible())
            return finish(1, "the content was not found");
        if (elapsed.hasExpired(30000))
            return finish(1, "the lesson tree was not shown within 30 s");
    });
    poll->start(50);
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName("tonvale-tutor");
    QApplication::setApplicationVersion("1.0");
    QApplication::setQuitOnLastWindowClosed(false);

    QCommandLineParser parser;
    parser.setApplicationDescription(
        "Tonvale Tutor: practise the rhythm, stress and intonation of English phrases.");
    parser.addHelpOption();
    parser.addVersionOption();
    QCommandLineOption settingsOption("settings", "Read the settings from FILE.", "FILE");
    parser.addOption(settingsOption);
    QCommandLineOption checkOption("check-startup",
                                   "Exit with status 0 once the lesson tree is shown.");
    checkOption.setFlags(QCommandLineOption::HiddenFromHelp);
    parser.addOption(checkOption);
    QCommandLineOption installOption(
        "install-course",
        "Install the shared course FILE (.tvcourse) for this user and open it next time.",
        "FILE");
    parser.addOption(installOption);
    parser.process(app);
    InstallQtAudioOutput();
    // However the tutor ends, an analyser at work ends with it.
    QObject::connect(&app, &QCoreApplication::aboutToQuit,
                     [] { CurrentAnalyserLauncher().StopRunning(); });

    const QString settingsFile = parser.value(settingsOption);
    if (parser.isSet(installOption)) {
        const CourseInstallReport report =
            InstallCourseForLearner(parser.value(installOption), settingsFile);
        std::fprintf(report.Installed ? stdout : stderr, "tonvale-tutor: %s\n",
                     qPrintable(report.Message));
        return report.Installed ? 0 : 1;
    }
    SetUpOnFirstStart(settingsFile);
    if (!ChooseCourseAtStart(settingsFile, parser.isSet(checkOption)))
        return 0;
    Main start(SettingsStore(SettingsStore::ChooseFile(settingsFile)));
    if (parser.isSet(checkOption))
        EndOnceLessonTreeShown(start);
    start.show();
    return app.exec();
}
