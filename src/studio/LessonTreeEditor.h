#pragma once
// The course's lesson tree as the studio edits it: the course title on top,
// topics (folders of entries) and categories (lists of phrases, with the
// code the studio chose) below. Entries are renamed in place (F2), moved by
// drag and drop or by keys (Alt+Up and Alt+Down among their siblings,
// Alt+Right into the topic above, Alt+Left out of their topic), added
// (Insert: a category, Shift+Insert: a topic) and deleted (Delete); every
// change is an edit of the course, undone with Ctrl+Z. A change the tutor
// could not read (a twentieth level exceeded, a slash in a name) is refused
// with the reason.
#include "course/CourseModel.h"

#include <QTreeWidget>

class CourseDocument;

class LessonTreeEditor : public QTreeWidget
{
    Q_OBJECT
public:
    LessonTreeEditor(CourseDocument& document, QWidget* parent = nullptr);

    // Fills the tree from the course, keeping the selected entry.
    void Rebuild();
    NodePath SelectedPath() const;
    void SelectPath(const NodePath& path);
    QTreeWidgetItem* ItemAt(const NodePath& path) const;
    static NodePath PathOf(const QTreeWidgetItem* item);

    // The key actions, also offered by the studio's menus.
    void MoveSelected(int delta);
    void IndentSelected();
    void OutdentSelected();
    void AddEntry(bool category);
    void DeleteSelected();
    // Where a dragged entry lands relative to the entry under it.
    enum class DropPlace { Onto, Above, Below, Outside };
    // A drop of the entry at from onto target, as the drag and drop does it.
    void DropOnto(const NodePath& from, QTreeWidgetItem* target, DropPlace place);

signals:
    // An edit was refused; why, for the teacher.
    void Problem(const QString& why);
    void Done(const QString& what);

protected:
    void dropEvent(QDropEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void Move(const NodePath& from, const NodePath& toParent, int index);
    void Report(const QString& problem, const QString& done);
    void RenameItem(QTreeWidgetItem* item, int column);
    void CommitOpenEditor();

    CourseDocument& document;
    bool rebuilding = false;
};
