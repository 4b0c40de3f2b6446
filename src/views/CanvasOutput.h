#pragma once
// Drawings the content tool writes to a file: a box size given as "WxH" and
// the drawing as SVG (one element per drawing call) or PNG (the pixels the
// screen's picture box shows), chosen by the output file's extension.
#include "views/Canvas.h"

#include <QColor>
#include <QString>

#include <functional>

// Large enough for any screen; keeps a mistyped size from allocating gigabytes.
inline constexpr int MaxCanvasSide = 16384;

// "600x200": both sides from 1 to MaxCanvasSide.
bool ParseCanvasSize(const QString& text, int& width, int& height);

// Whether the output file is named .svg or .png (any case).
bool IsCanvasFileName(const QString& path);

// Draws into a box of width x height that starts from background, and
// writes the result to path, replacing it only once whole. False when it
// cannot be written.
bool WriteCanvasFile(const QString& path, int width, int height, QColor background,
                     const std::function<void(Canvas&)>& draw);
