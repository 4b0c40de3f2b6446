#pragma once
// A picture box of the exercise screen: a framed area that keeps a
// persistent picture of its inner size. The views draw into the picture
// through its canvas whether or not the box is visible; the box shows the
// picture whenever it paints. It never computes geometry of its own.
#include "views/ImageCanvas.h"

#include <QColor>
#include <QFrame>
#include <QImage>

class PictureBox : public QFrame
{
    Q_OBJECT

public:
    explicit PictureBox(QWidget* parent = nullptr);

    QColor ForeColor() const { return foreColor; }
    void SetForeColor(QColor colour) { foreColor = colour; }
    QColor BackColor() const { return backColor; }
    // Like the box it stands for, a new background colour erases the picture.
    void SetBackColor(QColor colour);

    // The canvas over the picture, sized to the box's current inner area
    // (also while hidden, before any resize event). Drawing on it shows at
    // the box's next paint.
    Canvas& PictureCanvas();
    // Erases the picture to the background colour.
    void Cls();
    // Paints the box now instead of at the next event loop pass.
    void Refresh();
    // The picture as drawn so far, of the inner size.
    QImage Picture();
    // Shows the picture faded towards the background: a drawing that is
    // about to be replaced. Cleared by Cls and by SetDimmed(false).
    void SetDimmed(bool dimmed);
    bool Dimmed() const { return dimmed; }

signals:
    // A mouse button went down over the inner area; x and y are pixels from
    // its top-left corner.
    void MouseDown(Qt::MouseButton button, double x, double y);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    // A new inner size starts a new picture in the background colour; the
    // views are redrawn after every layout anyway.
    void FitPicture();

    QColor foreColor{0, 0, 0};
    QColor backColor{206, 255, 206};
    ImageCanvas canvas;
    qreal pictureRatio = 1.0; // device pixels per logical pixel of the picture
    bool dimmed = false;
};
