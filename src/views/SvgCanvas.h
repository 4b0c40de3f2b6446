#pragma once
// A canvas that records every drawing call as one SVG element, in drawing
// order, with the coordinates exactly as passed (at most three fraction
// digits). Content tools and tests read the drawing from it:
//
//   <svg xmlns="http://www.w3.org/2000/svg" width="W" height="H" viewBox="0 0 W H">
//   clearing the box:  <rect class="clear" x="0" y="0" width="W" height="H" fill="#rrggbb"/>
//   a line:            <line x1=".." y1=".." x2=".." y2=".." stroke="#rrggbb" stroke-width="N"/>
//   a rectangle:       <rect x=".." y=".." width=".." height=".." fill="#rrggbb"|"none"
//                            stroke="#rrggbb" stroke-width="N"/>
//   a masked area:     <rect class="mask" x=".." y=".." width=".." height=".." fill="#rrggbb"
//                            style="mix-blend-mode:multiply"/>
//   text:              <text x=".." y=".." fill="#rrggbb" font-size="N"
//                            text-anchor="start"|"middle"|"end">escaped text</text>
//   </svg>
//
// The masked area keeps only the bits of each pixel that are also set in
// the fill colour. SVG has no bitwise blend, so viewers show it multiplied,
// which looks much the same on the light view backgrounds; tools that need
// the exact pixels recognise it by its class.
#include "views/Canvas.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

class SvgCanvas : public Canvas
{
public:
    SvgCanvas(int width, int height);

    int Width() const override { return width; }
    int Height() const override { return height; }
    void Clear(QColor colour) override;
    void DrawLine(double x1, double y1, double x2, double y2, QColor colour, int width) override;
    void DrawRectangle(double x, double y, double w, double h, std::optional<QColor> fill,
                       QColor stroke, int width) override;
    void MaskRectangle(double x, double y, double w, double h, QColor mask) override;
    void DrawText(double x, double y, const QString& text, QColor colour, int pixelSize,
                  TextAnchor anchor) override;

    // The elements drawn so far, one per call, without the enclosing svg.
    const QStringList& Elements() const { return elements; }
    // The whole document, one element a line, ending with a line end.
    QByteArray Document() const;

private:
    int width;
    int height;
    QStringList elements;
};

// A coordinate as the SVG shows it: at most three fraction digits, no
// trailing zeros, no negative zero.
QString SvgNumber(double value);
