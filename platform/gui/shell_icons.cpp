#include "platform/gui/shell_icons.h"

#include <QIcon>
#include <QPainter>

namespace vdx::gui {

namespace {

// A theme's emblem, else a small mark of our own: a hand-sized box with an
// arrow for a link, a blue bar for a shared item.
QPixmap Emblem(const char* themeName, bool link, int size) {
    const int side = size <= 16 ? 8 : 14;
    const QIcon themed = QIcon::fromTheme(QString::fromLatin1(themeName));
    if (!themed.isNull())
        return themed.pixmap(side, side);
    QPixmap mark(side, side);
    mark.fill(Qt::transparent);
    QPainter p(&mark);
    if (link) {
        p.fillRect(0, 0, side, side, Qt::white);
        p.setPen(Qt::black);
        p.drawRect(0, 0, side - 1, side - 1);
        p.drawLine(2, side - 3, side - 3, 2);
        p.drawLine(side - 3, 2, side - 3, side / 2);
        p.drawLine(side - 3, 2, side / 2, 2);
    } else {
        p.fillRect(0, side / 2, side, side / 2, QColor(0, 0, 160));
    }
    return mark;
}

} // namespace

TShellImageList::TShellImageList(int size)
    : m_size(size), m_shared(Emblem("emblem-shared", false, size)),
      m_link(Emblem("emblem-symbolic-link", true, size)) {
    IndexOf({"text-x-generic", QAbstractFileIconProvider::File});
}

QPixmap TShellImageList::Load(const TShellIconRequest& request) const {
    QIcon icon = QIcon::fromTheme(QString::fromStdString(request.ThemeName));
    if (icon.isNull())
        icon = QFileIconProvider().icon(request.Fallback);
    QPixmap pixmap = icon.pixmap(m_size, m_size);
    if (pixmap.isNull() || pixmap.width() != m_size || pixmap.height() != m_size) {
        // Nothing to show, or another size: centred on a clear square.
        QPixmap square(m_size, m_size);
        square.fill(Qt::transparent);
        if (!pixmap.isNull()) {
            QPainter p(&square);
            const QPixmap scaled = pixmap.scaled(m_size, m_size, Qt::KeepAspectRatio);
            p.drawPixmap((m_size - scaled.width()) / 2, (m_size - scaled.height()) / 2, scaled);
        }
        pixmap = square;
    }
    return pixmap;
}

int TShellImageList::IndexOf(const TShellIconRequest& request) {
    if (const auto it = m_indexes.find(request); it != m_indexes.end())
        return it->second;
    const int index = Count();
    m_images.push_back(Load(request));
    m_indexes.emplace(request, index);
    return index;
}

const QPixmap& TShellImageList::Image(int index) const {
    return index >= 0 && index < Count() ? m_images[std::size_t(index)] : m_images.front();
}

void TShellImageList::Draw(TCanvas& canvas, int x, int y, int index, int overlay,
                           bool ghosted) const {
    QPainter& p = canvas.Painter();
    p.save();
    if (ghosted)
        p.setOpacity(0.5);
    p.drawPixmap(x, y, Image(index));
    const QPixmap* emblem = overlay == 1 ? &m_shared : overlay == 2 ? &m_link : nullptr;
    if (emblem)
        p.drawPixmap(x, y + m_size - emblem->height(), *emblem);
    p.restore();
}

TShellImageList& ShellImageList(int size) {
    // Kept to the end of the process: pixmaps must not outlive the
    // application object in a static destructor.
    static TShellImageList* const small = new TShellImageList(16);
    static TShellImageList* const large = new TShellImageList(32);
    return size == 0 ? *small : *large;
}

} // namespace vdx::gui
