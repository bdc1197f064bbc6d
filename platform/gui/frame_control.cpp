#include "platform/gui/frame_control.h"

#include "platform/gui/color.h"

#include <algorithm>
#include <array>

namespace vdx::gui {

namespace {

// The check mark, row by row from the top; bit 6 is the leftmost column.
constexpr std::array<unsigned, 7> kCheckMark = {0b0000001, 0b0000011, 0b1000111, 0b1101110,
                                                0b1111100, 0b0111000, 0b0010000};
constexpr int kMarkSize = 7;

// One ring of a sunken edge: upper-left colour on the left and top, lower-right
// colour on the right and bottom (the corners top-right and bottom-left
// belong to the lower-right side).
void Ring(TCanvas& canvas, const TRect& r, TColor upperLeft, TColor lowerRight) {
    for (int x = r.Left; x < r.Right - 1; ++x)
        canvas.SetPixel(x, r.Top, upperLeft);
    for (int y = r.Top; y < r.Bottom - 1; ++y)
        canvas.SetPixel(r.Left, y, upperLeft);
    for (int x = r.Left; x < r.Right; ++x)
        canvas.SetPixel(x, r.Bottom - 1, lowerRight);
    for (int y = r.Top; y < r.Bottom; ++y)
        canvas.SetPixel(r.Right - 1, y, lowerRight);
}

void DrawCheckBox(TCanvas& canvas, const TRect& box, unsigned state) {
    const bool inactive = (state & DFCS_INACTIVE) != 0;
    const bool pushed = (state & DFCS_PUSHED) != 0;
    const bool checked = (state & DFCS_CHECKED) != 0;
    const bool grayed = checked && (state & DFCS_BUTTON3STATE) != 0;

    Ring(canvas, box, clBtnShadow, clBtnHighlight);
    const TRect inner = InflateRect(box, -1, -1);
    Ring(canvas, inner, cl3DDkShadow, cl3DLight);
    const TRect face = InflateRect(inner, -1, -1);
    for (int y = face.Top; y < face.Bottom; ++y)
        for (int x = face.Left; x < face.Right; ++x) {
            TColor c = clWindow;
            if (pushed || inactive)
                c = clBtnFace;
            else if (grayed)
                c = (x - face.Left + y - face.Top) % 2 == 0 ? clBtnHighlight : clBtnFace;
            canvas.SetPixel(x, y, c);
        }
    if (!checked)
        return;
    const TColor mark = grayed || inactive ? clBtnShadow : clWindowText;
    const int left = face.Left + (face.Width() - kMarkSize) / 2;
    const int top = face.Top + (face.Height() - kMarkSize) / 2;
    for (int row = 0; row < kMarkSize; ++row)
        for (int col = 0; col < kMarkSize; ++col)
            if (kCheckMark[std::size_t(row)] & (1u << unsigned(kMarkSize - 1 - col)))
                canvas.SetPixel(left + col, top + row, mark);
}

} // namespace

bool DrawFrameControl(TCanvas& canvas, const TRect& rect, unsigned kind, unsigned state) {
    // The button style is the low nibble; only the check box kinds are drawn.
    const unsigned style = state & 0x1F;
    if (kind != DFC_BUTTON || (style != DFCS_BUTTONCHECK && style != DFCS_BUTTON3STATE))
        return false;
    const int side = std::min(rect.Width(), rect.Height());
    if (side < 4)
        return false;
    DrawCheckBox(canvas, Bounds(rect.Left, rect.Top, side, side), state);
    return true;
}

} // namespace vdx::gui
