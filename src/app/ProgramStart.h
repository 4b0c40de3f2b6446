#pragma once
// What the tutor and the studio do before their first window: read the
// command line without a display, and tell the desktop which menu entry and
// icon their windows belong to.
#include <QCommandLineOption>
#include <QCoreApplication>
#include <QIcon>
#include <QList>
#include <QString>

#include <memory>

// How a program shows itself to the desktop. The window system's class is
// the application name, which the menu entry names as its StartupWMClass; a
// Wayland compositor matches the desktop file id instead.
struct ProgramIdentity
{
    const char* Name;      // the program's file name and the windows' class
    const char* DesktopId; // its desktop file, without ".desktop"
    const char* IconName;  // the theme icon its desktop file names
};

inline constexpr ProgramIdentity TutorIdentity{"tonvale-tutor", "org.tonvale.TonvaleTutor",
                                               "org.tonvale.TonvaleTutor"};
inline constexpr ProgramIdentity StudioIdentity{"tonvale-studio", "org.tonvale.TonvaleStudio",
                                                "org.tonvale.TonvaleTutor"};

// The application object to start with. A QApplication connects to the
// display as it is made and aborts the program without one, so a command
// line that asks only for help, the version or one of windowless (such as
// installing a course over ssh or from a script) gets a QCoreApplication;
// everything else gets a QApplication. options are all the program's own
// (windowless among them). Qt's own options (-platform, -style) are known to
// QApplication alone: a command line that cannot be read without them goes
// to a QApplication, whose reading then reports what is wrong.
std::unique_ptr<QCoreApplication> MakeApplication(int& argc, char** argv,
                                                  const QList<QCommandLineOption>& options,
                                                  const QList<QCommandLineOption>& windowless);

// Names the program, its version and, once a QApplication runs, its desktop
// file and window icon (the theme's, else the icon file the package installs
// beside the program).
void PresentProgram(const ProgramIdentity& identity);

// The icon the windows carry: iconName from the icon theme, else
// <programFolder>/../share/icons/hicolor/scalable/apps/<iconName>.svg;
// null when neither is there.
QIcon WindowIconFor(const QString& iconName, const QString& programFolder);
