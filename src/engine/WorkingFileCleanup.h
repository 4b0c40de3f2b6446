#pragma once
// The tutor's working files and when they go: the analyser's scratch files
// after every analysis, the learner's take when the exercise screen is
// left, and every working file of the learner when the tutor ends. A file
// that cannot go is left as it is (platform/WorkingFiles.h).
#include <QString>

// The learner's working files are Student.wav, .txt, .stp, .ptc and .rsl
// in the Data folder.
inline const QString StudentFileStem = QStringLiteral("Student");

struct WorkingFileSet
{
    QString BinFolder;  // the analyser's folder, where it leaves "*.tmp" files
    QString DataFolder; // the learner's working folder
    QString TakeWave;   // the learner's take and its result file
    QString TakeResult;
};

enum class CleanUpMoment {
    AnalysisEnded, // the analyser's scratch files
    ExerciseLeft,  // those, the take, its result and what a cut-short rewrite left
    TutorLeft      // every Student.* file of the Data folder
};

void CleanUpWorkingFiles(const WorkingFileSet& files, CleanUpMoment moment);
