#include "platform/gui/shell_icons.h"

#include <QIcon>
#include <QPainter>

namespace vdx::gui {

namespace {

// A theme's emblem, else a mark of our own, at the lower-left corner of a
// clear image of the list's size: a box with an arrow for a link, a blue
// bar for a shared item.
QImage Emblem(const char* themeName, bool link, int size) {
    const int side = size <= 16 ? 8 : 14;
    QImage image(size, size, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter p(&image);
    const QIcon themed = QIcon::fromTheme(QString::fromLatin1(themeName));
    if (!themed.isNull()) {
        p.drawPixmap(0, size - side, themed.pixmap(side, side));
        return image;
    }
    p.translate(0, size - side);
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
    return image;
}

} // namespace

TShellImageList::TShellImageList(int size) : m_size(size), m_list(size, size) {
    IndexOf({"text-x-generic", QAbstractFileIconProvider::File}); // image 0
    m_list.SetOverlayImage(m_list.AddMasked(Emblem("emblem-shared", false, size), clNone), 1);
    m_list.SetOverlayImage(m_list.AddMasked(Emblem("emblem-symbolic-link", true, size), clNone), 2);
}

QImage TShellImageList::Load(const TShellIconRequest& request) const {
    QIcon icon = QIcon::fromTheme(QString::fromStdString(request.ThemeName));
    if (icon.isNull())
        icon = QFileIconProvider().icon(request.Fallback);
    QImage square(m_size, m_size, QImage::Format_ARGB32);
    square.fill(Qt::transparent);
    const QPixmap pixmap = icon.pixmap(m_size, m_size);
    if (!pixmap.isNull()) {
        // Another size is centred on the clear square.
        QPainter p(&square);
        const QPixmap scaled = pixmap.width() == m_size && pixmap.height() == m_size
                                   ? pixmap
                                   : pixmap.scaled(m_size, m_size, Qt::KeepAspectRatio);
        p.drawPixmap((m_size - scaled.width()) / 2, (m_size - scaled.height()) / 2, scaled);
    }
    return square;
}

int TShellImageList::IndexOf(const TShellIconRequest& request) {
    if (const auto it = m_indexes.find(request); it != m_indexes.end())
        return it->second;
    const int index = m_list.AddMasked(Load(request), clNone);
    m_indexes.emplace(request, index);
    return index;
}

TShellImageList& ShellImageList(int size) {
    // Kept to the end of the process: images must not outlive the
    // application object in a static destructor.
    static TShellImageList* const small = new TShellImageList(16);
    static TShellImageList* const large = new TShellImageList(32);
    return size == 0 ? *small : *large;
}

} // namespace vdx::gui
