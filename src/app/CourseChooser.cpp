#include "app/CourseChooser.h"

#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include <cstdio>

namespace {

QString Canonical(const QString& folder)
{
    const QString canonical = QFileInfo(folder).canonicalFilePath();
    return canonical.isEmpty() ? QDir::cleanPath(folder) : canonical;
}

} // namespace

CourseChooser::CourseChooser(const std::vector<InstalledCourse>& list, int current) : courses(list)
{
    setObjectName("CourseChooser");
    setWindowTitle("Tonvale Tutor");
    auto* label = new QLabel("Choose a course:", this);
    ListOfCourses = new QListWidget(this);
    ListOfCourses->setObjectName("ListOfCourses");
    ListOfCourses->setAccessibleName("Courses");
    ListOfCourses->setAccessibleDescription("The courses installed; Enter opens the one selected");
    label->setBuddy(ListOfCourses);
    for (const InstalledCourse& course : courses) {
        auto* item = new QListWidgetItem(course.Title, ListOfCourses);
        item->setToolTip(course.Folder);
    }
    ListOfCourses->setCurrentRow(current >= 0 ? current : 0);

    OpenButton = new QPushButton("Open", this);
    OpenButton->setObjectName("OpenButton");
    OpenButton->setDefault(true);
    OpenButton->setAccessibleDescription("Open the course selected");
    QuitButton = new QPushButton("Quit", this);
    QuitButton->setObjectName("QuitButton");
    QuitButton->setAccessibleDescription("Quit Tonvale Tutor");

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(OpenButton);
    buttons->addWidget(QuitButton);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addWidget(ListOfCourses);
    layout->addLayout(buttons);
    resize(420, 300);

    connect(OpenButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(QuitButton, &QPushButton::clicked, this, &QDialog::reject);
    connect(ListOfCourses, &QListWidget::itemActivated, this, &QDialog::accept);
    ListOfCourses->setFocus();
}

QString CourseChooser::ChosenFolder() const
{
    const int row = ListOfCourses->currentRow();
    return row >= 0 && row < static_cast<int>(courses.size()) ? courses[row].Folder : QString();
}

std::vector<InstalledCourse> CoursesToChooseFrom(const SettingsStore& settings, int& current)
{
    std::vector<InstalledCourse> courses = ListInstalledCourses(InstalledCoursesFolder(settings));
    current = -1;
    const std::optional<QString> content = settings.ReadValue("InstallCDDrive1331");
    if (!content) return courses;
    const QString used = Canonical(*content);
    for (size_t i = 0; i < courses.size(); ++i) {
        if (Canonical(courses[i].Folder) == used) current = static_cast<int>(i);
    }
    // The content the settings named before any course was installed (the
    // demo course of a package, a disc) stays one of the choices.
    if (current < 0 && QFileInfo(QDir(*content).filePath("Sounds/Tree.txt")).isFile()) {
        courses.insert(courses.begin(), {*content, CourseTitleOf(*content)});
        current = 0;
    }
    return courses;
}

bool ChooseCourseAtStart(const QString& commandLineSettingsFile)
{
    const SettingsStore settings(SettingsStore::ChooseFile(commandLineSettingsFile));
    int current = -1;
    const std::vector<InstalledCourse> courses = CoursesToChooseFrom(settings, current);
    if (courses.size() < 2) return true;
    CourseChooser chooser(courses, current);
    if (chooser.exec() != QDialog::Accepted) return false;
    const QString chosen = chooser.ChosenFolder();
    if (chosen.isEmpty() || (current >= 0 && chosen == courses[current].Folder)) return true;
    QString problem;
    if (!PointSettingsAtContent(settings.Path(), chosen, &problem))
        std::fprintf(stderr, "tonvale-tutor: %s\n", qPrintable(problem));
    return true;
}
