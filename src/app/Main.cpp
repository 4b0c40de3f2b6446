#include "app/Main.h"

#include "app/CommonVar.h"
#include "app/ContentLocation.h"
#include "app/Tutor.h"
#include "exercise/TutorPractice.h"
#include "navigation/SharedContent.h"
#include "navigation/TreeNode.h"
#include "platform/InstanceLock.h"
#include "widgets/HelpWindow.h"
#include "widgets/UntrustedText.h"

#include <QCloseEvent>
#include <QFileInfo>
#include <QFont>

#include <cstdio>

Main::Main(SettingsStore settingsStore, MountLister lister, QString setUpProblem)
    : settings(std::move(settingsStore)), listMounts(std::move(lister)),
      firstStartProblem(std::move(setUpProblem))
{
    setObjectName("Main");
    setWindowTitle("Tonvale Tutor");
    setFixedSize(440, 230);
    setAutoFillBackground(true);

    MainCDLoadTimer = new QTimer(this);
    MainStartTimer = new QTimer(this);
    MainExit = new QPushButton("Cancel", this);
    MainContinue = new QPushButton("OK", this);
    CDLoad = new QLabel("Please insert Tonvale Tutor CD and press OK when ready", this);
    BadRegistry =
        new QLabel("ERROR!!!!       Please uninstall Tonvale Tutor and install it  again", this);
    Welcome = new QLabel("Tonvale Tutor 1.0", this);
    MissingSettings = new QLabel(this);
    AlreadyRunning = new QLabel("Tonvale Tutor is already running for this installation", this);
    AlreadyRunningTimer = new QTimer(this);

    MainCDLoadTimer->setObjectName("MainCDLoadTimer");
    MainStartTimer->setObjectName("MainStartTimer");
    MainExit->setObjectName("MainExit");
    MainContinue->setObjectName("MainContinue");
    CDLoad->setObjectName("CDLoad");
    BadRegistry->setObjectName("BadRegistry");
    Welcome->setObjectName("Welcome");
    MissingSettings->setObjectName("MissingSettings");
    AlreadyRunning->setObjectName("AlreadyRunning");
    AlreadyRunningTimer->setObjectName("AlreadyRunningTimer");

    const QFont times("Times New Roman", 12);
    for (QWidget* control : std::initializer_list<QWidget*>{MainExit, MainContinue, CDLoad})
        control->setFont(times);
    BadRegistry->setFont(QFont("Arial", 12, QFont::Bold));
    Welcome->setFont(QFont("Times New Roman", 24, QFont::Bold));

    Welcome->setGeometry(20, 20, 400, 50);
    Welcome->setAlignment(Qt::AlignCenter);
    CDLoad->setGeometry(20, 85, 400, 60);
    CDLoad->setWordWrap(true);
    CDLoad->setAlignment(Qt::AlignCenter);
    BadRegistry->setGeometry(20, 85, 400, 60);
    BadRegistry->setWordWrap(true);
    BadRegistry->setAlignment(Qt::AlignCenter);
    MissingSettings->setGeometry(20, 140, 400, 28);
    MissingSettings->setWordWrap(true);
    MissingSettings->setTextFormat(Qt::PlainText); // folder names, as written
    MissingSettings->setAlignment(Qt::AlignCenter);
    AlreadyRunning->setGeometry(20, 85, 400, 60);
    AlreadyRunning->setWordWrap(true);
    AlreadyRunning->setAlignment(Qt::AlignCenter);
    AlreadyRunning->setFont(times);
    MainContinue->setGeometry(110, 170, 100, 32);
    MainExit->setGeometry(230, 170, 100, 32);

    MainExit->setAccessibleName("Cancel");
    MainExit->setAccessibleDescription("Quit Tonvale Tutor");
    MainContinue->setAccessibleName("OK");
    MainContinue->setAccessibleDescription("Look for the lesson content again");
    Welcome->setAccessibleName("Tonvale Tutor 1.0");

    MainExit->hide();
    MainContinue->hide();
    CDLoad->hide();
    BadRegistry->hide();
    MissingSettings->hide();
    AlreadyRunning->hide();

    // The timers run only once the code gives them an interval and starts them.
    MainCDLoadTimer->setSingleShot(false);
    MainStartTimer->setSingleShot(false);

    connect(MainContinue, &QPushButton::clicked, this, &Main::MainContinue_Click);
    connect(MainExit, &QPushButton::clicked, this, &Main::MainExit_Click);
    connect(MainCDLoadTimer, &QTimer::timeout, this, &Main::MainCDLoadTimer_Timer);
    connect(MainStartTimer, &QTimer::timeout, this, &Main::MainStartTimer_Timer);
    AlreadyRunningTimer->setSingleShot(true);
    connect(AlreadyRunningTimer, &QTimer::timeout, this, &Main::MainExit_Click);

    setStyleSheet("QWidget#Main { background-color: rgb(0, 111, 0); }"
                  "QLabel { color: white; }"
                  "QPushButton { background: rgb(224, 224, 224); color: black; min-height: 24px;"
                  " border: 1px solid rgb(60, 60, 60); border-radius: 3px; }");
    Form_Load();
}

