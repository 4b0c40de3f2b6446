// The course chooser at start-up when the course the settings name is gone
// (an unplugged stick, a deleted folder): the course left is offered, not
// an end after the splash.
#include "app/CourseChooser.h"
#include "app/InstalledCourses.h"
#include "support/TutorFixture.h"

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>

#include <functional>

namespace {

class CourseChoiceAtStart : public TutorFixture
{
protected:
    // Answers the chooser, when it shows, with answer; how often it showed
    // goes to shown.
    bool ChooseAnswering(const QString& settings, std::function<void(CourseChooser&)> answer)
    {
        QTimer watch;
        QObject::connect(&watch, &QTimer::timeout, [&] {
            if (auto* chooser = qobject_cast<CourseChooser*>(QApplication::activeModalWidget())) {
                ++shown;
                answer(*chooser);
            }
        });
        watch.start(10);
        return ChooseCourseAtStart(settings);
    }

    QString InstallCourse(const QString& name)
    {
        QDir().mkpath(installRoot + "/Courses/" + name + "/Sounds");
        WriteFile("install/Courses/" + name + "/Sounds/Tree.txt", name.toUtf8() + "\r\n");
        return QDir::cleanPath(installRoot + "/Courses/" + name);
    }

    int shown = 0;
};

} // namespace

TEST_F(CourseChoiceAtStart, AGoneCourseFolderOffersTheOneCourseLeft)
{
    contentRoot = dir.filePath("unplugged stick");
    const QString settings = WriteSettings();
    const QString installed = InstallCourse("Stress Basics");

    QString said;
    EXPECT_TRUE(ChooseAnswering(settings, [&](CourseChooser& chooser) {
        said = chooser.UnreadableCourse->isVisible() ? chooser.UnreadableCourse->text() : "";
        EXPECT_EQ(chooser.ListOfCourses->count(), 1);
        chooser.OpenButton->click();
    }));
    EXPECT_EQ(shown, 1);
    EXPECT_TRUE(said.contains("unplugged stick")) << said.toStdString();
    EXPECT_EQ(SettingsStore(settings).ReadValue("InstallCDDrive1331"), installed);
    // The stick stays a choice for when it is plugged in again.
    EXPECT_TRUE(RememberedContentFolders(installRoot + "/Courses").contains(contentRoot));

    // Quitting there ends the tutor and leaves the settings alone.
    const QString again = WriteSettings();
    EXPECT_FALSE(ChooseAnswering(again, [](CourseChooser& chooser) { chooser.reject(); }));
    EXPECT_EQ(shown, 2);
    EXPECT_EQ(SettingsStore(again).ReadValue("InstallCDDrive1331"), contentRoot);
}

TEST_F(CourseChoiceAtStart, NoChooserForOneReadableCourseOrWhenNoCourseIsLeft)
{
    // The one course the settings name opens: nothing to choose.
    const QString readable = WriteSettings();
    EXPECT_TRUE(ChooseAnswering(readable, [](CourseChooser& chooser) { chooser.reject(); }));
    // The folder is gone and no other course exists: the start-up window
    // ends saying which lesson tree it could not read.
    contentRoot = dir.filePath("unplugged stick");
    const QString gone = WriteSettings();
    EXPECT_TRUE(ChooseAnswering(gone, [](CourseChooser& chooser) { chooser.reject(); }));
    EXPECT_EQ(shown, 0);
    EXPECT_EQ(SettingsStore(gone).ReadValue("InstallCDDrive1331"), contentRoot);
}

TEST_F(CourseChoiceAtStart, CoursesOfOneTitleAreToldApartAndOthersKeepTheirs)
{
    // The settings name a content folder whose tree begins as the course
    // installed with the tutor does, and no manifest gives either a title.
    const QString packaged = dir.filePath("usr/share/tonvale-tutor/content");
    QDir().mkpath(packaged + "/Sounds");
    WriteFile("usr/share/tonvale-tutor/content/Sounds/Tree.txt", SampleTree);
    InstallCourse("Stress Basics");
    const QString title = CourseTitleOf(contentRoot);
    ASSERT_EQ(CourseTitleOf(packaged), title);

    int current = -1;
    const std::vector<InstalledCourse> courses =
        CoursesToChooseFrom(SettingsStore(WriteSettings()), packaged, current);
    QStringList titles;
    for (const InstalledCourse& course : courses)
        titles << course.Title;
    ASSERT_EQ(courses.size(), 3u) << titles.join(" | ").toStdString();
    EXPECT_TRUE(titles.contains(title + " (installed with the tutor)"))
        << titles.join(" | ").toStdString();
    EXPECT_TRUE(titles.contains(title + " (content)")) << titles.join(" | ").toStdString();
    EXPECT_TRUE(titles.contains("Stress Basics")) << titles.join(" | ").toStdString();
    ASSERT_GE(current, 0);
    EXPECT_EQ(courses[current].Folder, contentRoot);
}
