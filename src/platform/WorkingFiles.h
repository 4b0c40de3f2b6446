#pragma once
// Deleting the tutor's working files (the student's recordings, the
// analyser's scratch files). A file that cannot go is left as it is: the
// screens go on either way and have nothing to report.
#include <QString>

// Deletes the files in folder whose names match pattern ("*.tmp",
// "Student.*"); nothing when the folder is not known (empty), so a pattern
// never reaches the current folder by accident.
void DeleteMatchingFiles(const QString& folder, const QString& pattern);
