#pragma once
// The list box of the navigation screens: reports Enter to its screen and
// knows its selected position (-1 when nothing is selected). The row that
// looks current is always the selected one, the row Enter opens: a list
// that takes the focus with nothing selected selects its current (or first)
// row, and a click beside the rows keeps the selection.
#include <QListWidget>

#include <functional>

class QAbstractButton;

class NavigationList : public QListWidget
{
    Q_OBJECT
public:
    explicit NavigationList(QWidget* parent);

    int SelectedPosition() const;
    void SelectPosition(int position);
    // With the keyboard here and nothing chosen, the row Enter would open
    // (the current one, else the first) is selected, so that it shows.
    void ShowChoice();
    // Sets the horizontal scroll extent in pixels; 0 means no horizontal scrolling.
    void SetHorizontalExtent(int pixels);
    int HorizontalExtent() const { return horizontalExtent; }

signals:
    void KeyDown(int keyCode);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    QItemSelectionModel::SelectionFlags selectionCommand(const QModelIndex& index,
                                                         const QEvent* event) const override;

private:
    int horizontalExtent = 0;
};

// The look shared by the navigation screens: the exercise screen's dark
// green with light text, a list that is easy to read, and a focus ring that
// shows on the green.
void ApplyNavigationLook(QWidget* screen);

// The keys of a navigation screen beside the list's own: Esc runs goBack,
// F1 opens the help as the Help button does and gives it the keyboard.
void AddNavigationKeys(QWidget* screen, QAbstractButton* helpButton, std::function<void()> goBack);

// Moves a window to the middle of the screen it is on.
void CentreOnScreen(QWidget& window);
