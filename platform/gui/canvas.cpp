#include "platform/gui/canvas.h"

#include "platform/gui/ansi_text.h"

#include <QFontMetrics>
#include <QImage>
#include <QPaintDevice>
#include <QTransform>

#include <algorithm>
#include <array>
#include <cstdlib>

namespace vdx::gui {

namespace {

// Dash patterns of one-pixel pens, alternating on and off runs.
std::span<const int> DashPattern(TPenStyle style) {
    static constexpr std::array<int, 2> kDash = {18, 6};
    static constexpr std::array<int, 2> kDot = {3, 3};
    static constexpr std::array<int, 4> kDashDot = {9, 6, 3, 6};
    static constexpr std::array<int, 6> kDashDotDot = {9, 3, 3, 3, 3, 3};
    switch (style) {
    case TPenStyle::psDash:
        return kDash;
    case TPenStyle::psDot:
        return kDot;
    case TPenStyle::psDashDot:
        return kDashDot;
    case TPenStyle::psDashDotDot:
        return kDashDotDot;
    default:
        return {};
    }
}

bool PatternOn(std::span<const int> pattern, int index) {
    if (pattern.empty())
        return true;
    int period = 0;
    for (int n : pattern)
        period += n;
    int pos = index % period;
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        if (pos < pattern[i])
            return i % 2 == 0;
        pos -= pattern[i];
    }
    return true;
}

// ceil(num / den) for den > 0.
long long CeilDiv(long long num, long long den) {
    long long q = num / den;
    if (num % den != 0 && num > 0)
        ++q;
    return q;
}

QPainter::CompositionMode ModeOf(TPenMode mode) {
    switch (mode) {
    case TPenMode::pmNot:
        return QPainter::RasterOp_NotDestination;
    case TPenMode::pmXor:
        return QPainter::RasterOp_SourceXorDestination;
    default:
        return QPainter::CompositionMode_SourceOver;
    }
}

} // namespace

TCanvas::TCanvas(QPaintDevice& device) : m_device(&device) {}

TCanvas::TCanvas(QPainter& painter) : m_device(painter.device()), m_painter(&painter) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
}

TCanvas::~TCanvas() {
    if (m_owned) {
        m_owned->end();
    } else if (m_painter) {
        m_painter->restore();
    }
}

QPainter& TCanvas::Painter() {
    if (!m_painter) {
        m_owned = std::make_unique<QPainter>(m_device);
        m_painter = m_owned.get();
        m_painter->setRenderHint(QPainter::Antialiasing, false);
        m_painter->setRenderHint(QPainter::SmoothPixmapTransform, false);
    }
    return *m_painter;
}

QImage* TCanvas::Image() const noexcept {
    if (m_device && m_device->devType() == QInternal::Image)
        return static_cast<QImage*>(m_device);
    return nullptr;
}

void TCanvas::Release() {
    if (!m_owned)
        return;
    m_owned->end();
    m_owned.reset();
    m_painter = nullptr;
    m_clipStack.clear();
}

void TCanvas::FillSpan(int x0, int x1, int y, const QColor& c) {
    if (x1 > x0)
        Painter().fillRect(QRect(x0, y, x1 - x0, 1), c);
}

void TCanvas::ApplyPenMode() {
    Painter().setCompositionMode(ModeOf(Pen.Mode));
}

