// What each clean-up takes, and what it must leave: an analysis that ends
// keeps the take it is about to read back, leaving the exercise keeps the
// learner's other working files, and only the tutor's end takes them all.
#include "engine/WorkingFileCleanup.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

const QStringList BinFiles{"a.tmp", "TVM"};
const QStringList DataFiles{
    "Student.wav",          "Student.rsl", "Student.txt", "Student.stp",
    "Student.wav.1234.tmp", "Stud1.wav",   "Notes.txt",   ".tonvale-write-probe-Ab12Cd"};

QStringList Remaining(const QTemporaryDir& bin, const QTemporaryDir& data)
{
    QStringList left;
    for (const QString& name : QDir(bin.path()).entryList(QDir::Files, QDir::Name))
        left << "bin/" + name;
    for (const QString& name : QDir(data.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name))
        left << name;
    return left;
}

QStringList AfterCleanUp(CleanUpMoment moment)
{
    QTemporaryDir bin;
    QTemporaryDir data;
    for (const QString& name : BinFiles)
        QFile(bin.filePath(name)).open(QIODevice::WriteOnly);
    for (const QString& name : DataFiles)
        QFile(data.filePath(name)).open(QIODevice::WriteOnly);
    const QString dataFolder = data.path() + "/";
    CleanUpWorkingFiles(
        {bin.path(), dataFolder, dataFolder + "Student.wav", dataFolder + "Student.rsl"}, moment);
    return Remaining(bin, data);
}

} // namespace

TEST(WorkingFileCleanup, EachMomentTakesItsOwnFilesAndLeavesTheRest)
{
    EXPECT_EQ(AfterCleanUp(CleanUpMoment::AnalysisEnded),
              (QStringList{"bin/TVM", ".tonvale-write-probe-Ab12Cd", "Notes.txt", "Stud1.wav",
                           "Student.rsl", "Student.stp", "Student.txt", "Student.wav",
                           "Student.wav.1234.tmp"}));
    EXPECT_EQ(AfterCleanUp(CleanUpMoment::ExerciseLeft),
              (QStringList{"bin/TVM", ".tonvale-write-probe-Ab12Cd", "Notes.txt", "Student.stp",
                           "Student.txt"}));
    EXPECT_EQ(AfterCleanUp(CleanUpMoment::TutorLeft),
              (QStringList{"bin/TVM", "bin/a.tmp", "Notes.txt", "Stud1.wav"}));
}
