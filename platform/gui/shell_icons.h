#pragma once
// The icons of shell namespace items: one image list per size (16 and 32
// pixels) that takes each icon when it is first asked for. Icons come from
// the desktop's icon theme (QIcon::fromTheme), else from Qt's file icons
// (QFileIconProvider); image 0 is the generic file. Overlay 1 marks a shared
// item, overlay 2 a link, drawn over an icon's lower-left corner.

#include "platform/gui/image_list.h"

#include <QFileIconProvider>

#include <map>
#include <string>

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

class TShellImageList {
public:
    explicit TShellImageList(int size);
    TShellImageList(const TShellImageList&) = delete;
    TShellImageList& operator=(const TShellImageList&) = delete;

    // The index of the icon asked for, taken into the list the first time.
    int IndexOf(const TShellIconRequest& request);
    TCustomImageList& List() noexcept { return m_list; }

private:
    QImage Load(const TShellIconRequest& request) const;

    int m_size;
    TCustomImageList m_list;
    std::map<TShellIconRequest, int> m_indexes;
};

// The process's lists: size 0 the small one, 1 the large (GUI thread).
TShellImageList& ShellImageList(int size);

} // namespace vdx::gui