void TCanvas::PlotLine(int x0, int y0, int x1, int y1) {
    if (Pen.Style == TPenStyle::psClear)
        return;
    QPainter& p = Painter();
    ApplyPenMode();
    if (Pen.Width > 1) {
        QPen pen(ToQColor(Pen.Color));
        pen.setWidth(Pen.Width);
        pen.setCapStyle(Qt::RoundCap);
        pen.setJoinStyle(Qt::RoundJoin);
        p.setPen(pen);
        p.drawLine(x0, y0, x1, y1);
        p.setCompositionMode(QPainter::CompositionMode_SourceOver);
        return;
    }
    const QColor on = ToQColor(Pen.Color);
    const bool gapsOpaque = Brush.Style() == TBrushStyle::bsSolid;
    const QColor off = ToQColor(Brush.Color());
    const auto pattern = DashPattern(Pen.Style);
    const int dx = std::abs(x1 - x0), dy = std::abs(y1 - y0);
    const int sx = x1 >= x0 ? 1 : -1, sy = y1 >= y0 ? 1 : -1;
    const int n = std::max(dx, dy); // pixels, the end point left out
    auto plot = [&](int i, int x, int y) {
        if (PatternOn(pattern, i))
            p.fillRect(QRect(x, y, 1, 1), on);
        else if (gapsOpaque)
            p.fillRect(QRect(x, y, 1, 1), off);
    };
    if (pattern.empty() && (dx == 0 || dy == 0) && n > 0) {
        // Straight runs as one rectangle each.
        const int left = sx > 0 ? x0 : x0 - dx + 1;
        const int top = sy > 0 ? y0 : y0 - dy + 1;
        p.fillRect(dy == 0 ? QRect(left, y0, dx, 1) : QRect(x0, top, 1, dy), on);
    } else {
        for (int i = 0; i < n; ++i) {
            // The minor axis rounds half down, toward the start.
            if (dx >= dy) {
                const int off2 = dx ? (2 * i * dy + dx - 1) / (2 * dx) : 0;
                plot(i, x0 + sx * i, y0 + sy * off2);
            } else {
                const int off2 = dy ? (2 * i * dx + dy - 1) / (2 * dy) : 0;
                plot(i, x0 + sx * off2, y0 + sy * i);
            }
        }
    }
    p.setCompositionMode(QPainter::CompositionMode_SourceOver);
}

void TCanvas::LineTo(int x, int y) {
    PlotLine(PenPos.X, PenPos.Y, x, y);
    PenPos = {x, y};
}

void TCanvas::Polyline(std::span<const TPoint> points) {
    if (points.empty())
        return;
    MoveTo(points[0].X, points[0].Y);
    for (std::size_t i = 1; i < points.size(); ++i)
        LineTo(points[i].X, points[i].Y);
}

void TCanvas::Polygon(std::span<const TPoint> points) {
    if (points.size() < 2)
        return;
    if (Brush.Style() == TBrushStyle::bsSolid) {
        // Alternate fill sampled at whole-pixel points: an edge pixel belongs
        // to the polygon on the left and top edges only.
        int ymin = points[0].Y, ymax = points[0].Y;
        for (const TPoint& pt : points) {
            ymin = std::min(ymin, pt.Y);
            ymax = std::max(ymax, pt.Y);
        }
        const QColor fill = ToQColor(Brush.Color());
        ApplyPenMode();
        std::vector<long long> xs;
        for (int y = ymin; y < ymax; ++y) {
            xs.clear();
            for (std::size_t i = 0; i < points.size(); ++i) {
                const TPoint& a = points[i];
                const TPoint& b = points[(i + 1) % points.size()];
                if (a.Y == b.Y)
                    continue;
                const TPoint& lo = a.Y < b.Y ? a : b;
                const TPoint& hi = a.Y < b.Y ? b : a;
                if (y < lo.Y || y >= hi.Y)
                    continue;
                const long long den = hi.Y - lo.Y;
                const long long num = (long long)lo.X * den + (long long)(y - lo.Y) * (hi.X - lo.X);
                xs.push_back(CeilDiv(num, den));
            }
            std::sort(xs.begin(), xs.end());
            for (std::size_t i = 0; i + 1 < xs.size(); i += 2)
                FillSpan(int(xs[i]), int(xs[i + 1]), y, fill);
        }
        Painter().setCompositionMode(QPainter::CompositionMode_SourceOver);
    }
    if (Pen.Style != TPenStyle::psClear) {
        const TPoint saved = PenPos;
        Polyline(points);
        LineTo(points[0].X, points[0].Y);
        PenPos = saved;
    }
}

