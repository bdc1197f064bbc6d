#pragma once
// The icons of shell namespace items: one image list per size (16 and 32
// pixels) that takes each icon when it is first asked for. Icons come from
// the desktop's icon theme (QIcon::fromTheme), else from Qt's file icons
// (QFileIconProvider); image 0 is the generic file. Overlay 1 marks a shared
// item, overlay 2 a link, drawn over an icon's lower-left corner.

#include "platform/gui/canvas.h"
#include "platform/gui/tree_view.h"

#include <QFileIconProvider>
#include <QPixmap>

#include <map>
#include <string>
#include <vector>

namespace vdx::gui {

// What an icon is asked for by: a theme name, and the Qt file icon that
// stands in where the theme has none.
struct TShellIconRequest {
    std::string ThemeName;
    QAbstractFileIconProvider::IconType Fallback = QAbstractFileIconProvider::File;
    friend bool operator<(const TShellIconRequest& a, const TShellIconRequest& b) {
        return a.ThemeName != b.ThemeName ? a.ThemeName < b.ThemeName : a.Fallback < b.Fallback;
    }
};

class TShellImageList final : public TTreeImages {
public:
    explicit TShellImageList(int size);
    TShellImageList(const TShellImageList&) = delete;
    TShellImageList& operator=(const TShellImageList&) = delete;

    int Width() const noexcept { return m_size; }
    int Height() const noexcept { return m_size; }
    int Count() const noexcept { return static_cast<int>(m_images.size()); }
    // The index of the icon asked for, taken into the list the first time.
    int IndexOf(const TShellIconRequest& request);
    // Image index; an index outside the list is the generic image.
    const QPixmap& Image(int index) const;
    // Draws image index at (x, y); overlay 1 or 2 on top (0: none); a
    // ghosted image (a hidden item) is drawn half transparent.
    void Draw(TCanvas& canvas, int x, int y, int index, int overlay = 0,
              bool ghosted = false) const;

    int ImageWidth() const override { return m_size; }
    int ImageHeight() const override { return m_size; }
    void DrawImage(TCanvas& canvas, int x, int y, int index, int overlay,
                   bool ghosted) const override {
        Draw(canvas, x, y, index, overlay, ghosted);
    }

private:
    QPixmap Load(const TShellIconRequest& request) const;

    int m_size;
    std::vector<QPixmap> m_images;
    std::map<TShellIconRequest, int> m_indexes;
    QPixmap m_shared;
    QPixmap m_link;
};

// The process's lists: size 0 the small one, 1 the large (GUI thread).
TShellImageList& ShellImageList(int size);

} // namespace vdx::gui
