// The studio's work in the background (a recording analysed into a phrase
// file, a course installed through the tutor) and what the teacher does
// meanwhile: the result reaches the course it was made for, edits and
// typing made during it are kept, and the window stays usable.
#include "course/CourseTestSupport.h"
#include "studio/PhrasePanel.h"
#include "studio/StudioFixture.h"

#include <QAction>
#include <QLineEdit>
#include <QListWidget>
#include <QStatusBar>

class StudioBackgroundWork : public StudioFixture
{
protected:
    void SetUp() override
    {
        StudioFixture::SetUp();
        recording = dir.filePath("take.wav");
        ASSERT_TRUE(WriteVoiceRecording(recording));
        window->Tree->SelectPath({1});
    }

    void AddPhrase(const QString& text)
    {
        PhrasePanel* panel = window->Panel;
        ASSERT_TRUE(panel->ImportPhrase(recording, text, {})) << Problem().toStdString();
        panel->WaitUntilIdle();
        QCoreApplication::processEvents();
    }

    QString recording;
};

// The tutor's installation runs beside the window, which says why when it
// fails: here the tests' folder holds no tutor to start.
TEST_F(StudioBackgroundWork, InstallingSaysWhyTheTutorCouldNotInstall)
{
    const QString prefix = "The course was not installed: ";
    window->InstallForThisUser();
    ASSERT_TRUE(QTest::qWaitFor([this] { return !Problem().isEmpty(); }, 10000));
    EXPECT_TRUE(Problem().startsWith(prefix)) << Problem().toStdString();
    EXPECT_FALSE(Problem().mid(prefix.size()).trimmed().isEmpty()) << Problem().toStdString();
}

// The window goes on while the tutor installs; a second install waits for
// the first, and the tutor's own word ends it.
TEST_F(StudioBackgroundWork, InstallingRunsBesideTheWindowOneAtATime)
{
    const QString stopFile = dir.filePath("stop");
    window->Tutor = dir.filePath("tutor.sh");
    ASSERT_TRUE(
        WriteBytes(window->Tutor, QString("#!/bin/sh\nwhile [ ! -e '%1' ]; do sleep 0.05; done\n"
                                          "echo 'tonvale-tutor: installed \"Test Course\"'\n")
                                      .arg(stopFile)
                                      .toUtf8()));
    QFile::setPermissions(window->Tutor, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

    ASSERT_TRUE(window->InstallForThisUser()) << Problem().toStdString();
    EXPECT_FALSE(window->InstallForThisUser());
    EXPECT_TRUE(Problem().contains("being installed")) << Problem().toStdString();
    EXPECT_FALSE(window->close());
    ASSERT_TRUE(WriteBytes(stopFile, ""));
    ASSERT_TRUE(QTest::qWaitFor([this] { return !window->Installing(); }, 10000));
    EXPECT_TRUE(window->statusBar()->currentMessage().contains("installed \"Test Course\""))
        << window->statusBar()->currentMessage().toStdString();
    EXPECT_TRUE(window->close());
}