void TCanvas::Rectangle(int left, int top, int right, int bottom) {
    if (right < left)
        std::swap(left, right);
    if (bottom < top)
        std::swap(top, bottom);
    const bool pen = Pen.Style != TPenStyle::psClear;
    const int w = pen ? std::max(1, Pen.Width) : 0;
    if (Brush.Style() == TBrushStyle::bsSolid) {
        // Without a pen the fill ends one pixel short at the right and bottom.
        const int r = pen ? right - w : right - 1;
        const int b = pen ? bottom - w : bottom - 1;
        const int l = left + w, t = top + w;
        if (r > l && b > t) {
            ApplyPenMode();
            Painter().fillRect(QRect(l, t, r - l, b - t), ToQColor(Brush.Color()));
            Painter().setCompositionMode(QPainter::CompositionMode_SourceOver);
        }
    }
    if (!pen)
        return;
    const TPen savedPen = Pen;
    const TPoint savedPos = PenPos;
    Pen.Width = 1;
    for (int i = 0; i < w && left + i < right - i && top + i < bottom - i; ++i) {
        const int l = left + i, t = top + i, r = right - 1 - i, b = bottom - 1 - i;
        MoveTo(l, t);
        LineTo(r, t);
        LineTo(r, b);
        LineTo(l, b);
        LineTo(l, t);
        if (r == l && b == t)
            SetPixel(r, b, Pen.Color); // a one-pixel rectangle
    }
    Pen = savedPen;
    PenPos = savedPos;
}

void TCanvas::FillRect(const TRect& r) {
    if (Brush.Style() == TBrushStyle::bsClear || r.IsEmpty())
        return;
    Painter().fillRect(ToQRect(r), ToQColor(Brush.Color()));
}

void TCanvas::DrawFocusRect(const TRect& r) {
    if (r.IsEmpty())
        return;
    QPainter& p = Painter();
    p.save();
    p.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    const QColor white(255, 255, 255);
    auto dot = [&](int x, int y) {
        if (((x + y) & 1) == 0)
            p.fillRect(QRect(x, y, 1, 1), white);
    };
    for (int x = r.Left; x < r.Right; ++x) {
        dot(x, r.Top);
        if (r.Bottom - 1 > r.Top)
            dot(x, r.Bottom - 1);
    }
    for (int y = r.Top + 1; y < r.Bottom - 1; ++y) {
        dot(r.Left, y);
        if (r.Right - 1 > r.Left)
            dot(r.Right - 1, y);
    }
    p.restore();
}

void TCanvas::FrameRect(const TRect& r) {
    if (Brush.Style() == TBrushStyle::bsClear || r.IsEmpty())
        return;
    const QColor c = ToQColor(Brush.Color());
    QPainter& p = Painter();
    p.fillRect(QRect(r.Left, r.Top, r.Width(), 1), c);
    p.fillRect(QRect(r.Left, r.Bottom - 1, r.Width(), 1), c);
    p.fillRect(QRect(r.Left, r.Top, 1, r.Height()), c);
    p.fillRect(QRect(r.Right - 1, r.Top, 1, r.Height()), c);
}

TColor TCanvas::Pixel(int x, int y) const {
    const QImage* image = Image();
    if (!image)
        return clNone;
    QPoint pt(x, y);
    if (m_painter)
        pt = m_painter->deviceTransform().map(pt);
    if (!image->valid(pt))
        return clNone;
    return FromQColor(image->pixelColor(pt));
}

void TCanvas::SetPixel(int x, int y, TColor c) {
    Painter().fillRect(QRect(x, y, 1, 1), ToQColor(c));
}

