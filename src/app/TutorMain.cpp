// tonvale-tutor: the desktop tutor. Reads its settings, finds the content
// and opens the lesson tree. Started for the first time from a package, it
// first sets up the user's own installation folder and settings file.
#include "app/CourseChooser.h"
#include "app/FirstRun.h"
#include "app/InstalledCourses.h"
#include "app/Main.h"
#include "app/ProgramStart.h"
#include "app/Tutor.h"
#include "platform/SettingsStore.h"
#include "widgets/AnalyserProcess.h"
#include "widgets/AudioDevice.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace {

// Why the user's own installation could not be set up; empty when it was,
// or when it was there already. The start-up window shows it (and prints
// it) in place of the missing system settings file, which is no cause.
QString SetUpOnFirstStart(const QString& commandLineSettingsFile)
{
    if (!IsFirstStart(commandLineSettingsFile)) return QString();
    const FirstRunResult result =
        SetUpUserInstallation(InstalledFoldersBeside(QCoreApplication::applicationDirPath()),
                              UserInstallFolder(), SettingsStore::UserFile());
    return result.Outcome == FirstRunOutcome::SetUp ? QString() : result.Problem;
}

int InstallCourse(const QString& archive, const QString& settingsFile, bool inWindow)
{
    const CourseInstallReport report = InstallCourseForLearner(archive, settingsFile);
    std::fprintf(report.Installed ? stdout : stderr, "tonvale-tutor: %s\n",
                 qPrintable(report.Message));
    // Opened from a file manager there is no terminal to read the outcome in.
    if (inWindow && qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr) {
        QMessageBox box(report.Installed ? QMessageBox::Information : QMessageBox::Warning,
                        "Tonvale Tutor", report.Message);
        box.setTextFormat(Qt::PlainText);
        box.exec();
    }
    return report.Installed ? 0 : 1;
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
        if (start.BadRegistry->isVisible()) return finish(1, "the settings are damaged");
        if (start.CDLoad->isVisible()) return finish(1, "the content was not found");
        if (elapsed.hasExpired(30000))
            return finish(1, "the lesson tree was not shown within 30 s");
    });
    poll->start(50);
}

} // namespace

int main(int argc, char** argv)
{
    QCommandLineOption settingsOption("settings", "Read the settings from FILE.", "FILE");
    QCommandLineOption checkOption("check-startup",
                                   "Exit with status 0 once the lesson tree is shown.");
    checkOption.setFlags(QCommandLineOption::HiddenFromHelp);
    QCommandLineOption installOption(
        "install-course",
        "Install the shared course FILE (.tvcourse) for this user and open it next time.", "FILE");
    // The studio's "Try as a Learner" opens the course being built: the
    // course installed with the tutor must not be offered beside it.
    QCommandLineOption noChoiceOption("no-course-choice",
                                      "Open the course the settings name without asking.");
    noChoiceOption.setFlags(QCommandLineOption::HiddenFromHelp);
    // The course file's menu entry installs through this: the outcome is
    // shown in a window as well.
    QCommandLineOption inWindowOption("say-in-window",
                                      "Show the outcome of --install-course in a window.");
    inWindowOption.setFlags(QCommandLineOption::HiddenFromHelp);
    const QList<QCommandLineOption> options{settingsOption, checkOption, installOption,
                                            noChoiceOption, inWindowOption};
    const bool inWindow = std::any_of(
        argv + 1, argv + argc, [](const char* a) { return !std::strcmp(a, "--say-in-window"); });

    const std::unique_ptr<QCoreApplication> application = MakeApplication(
        argc, argv, options,
        inWindow ? QList<QCommandLineOption>{} : QList<QCommandLineOption>{installOption});
    PresentProgram(TutorIdentity);
    QCommandLineParser parser;
    parser.setApplicationDescription(
        "Tonvale Tutor: practise the rhythm, stress and intonation of English phrases.");
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addOptions(options);
    parser.process(*application);

    const QString settingsFile = parser.value(settingsOption);
    if (parser.isSet(installOption))
        return InstallCourse(parser.value(installOption), settingsFile,
                             parser.isSet(inWindowOption));

    QApplication::setQuitOnLastWindowClosed(false);
    InstallQtAudioOutput();
    // However the tutor ends, an analyser at work ends with it.
    QObject::connect(application.get(), &QCoreApplication::aboutToQuit,
                     [] { CurrentAnalyserLauncher().StopRunning(); });

    const QString firstStartProblem = SetUpOnFirstStart(settingsFile);
    if (!parser.isSet(noChoiceOption) &&
        !ChooseCourseAtStart(settingsFile, parser.isSet(checkOption)))
        return 0;
    Main start(SettingsStore(SettingsStore::ChooseFile(settingsFile)), ListSystemMounts,
               firstStartProblem);
    if (parser.isSet(checkOption)) EndOnceLessonTreeShown(start);
    start.show();
    return QCoreApplication::exec();
}
