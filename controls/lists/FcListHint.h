#pragma once
// The item hint of a list box: a small tool-tip window over an item that is
// wider than the box, showing the whole text in the list's font. The list
// view's info tip shows in the same window.

#include "controls/base/FcGrafx.h"

#include <QPointer>
#include <QWidget>

#include <string>
#include <string_view>

namespace vdx {

// Whether an item of textWidth pixels needs a hint in a client area of
// clientWidth with indent pixels before the text.
constexpr bool ItemHintNeeded(int clientWidth, int indent, int textWidth) noexcept {
    return clientWidth - indent < textWidth + 2;
}
// The text the hint shows: tabs become eight spaces (the hint has no tab
// stops).
std::string ItemHintText(std::string_view text);
// The hint's top left corner for an item row starting at itemTopLeft: over
// the text after indent, centred on a row of itemHeight.
constexpr QPoint ItemHintOrigin(QPoint itemTopLeft, int indent, int itemHeight,
                                int hintHeight) noexcept {
    return {itemTopLeft.x() + indent - 1, itemTopLeft.y() - 2 + (itemHeight - hintHeight) / 2};
}

class TFcListHint {
public:
    // The hint window is a child of owner, made when first shown.
    explicit TFcListHint(QWidget& owner) noexcept : m_owner(owner) {}
    // The owner is held by address.
    TFcListHint(const TFcListHint&) = delete;
    TFcListHint& operator=(const TFcListHint&) = delete;

    // Shows text (as ItemHintText makes it) in font over the item whose row
    // starts at itemTopLeft (global coordinates); a hint already showing at
    // that place is left alone.
    void Show(std::string_view text, const TFont& font, QPoint itemTopLeft, int indent,
              int itemHeight);
    // Shows text as it stands in font with its top left corner at (global
    // coordinates); a hint already showing there is left alone.
    void ShowAt(std::string_view text, const TFont& font, QPoint at);
    void Hide();
    bool Showing() const;

private:
    QWidget& m_owner;
    QPointer<QWidget> m_window;
};

} // namespace vdx