TTextMeasurer TCanvas::Measurer() const {
    const TTextMetric tm = GetTextMetrics(Font);
    TTextMeasurer m;
    const QFont f = ToQFont(Font);
    m.Width = [f](std::string_view s) {
        return QFontMetrics(f).horizontalAdvance(AnsiToQString(s));
    };
    m.LineHeight = tm.tmHeight;
    m.ExternalLeading = tm.tmExternalLeading;
    m.AveCharWidth = tm.tmAveCharWidth;
    return m;
}

int TCanvas::PaintText(int x, int y, std::string_view text, int underline,
                       const std::vector<int>* tabStops, int tabOrigin, unsigned align) {
    QPainter& p = Painter();
    const QFont f = ToQFont(Font);
    const QFontMetrics fm(f);
    const int height = fm.ascent() + fm.descent();
    const TTextMeasurer m = Measurer();
    const unsigned horizontal = align & TA_CENTER;
    // With TA_RIGHT the line runs leftwards from x and its tab stops count
    // leftwards from tabOrigin: the mirror image of a left-aligned line.
    const bool mirrored = horizontal == TA_RIGHT;
    // The runs between tabs as (distance from tabOrigin along the line,
    // text), and where the line ends.
    std::vector<std::pair<int, std::string_view>> runs;
    const int begin = mirrored ? tabOrigin - x : x - tabOrigin;
    int end = begin;
    if (tabStops) {
        std::size_t start = 0;
        while (true) {
            const std::size_t tab = text.find('\t', start);
            const std::string_view run = text.substr(
                start, tab == std::string_view::npos ? std::string_view::npos : tab - start);
            runs.emplace_back(end, run);
            if (!run.empty())
                end += m.Width(run);
            if (tab == std::string_view::npos)
                break;
            end = NextTabStop(end, *tabStops, m.AveCharWidth);
            start = tab + 1;
        }
    } else {
        runs.emplace_back(begin, text);
        if (!text.empty())
            end += m.Width(text);
    }
    const int width = end - begin;
    int left = mirrored ? x - width : x;
    if (horizontal == TA_CENTER)
        left = x - width / 2;
    // Where a run that starts at distance d along the line and is w wide
    // stands on the surface.
    const auto runLeft = [&](int d, int w) {
        return mirrored ? tabOrigin - d - w : left + (d - begin);
    };
    p.save();
    if (Font.Escapement != 0) {
        p.translate(x, y);
        p.rotate(-Font.Escapement / 10.0);
        p.translate(-x, -y);
    }
    // The text's top, in the text's own direction.
    const int top = (TextAlign & TA_BASELINE) == TA_BASELINE ? y - fm.ascent() : y;
    if (Brush.Style() == TBrushStyle::bsSolid && width > 0)
        p.fillRect(QRect(left, top, width, height), ToQColor(Brush.Color()));
    p.setFont(f);
    p.setPen(ToQColor(Font.Color));
    // Right-to-left reading orders the characters of each run from the
    // right; the run keeps its place.
    p.setLayoutDirection((align & TA_RTLREADING) ? Qt::RightToLeft : Qt::LeftToRight);
    for (const auto& [d, run] : runs)
        if (!run.empty())
            p.drawText(QPoint(runLeft(d, m.Width(run)), top + fm.ascent()), AnsiToQString(run));
    if (underline >= 0 && std::size_t(underline) < text.size()) {
        const int ux = left + (underline > 0 ? m.Width(text.substr(0, std::size_t(underline))) : 0);
        const int uw = m.Width(text.substr(std::size_t(underline), 1));
        p.fillRect(QRect(ux, top + fm.ascent() + 1, uw, std::max(1, fm.lineWidth())),
                   ToQColor(Font.Color));
    }
    p.restore();
    return width;
}

void TCanvas::TextOut(int x, int y, std::string_view text) {
    const int w = PaintText(x, y, text, -1, nullptr, 0, TextAlign);
    PenPos = {x + w, y};
}

