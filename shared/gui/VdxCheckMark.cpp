#include "shared/gui/VdxCheckMark.h"

namespace vdx {

void DrawCheckMark(gui::TCanvas& canvas, const gui::TRect& rect, gui::TColor color) {
    const int x0 = rect.Left + (rect.Right - rect.Left - 9) / 2;
    const int y0 = rect.Top + (rect.Bottom - rect.Top - 6) / 2;
    canvas.FillRect(rect);
    canvas.Pen.Width = 1;
    canvas.Pen.Color = color;
    for (int k = 0; k < 3; ++k) {
        canvas.MoveTo(x0, y0 + 2 + k);
        canvas.LineTo(x0 + 3, y0 + 5 + k);
        canvas.LineTo(x0 + 9, y0 - 1 + k);
    }
}

} // namespace vdx
