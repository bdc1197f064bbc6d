#pragma once
// The check mark of the user grid's flag cells.

#include "platform/gui/canvas.h"

namespace vdx {

// Fills rect with the canvas brush and draws a check mark three pixels thick
// in color, in a 9 x 6 box centred in rect. The pen ends with width 1 and
// colour color.
void DrawCheckMark(gui::TCanvas& canvas, const gui::TRect& rect, gui::TColor color);

} // namespace vdx
