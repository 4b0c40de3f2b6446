#pragma once
// The other programs the studio works with, found beside it as the build
// and the package lay them out: the tutor (for "Try as a Learner" and for
// installing a course) and the analyser (for recordings).
#include <QString>

// <folder of this program>/tonvale-tutor.
QString TutorProgram();
// <folder>/TVM in a build, <prefix>/lib/tonvale-tutor/Bin/TVM in a package.
QString AnalyserProgram();
// The demo pack installed with the tutor, which the studio opens read-only.
QString InstalledContentFolder();
