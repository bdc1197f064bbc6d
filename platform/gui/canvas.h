#pragma once
// A drawing surface with the platform's rules, over QPainter: pen, brush,
// font and pen position are state; lines leave out their end pixel;
// rectangles and polygons leave out their right and bottom edges; lines and
// fills are never antialiased (text may be); clipping can be saved and
// restored as a stack.

#include "platform/gui/color.h"
#include "platform/gui/font.h"
#include "platform/gui/geometry.h"
#include "platform/gui/text_layout.h"

#include <QPainter>

#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

class QImage;
class QPaintDevice;

namespace vdx::gui {

enum class TPenStyle : std::uint8_t {
    psSolid,
    psDash, // 18 on, 6 off
    psDot,  // 3 on, 3 off
    psDashDot,
    psDashDotDot,
    psClear,
    psInsideFrame
};
enum class TPenMode : std::uint8_t { pmCopy, pmNot, pmXor };

struct TPen {
    TColor Color = clBlack;
    int Width = 1;
    TPenStyle Style = TPenStyle::psSolid;
    TPenMode Mode = TPenMode::pmCopy;
};

enum class TBrushStyle : std::uint8_t { bsSolid, bsClear };

// Text alignment (SetTextAlign) of TextOut, TextRect and TabbedTextOut:
// where x stands on the line, and the reading order.
inline constexpr unsigned TA_LEFT = 0;
inline constexpr unsigned TA_RIGHT = 2;  // the line ends at x
inline constexpr unsigned TA_CENTER = 6; // the line's middle is at x
inline constexpr unsigned TA_RTLREADING = 256;

// As in the class library, giving a clear brush a colour makes it solid
// again, so code that sets a colour and fills always gets its fill.
class TBrush {
public:
    TColor Color() const noexcept { return m_color; }
    void SetColor(TColor c) noexcept {
        m_color = c;
        if (m_style == TBrushStyle::bsClear)
            m_style = TBrushStyle::bsSolid;
    }
    TBrushStyle Style() const noexcept { return m_style; }
    void SetStyle(TBrushStyle s) noexcept { m_style = s; }

private:
    TColor m_color = clWhite;
    TBrushStyle m_style = TBrushStyle::bsSolid;
};

// Text alignment: the point given to TextOut and TextRect is the top-left of
// the text, or a point on its baseline.
inline constexpr unsigned TA_TOP = 0;
inline constexpr unsigned TA_BASELINE = 24;

class TCanvas {
public:
    // Paints on device (a QImage, or a widget inside its paintEvent); the
    // painter is opened on first use and closed by Release or destruction.
    explicit TCanvas(QPaintDevice& device);
    // Paints through a painter someone else opened (item delegates ...).
    explicit TCanvas(QPainter& painter);
    ~TCanvas();
    // The painter and the clip stack belong to this object.
    TCanvas(const TCanvas&) = delete;
    TCanvas& operator=(const TCanvas&) = delete;

    TPen Pen;
    TBrush Brush;
    TFont Font;
    TPoint PenPos;
    // TA_LEFT, TA_RIGHT or TA_CENTER, TA_TOP or TA_BASELINE, plus
    // TA_RTLREADING. A right-aligned
    // line with tabs is the mirror image of a left-aligned one: its tab
    // stops count leftwards from the tab origin.
    unsigned TextAlign = TA_LEFT;

    void MoveTo(int x, int y) noexcept { PenPos = {x, y}; }
    // A line from PenPos to (x, y) without the end pixel; PenPos moves there.
    void LineTo(int x, int y);
    void Polyline(std::span<const TPoint> points);
    // Filled with the brush (alternate fill, right and bottom edges left
    // out), outlined with the pen.
    void Polygon(std::span<const TPoint> points);
    // Outline with the pen on the pixels Left..Right-1, Top..Bottom-1, filled
    // inside with the brush; with a clear pen the fill ends one pixel short
    // at the right and the bottom.
    void Rectangle(int left, int top, int right, int bottom);
    void Rectangle(const TRect& r) { Rectangle(r.Left, r.Top, r.Right, r.Bottom); }
    // Brush fill of Left..Right-1, Top..Bottom-1 (nothing with a clear brush).
    void FillRect(const TRect& r);
    // A one-pixel frame in the brush colour on the edge pixels of r.
    void FrameRect(const TRect& r);
    // The platform's focus rectangle: every other pixel of r's edges
    // inverted, so drawing it twice takes it away.
    void DrawFocusRect(const TRect& r);
    // clNone when the surface cannot be read (a widget) or (x, y) is outside.
    TColor Pixel(int x, int y) const;
    void SetPixel(int x, int y, TColor c);

    // Text: drawn in Font.Color; the background of the text is filled with
    // the brush unless the brush is clear. TextOut leaves PenPos at the end.
    void TextOut(int x, int y, std::string_view text);
    void TextRect(const TRect& r, int x, int y, std::string_view text);
    int TextWidth(std::string_view text) const;
    int TextHeight(std::string_view text) const;
    TSize TextExtent(std::string_view text) const;
    // DrawText: returns the text height (with DT_VCENTER or DT_BOTTOM the
    // offset from r.Top to the bottom of the text); DT_CALCRECT only measures
    // and stores the measured rectangle in r. DT_RTLREADING reads each line
    // from the right; its place is set by the alignment flags alone.
    int DrawText(std::string_view text, TRect& r, unsigned flags);
    // Text with tabs advancing to tabStops (pixels from tabOrigin; see
    // NextTabStop); returns the painted extent.
    TSize TabbedTextOut(int x, int y, std::string_view text, const std::vector<int>& tabStops,
                        int tabOrigin);
    TTextMetric TextMetrics() const { return GetTextMetrics(Font); }
    TTextMeasurer Measurer() const;

    // Clipping, in the current coordinates.
    void PushClip(); // save the clip region
    void PopClip();  // restore the last saved one
    void IntersectClipRect(const TRect& r);
    void ExcludeClipRect(const TRect& r);
    void ResetClip(); // no clipping at all
    // The bounding box of what can be painted (GetClipBox).
    TRect ClipRect() const;

    // Saved device state (origin and clip), as SaveDC / RestoreDC.
    void SaveState();
    void RestoreState();
    // Moves the origin: (0, 0) is then painted at the old (dx, dy).
    void OffsetOrigin(int dx, int dy);

    // The painter (opened when needed).
    QPainter& Painter();
    // The image painted on, when the surface is an image.
    QImage* Image() const noexcept;
    // Closes an owned painter (the device can then be resized); the next
    // drawing call opens a new one. Clip and origin start afresh.
    void Release();

private:
    void FillSpan(int x0, int x1, int y, const QColor& c);
    void PlotLine(int x0, int y0, int x1, int y1);
    void ApplyPenMode();
    // Paints one line of text at (x, y) (top, placed on x as align says);
    // tabStops null: no tab expansion. Returns the advance.
    int PaintText(int x, int y, std::string_view text, int underline,
                  const std::vector<int>* tabStops, int tabOrigin, unsigned align);
    QRect DeviceRectLogical();

    QPaintDevice* m_device = nullptr;
    std::unique_ptr<QPainter> m_owned;
    QPainter* m_painter = nullptr;
    std::vector<std::pair<bool, QRegion>> m_clipStack;
};

} // namespace vdx::gui
