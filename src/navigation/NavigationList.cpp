#include "navigation/NavigationList.h"

#include <QKeyEvent>

NavigationList::NavigationList(QWidget* parent) : QListWidget(parent)
{
    setSelectionMode(QAbstractItemView::SingleSelection);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // Every row is one line of the same font: sizing one row sizes them all,
    // where measuring each of a few hundred thousand texts froze the screen.
    setUniformItemSizes(true);
}

int NavigationList::SelectedPosition() const
{
    const QModelIndexList selected = selectionModel()->selectedIndexes();
    return selected.isEmpty() ? -1 : selected.first().row();
}

void NavigationList::SelectPosition(int position)
{
    if (position < 0 || position >= count())
        return;
    setCurrentRow(position, QItemSelectionModel::ClearAndSelect);
    scrollToItem(item(position));
}

void NavigationList::SetHorizontalExtent(int pixels)
{
    horizontalExtent = pixels;
    setHorizontalScrollBarPolicy(pixels > 0 ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
}

void NavigationList::keyPressEvent(QKeyEvent* event)
{
    // Enter (13) belongs to the screen; the other keys move the selection as usual.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        emit KeyDown(13);
        return;
    }
    QListWidget::keyPressEvent(event);
}

void ApplyNavigationLook(QWidget* screen)
{
    screen->setStyleSheet(
        "QWidget#TreeNode, QWidget#Sentences { background-color: rgb(0, 111, 0); }"
        "QLabel { color: white; }"
        "QListWidget { background: white; color: black; font-size: 11pt; }"
        "QListWidget::item { padding: 3px; }"
        "QListWidget::item:selected { background: rgb(206, 255, 206); color: black; }"
        "QPushButton { background: rgb(224, 224, 224); color: black; min-height: 24px;"
        " border: 1px solid rgb(60, 60, 60); border-radius: 3px; }"
        "QPushButton#HelpButton { background: rgb(255, 255, 207); }"
        "QPushButton:focus { border: 2px solid white; }");
}
