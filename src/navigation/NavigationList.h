#pragma once
// The list box of the navigation screens: reports Enter to its screen and
// knows its selected position (-1 when nothing is selected).
#include <QListWidget>

class NavigationList : public QListWidget
{
    Q_OBJECT
public:
    explicit NavigationList(QWidget* parent);

    int SelectedPosition() const;
    void SelectPosition(int position);
    // Sets the horizontal scroll extent in pixels; 0 means no horizontal scrolling.
    void SetHorizontalExtent(int pixels);
    int HorizontalExtent() const { return horizontalExtent; }

signals:
    void KeyDown(int keyCode);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    int horizontalExtent = 0;
};

// The look shared by the navigation screens: the exercise screen's dark
// green with light text, and a list that is easy to read.
void ApplyNavigationLook(QWidget* screen);