void TCanvas::TextRect(const TRect& r, int x, int y, std::string_view text) {
    PushClip();
    IntersectClipRect(r);
    if (Brush.Style() == TBrushStyle::bsSolid)
        FillRect(r);
    PaintText(x, y, text, -1, nullptr, 0, TextAlign);
    PopClip();
}

int TCanvas::TextWidth(std::string_view text) const {
    return TextExtent(text).cx;
}
int TCanvas::TextHeight(std::string_view text) const {
    return TextExtent(text).cy;
}

TSize TCanvas::TextExtent(std::string_view text) const {
    const QFontMetrics fm(ToQFont(Font));
    return {text.empty() ? 0 : fm.horizontalAdvance(AnsiToQString(text)),
            fm.ascent() + fm.descent()};
}

int TCanvas::DrawText(std::string_view text, TRect& r, unsigned flags) {
    const TTextLayout layout = LayoutDrawText(text, r, flags, Measurer());
    // With DT_TABSTOP the second byte is the tab size, not flags.
    const unsigned own = (flags & DT_TABSTOP) ? flags & ~0xFF00u : flags;
    if (own & DT_CALCRECT) {
        r = layout.Rect;
        return layout.Result;
    }
    const bool clip = !(own & DT_NOCLIP);
    if (clip) {
        PushClip();
        IntersectClipRect(r);
    }
    const bool tabs = (flags & DT_EXPANDTABS) != 0;
    for (const TTextLine& line : layout.Lines)
        PaintText(line.X, line.Y, line.Text, (flags & DT_PREFIXONLY) ? -1 : line.Underline,
                  tabs ? &layout.TabStops : nullptr, line.X,
                  (own & DT_RTLREADING) ? TA_RTLREADING : TA_LEFT);
    if (clip)
        PopClip();
    return layout.Result;
}

TSize TCanvas::TabbedTextOut(int x, int y, std::string_view text, const std::vector<int>& tabStops,
                             int tabOrigin) {
    const int w = PaintText(x, y, text, -1, &tabStops, tabOrigin, TextAlign);
    return {w, GetTextMetrics(Font).tmHeight};
}

void TCanvas::PushClip() {
    QPainter& p = Painter();
    m_clipStack.emplace_back(p.hasClipping(), p.hasClipping() ? p.clipRegion() : QRegion());
}

void TCanvas::PopClip() {
    if (m_clipStack.empty())
        return;
    auto [had, region] = std::move(m_clipStack.back());
    m_clipStack.pop_back();
    QPainter& p = Painter();
    if (had)
        p.setClipRegion(region);
    else
        p.setClipping(false);
}

void TCanvas::IntersectClipRect(const TRect& r) {
    QPainter& p = Painter();
    p.setClipRect(ToQRect(r), p.hasClipping() ? Qt::IntersectClip : Qt::ReplaceClip);
}

QRect TCanvas::DeviceRectLogical() {
    QPainter& p = Painter();
    const QRect device(0, 0, m_device->width(), m_device->height());
    return p.deviceTransform().inverted().mapRect(device);
}

void TCanvas::ExcludeClipRect(const TRect& r) {
    QPainter& p = Painter();
    const QRegion base = p.hasClipping() ? p.clipRegion() : QRegion(DeviceRectLogical());
    p.setClipRegion(base.subtracted(QRegion(ToQRect(r))));
}

void TCanvas::ResetClip() {
    Painter().setClipping(false);
}

TRect TCanvas::ClipRect() const {
    auto* self = const_cast<TCanvas*>(this);
    QPainter& p = self->Painter();
    const QRect device = self->DeviceRectLogical();
    return FromQRect(p.hasClipping() ? p.clipBoundingRect().toAlignedRect().intersected(device)
                                     : device);
}

void TCanvas::SaveState() {
    Painter().save();
}
void TCanvas::RestoreState() {
    Painter().restore();
}
void TCanvas::OffsetOrigin(int dx, int dy) {
    Painter().translate(dx, dy);
}

} // namespace vdx::gui
