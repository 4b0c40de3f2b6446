#pragma once
// A canvas over a persistent picture: a QImage in Format_RGB32, painted with
// QPainter without antialiasing, so that every call lands on whole pixels
// the same way on screen (the picture box) and in a saved PNG (the content
// tool). The painter stays open between calls, since a view draws hundreds
// of lines at a time; reading the picture ends it.
#include "views/Canvas.h"

#include <QImage>
#include <QPainter>

#include <memory>

class ImageCanvas : public Canvas
{
public:
    // A picture of width x height pixels filled with background.
    ImageCanvas(int width, int height, QColor background);
    ~ImageCanvas() override;
    ImageCanvas(const ImageCanvas&) = delete;
    ImageCanvas& operator=(const ImageCanvas&) = delete;

    // Sizes in logical pixels: on a high-density display the picture holds
    // devicePixelRatio device pixels per logical one, and the views, which
    // draw in logical pixels, come out sharp.
    int Width() const override { return logicalWidth; }
    int Height() const override { return logicalHeight; }
    void Clear(QColor colour) override;
    void DrawLine(double x1, double y1, double x2, double y2, QColor colour, int width) override;
    void DrawRectangle(double x, double y, double w, double h, std::optional<QColor> fill,
                       QColor stroke, int width) override;
    // Each pixel in the area becomes pixel AND mask, so masking the same
    // area again changes nothing.
    void MaskRectangle(double x, double y, double w, double h, QColor mask) override;
    // Text needs the fonts of a GUI application; without one it is left out.
    void DrawText(double x, double y, const QString& text, QColor colour, int pixelSize,
                  TextAnchor anchor) override;

    // Starts a new picture of the given size, filled with background; what
    // was drawn before is dropped.
    void Resize(int width, int height, QColor background, qreal devicePixelRatio = 1.0);
    // The picture as drawn so far.
    const QImage& Image();

private:
    QPainter& Painter();
    // The painter with a solid pen of this colour and width; the pen is only
    // replaced when it changes, as views draw long runs of equal lines.
    QPainter& PainterWithPen(QColor colour, int width);
    void EndPainting();

    QImage image;
    int logicalWidth = 0;
    int logicalHeight = 0;
    std::unique_ptr<QPainter> painter;
    QColor penColour;
    int penWidth = -1;
};
