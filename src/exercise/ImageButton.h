#pragma once
// The exercise screen's graphical buttons: a face of our own drawn from the
// button's background colour, with its caption (or an arrow) drawn in it.
// Disabled faces are washed out; the focused button gets a frame.
#include <QColor>
#include <QPushButton>

// The focus ring of the screens: it must show on their dark green.
inline const QColor FocusRingColor(255, 215, 0);

class ImageButton : public QPushButton
{
    Q_OBJECT
public:
    enum class Arrow
    {
        None,
        Left,
        Right
    };

    ImageButton(const QString& caption, QColor background, QWidget* parent,
                Arrow arrow = Arrow::None);

    QColor BackColor() const { return backColor; }
    void SetBackColor(QColor colour);
    // The face as it is painted now (tests and screenshots).
    QImage Face() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void PaintFace(QPainter& painter, const QRect& area) const;

    QColor backColor;
    Arrow arrow;
};
