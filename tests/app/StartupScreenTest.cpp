#include "app/CommonVar.h"
#include "app/Main.h"
#include "navigation/TreeNode.h"
#include "support/TutorFixture.h"

#include <QFile>
#include <QTest>

namespace {

class StartupScreen : public TutorFixture
{
protected:
    Main* Start(
        const QString& settingsFile, MountLister mounts = [] { return std::vector<MountPoint>{}; })
    {
        auto* start = new Main(SettingsStore(settingsFile), std::move(mounts));
        start->show();
        return start;
    }
};

} // namespace

TEST_F(StartupScreen, SplashThenLessonTree)
{
    Main* start = Start(WriteSettings());
    EXPECT_TRUE(start->Welcome->isVisible());
    EXPECT_FALSE(start->CDLoad->isVisible());
    EXPECT_FALSE(start->MainExit->isVisible());
    EXPECT_FALSE(start->MainContinue->isVisible());
    EXPECT_FALSE(start->BadRegistry->isVisible());
    EXPECT_TRUE(start->MainStartTimer->isActive());
    EXPECT_EQ(start->MainStartTimer->interval(), 2000);
    EXPECT_EQ(SoundsFolder, contentRoot + "/Sounds/");

    start->MainStartTimer_Timer();
    EXPECT_FALSE(start->MainStartTimer->isActive());
    EXPECT_FALSE(start->isVisible());
    auto* tree = qobject_cast<TreeNode*>(VisibleScreen("TreeNode"));
    ASSERT_NE(tree, nullptr);
    EXPECT_EQ(tree->ListOfNodes->count(), 3);
    EXPECT_EQ(CurrentNode, 0);
    EXPECT_EQ(PreviousNode, -1);
    EXPECT_EQ(endCount, 0);
}

TEST_F(StartupScreen, WaitsForTheDiscAndFindsItLater)
{
    QString mount;
    Main* start = Start(WriteSettings(false), [&mount] {
        std::vector<MountPoint> mounts;
        if (!mount.isEmpty()) mounts.push_back({mount, "iso9660"});
        return mounts;
    });
    EXPECT_TRUE(start->CDLoad->isVisible());
    EXPECT_TRUE(start->MainContinue->isVisible());
    EXPECT_TRUE(start->MainExit->isVisible());
    EXPECT_TRUE(start->MainCDLoadTimer->isActive());
    EXPECT_EQ(start->MainCDLoadTimer->interval(), 30000);

    // OK while the disc is still missing keeps the prompt and the re-check.
    QTest::mouseClick(start->MainContinue, Qt::LeftButton);
    EXPECT_TRUE(start->CDLoad->isVisible());
    EXPECT_TRUE(start->MainCDLoadTimer->isActive());

    // The timer's re-check goes on while the disc is missing.
    start->MainCDLoadTimer_Timer();
    EXPECT_TRUE(start->MainCDLoadTimer->isActive());

    // OK after the disc arrives: splash, and the re-check stops so the tree
    // cannot be opened twice.
    mount = contentRoot;
    QTest::mouseClick(start->MainContinue, Qt::LeftButton);
    EXPECT_FALSE(start->CDLoad->isVisible());
    EXPECT_FALSE(start->MainContinue->isVisible());
    EXPECT_FALSE(start->MainCDLoadTimer->isActive());
    EXPECT_TRUE(start->MainStartTimer->isActive());
    EXPECT_EQ(ContentRoot, contentRoot);
}

TEST_F(StartupScreen, DamagedSettingsOfferOnlyCancel)
{
    WriteFile("damaged.conf", "[InstallDir]\nInstallDir=/i\n[OrntVr]\n");
    Main* start = Start(dir.filePath("damaged.conf"));
    EXPECT_TRUE(start->BadRegistry->isVisible());
    EXPECT_EQ(start->BadRegistry->text(),
              "ERROR!!!!       Please uninstall Tonvale Tutor and install it  again");
    EXPECT_TRUE(start->MainExit->isVisible());
    EXPECT_FALSE(start->MainContinue->isVisible());
    EXPECT_FALSE(start->MainStartTimer->isActive());
    EXPECT_FALSE(start->MainCDLoadTimer->isActive());

    QTest::mouseClick(start->MainExit, Qt::LeftButton);
    EXPECT_EQ(endCount, 1);

    // Closed from its frame instead, the window ends the tutor too: hidden,
    // it would keep the tutor running with nothing on the screen.
    Main* again = Start(dir.filePath("damaged.conf"));
    again->close();
    EXPECT_EQ(endCount, 2);
}

TEST_F(StartupScreen, UnreadableLessonTreeEndsTheTutorWithAReason)
{
    QFile::remove(contentRoot + "/Sounds/Tree.txt");
    Main* start = Start(WriteSettings());
    testing::internal::CaptureStderr();
    start->MainStartTimer_Timer();
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(endCount, 1);
    EXPECT_NE(err.find((contentRoot + "/Sounds/Tree.txt").toStdString()), std::string::npos);
    EXPECT_EQ(VisibleScreen("TreeNode"), nullptr);
}
