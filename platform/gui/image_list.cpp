#include "platform/gui/image_list.h"

#include <QPainter>

#include <algorithm>
#include <utility>

namespace vdx::gui {

// TChangeLink.

TChangeLink::~TChangeLink() {
    SetImages(nullptr);
}

void TChangeLink::SetImages(TCustomImageList* images) {
    if (m_images == images)
        return;
    if (m_images)
        std::erase(m_images->m_links, this);
    m_images = images;
    if (m_images)
        m_images->m_links.push_back(this);
}

// TCustomImageList.

TCustomImageList::TCustomImageList(int width, int height)
    : m_width(std::max(1, width)), m_height(std::max(1, height)) {}

TCustomImageList::~TCustomImageList() {
    for (TChangeLink* link : std::exchange(m_links, {})) {
        link->m_images = nullptr;
        if (link->OnRemoved)
            link->OnRemoved();
    }
}

void TCustomImageList::Change() {
    // A handler may leave the list: work on a copy.
    const std::vector<TChangeLink*> links = m_links;
    for (TChangeLink* link : links)
        if (std::find(m_links.begin(), m_links.end(), link) != m_links.end() && link->OnChange)
            link->OnChange();
}

void TCustomImageList::SetSize(int width, int height) {
    width = std::max(1, width);
    height = std::max(1, height);
    if (width == m_width && height == m_height)
        return;
    m_width = width;
    m_height = height;
    m_images.clear();
    Change();
}

int TCustomImageList::AddMasked(const QImage& image, TColor maskColor) {
    const int cells = image.height() >= m_height ? image.width() / m_width : 0;
    if (cells == 0)
        return -1;
    const int first = Count();
    const QRgb key = ToQColor(maskColor).rgb() & 0xFFFFFF;
    for (int c = 0; c < cells; ++c) {
        QImage cell =
            image.copy(c * m_width, 0, m_width, m_height).convertToFormat(QImage::Format_ARGB32);
        if (maskColor != clNone)
            for (int y = 0; y < cell.height(); ++y) {
                auto* line = reinterpret_cast<QRgb*>(cell.scanLine(y));
                for (int x = 0; x < cell.width(); ++x)
                    if ((line[x] & 0xFFFFFF) == key)
                        line[x] = 0;
            }
        m_images.push_back(std::move(cell));
    }
    Change();
    return first;
}

void TCustomImageList::Delete(int index) {
    if (index < 0 || index >= Count())
        return;
    m_images.erase(m_images.begin() + index);
    Change();
}

void TCustomImageList::Clear() {
    if (m_images.empty())
        return;
    m_images.clear();
    Change();
}

void TCustomImageList::Draw(TCanvas& canvas, int x, int y, int index, bool enabled) const {
    if (index < 0 || index >= Count())
        return;
    const QImage& image = m_images[std::size_t(index)];
    QPainter& p = canvas.Painter();
    p.setCompositionMode(QPainter::CompositionMode_SourceOver);
    if (enabled) {
        p.drawImage(QPoint(x, y), image);
        return;
    }
    // The disabled look: the image's ink (every drawn pixel but white) in
    // the highlight colour one pixel down and right, then in the shadow.
    QImage ink(image.size(), QImage::Format_ARGB32);
    ink.fill(Qt::transparent);
    auto stamp = [&](TColor color) {
        const QRgb c = ToQColor(color).rgb();
        for (int yy = 0; yy < image.height(); ++yy)
            for (int xx = 0; xx < image.width(); ++xx) {
                const QRgb px = image.pixel(xx, yy);
                ink.setPixel(xx, yy, qAlpha(px) != 0 && (px & 0xFFFFFF) != 0xFFFFFF ? c : 0);
            }
        return ink;
    };
    p.drawImage(QPoint(x + 1, y + 1), stamp(clBtnHighlight));
    p.drawImage(QPoint(x, y), stamp(clBtnShadow));
}

} // namespace vdx::gui
