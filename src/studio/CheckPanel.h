#pragma once
// The content check (tvtool lint's checks) run again after every change of
// the course, one line per problem; activating a line shows the entry or the
// phrase it is about.
#include "course/CourseModel.h"

#include <QWidget>

class QLabel;
class QListWidget;
class QListWidgetItem;
class QTimer;

class CheckPanel : public QWidget
{
    Q_OBJECT
public:
    explicit CheckPanel(QWidget* parent = nullptr);

    QLabel* Summary;
    QListWidget* ListOfProblems;

    // Checks the pack in folder (after a short pause, so a burst of edits is
    // checked once); course maps the problems' lines to entries.
    void Schedule(const QString& folder, const Course& course);
    // Checks at once.
    void CheckNow();
    int ErrorCount() const { return errors; }

signals:
    // A problem line about a tree entry (phraseIndex -1) or a phrase.
    void ShowEntry(const NodePath& node, int phraseIndex);

private:
    void Activate(QListWidgetItem* item);

    QString folder;
    Course course;
    QTimer* pause;
    int errors = 0;
};
