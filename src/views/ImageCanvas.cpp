#include "views/ImageCanvas.h"

#include <QFont>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QLineF>
#include <QPen>
#include <QRectF>

ImageCanvas::ImageCanvas(int width, int height, QColor background)
{
    Resize(width, height, background);
}

ImageCanvas::~ImageCanvas()
{
    EndPainting();
}

void ImageCanvas::Resize(int width, int height, QColor background, qreal devicePixelRatio)
{
    EndPainting();
    logicalWidth = std::max(width, 0);
    logicalHeight = std::max(height, 0);
    const qreal ratio = devicePixelRatio > 0 ? devicePixelRatio : 1.0;
    image = QImage(qRound(logicalWidth * ratio), qRound(logicalHeight * ratio),
                   QImage::Format_RGB32);
    image.setDevicePixelRatio(ratio);
    image.fill(background);
}

const QImage& ImageCanvas::Image()
{
    EndPainting();
    return image;
}

QPainter& ImageCanvas::Painter()
{
    if (!painter) {
        painter = std::make_unique<QPainter>(&image);
        painter->setRenderHint(QPainter::Antialiasing, false);
    }
    return *painter;
}

QPainter& ImageCanvas::PainterWithPen(QColor colour, int width)
{
    QPainter& p = Painter();
    if (colour != penColour || width != penWidth) {
        // Thin lines leave out their end point, as a picture box's lines do,
        // so a line from the top margin to the bottom one leaves margins of
        // equal height. Wide pens cover their ends, so that the one-column
        // segments of a contour meet without gaps.
        const Qt::PenCapStyle cap = width <= 1 ? Qt::FlatCap : Qt::SquareCap;
        p.setPen(QPen(colour, width, Qt::SolidLine, cap, Qt::MiterJoin));
        penColour = colour;
        penWidth = width;
    }
    return p;
}

void ImageCanvas::EndPainting()
{
    painter.reset();
    penWidth = -1;
}

void ImageCanvas::Clear(QColor colour)
{
    // Filling the image directly is faster than a painted rectangle and
    // needs no painter on a picture that is only being cleared.
    EndPainting();
    image.fill(colour);
}

void ImageCanvas::DrawLine(double x1, double y1, double x2, double y2, QColor colour, int width)
{
    if (image.isNull()) return;
    QPainter& p = PainterWithPen(colour, width);
    if (x1 == x2 && y1 == y2) {
        // A line of zero length still marks its point (a silent column of
        // the signal view shows as a dot on the centre line).
        p.drawPoint(QPointF(x1, y1));
        return;
    }
    p.drawLine(QLineF(x1, y1, x2, y2));
}

void ImageCanvas::DrawRectangle(double x, double y, double w, double h, std::optional<QColor> fill,
                                QColor stroke, int width)
{
    if (image.isNull()) return;
    QPainter& p = PainterWithPen(stroke, width);
    if (fill)
        p.setBrush(*fill);
    else
        p.setBrush(Qt::NoBrush);
    p.drawRect(QRectF(x, y, w, h));
}

void ImageCanvas::MaskRectangle(double x, double y, double w, double h, QColor mask)
{
    if (image.isNull()) return;
    QPainter& p = Painter();
    p.setCompositionMode(QPainter::RasterOp_SourceAndDestination);
    p.fillRect(QRectF(x, y, w, h), mask);
    p.setCompositionMode(QPainter::CompositionMode_SourceOver);
}

void ImageCanvas::DrawText(double x, double y, const QString& text, QColor colour, int pixelSize,
                           TextAnchor anchor)
{
    if (image.isNull() || text.isEmpty() || pixelSize < 1 ||
        qobject_cast<QGuiApplication*>(QCoreApplication::instance()) == nullptr)
        return;
    QPainter& p = PainterWithPen(colour, 1);
    QFont font = p.font();
    font.setPixelSize(pixelSize);
    p.setFont(font);
    const double width = QFontMetricsF(font).horizontalAdvance(text);
    const double left = anchor == TextAnchor::Middle ? x - width / 2
                        : anchor == TextAnchor::End  ? x - width
                                                     : x;
    p.drawText(QPointF(left, y), text);
}
