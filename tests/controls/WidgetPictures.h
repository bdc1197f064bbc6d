#pragma once
// Offscreen pictures of controls: painted into an image filled with a canary
// colour first, so pixels a control leaves alone are visible.

#include "platform/gui/color.h"

#include "Picture.h"

#include <QImage>
#include <QRect>
#include <QWidget>

namespace vdx::test {

// The widget (and its children) painted at the image origin, without any
// window background.
inline QImage RenderWidget(QWidget& widget) {
    QImage image(widget.size(), QImage::Format_RGB32);
    image.fill(gui::ToQColor(kCanary));
    widget.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    return image;
}

// The pixel as a TColor ($00BBGGRR).
inline gui::TColor PixelAt(const QImage& image, int x, int y) {
    return gui::FromQColor(image.pixelColor(x, y));
}

// A system or plain colour as the pixels show it.
inline gui::TColor Shown(gui::TColor c) {
    return gui::ColorToRGB(c);
}

// The smallest rectangle of area holding every pixel that is not background
// (empty when there is none).
inline QRect InkBounds(const QImage& image, const QRect& area, gui::TColor background) {
    QRect ink;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (PixelAt(image, x, y) != Shown(background))
                ink = ink.united(QRect(x, y, 1, 1));
    return ink;
}

} // namespace vdx::test
