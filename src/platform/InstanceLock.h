#pragma once
// One tutor per installation: every tutor of an installation records into
// the same working files in its Data folder, so a second one would swap the
// learners' recordings. The first tutor holds a lock file there for as long
// as it runs; a lock left by a tutor that was killed is taken over, and so
// is one written on another computer sharing the installation (a network
// home folder) that has not been marked alive for ten minutes.
#include <QString>

enum class InstallationLock {
    Held,          // this process holds the lock
    HeldElsewhere, // another tutor runs on this installation
    Unavailable    // no lock can be made (the folder is missing or read-only)
};

// Takes the lock of the installation whose Data folder is dataFolder, and
// keeps it until the process ends or another installation is locked.
InstallationLock LockInstallation(const QString& dataFolder);

// Marks the held lock as alive; the holder does so every minute by itself
// once an application object exists.
void MarkInstallationLockAlive();

// Gives the lock up (tests, and an installation folder about to go).
void ReleaseInstallationLock();

// The lock file's name inside the Data folder.
inline const QString InstallationLockName = QStringLiteral("tonvale-tutor.lock");
