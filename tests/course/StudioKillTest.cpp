// A studio killed at any moment leaves a pack the tutor and tvtool lint
// read whole: a child process edits and saves a course over and over and is
// killed at random points; after every kill the pack opens and lints without
// an error.
#include "course/CoursePack.h"
#include "course/CourseTestSupport.h"
#include "tool/ContentLint.h"

#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

TEST(StudioKilled, EveryKillLeavesAPackThatOpensAndLintsWithoutErrors)
{
    QTemporaryDir dir;
    WriteSmallCourse(dir.path());
    QRandomGenerator random(20260101);
    int saves = 0;
    for (int kill = 0; kill < 30; ++kill) {
        QProcess writer;
        writer.start(TONVALE_BINARY_DIR "/tests/tvcourse-writer", {dir.path()});
        ASSERT_TRUE(writer.waitForStarted(5000));
        ASSERT_TRUE(writer.waitForReadyRead(10000)) << writer.readAllStandardError().toStdString();
        QThread::usleep(random.bounded(1000, 150000));
        writer.kill();
        writer.waitForFinished(5000);
        saves += writer.readAllStandardOutput().count("saved");

        for (const LintFinding& finding : LintContent(dir.path()))
            ASSERT_NE(finding.Severity, LintSeverity::Error)
                << "after kill " << kill << ": " << FormatLintFinding(finding).toStdString();
        Course course;
        CourseManifest manifest;
        QString problem;
        ASSERT_TRUE(LoadCoursePack(dir.path(), course, manifest, &problem))
            << problem.toStdString();
        EXPECT_TRUE(course.UnplacedPhraseLines.empty());
    }
    // The kills fell among the saves, not each right after the first one.
    EXPECT_GT(saves, 2 * 30);
}
