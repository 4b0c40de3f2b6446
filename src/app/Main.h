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
    Main(SettingsStore settings, MountLister listMounts = ListSystemMounts);

    QTimer* MainCDLoadTimer;
    QTimer* MainStartTimer;
    QPushButton* MainExit;
    QPushButton* MainContinue;
    QLabel* CDLoad;
    QLabel* BadRegistry;
    QLabel* Welcome;

    void Form_Load();
    void LocateContent();
    void OpenLessonTree();

    void MainContinue_Click();
    void MainExit_Click();
    void MainCDLoadTimer_Timer();
    void MainStartTimer_Timer();

private:
    SettingsStore settings;
    MountLister listMounts;
};
