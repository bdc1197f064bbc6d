#pragma once
// Gradient fills in ten directions, stretched transparent bitmap copies, the
// parent's background under transparent controls, arrows, the custom check
// box glyph and the two-pixel gradient ring. Gradients are painted once into
// an off-screen bitmap and copied; the linear and box kinds compute one strip
// or one quarter and complete it by doubling and mirroring.

#include "controls/base/FcDraw.h"
#include "platform/gui/bitmap.h"

#include <QMetaType>

#include <cstdint>

class QWidget;

namespace vdx {

using gui::TBitmap;

enum class TGradientDirection : std::uint8_t {
    gdDiagonalUp,
    gdDiagonalDown,
    gdHorizontalEnd, // horizontal bands: StartColor at the top
    gdHorizontalCenter,
    gdHorizontalBox,
    gdVerticalEnd, // vertical bands: StartColor at the left
    gdVerticalCenter,
    gdVerticalBox,
    gdSquareBox,
    gdBigSquareBox
};

// Minimum band width in extra pixels for a number of colour steps
// (boxFill: the box fill's variant of the formula).
int GradientBandSlack(std::uint8_t steps, bool boxFill) noexcept;

// The entry point; steps is the number of colour steps (1 everywhere in the
// library: one-pixel resolution).
void PaintGradient(TCanvas& canvas, const TRect& rect, TGradientDirection direction,
                   TColor startColor, TColor stopColor, std::uint8_t steps);
void PaintGradientBitmap(TCanvas& canvas, const TRect& rect, TGradientDirection direction,
                         TColor startColor, TColor stopColor, std::uint8_t steps);

// The pieces, on a canvas whose origin is the gradient's top-left corner.
// Exactly one of xCentre and yCentre is 0; a negative centre gives one pass.
void FillLinearGradient(TCanvas& dc, int xCentre, int yCentre, int length, TColor startColor,
                        TColor stopColor, std::uint8_t steps);
void FillBoxGradient(TCanvas& dc, int width, int height, int insetX, int insetY, TColor startColor,
                     TColor stopColor, std::uint8_t steps);
// width < 0 mirrors (gdDiagonalDown).
void FillDiagonalGradient(TCanvas& dc, int width, int height, TColor startColor, TColor stopColor,
                          std::uint8_t steps);
// The block (x, y, width, height) holds a pattern; it is doubled along the
// axes until it covers targetWidth x targetHeight.
void ReplicateStripBlit(TCanvas& dc, int x, int y, int targetWidth, int targetHeight, int width,
                        int height, gui::TRop rop = gui::TRop::SRCCOPY);
// Completes a picture of width x height from its top-left quarter (the
// columns 0 .. (width-1)/2 and rows 0 .. (height-1)/2) by mirroring, so that
// column width-1-c equals column c and row height-1-r equals row r.
void MirrorQuarterBlit(TCanvas& dc, int x, int y, int width, int height,
                       gui::TRop rop = gui::TRop::SRCCOPY);

// Copies sourceRect of bitmap, stretched to the size of destRect, with
// transparentColor left out, to the canvas ORIGIN (callers paint into a
// bitmap of the glyph's size).
void StretchTransparentBitmap(TCanvas& canvas, const TBitmap& bitmap, const TRect& destRect,
                              const TRect& sourceRect, TColor transparentColor);

// Paints what control's parent shows under control onto canvas (whose origin
// is control's top-left): the parent's background and its own painting.
// Nothing without a parent.
void PaintParentBackground(QWidget& control, TCanvas& canvas, bool invalidateParent);

// NumGlyphs of a glyph strip takes 1 to 4 cells.
constexpr bool IsValidNumGlyphs(int n) noexcept {
    return n >= 1 && n <= 4;
}
// The cells of a w x h strip whose width is a multiple of its height: that
// many when it is a valid NumGlyphs, else 1; 0 when the strip gives no count.
constexpr int GlyphStripCells(int width, int height) noexcept {
    if (height == 0 || width % height != 0)
        return 0;
    return IsValidNumGlyphs(width / height) ? width / height : 1;
}

// A button's glyph: a strip of NumGlyphs equal cells side by side, each
// drawn leaving out the bitmap's transparent colour. Which cell shows is the
// button's business.
class TFcGlyphStrip {
public:
    const TBitmap& Bitmap() const noexcept { return m_bitmap; }
    int NumGlyphs() const noexcept { return m_numGlyphs; }
    bool Empty() const noexcept { return m_bitmap.Width() == 0 || m_bitmap.Height() == 0; }

    // The picture with the bitmap's transparency settings.
    void Assign(const TBitmap& value);
    // The picture alone; a strip whose width is a multiple of its height
    // sets NumGlyphs to its cells (GlyphStripCells).
    void Assign(const QImage& value);
    // False for a count outside 1 to 4 or an unchanged one.
    bool SetNumGlyphs(int value) noexcept;

    // (width / NumGlyphs, height).
    gui::TPoint CellSize() const noexcept;
    // Cell stretched onto rect.
    void DrawCell(gui::TCanvas& canvas, const gui::TRect& rect, int cell) const;

private:
    TBitmap m_bitmap;
    int m_numGlyphs = 1;
};

TRect CenteredBounds(const TRect& rect, int width, int height) noexcept;

// The outer two-pixel ring of a gradient (only on a full-colour screen).
void DrawGradientRing(TCanvas& canvas, const TRect& rect, TGradientDirection direction,
                      TColor startColor, TColor stopColor);

struct TCheckBoxGlyph {
    int State = 0;     // 0 unchecked, 1 checked, 2 grayed
    int DrawState = 0; // 0 normal, 1 pressed, 2 hot, 3 disabled
    bool Focused = false;
    TFcButtonHotTrackStyle HotTrackStyle = TFcButtonHotTrackStyle::htsInterior;
    TColor FrameColor = gui::clBtnShadow;
    TColor CheckColor = gui::clWindowText;
    TColor FillColor = gui::clWindow;
    TColor FocusColor = gui::clWindow;
    TColor DisabledColor = gui::clBtnFace;
    TColor HotFillColor = gui::clWindow;
    TColor HotFrameColor = gui::clHighlight;
    bool ReadOnly = false;
    bool ReadOnlyColorOnFocus = false;
    TColor ReadOnlyColor = gui::clInfoBk;
};
void PaintCheckBoxGlyph(TCanvas& canvas, const TRect& rect, const TCheckBoxGlyph& glyph);

// arrowStyle 0 classic, 1 themed chevron, 2 themed triangle.
void DrawDropDownArrow(TCanvas& canvas, const TRect& rect, int arrowStyle, bool enabled);
// direction 0 up, 1 down, 2 left, 3 right.
void DrawArrow(TCanvas& canvas, const TRect& rect, int arrowStyle, bool enabled, int direction);

} // namespace vdx

Q_DECLARE_METATYPE(vdx::TGradientDirection)
