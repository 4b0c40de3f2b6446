#include "engine/WorkingFileCleanup.h"

#include "platform/WorkingFiles.h"

#include <QFile>

namespace {

void DeleteFile(const QString& path)
{
    if (!path.isEmpty()) QFile::remove(path);
}

} // namespace

void CleanUpWorkingFiles(const WorkingFileSet& files, CleanUpMoment moment)
{
    switch (moment) {
    case CleanUpMoment::AnalysisEnded:
        DeleteMatchingFiles(files.BinFolder, "*.tmp");
        break;
    case CleanUpMoment::ExerciseLeft:
        DeleteMatchingFiles(files.BinFolder, "*.tmp");
        // A rewrite of the recording cut short (the analyser killed) leaves
        // its temporary file beside the recording.
        DeleteMatchingFiles(files.DataFolder, StudentFileStem + ".wav.*.tmp");
        DeleteFile(files.DataFolder.isEmpty() ? QString() : files.DataFolder + "Stud1.wav");
        DeleteFile(files.TakeWave);
        DeleteFile(files.TakeResult);
        break;
    case CleanUpMoment::TutorLeft:
        DeleteMatchingFiles(files.DataFolder, StudentFileStem + ".*");
        // A probe of why a take could not be saved, left by a tutor that was
        // killed while writing it.
        DeleteMatchingFiles(files.DataFolder, ".tonvale-write-probe-*");
        break;
    }
}
