#pragma once
// Points and rectangles with the platform's conventions: a rectangle holds the
// pixels from Left to Right - 1 and from Top to Bottom - 1.

#include <QPoint>
#include <QRect>

namespace vdx::gui {

struct TPoint {
    int X = 0;
    int Y = 0;
    friend constexpr bool operator==(const TPoint&, const TPoint&) = default;
};

struct TSize {
    int cx = 0;
    int cy = 0;
    friend constexpr bool operator==(const TSize&, const TSize&) = default;
};

struct TRect {
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;

    constexpr int Width() const noexcept { return Right - Left; }
    constexpr int Height() const noexcept { return Bottom - Top; }
    // True when the rectangle holds no pixel.
    constexpr bool IsEmpty() const noexcept { return Right <= Left || Bottom <= Top; }
    constexpr TPoint TopLeft() const noexcept { return {Left, Top}; }
    friend constexpr bool operator==(const TRect&, const TRect&) = default;
};

constexpr TPoint Point(int x, int y) noexcept {
    return {x, y};
}
constexpr TRect Rect(int left, int top, int right, int bottom) noexcept {
    return {left, top, right, bottom};
}
constexpr TRect Bounds(int left, int top, int width, int height) noexcept {
    return {left, top, left + width, top + height};
}
constexpr TRect InflateRect(TRect r, int dx, int dy) noexcept {
    return {r.Left - dx, r.Top - dy, r.Right + dx, r.Bottom + dy};
}
constexpr TRect OffsetRect(TRect r, int dx, int dy) noexcept {
    return {r.Left + dx, r.Top + dy, r.Right + dx, r.Bottom + dy};
}
// Left and top edges inside, right and bottom edges outside.
constexpr bool PtInRect(const TRect& r, TPoint p) noexcept {
    return p.X >= r.Left && p.X < r.Right && p.Y >= r.Top && p.Y < r.Bottom;
}
// The common part of a and b; an all-zero rectangle when they do not overlap.
constexpr TRect IntersectRect(const TRect& a, const TRect& b) noexcept {
    TRect r{a.Left > b.Left ? a.Left : b.Left, a.Top > b.Top ? a.Top : b.Top,
            a.Right < b.Right ? a.Right : b.Right, a.Bottom < b.Bottom ? a.Bottom : b.Bottom};
    return r.IsEmpty() ? TRect{} : r;
}

inline QRect ToQRect(const TRect& r) {
    return QRect(r.Left, r.Top, r.Width(), r.Height());
}
inline TRect FromQRect(const QRect& r) {
    return {r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
}
inline QPoint ToQPoint(TPoint p) {
    return QPoint(p.X, p.Y);
}

} // namespace vdx::gui
