#pragma once
// Where a package put the shared parts, relative to the folder of the
// installed program (<prefix>/bin). Widget-free: the content tool finds the
// installed content the same way.
#include <QString>

struct InstalledFolders
{
    QString AnalyserFolder; // <prefix>/lib/tonvale-tutor/Bin, holding TVM
    QString ContentFolder;  // <prefix>/share/tonvale-tutor/content, holding Sounds and Help
};

InstalledFolders InstalledFoldersBeside(const QString& programFolder);
