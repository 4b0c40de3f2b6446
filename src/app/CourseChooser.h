#pragma once
// The start-up step for a learner with several courses: a small window that
// lists them (the courses installed from shared archives, and the content
// folder the settings name when it is none of them) with the one used last
// selected, before the tutor locates its content and opens the lesson tree.
// With fewer than two courses there is nothing to choose and it never shows,
// unless the content folder the settings name cannot be read: then the
// course left is offered rather than the tutor ending at once.
#include "app/InstalledCourses.h"

#include <QDialog>

#include <vector>

class QLabel;
class QListWidget;
class QPushButton;

class CourseChooser : public QDialog
{
    Q_OBJECT
public:
    // unreadableFolder: the content folder the settings name when it cannot
    // be read; the chooser then says so above the list.
    CourseChooser(const std::vector<InstalledCourse>& courses, int current,
                  const QString& unreadableFolder = QString());

    QLabel* UnreadableCourse;
    QListWidget* ListOfCourses;
    QPushButton* OpenButton;
    QPushButton* QuitButton;

    // The chosen course's folder (after the dialog was accepted).
    QString ChosenFolder() const;

private:
    std::vector<InstalledCourse> courses;
};

// The courses to choose among, for the settings the tutor reads, and which
// of them is the one used last (-1 when none is): the installed courses,
// the content folder the settings name, the content folders named before
// courses were installed, and the course installed with the tutor
// (packagedContent, when it exists).
std::vector<InstalledCourse> CoursesToChooseFrom(const SettingsStore& settings,
                                                 const QString& packagedContent, int& current);

// Shows the chooser when there is a choice, or when the content folder the
// settings name cannot be read and another course can, and points the
// settings at the course chosen. False when the learner quit instead. With
// automatic set (the start-up check) the course used last is taken without
// asking. On an installation another tutor runs on, it shows nothing and
// changes nothing; otherwise it takes the installation's lock.
bool ChooseCourseAtStart(const QString& commandLineSettingsFile, bool automatic = false);
