#pragma once
// The start-up window: finds the installation and content folders, waits
// for the content disc when it is missing, shows the splash for 2 s and
// opens the lesson tree; then stays hidden for the rest of the process.
#include "platform/RemovableMedia.h"
#include "platform/SettingsStore.h"

#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QWidget>

class Main : public QWidget
{
    Q_OBJECT
public:
    // firstStartProblem: why the user's own installation could not be set
    // up on this first start (empty when there was nothing to set up); the
    // settings are then missing for that reason, which the window gives.
    Main(SettingsStore settings, MountLister listMounts = ListSystemMounts,
         QString firstStartProblem = QString());

    QTimer* MainCDLoadTimer;
    QTimer* MainStartTimer;
    QPushButton* MainExit;
    QPushButton* MainContinue;
    QLabel* CDLoad;
    QLabel* BadRegistry;
    QLabel* Welcome;
    // Beside the designed texts: a settings file that does not exist (or
    // why the first start could not write one), and
    // a second tutor started on an installation already in use, which
    // ends by itself after a few seconds.
    QLabel* MissingSettings;
    QLabel* AlreadyRunning;
    QTimer* AlreadyRunningTimer;

    void Form_Load();
    void LocateContent();
    void OpenLessonTree();

    void MainContinue_Click();
    void MainExit_Click();
    void MainCDLoadTimer_Timer();
    void MainStartTimer_Timer();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    // Takes the installation's lock; false (and the message shown) when
    // another tutor holds it.
    bool HoldInstallation();

    SettingsStore settings;
    MountLister listMounts;
    QString firstStartProblem;
};