void Main::Form_Load()
{
    LocateContent();
}

void Main::LocateContent()
{
    switch (FindContentFolders(settings, listMounts)) {
    case ContentFound:
        SetFolderPaths();
        TutorPractice().SetKeptTakesPerPhrase(
            KeptTakesFromSetting(settings.ReadValue(KeptTakesSettingName)));
        if (!HoldInstallation()) break;
        MainContinue->hide();
        MainExit->hide();
        CDLoad->hide();
        // Found while the re-check timer was waiting: without stopping it the
        // timer would find the content again and open the tree a second time.
        MainCDLoadTimer->stop();
        MainStartTimer->setInterval(2000);
        MainStartTimer->start();
        break;
    case SettingsDamaged:
        BadRegistry->show();
        MainExit->show();
        // "Damaged" misleads when the file is simply not there (a mistyped
        // --settings): say so under the designed message. On a first start
        // that could not set up the user's own settings, the system file
        // was never meant to exist, and reinstalling would not help: say
        // what stopped the set-up instead.
        if (!QFileInfo::exists(settings.Path())) {
            MissingSettings->setText(
                firstStartProblem.isEmpty()
                    ? QString("The settings file %1 does not exist").arg(settings.Path())
                    : QString("Could not set up: %1").arg(firstStartProblem));
            MissingSettings->setToolTip(PlainToolTip(MissingSettings->text()));
            MissingSettings->show();
            std::fprintf(stderr, "tonvale-tutor: %s\n", qPrintable(MissingSettings->text()));
        }
        break;
    case ContentMissing:
        CDLoad->show();
        MainContinue->show();
        MainExit->show();
        MainCDLoadTimer->setInterval(30000);
        MainCDLoadTimer->start();
        break;
    default:
        break;
    }
}

bool Main::HoldInstallation()
{
    switch (LockInstallation(DataFolder)) {
    case InstallationLock::Held:
        return true;
    case InstallationLock::Unavailable:
        // Without a Data folder there is nothing two tutors could swap; the
        // recording step says what is wrong with the folder.
        return true;
    case InstallationLock::HeldElsewhere:
        break;
    }
    MainCDLoadTimer->stop();
    CDLoad->hide();
    MainContinue->hide();
    AlreadyRunning->show();
    MainExit->show();
    std::fprintf(stderr, "tonvale-tutor: %s\n", qPrintable(AlreadyRunning->text()));
    AlreadyRunningTimer->start(5000);
    return false;
}

void Main::MainContinue_Click()
{
    LocateContent();
}

void Main::MainCDLoadTimer_Timer()
{
    MainCDLoadTimer->stop();
    LocateContent();
}

void Main::MainStartTimer_Timer()
{
    MainStartTimer->stop();
    OpenLessonTree();
}

void Main::MainExit_Click()
{
    WinHelp(HelpOwner, HelpFile, HelpQuit, 0);
    MainCDLoadTimer->stop();
    MainStartTimer->stop();
    AlreadyRunningTimer->stop();
    hide();
    EndTutor();
}

void Main::closeEvent(QCloseEvent* event)
{
    // Closed from its frame while it is the tutor's only window (the splash,
    // the disc prompt, an error), it ends the tutor as Exit does: the tutor
    // does not quit when its last window closes, and would run on unseen.
    if (isVisible()) MainExit_Click();
    event->accept();
}

void Main::OpenLessonTree()
{
    ReadLessonTree();
    if (LastNodeIndex < 0) {
        // The screens end quietly, as they always have; a user who started
        // the tutor from a terminal still learns why.
        std::fprintf(stderr, "tonvale-tutor: cannot read the lesson tree %s\n",
                     qPrintable(SoundsFolder + "Tree.txt"));
        MainExit_Click();
        return;
    }
    CurrentNode = 0;
    PreviousNode = -1;
    FormLeft = -1;
    FormTop = -1.0;
    auto* tree = new TreeNode();
    tree->show();
    hide();
}
