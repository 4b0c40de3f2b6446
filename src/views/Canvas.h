#pragma once
// What a view is drawn onto. The screen draws into the picture box's
// persistent image; the content tool and the tests write the same calls as
// SVG. Coordinates are pixels from the top-left of the box's inner area.
#include <QColor>
#include <QString>

#include <optional>

// Where text stands against its x: from it, around it or up to it.
enum class TextAnchor { Start, Middle, End };

class Canvas
{
public:
    virtual ~Canvas() = default;
    virtual int Width() const = 0; // inner size in pixels
    virtual int Height() const = 0;
    virtual void Clear(QColor colour) = 0;
    virtual void DrawLine(double x1, double y1, double x2, double y2, QColor colour, int width) = 0;
    // x, y is the top-left corner; w and h are not negative.
    virtual void DrawRectangle(double x, double y, double w, double h, std::optional<QColor> fill,
                               QColor stroke, int width) = 0;
    // Keeps only the bits of each pixel that are also set in mask (the
    // played-step shading): filling the same area twice changes nothing more.
    virtual void MaskRectangle(double x, double y, double w, double h, QColor mask) = 0;
    // One line of text with its baseline at y, in letters pixelSize pixels
    // high. The designed views draw no text; a canvas that cannot draw text
    // leaves it out.
    virtual void DrawText(double x, double y, const QString& text, QColor colour, int pixelSize,
                          TextAnchor anchor)
    {
        Q_UNUSED(x);
        Q_UNUSED(y);
        Q_UNUSED(text);
        Q_UNUSED(colour);
        Q_UNUSED(pixelSize);
        Q_UNUSED(anchor);
    }
};
