#include "studio/LessonTreeEditor.h"

#include "course/CourseDocument.h"
#include "widgets/UntrustedText.h"

#include <QDropEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>

namespace {

constexpr int PathRole = Qt::UserRole;
constexpr int NameRole = Qt::UserRole + 1; // the name the course held when the item was made

QTreeWidgetItem* MakeItem(const CourseNode& node, const NodePath& path)
{
    auto* item = new QTreeWidgetItem;
    item->setText(0, node.Name);
    item->setText(1, node.IsCategory ? node.Code : QString());
    QVariantList indices;
    for (int index : path)
        indices << index;
    item->setData(0, PathRole, indices);
    item->setData(0, NameRole, node.Name);
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable;
    if (!path.empty()) flags |= Qt::ItemIsDragEnabled;
    if (!node.IsCategory) flags |= Qt::ItemIsDropEnabled;
    item->setFlags(flags);
    const QString kind = path.empty()      ? QString("The course")
                         : node.IsCategory ? QString("Category")
                                           : QString("Topic");
    const QString about = node.IsCategory
                              ? QString("%1 %2: %3 phrases")
                                    .arg(kind, node.Code, QString::number(node.Phrases.size()))
                              : kind;
    item->setToolTip(0, PlainToolTip(about));
    item->setData(0, Qt::AccessibleDescriptionRole, about);
    return item;
}

void AddChildren(QTreeWidgetItem* parent, const CourseNode& node, NodePath& path)
{
    for (size_t i = 0; i < node.Children.size(); ++i) {
        path.push_back(static_cast<int>(i));
        QTreeWidgetItem* item = MakeItem(node.Children[i], path);
        parent->addChild(item);
        AddChildren(item, node.Children[i], path);
        path.pop_back();
    }
}

NodePath ParentOf(const NodePath& path)
{
    return NodePath(path.begin(), path.end() - 1);
}

} // namespace

LessonTreeEditor::LessonTreeEditor(CourseDocument& doc, QWidget* parent)
    : QTreeWidget(parent), document(doc)
{
    setObjectName("LessonTree");
    setAccessibleName("Lesson tree");
    setAccessibleDescription("F2 renames, Alt with the arrows moves, Insert adds a category, "
                             "Shift+Insert a topic, Delete deletes");
    setColumnCount(2);
    setHeaderLabels({"Lesson tree", "Code"});
    header()->setStretchLastSection(false);
    header()->setSectionResizeMode(0, QHeaderView::Stretch);
    header()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setDragDropMode(QAbstractItemView::InternalMove);
    setDefaultDropAction(Qt::MoveAction);
    setEditTriggers(QAbstractItemView::EditKeyPressed | QAbstractItemView::DoubleClicked);
    connect(this, &QTreeWidget::itemChanged, this, &LessonTreeEditor::RenameItem);
}

NodePath LessonTreeEditor::PathOf(const QTreeWidgetItem* item)
{
    NodePath path;
    if (item == nullptr) return path;
    for (const QVariant& index : item->data(0, PathRole).toList())
        path.push_back(index.toInt());
    return path;
}

QTreeWidgetItem* LessonTreeEditor::ItemAt(const NodePath& path) const
{
    QTreeWidgetItem* item = topLevelItem(0);
    for (int index : path) {
        if (item == nullptr || index < 0 || index >= item->childCount()) return nullptr;
        item = item->child(index);
    }
    return item;
}

NodePath LessonTreeEditor::SelectedPath() const
{
    const QList<QTreeWidgetItem*> selected = selectedItems();
    return selected.isEmpty() ? NodePath{} : PathOf(selected.front());
}

void LessonTreeEditor::SelectPath(const NodePath& path)
{
    if (QTreeWidgetItem* item = ItemAt(path)) {
        setCurrentItem(item);
        scrollToItem(item);
    }
}

void LessonTreeEditor::Rebuild()
{
    const NodePath selected = SelectedPath();
    CommitOpenEditor();
    rebuilding = true;
    clear();
    if (document.IsOpen()) {
        const Course& course = document.Current();
        NodePath path;
        QTreeWidgetItem* root = MakeItem(course.Root, path);
        addTopLevelItem(root);
        AddChildren(root, course.Root, path);
        expandAll();
    }
    rebuilding = false;
    SelectPath(ItemAt(selected) ? selected : NodePath{});
}

void LessonTreeEditor::CommitOpenEditor()
{
    // Clearing the tree would destroy a name being typed in place; it is
    // saved as Return would save it.
    if (state() != QAbstractItemView::EditingState) return;
    for (QLineEdit* editor : viewport()->findChildren<QLineEdit*>(Qt::FindDirectChildrenOnly)) {
        commitData(editor);
        closeEditor(editor, QAbstractItemDelegate::NoHint);
    }
}

void LessonTreeEditor::Report(const QString& problem, const QString& done)
{
    if (!problem.isEmpty())
        emit Problem(problem);
    else
        emit Done(done);
}

void LessonTreeEditor::RenameItem(QTreeWidgetItem* item, int column)
{
    if (rebuilding || column != 0) return;
    // The tree is built again after the edit; not while the view is still
    // inside the item's change.
    const NodePath path = PathOf(item);
    const QString name = item->text(0);
    const QString before = item->data(0, NameRole).toString();
    QMetaObject::invokeMethod(
        this,
        [this, path, name, before] {
            // A name typed before a change that moved the entries (an undo,
            // say) would otherwise land on the entry now standing there.
            const CourseNode* node = NodeAt(document.Current(), path);
            if (node == nullptr || node->Name != before) {
                emit Problem(
                    QString("\"%1\" moved while it was renamed; rename it again.").arg(before));
                Rebuild();
                return;
            }
            const QString problem = document.RenameNode(path, name);
            Report(problem, "Renamed");
            if (!problem.isEmpty()) Rebuild(); // back to the name the course keeps
            SelectPath(path);
        },
        Qt::QueuedConnection);
}

