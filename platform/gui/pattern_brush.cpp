#include "platform/gui/pattern_brush.h"

#include <QPainter>

namespace vdx::gui {

namespace {

// The multiple of step at or below v.
int FloorTo(int v, int step) {
    const int q = v / step;
    return (v % step < 0 ? q - 1 : q) * step;
}

} // namespace

QImage AllocPatternBitmap(TColor background, TColor foreground) {
    QImage pattern(8, 8, QImage::Format_RGB32);
    const QColor bg = ToQColor(background), fg = ToQColor(foreground);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
            pattern.setPixelColor(x, y, (x + y) % 2 == 0 ? fg : bg);
    return pattern;
}

void FillRectPattern(TCanvas& canvas, const TRect& r, const QImage& pattern) {
    const int w = pattern.width(), h = pattern.height();
    if (r.IsEmpty() || w == 0 || h == 0)
        return;
    QPainter& p = canvas.Painter();
    p.save();
    p.setClipRect(ToQRect(r), Qt::IntersectClip);
    p.setCompositionMode(QPainter::CompositionMode_Source);
    for (int y = FloorTo(r.Top, h); y < r.Bottom; y += h)
        for (int x = FloorTo(r.Left, w); x < r.Right; x += w)
            p.drawImage(QPoint(x, y), pattern);
    p.restore();
}

} // namespace vdx::gui
