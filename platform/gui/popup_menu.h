#pragma once
// The class library's pop-up menu over QMenu: a list of items, the
// alignment of the menu on the point it opens at, the component it was
// opened for, and Popup, which shows the menu and returns when it closed.
// The menu is kept inside the work area of the monitor it opens on; where
// it was placed stays readable afterwards.

#include "platform/gui/geometry.h"

#include <QObject>
#include <QPointer>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class QMenu;

namespace vdx::gui {

// Which edge of the menu (or its middle) stands at the point it opens at.
enum class TPopupAlignment : std::uint8_t { paLeft, paRight, paCenter };

// One command of a menu. Owned by its menu (Qt's parent ownership).
class TMenuItem : public QObject {
    Q_OBJECT
public:
    explicit TMenuItem(QObject* owner = nullptr);

    // "-" is a separator; "&" marks the accelerator, "&&" shows one "&".
    std::string Caption;
    bool Enabled = true;
    bool Visible = true;
    bool Checked = false;
    // Sender is the item.
    std::function<void(QObject* sender)> OnClick;

    // Fires OnClick.
    void Click();
};

// Where a menu of size opens for the point at, inside workArea. Alignment
// puts the menu's left edge (paLeft), right edge (paRight) or middle
// (paCenter) at at.X and its top at at.Y. A menu that would cross the
// right or bottom edge opens on the other side of the point (a paLeft menu
// to the left of it, any menu above it) when it fits there, and is pushed
// inside otherwise; one that would cross the left edge opens to the right
// of a paRight point when it fits, else at the left edge. It never starts
// left of or above the work area.
TRect PlacePopupMenu(TPoint at, TSize size, TPopupAlignment alignment, const TRect& workArea);

// The work area (screen without panels and docks) of the screen holding
// point, else of the primary screen; all zero without a screen.
TRect ScreenWorkAreaAt(TPoint point);

class TPopupMenu : public QObject {
    Q_OBJECT
public:
    explicit TPopupMenu(QObject* owner = nullptr);
    ~TPopupMenu() override;

    // Appends an item (owned by the menu) and returns it.
    TMenuItem* Add(const std::string& caption, std::function<void(QObject*)> onClick = {});
    int Count() const noexcept { return int(m_items.size()); }
    // nullptr out of range.
    TMenuItem* Item(int index) const;
    void Clear();

    TPopupAlignment Alignment() const noexcept { return m_alignment; }
    void SetAlignment(TPopupAlignment value) noexcept { m_alignment = value; }
    // Whether a control's context pop-up opens the menu by itself.
    bool AutoPopup() const noexcept { return m_autoPopup; }
    void SetAutoPopup(bool value) noexcept { m_autoPopup = value; }
    // The component the menu was last opened for (cleared when it is
    // destroyed).
    QObject* PopupComponent() const noexcept { return m_popupComponent; }
    void SetPopupComponent(QObject* value) noexcept { m_popupComponent = value; }

    // Before the menu shows; items may still be changed then.
    std::function<void(QObject* sender)> OnPopup;

    // Shows the menu at (x, y), in screen coordinates, as Alignment says
    // and kept inside the work area there; returns when the menu closed.
    // The chosen item's OnClick runs after the menu closed, before Popup
    // returns.
    void Popup(int x, int y);
    // The point of the last Popup.
    TPoint PopupPoint() const noexcept { return m_popupPoint; }
    // Where the last Popup placed the menu, in screen coordinates.
    TRect PopupBounds() const noexcept { return m_popupBounds; }
    // The menu window while it is open, else nullptr.
    QMenu* ShowingMenu() const noexcept { return m_showing; }

private:
    std::vector<QPointer<TMenuItem>> m_items;
    TPopupAlignment m_alignment = TPopupAlignment::paLeft;
    bool m_autoPopup = true;
    QPointer<QObject> m_popupComponent;
    TPoint m_popupPoint;
    TRect m_popupBounds;
    QMenu* m_showing = nullptr; // lives on the stack of Popup
};

} // namespace vdx::gui
