#pragma once
// Pattern brushes: a small bitmap repeated over a fill, lined up with the
// canvas origin as a window's brush origin is, and the class library's
// two-colour 8 x 8 pattern.

#include "platform/gui/canvas.h"
#include "platform/gui/color.h"
#include "platform/gui/geometry.h"

#include <QImage>

namespace vdx::gui {

// 8 x 8 pixels: foreground where x and y are both even or both odd,
// background elsewhere.
QImage AllocPatternBitmap(TColor background, TColor foreground);

// Fills r with pattern, whose top-left pixel repeats at every multiple of
// its size from the canvas origin. Nothing for an empty pattern.
void FillRectPattern(TCanvas& canvas, const TRect& r, const QImage& pattern);

} // namespace vdx::gui
