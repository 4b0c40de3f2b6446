#pragma once
// Deleting the tutor's working files (the student's recordings, the
// analyser's scratch files), and telling why one could not be written. A
// file that cannot go is left as it is: the screens go on either way and
// have nothing to report.
#include <QString>

// Deletes the files in folder whose names match pattern ("*.tmp",
// "Student.*"); nothing when the folder is not known (empty), so a pattern
// never reaches the current folder by accident.
void DeleteMatchingFiles(const QString& folder, const QString& pattern);

// Why a file of bytesNeeded bytes cannot be written into folder, found by
// trying: the writers only say that they failed, and a learner needs to
// know whether to free space, fix the folder or ask for help.
enum class WriteProblem {
    None,          // a file of that size can be written now
    FolderMissing, // the folder does not exist (or is not a folder)
    ReadOnly,      // the folder or its disk refuses new files
    DiskFull,      // no room for the file
    Unknown
};
WriteProblem DiagnoseWriteProblem(const QString& folder, qint64 bytesNeeded);
