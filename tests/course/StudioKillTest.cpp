// A studio killed at any moment leaves a pack the tutor and tvtool lint
// read whole: a child process edits and saves a course over and over and is
// killed at random points; after every kill the pack opens and lints without
// an error.
#include "course/CoursePack.h"
#include "course/CourseTestSupport.h"
#include "authoring/ContentLint.h"

#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

namespace {

void ExpectWholePack(const QString& folder, const QString& when)
{
    for (const LintFinding& finding : LintContent(folder))
        ASSERT_NE(finding.Severity, LintSeverity::Error)
            << when.toStdString() << ": " << FormatLintFinding(finding).toStdString();
    Course course;
    CourseManifest manifest;
    QString problem;
    ASSERT_TRUE(LoadCoursePack(folder, course, manifest, &problem)) << problem.toStdString();
    EXPECT_TRUE(course.UnplacedPhraseLines.empty()) << when.toStdString();
}

} // namespace

TEST(StudioKilled, EveryKillLeavesAPackThatOpensAndLintsWithoutErrors)
{
    QTemporaryDir dir;
    WriteSmallCourse(dir.path());
    // A round of edits writes 25 files (five saves of five); each run starts
    // a round afresh, so killing run k at its k-th file meets every gap
    // between two files once. Then kills at random moments, inside writes.
    QRandomGenerator random(20260101);
    for (int kill = 1; kill <= 25 + 10; ++kill) {
        QProcess writer;
        writer.start(TONVALE_BINARY_DIR "/tests/tvcourse-writer", {dir.path()});
        ASSERT_TRUE(writer.waitForStarted(5000));
        QByteArray said;
        const int gap = kill <= 25 ? kill : int(random.bounded(1, 25));
        while (said.count("file") < gap && writer.waitForReadyRead(10000))
            said += writer.readAllStandardOutput();
        ASSERT_GE(said.count("file"), gap) << writer.readAllStandardError().toStdString();
        if (kill > 25) QThread::usleep(random.bounded(0, 12000));
        writer.kill();
        writer.waitForFinished(5000);
        ExpectWholePack(dir.path(), QString("killed at file %1").arg(gap));
    }
}
