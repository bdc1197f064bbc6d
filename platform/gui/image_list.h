#pragma once
// Image lists as the class library has them: images of one size, added from
// bitmaps with a colour that stays transparent, drawn by index either as
// they are or in the disabled (embossed) look, and change links through which
// the controls that show a list hear of its changes and of its end.

#include "platform/gui/canvas.h"
#include "platform/gui/color.h"

#include <QImage>

#include <functional>
#include <vector>

namespace vdx::gui {

class TCustomImageList;

// A control's link to the image list it shows (the list is not owned).
class TChangeLink {
public:
    TChangeLink() = default;
    ~TChangeLink();
    // The list keeps the link's address.
    TChangeLink(const TChangeLink&) = delete;
    TChangeLink& operator=(const TChangeLink&) = delete;

    TCustomImageList* Images() const noexcept { return m_images; }
    // Leaves the old list and joins images (nullptr: none).
    void SetImages(TCustomImageList* images);

    // The list changed (images, size).
    std::function<void()> OnChange;
    // The list is being destroyed; Images() is nullptr already.
    std::function<void()> OnRemoved;

private:
    friend class TCustomImageList;
    TCustomImageList* m_images = nullptr;
};

class TCustomImageList {
public:
    explicit TCustomImageList(int width = 16, int height = 16);
    // Tells every link and clears it.
    ~TCustomImageList();
    // The links keep the list's address.
    TCustomImageList(const TCustomImageList&) = delete;
    TCustomImageList& operator=(const TCustomImageList&) = delete;

    int Width() const noexcept { return m_width; }
    int Height() const noexcept { return m_height; }
    int Count() const noexcept { return int(m_images.size()); }
    // A new size empties the list, as the class library's does.
    void SetSize(int width, int height);

    // Adds the Width x Height cells of image, left to right (a narrower
    // rest is left out), with every pixel of maskColor transparent (clNone:
    // none). Returns the index of the first one added, -1 for none.
    int AddMasked(const QImage& image, TColor maskColor);
    void Delete(int index); // an index outside the list does nothing
    void Clear();

    // Draws image index with its top-left at (x, y); disabled: embossed in
    // the button highlight and shadow colours. An index outside the list
    // draws nothing.
    void Draw(TCanvas& canvas, int x, int y, int index, bool enabled = true) const;

private:
    friend class TChangeLink;
    void Change();

    int m_width;
    int m_height;
    std::vector<QImage> m_images; // ARGB, transparent pixels of alpha 0
    std::vector<TChangeLink*> m_links;
};

} // namespace vdx::gui
