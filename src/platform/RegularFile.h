#pragma once
// Opening content for reading. A named pipe keeps open() waiting for a
// writer that never comes, and a device holds no content: either, named as
// a phrase or a lesson tree, froze the screen that read it.
#include <QFile>

// Opens file for reading when its name (after links) is a regular file.
bool OpenRegularFile(QFile& file);
