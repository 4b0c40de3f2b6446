#include "app/CourseChooser.h"

#include "app/FirstRun.h"
#include "widgets/UntrustedText.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

#include <cstdio>

namespace {

QString Canonical(const QString& folder)
{
    const QString canonical = QFileInfo(folder).canonicalFilePath();
    return canonical.isEmpty() ? QDir::cleanPath(folder) : canonical;
}

// A lesson tree that is only listed is no course: an unplugged stick can
// leave its folder behind, and a tree the learner may not read opens nothing.
bool HoldsReadableLessonTree(const QString& folder)
{
    QFile tree(QDir(folder).filePath("Sounds/Tree.txt"));
    return QFileInfo(tree).isFile() && tree.open(QIODevice::ReadOnly);
}

// The content folder the settings name when it is gone (an unplugged stick,
// a deleted course); empty when it opens, or the settings name none and the
// media are searched instead.
QString UnreadableContentFolder(const SettingsStore& settings)
{
    const std::optional<QString> content = settings.ReadValue("InstallCDDrive1331");
    return content && !HoldsReadableLessonTree(*content) ? *content : QString();
}

// Two courses of one title (a content folder whose manifest gives none, or
// the same, as the course installed with the tutor) would be two rows alike:
// each of them gets what tells it apart, a word that it came with the tutor
// or its folder's name, or its whole folder when the names are alike too.
void TellApartCoursesOfOneTitle(std::vector<InstalledCourse>& courses,
                                const QString& packagedContent)
{
    const QString packaged = packagedContent.isEmpty() ? QString() : Canonical(packagedContent);
    const auto isPackaged = [&packaged](const InstalledCourse& course) {
        return Canonical(course.Folder) == packaged;
    };
    const auto folderName = [](const InstalledCourse& course) {
        return QFileInfo(QDir::cleanPath(course.Folder)).fileName();
    };
    QStringList titles;
    QStringList named; // title and folder name of each course not packaged
    for (const InstalledCourse& course : courses) {
        titles << course.Title;
        if (!isPackaged(course)) named << course.Title + '\n' + folderName(course);
    }
    for (InstalledCourse& course : courses) {
        if (titles.count(course.Title) < 2) continue;
        QString apart = folderName(course);
        if (isPackaged(course))
            apart = "installed with the tutor";
        else if (apart.isEmpty() || named.count(course.Title + '\n' + apart) > 1)
            apart = QDir::toNativeSeparators(course.Folder);
        course.Title += QString(" (%1)").arg(apart);
    }
}

} // namespace

CourseChooser::CourseChooser(const std::vector<InstalledCourse>& list, int current,
                             const QString& unreadableFolder)
    : courses(list)
{
    setObjectName("CourseChooser");
    setWindowTitle("Tonvale Tutor");
    UnreadableCourse = new QLabel(this);
    UnreadableCourse->setObjectName("UnreadableCourse");
    UnreadableCourse->setTextFormat(Qt::PlainText); // a folder name, as written
    UnreadableCourse->setWordWrap(true);
    UnreadableCourse->setText(
        QString("The course used last cannot be opened: %1 holds no readable Sounds/Tree.txt.")
            .arg(QDir::toNativeSeparators(unreadableFolder)));
    UnreadableCourse->setVisible(!unreadableFolder.isEmpty());
    auto* label = new QLabel("Choose a course:", this);
    ListOfCourses = new QListWidget(this);
    ListOfCourses->setObjectName("ListOfCourses");
    ListOfCourses->setAccessibleName("Courses");
    ListOfCourses->setAccessibleDescription("The courses installed; Enter opens the one selected");
    label->setBuddy(ListOfCourses);
    for (const InstalledCourse& course : courses) {
        auto* item = new QListWidgetItem(course.Title, ListOfCourses);
        item->setToolTip(PlainToolTip(course.Folder));
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
    layout->addWidget(UnreadableCourse);
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

std::vector<InstalledCourse> CoursesToChooseFrom(const SettingsStore& settings,
                                                 const QString& packagedContent, int& current)
{
    std::vector<InstalledCourse> courses = ListInstalledCourses(InstalledCoursesFolder(settings));
    const auto indexOf = [&courses](const QString& folder) {
        const QString wanted = Canonical(folder);
        for (size_t i = 0; i < courses.size(); ++i) {
            if (Canonical(courses[i].Folder) == wanted) return static_cast<int>(i);
        }
        return -1;
    };
    const auto holdsLessons = [](const QString& folder) {
        return !folder.isEmpty() && HoldsReadableLessonTree(folder);
    };
    // The course that came with the tutor, and the content the settings
    // named before courses were installed (a disc, a folder), stay choices.
    QStringList others = RememberedContentFolders(InstalledCoursesFolder(settings));
    others.prepend(packagedContent);
    for (const QString& other : others) {
        if (holdsLessons(other) && indexOf(other) < 0)
            courses.insert(courses.begin(), {other, CourseTitleOf(other)});
    }
    const std::optional<QString> content = settings.ReadValue("InstallCDDrive1331");
    current = content ? indexOf(*content) : -1;
    if (content && current < 0 && holdsLessons(*content)) {
        courses.insert(courses.begin(), {*content, CourseTitleOf(*content)});
        current = 0;
    }
    TellApartCoursesOfOneTitle(courses, packagedContent);
    return courses;
}

bool ChooseCourseAtStart(const QString& commandLineSettingsFile, bool automatic)
{
    const SettingsStore settings(SettingsStore::ChooseFile(commandLineSettingsFile));
    if (InstallationInUseElsewhere(settings)) return true;
    int current = -1;
    const std::vector<InstalledCourse> courses = CoursesToChooseFrom(
        settings, InstalledFoldersBeside(QCoreApplication::applicationDirPath()).ContentFolder,
        current);
    // With one course there is nothing to choose, unless the one the
    // settings name is gone: the tutor would end at once with the other in
    // reach. With none, it ends saying which tree it could not read.
    const QString unreadable = UnreadableContentFolder(settings);
    if (courses.empty() || (courses.size() < 2 && unreadable.isEmpty())) return true;
    if (automatic) {
        std::printf("tonvale-tutor: %zu courses to choose from; the one used last is %s\n",
                    courses.size(), current >= 0 ? qPrintable(courses[current].Title) : "none");
        return true;
    }
    CourseChooser chooser(courses, current, unreadable);
    if (chooser.exec() != QDialog::Accepted) return false;
    const QString chosen = chooser.ChosenFolder();
    if (chosen.isEmpty() || (current >= 0 && chosen == courses[current].Folder)) return true;
    // The course that could not be read (a stick left at home) stays a
    // choice for when it is back.
    if (!unreadable.isEmpty()) RememberContentFolder(InstalledCoursesFolder(settings), unreadable);
    QString problem;
    if (!PointSettingsAtContent(settings.Path(), chosen, &problem)) {
        // The tutor goes on with the course it had; the learner must know why.
        std::fprintf(stderr, "tonvale-tutor: %s\n", qPrintable(problem));
        ShowPlainMessage(nullptr, QMessageBox::Warning, "Tonvale Tutor",
                         QString("The course could not be changed: %1.\n\nThe tutor opens the "
                                 "course it used before.")
                             .arg(problem));
    }
    return true;
}
