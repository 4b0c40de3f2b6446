#include "navigation/NavigationList.h"

#include "widgets/HelpWindow.h"

#include <QAbstractButton>
#include <QKeyEvent>
#include <QScreen>
#include <QShortcut>

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
    if (position < 0 || position >= count()) return;
    setCurrentRow(position, QItemSelectionModel::ClearAndSelect);
    scrollToItem(item(position));
}

void NavigationList::focusInEvent(QFocusEvent* event)
{
    QListWidget::focusInEvent(event);
    // Qt makes the first row current without selecting it, and draws it as
    // current; Enter would then open what nothing shows as chosen.
    ShowChoice();
}

void NavigationList::ShowChoice()
{
    if (hasFocus() && SelectedPosition() < 0 && count() > 0)
        SelectPosition(currentRow() >= 0 ? currentRow() : 0);
}

QItemSelectionModel::SelectionFlags NavigationList::selectionCommand(const QModelIndex& index,
                                                                     const QEvent* event) const
{
    // Nothing selected while a row still looks current would mislead: a
    // click beside the rows, or a Ctrl-click on the selected one, changes
    // nothing.
    const QItemSelectionModel::SelectionFlags command = QListWidget::selectionCommand(index, event);
    if (!index.isValid() || command.testFlag(QItemSelectionModel::Deselect) ||
        command.testFlag(QItemSelectionModel::Toggle))
        return QItemSelectionModel::NoUpdate;
    return command;
}

void NavigationList::SetHorizontalExtent(int pixels)
{
    horizontalExtent = pixels;
    setHorizontalScrollBarPolicy(pixels > 0 ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
    // The rows are as wide as the widest text (the delegate sizes them by
    // the extent), so the text is scrolled to rather than cut short.
    setTextElideMode(pixels > 0 ? Qt::ElideNone : Qt::ElideRight);
    scheduleDelayedItemsLayout();
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
        "QPushButton:focus { border: 3px solid rgb(255, 215, 0); }"
        "QListWidget:focus { border: 3px solid rgb(255, 215, 0); }");
}

void AddNavigationKeys(QWidget* screen, QAbstractButton* helpButton, std::function<void()> goBack)
{
    auto* back = new QShortcut(Qt::Key_Escape, screen);
    QObject::connect(back, &QShortcut::activated, screen, std::move(goBack));
    auto* help = new QShortcut(Qt::Key_F1, screen);
    QObject::connect(help, &QShortcut::activated, screen, [helpButton] {
        helpButton->click();
        HelpWindow::Instance().TakeKeyboard();
    });
}

void CentreOnScreen(QWidget& window)
{
    const QScreen* screen = window.screen();
    if (!screen) return;
    const QRect area = screen->availableGeometry();
    window.move(area.center() - QPoint(window.width() / 2, window.height() / 2));
}