void LessonTreeEditor::Move(const NodePath& from, const NodePath& toParent, int index)
{
    NodePath movedTo;
    const QString problem = document.MoveNode(from, toParent, index, &movedTo);
    Report(problem, "Moved");
    SelectPath(problem.isEmpty() ? movedTo : from);
}

void LessonTreeEditor::MoveSelected(int delta)
{
    const NodePath path = SelectedPath();
    if (path.empty()) return;
    const int index = path.back() + delta;
    const CourseNode* parent = NodeAt(document.Current(), ParentOf(path));
    if (index < 0 || parent == nullptr || index >= static_cast<int>(parent->Children.size()))
        return;
    // Down by one means: in front of the sibling after the next.
    Move(path, ParentOf(path), delta > 0 ? index + 1 : index);
}

void LessonTreeEditor::IndentSelected()
{
    const NodePath path = SelectedPath();
    if (path.empty() || path.back() == 0) return;
    NodePath above = ParentOf(path);
    above.push_back(path.back() - 1);
    const CourseNode* target = NodeAt(document.Current(), above);
    Move(path, above, target ? static_cast<int>(target->Children.size()) : 0);
}

void LessonTreeEditor::OutdentSelected()
{
    const NodePath path = SelectedPath();
    if (path.size() < 2) return;
    const NodePath parent = ParentOf(path);
    Move(path, ParentOf(parent), parent.back() + 1);
}

void LessonTreeEditor::AddEntry(bool category)
{
    NodePath path = SelectedPath();
    const CourseNode* selected = NodeAt(document.Current(), path);
    // Into a selected topic (or the course), else after the selected category.
    NodePath parent = path;
    int index = selected ? static_cast<int>(selected->Children.size()) : 0;
    if (selected == nullptr || selected->IsCategory) {
        if (path.empty()) return;
        parent = ParentOf(path);
        index = path.back() + 1;
    }
    const QString name = category ? QString("New Category") : QString("New Topic");
    const QString problem = category ? document.AddCategory(parent, index, name)
                                     : document.AddTopic(parent, index, name);
    Report(problem, category ? "Category added" : "Topic added");
    if (!problem.isEmpty()) return;
    SelectPath(CourseDocument::ChildPath(parent, index));
    if (QTreeWidgetItem* item = currentItem()) editItem(item, 0);
}

void LessonTreeEditor::DeleteSelected()
{
    const NodePath path = SelectedPath();
    if (path.empty()) return;
    const QString name = NodeAt(document.Current(), path)->Name;
    const QString problem = document.RemoveNode(path);
    Report(problem, QString("Deleted \"%1\" (Ctrl+Z brings it back)").arg(name));
    if (problem.isEmpty()) {
        NodePath next = path;
        if (!ItemAt(next)) {
            if (next.back() > 0)
                --next.back();
            else
                next.pop_back();
        }
        SelectPath(next);
    }
}

void LessonTreeEditor::DropOnto(const NodePath& from, QTreeWidgetItem* target, DropPlace place)
{
    if (target == nullptr || place == DropPlace::Outside) {
        const CourseNode& root = document.Current().Root;
        Move(from, {}, static_cast<int>(root.Children.size()));
        return;
    }
    const NodePath targetPath = PathOf(target);
    if (place == DropPlace::Onto) {
        const CourseNode* node = NodeAt(document.Current(), targetPath);
        Move(from, targetPath, node ? static_cast<int>(node->Children.size()) : 0);
        return;
    }
    if (targetPath.empty()) return; // nothing goes beside the course itself
    Move(from, ParentOf(targetPath), targetPath.back() + (place == DropPlace::Below ? 1 : 0));
}

void LessonTreeEditor::dropEvent(QDropEvent* event)
{
    // The course moves the entry; the tree is then built again from it, so
    // the view's own moving of items is not used.
    const NodePath from = SelectedPath();
    QTreeWidgetItem* target = itemAt(event->position().toPoint());
    DropPlace place = DropPlace::Outside;
    switch (dropIndicatorPosition()) {
    case OnItem:
        place = DropPlace::Onto;
        break;
    case AboveItem:
        place = DropPlace::Above;
        break;
    case BelowItem:
        place = DropPlace::Below;
        break;
    case OnViewport:
        break;
    }
    event->setDropAction(Qt::IgnoreAction);
    event->accept();
    if (!from.empty()) DropOnto(from, target, place);
}

void LessonTreeEditor::keyPressEvent(QKeyEvent* event)
{
    const bool alt = event->modifiers() & Qt::AltModifier;
    if (alt && event->key() == Qt::Key_Up)
        MoveSelected(-1);
    else if (alt && event->key() == Qt::Key_Down)
        MoveSelected(+1);
    else if (alt && event->key() == Qt::Key_Right)
        IndentSelected();
    else if (alt && event->key() == Qt::Key_Left)
        OutdentSelected();
    else if (event->key() == Qt::Key_Insert)
        AddEntry(!(event->modifiers() & Qt::ShiftModifier));
    else if (event->key() == Qt::Key_Delete)
        DeleteSelected();
    else
        QTreeWidget::keyPressEvent(event);
}
