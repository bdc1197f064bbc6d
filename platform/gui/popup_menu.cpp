#include "platform/gui/popup_menu.h"

#include "platform/gui/ansi_text.h"
#include "platform/gui/exception_guard.h"

#include <QAction>
#include <QGuiApplication>
#include <QMenu>
#include <QScreen>

namespace vdx::gui {

TMenuItem::TMenuItem(QObject* owner) : QObject(owner) {}

void TMenuItem::Click() {
    if (OnClick)
        OnClick(this);
}

TRect PlacePopupMenu(TPoint at, TSize size, TPopupAlignment alignment, const TRect& wa) {
    const int w = size.cx, h = size.cy;
    int left = at.X;
    if (alignment == TPopupAlignment::paRight)
        left = at.X - w;
    else if (alignment == TPopupAlignment::paCenter)
        left = at.X - w / 2;
    if (left + w > wa.Right)
        left =
            alignment == TPopupAlignment::paLeft && at.X - w >= wa.Left ? at.X - w : wa.Right - w;
    if (left < wa.Left)
        left = alignment == TPopupAlignment::paRight && at.X + w <= wa.Right ? at.X : wa.Left;
    int top = at.Y;
    if (top + h > wa.Bottom)
        top = at.Y - h >= wa.Top ? at.Y - h : wa.Bottom - h;
    if (top < wa.Top)
        top = wa.Top;
    return Bounds(left, top, w, h);
}

TRect ScreenWorkAreaAt(TPoint point) {
    QScreen* screen = QGuiApplication::screenAt(ToQPoint(point));
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    return screen ? FromQRect(screen->availableGeometry()) : TRect{};
}

TPopupMenu::TPopupMenu(QObject* owner) : QObject(owner) {}

TPopupMenu::~TPopupMenu() = default;

TMenuItem* TPopupMenu::Add(const std::string& caption, std::function<void(QObject*)> onClick) {
    auto* item = new TMenuItem(this);
    item->Caption = caption;
    item->OnClick = std::move(onClick);
    m_items.emplace_back(item);
    return item;
}

TMenuItem* TPopupMenu::Item(int index) const {
    if (index < 0 || index >= Count())
        return nullptr;
    return m_items[std::size_t(index)];
}

void TPopupMenu::Clear() {
    for (const QPointer<TMenuItem>& item : m_items)
        delete item.data();
    m_items.clear();
}

void TPopupMenu::Popup(int x, int y) {
    m_popupPoint = {x, y};
    if (OnPopup)
        OnPopup(this);

    QMenu menu;
    // The position handed to Qt is the menu's top-left corner.
    menu.setLayoutDirection(Qt::LeftToRight);
    QPointer<TMenuItem> chosen;
    for (const QPointer<TMenuItem>& item : m_items) {
        if (!item || !item->Visible)
            continue;
        if (item->Caption == "-") {
            menu.addSeparator();
            continue;
        }
        QAction* action = menu.addAction(AnsiToQString(item->Caption));
        action->setEnabled(item->Enabled);
        if (item->Checked) {
            action->setCheckable(true);
            action->setChecked(true);
        }
        QObject::connect(action, &QAction::triggered, &menu, [&chosen, &menu, p = item] {
            chosen = p;
            menu.close();
        });
    }
    const QSize hint = menu.sizeHint();
    m_popupBounds = PlacePopupMenu(m_popupPoint, {hint.width(), hint.height()}, m_alignment,
                                   ScreenWorkAreaAt(m_popupPoint));

    const QPointer<TPopupMenu> self(this);
    m_showing = &menu;
    menu.exec(QPoint(m_popupBounds.Left, m_popupBounds.Top));
    if (!self)
        return;
    m_showing = nullptr;
    if (chosen)
        chosen->Click();
}

} // namespace vdx::gui
