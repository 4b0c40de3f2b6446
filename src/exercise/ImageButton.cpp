#include "exercise/ImageButton.h"

#include <QPainter>
#include <QPainterPath>

ImageButton::ImageButton(const QString& caption, QColor background, QWidget* parent,
                         Arrow arrowKind)
    : QPushButton(caption, parent), backColor(background), arrow(arrowKind)
{
    setFocusPolicy(Qt::StrongFocus);
    setCursor(Qt::PointingHandCursor);
}

void ImageButton::SetBackColor(QColor colour)
{
    backColor = colour;
    update();
}

QImage ImageButton::Face() const
{
    QImage face(size(), QImage::Format_RGB32);
    face.fill(Qt::black);
    QPainter painter(&face);
    PaintFace(painter, rect());
    return face;
}

void ImageButton::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    PaintFace(painter, rect());
}

void ImageButton::PaintFace(QPainter& painter, const QRect& area) const
{
    painter.setRenderHint(QPainter::Antialiasing, true);
    const bool pressed = isDown();
    QColor face = isEnabled() ? backColor : backColor.lighter(115);
    if (!isEnabled())
        face.setHsv(face.hue(), face.saturation() / 3, face.value());

    const QRectF box = QRectF(area).adjusted(1, 1, -1, -1);
    QLinearGradient shade(box.topLeft(), box.bottomLeft());
    shade.setColorAt(0, pressed ? face.darker(115) : face.lighter(112));
    shade.setColorAt(1, pressed ? face.lighter(105) : face.darker(112));
    painter.setPen(QPen(isEnabled() ? QColor(40, 40, 40) : QColor(140, 140, 140), 1));
    painter.setBrush(shade);
    painter.drawRoundedRect(box, 4, 4);
    if (hasFocus()) {
        // Gold at the edge shows on the dark green form, the dark line
        // inside it on the light faces.
        painter.setBrush(Qt::NoBrush);
        painter.setPen(QPen(FocusRingColor, 3));
        painter.drawRoundedRect(box.adjusted(0.5, 0.5, -0.5, -0.5), 4, 4);
        painter.setPen(QPen(QColor(0, 60, 160), 1.5));
        painter.drawRoundedRect(box.adjusted(3, 3, -3, -3), 3, 3);
    }

    const QColor ink = isEnabled() ? QColor(0, 0, 0) : QColor(130, 130, 130);
    const QPointF shift = pressed ? QPointF(1, 1) : QPointF(0, 0);
    if (arrow != Arrow::None) {
        const QPointF centre = box.center() + shift;
        const double h = std::min(box.height(), box.width()) * 0.28;
        const double direction = arrow == Arrow::Right ? 1 : -1;
        QPainterPath path;
        path.moveTo(centre + QPointF(direction * h, 0));
        path.lineTo(centre + QPointF(-direction * h, -h));
        path.lineTo(centre + QPointF(-direction * h, h));
        path.closeSubpath();
        painter.setPen(Qt::NoPen);
        painter.setBrush(ink);
        painter.drawPath(path);
        return;
    }
    painter.setPen(ink);
    QFont captionFont = font();
    captionFont.setBold(true);
    painter.setFont(captionFont);
    painter.drawText(box.translated(shift), Qt::AlignCenter | Qt::TextWordWrap, text());
}
