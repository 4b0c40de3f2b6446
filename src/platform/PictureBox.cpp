#include "platform/PictureBox.h"

#include <QMouseEvent>
#include <QPainter>

PictureBox::PictureBox(QWidget* parent) : QFrame(parent), canvas(0, 0, backColor)
{
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setLineWidth(2);
    FitPicture();
}

void PictureBox::SetBackColor(QColor colour)
{
    backColor = colour;
    Cls();
}

Canvas& PictureBox::PictureCanvas()
{
    FitPicture();
    update();
    return canvas;
}

void PictureBox::Cls()
{
    PictureCanvas().Clear(backColor);
    SetDimmed(false);
}

void PictureBox::SetDimmed(bool dim)
{
    if (dim == dimmed) return;
    dimmed = dim;
    update();
}

void PictureBox::Refresh()
{
    repaint();
}

QImage PictureBox::Picture()
{
    FitPicture();
    return canvas.Image();
}

void PictureBox::FitPicture()
{
    const QSize inner = contentsRect().size().expandedTo(QSize(0, 0));
    const qreal ratio = devicePixelRatioF();
    if (canvas.Width() != inner.width() || canvas.Height() != inner.height() ||
        pictureRatio != ratio) {
        canvas.Resize(inner.width(), inner.height(), backColor, ratio);
        pictureRatio = ratio;
    }
}

void PictureBox::paintEvent(QPaintEvent* event)
{
    QFrame::paintEvent(event);
    FitPicture();
    QPainter painter(this);
    painter.drawImage(contentsRect().topLeft(), canvas.Image());
    if (dimmed) {
        QColor veil = backColor;
        veil.setAlpha(180);
        painter.fillRect(contentsRect(), veil);
    }
}

void PictureBox::resizeEvent(QResizeEvent* event)
{
    QFrame::resizeEvent(event);
    FitPicture();
}

void PictureBox::mousePressEvent(QMouseEvent* event)
{
    const QPointF inner = event->position() - QPointF(contentsRect().topLeft());
    emit MouseDown(event->button(), inner.x(), inner.y());
    QFrame::mousePressEvent(event);
}
