#include "navigation/NavigationList.h"

#include <QKeyEvent>

NavigationList::NavigationList(QWidget* parent) : QListWidget(parent)
{
    setSelectionMode(QAbstractItemView::SingleSelection);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
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
