#pragma once
// A package installs the programs, the analyser and the demo content once for
// every user, but the tutor expects an installation folder of its own: Bin
// with the analyser and a writable Data for the student's working files, both
// named by the settings file, as an installer sets them up. On a user's first
// start, when no settings file exists anywhere, this does that set-up for the
// user:
//   <data home>/tonvale-tutor/Data/               created
//   <data home>/tonvale-tutor/Bin -> <prefix>/lib/tonvale-tutor/Bin
//   ~/.config/Tonvale/TonvaleTutor.conf           InstallDir, InstallCDDrive1331
// where <data home> is $XDG_DATA_HOME or ~/.local/share and <prefix> is the
// installation prefix of the running program. An existing settings file is
// never touched: damaged settings stay damaged, so the tutor still says so.
#include "app/InstalledFolders.h"

#include <QString>

// $XDG_DATA_HOME/tonvale-tutor, or ~/.local/share/tonvale-tutor when it is
// unset or not absolute.
QString UserInstallFolder();

// True when the tutor is started without a settings file: no --settings
// option, no $TONVALE_SETTINGS, and neither the per-user nor the system
// settings file exists.
bool IsFirstStart(const QString& commandLineSettingsFile);

enum class FirstRunOutcome {
    SetUp,         // the folders and the settings file were written
    SettingsExist, // a settings file is already there: nothing done
    NotInstalled,  // no installed content beside the program: nothing written
    Failed         // a folder or the settings file could not be written
};

struct FirstRunResult
{
    FirstRunOutcome Outcome = FirstRunOutcome::Failed;
    QString Problem; // for the user, when not SetUp
};

// Sets up installFolder (Data and the Bin link) and then writes
// settingsFile, last, so that a set-up that fails half-way is tried again on
// the next start. Does nothing when settingsFile exists. A Data folder
// already there keeps its files; a Bin link is pointed at the installed
// analyser again, a real Bin folder is left alone.
FirstRunResult SetUpUserInstallation(const InstalledFolders& installed,
                                     const QString& installFolder, const QString& settingsFile);
