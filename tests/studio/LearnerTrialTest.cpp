// "Try as a Learner" opens the course being built, also where the tutor
// was installed with a course of its own beside it, as a package lays out.
#include "studio/LearnerTrial.h"
#include "support/TutorFixture.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>

namespace {

class LearnerTrial : public TutorFixture
{
};

} // namespace

TEST_F(LearnerTrial, TheTutorOpensTheCourseBeingBuiltWithoutOfferingTheInstalledOne)
{
    const QString prefix = dir.filePath("usr");
    ASSERT_TRUE(QDir().mkpath(prefix + "/bin"));
    ASSERT_TRUE(
        QFile::copy(TONVALE_BINARY_DIR "/src/tonvale-tutor", prefix + "/bin/tonvale-tutor"));
    ASSERT_TRUE(QDir().mkpath(prefix + "/share/tonvale-tutor/content/Sounds"));
    WriteFile("usr/share/tonvale-tutor/content/Sounds/Tree.txt", "Demo\r\n*Intro / 10\r\n");

    const QString trial = dir.filePath("trial");
    QString problem;
    ASSERT_TRUE(PrepareLearnerTrial(contentRoot, trial, TONVALE_BINARY_DIR "/src", &problem))
        << problem.toStdString();
    QProcess tutor;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    environment.insert("XDG_DATA_HOME", trial + "/share");
    environment.insert("TONVALE_HISTORY", trial + "/history");
    tutor.setProcessEnvironment(environment);
    tutor.start(prefix + "/bin/tonvale-tutor", LearnerTrialArguments(trial) << "--check-startup");
    ASSERT_TRUE(tutor.waitForFinished(60000));
    const QByteArray said = tutor.readAllStandardOutput();
    EXPECT_EQ(tutor.exitCode(), 0) << tutor.readAllStandardError().toStdString();
    EXPECT_TRUE(said.contains("lesson tree shown")) << said.toStdString();
    EXPECT_FALSE(said.contains("courses to choose from")) << said.toStdString();
}
