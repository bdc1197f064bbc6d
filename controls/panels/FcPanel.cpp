#include "controls/panels/FcPanel.h"

#include "controls/base/FcCommon.h"
#include "controls/base/FcDisplayFacts.h"
#include "controls/panels/FcPanelDockManager.h"
#include "platform/gui/exception_guard.h"
#include "platform/gui/text_layout.h"

#include <QApplication>
#include <QChildEvent>
#include <QCursor>
#include <QLayout>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QResizeEvent>

#include <algorithm>

namespace vdx {

using gui::TBrushStyle;

TRect PlaceCaptionRect(TRect r, int h, TAlignmentVertical alignment) noexcept {
    switch (alignment) {
    case TAlignmentVertical::avTop:
        if (r.Top + h < r.Bottom)
            r.Bottom = r.Top + h;
        break;
    case TAlignmentVertical::avCenter:
        r.Top = (r.Top + r.Bottom - h) / 2;
        if (r.Top + h < r.Bottom)
            r.Bottom = r.Top + h;
        break;
    case TAlignmentVertical::avBottom:
        if (r.Bottom - h - 1 > r.Top)
            r.Top = r.Bottom - h - 1;
        break;
    }
    return r;
}

std::vector<TRect> ResizeRepaintStrips(TRect inner, TPoint margin, gui::TSize oldSize,
                                       gui::TSize newSize) {
    std::vector<TRect> strips;
    if (newSize.cx != oldSize.cx)
        strips.push_back(gui::Rect(inner.Right - margin.X, 0, newSize.cx, newSize.cy));
    if (newSize.cy != oldSize.cy)
        strips.push_back(gui::Rect(0, inner.Bottom - margin.Y, newSize.cx, newSize.cy));
    return strips;
}

TFcCustomPanel::TFcCustomPanel(QWidget* parent)
    : TFcBorderedControl(
          parent, TFcBorders{.BorderOuter = TFrameStyleEx::fsRaised, .FlatColorAdjustment = 30}) {
    SetColor(gui::clBtnFace);
    SetAlignment(TAlignment::taCenter);
    Realign();
    if (auto* app = qobject_cast<QApplication*>(QCoreApplication::instance()))
        m_focusConnection = QObject::connect(
            app, &QApplication::focusChanged, this,
            [this](QWidget*, QWidget* now) { gui::Guard([&] { FollowFocus(now); }); });
}

TFcCustomPanel::~TFcCustomPanel() {
    QObject::disconnect(m_focusConnection);
}

TPoint TFcCustomPanel::GetCursorClientPos() const {
    const QPoint p = mapFromGlobal(QCursor::pos());
    return {p.x(), p.y()};
}

TRect TFcCustomPanel::GetPanelRect() const {
    return gui::Rect(0, 0, width(), height());
}

TPoint TFcCustomPanel::GetMarginSize() const {
    return {1, 1};
}

TRect TFcCustomPanel::GetClientRect() const {
    TRect r = GetPanelRect();
    // A dock site leaves the borders to AdjustClientRect.
    if (!m_dockSite)
        AdjustRectForBorders(r, false);
    return r;
}

TRect TFcCustomPanel::AdjustClientRect(TRect r) const {
    r.Left += m_padding.left() + BorderWidth();
    r.Top += m_padding.top() + BorderWidth();
    r.Right -= m_padding.right() + BorderWidth();
    r.Bottom -= m_padding.bottom() + BorderWidth();
    if (m_dockSite)
        AdjustRectForBorders(r, false);
    return r;
}

void TFcCustomPanel::SetAutoSize(bool value) {
    if (StoreChanged(m_autoSize, value))
        AdjustSize();
}

void TFcCustomPanel::AdjustSize() {
    if (!m_autoSize || m_autoSizing)
        return;
    m_autoSizing = true;
    gui::Guard([this] {
        const QMargins m = contentsMargins();
        QSize size;
        if (layout()) {
            size = layout()->totalSizeHint();
        } else {
            QRect extents;
            std::vector<QWidget*> shown;
            for (QObject* o : children())
                if (auto* w = qobject_cast<QWidget*>(o); w && !w->isWindow() && !w->isHidden()) {
                    extents = extents.united(w->geometry());
                    shown.push_back(w);
                }
            if (shown.empty())
                return;
            const QPoint shift = QPoint(m.left(), m.top()) - extents.topLeft();
            for (QWidget* w : shown)
                w->move(w->pos() + shift);
            size = extents.size() + QSize(m.left() + m.right(), m.top() + m.bottom());
        }
        if (size != this->size())
            SetBounds(x(), y(), size.width(), size.height());
    });
    m_autoSizing = false;
}

bool TFcCustomPanel::event(QEvent* event) {
    const bool result = TFcBorderedControl::event(event);
    switch (event->type()) {
    case QEvent::ChildAdded:
        if (auto* w = qobject_cast<QWidget*>(static_cast<QChildEvent*>(event)->child()))
            w->installEventFilter(this);
        AdjustSize();
        break;
    case QEvent::ChildRemoved:
    case QEvent::LayoutRequest:
        AdjustSize();
        break;
    default:
        break;
    }
    return result;
}

bool TFcCustomPanel::eventFilter(QObject* watched, QEvent* event) {
    if (watched->parent() == this) {
        switch (event->type()) {
        case QEvent::Move:
        case QEvent::Resize:
        case QEvent::Show:
        case QEvent::Hide:
            AdjustSize();
            break;
        default:
            break;
        }
    }
    return TFcBorderedControl::eventFilter(watched, event);
}

void TFcCustomPanel::Realign() {
    // The margins do not depend on the size (the rectangle may even turn
    // inside out on a small panel).
    const TRect panel = GetPanelRect();
    const TRect r = AdjustClientRect(GetClientRect());
    SetFrameMargins(QMargins(std::max(0, r.Left - panel.Left), std::max(0, r.Top - panel.Top),
                             std::max(0, panel.Right - r.Right),
                             std::max(0, panel.Bottom - r.Bottom)));
    AdjustSize();
}

void TFcCustomPanel::EnableChildControls(bool enable) {
    auto directChildren = [this] {
        std::vector<QWidget*> out;
        for (QObject* o : children())
            if (auto* w = qobject_cast<QWidget*>(o); w && !w->isWindow())
                out.push_back(w);
        return out;
    };
    if (!enable) {
        m_enabledStates.clear();
        for (QWidget* w : directChildren())
            m_enabledStates.emplace_back(w, w->isEnabledTo(this));
        for (QWidget* w : directChildren())
            w->setEnabled(false);
        return;
    }
    for (QWidget* w : directChildren()) {
        auto it = std::find_if(m_enabledStates.begin(), m_enabledStates.end(),
                               [w](const auto& e) { return e.first == w; });
        if (it == m_enabledStates.end() || it->second)
            w->setEnabled(true);
    }
}

void TFcCustomPanel::GetGradientColors(TColor& startColor, TColor& stopColor) const {
    if (m_gradientColorStyle == TFcGradientColorStyle::gcsCustom) {
        startColor = m_gradientColorStart;
        stopColor = m_gradientColorStop;
        return;
    }
    GetGradientPanelColors(m_gradientColorStyle, startColor, stopColor);
}

void TFcCustomPanel::GetFlatColors(TColor& color, int& adjustment) const {
    if (m_visualStyle != TFcVisualStyle::vsGradient ||
        m_gradientColorStyle == TFcGradientColorStyle::gcsCustom) {
        color = FlatColor();
        adjustment = FlatColorAdjustment();
        return;
    }
    color = GetGradientFrameColor(m_gradientColorStyle);
    adjustment = 0;
}

void TFcCustomPanel::DrawCaptionText(TCanvas& canvas, TRect r) {
    if (Caption().empty())
        return;
    canvas.Font = Font();
    r.Left += m_textMargin;
    r.Right -= m_textMargin;
    r.Top += m_textMarginVertical;
    r.Bottom -= m_textMarginVertical;
    unsigned flags = gui::DT_EXPANDTABS | gui::DT_VCENTER;
    if (m_wordWrap)
        flags |= gui::DT_WORDBREAK;
    switch (Alignment()) {
    case TAlignment::taLeftJustify:
        flags |= gui::DT_LEFT;
        break;
    case TAlignment::taRightJustify:
        flags |= gui::DT_RIGHT;
        break;
    case TAlignment::taCenter:
        flags |= gui::DT_CENTER;
        break;
    }
    // Right to left as the class library's panel draws its caption.
    flags = DrawTextBiDiModeFlags(flags);
    TRect measured = r;
    const int h = DrawTextOnCanvas(canvas, Caption(), measured, flags | gui::DT_CALCRECT);
    r = PlaceCaptionRect(r, h, m_alignmentVertical);
    if (!isEnabled())
        canvas.Font.Color = gui::clGrayText;
    DrawTextOnCanvas(canvas, Caption(), r, flags);
}

void TFcCustomPanel::DrawGrid(TCanvas& canvas, const TRect& r) {
    const int gx = m_gridXSize, gy = m_gridYSize;
    const int nx = gx ? (r.Right - r.Left) / gx : 0;
    const int ny = gy ? (r.Bottom - r.Top) / gy : 0;
    canvas.Pen.Color = m_gridColor;
    if (m_gridStyle == TFcGridStyle::gsDots) {
        for (int i = 1; i <= nx; ++i)
            for (int j = 1; j <= ny; ++j)
                canvas.SetPixel(r.Left + i * gx - 1, r.Top + j * gy - 1, m_gridColor);
        return;
    }
    const bool solid = m_gridStyle == TFcGridStyle::gsSolidLines;
    for (int i = 1; i <= nx; ++i) {
        const int x = r.Left + i * gx - 1;
        if (solid) {
            canvas.MoveTo(x, r.Top);
            canvas.LineTo(x, r.Bottom);
        } else {
            for (int y = r.Top + 1; y < r.Bottom; y += 2)
                canvas.SetPixel(x, y, m_gridColor);
        }
    }
    for (int j = 1; j <= ny; ++j) {
        const int y = r.Top + j * gy - 1;
        if (solid) {
            canvas.MoveTo(r.Left, y);
            canvas.LineTo(r.Right, y);
        } else {
            for (int x = r.Left + 1; x < r.Right; x += 2)
                canvas.SetPixel(x, y, m_gridColor);
        }
    }
}

void TFcCustomPanel::SetBounds(int left, int top, int w, int h) {
    // The kept edge follows the size the limits allow, not the one asked.
    if (!CheckNewSize(w, h))
        return;
    if (m_align == TAlign::alBottom && h != height())
        top -= h - height();
    if (m_align == TAlign::alRight && w != width())
        left -= w - width();
    ApplyBounds(left, top, w, h);
}

void TFcCustomPanel::FollowFocus(QWidget* now) {
    const bool within = now && (now == this || isAncestorOf(now));
    if (within == m_focusWithin)
        return;
    m_focusWithin = within;
    if (within)
        TFcBorderedControl::FocusEnter();
    else
        TFcBorderedControl::FocusExit();
}

void TFcCustomPanel::Resize() {
    // Every change of size aligns the children anew, also to borders a
    // frame controller wrote without moving them.
    Realign();
    TFcBorderedControl::Resize();
}

void TFcCustomPanel::Loaded() {
    gui::TFramedHost::Loaded();
    Realign();
    update();
}

void TFcCustomPanel::EraseBackground(TCanvas& canvas) {
    if (Transparent()) {
        if (m_paintClientArea)
            PaintParentBackground(*this, canvas, true);
        return;
    }
    canvas.Brush.SetColor(Color());
    canvas.FillRect(GetClientRect());
}

void TFcCustomPanel::Paint(TCanvas& canvas) {
    TRect r = GetPanelRect();
    TColor flatColor;
    int flatAdjustment = 0;
    GetFlatColors(flatColor, flatAdjustment);
    TInnerOuterBorders b = BorderModel();
    b.FlatColor = flatColor;
    b.FlatColorAdjustment = flatAdjustment;
    r = DrawInnerOuterBorders(canvas, r, b);

    if (!Transparent() && m_paintClientArea) {
        const TFcBorders& borders = Borders();
        const bool rounded =
            (borders.BorderOuter == TFrameStyleEx::fsFlatRounded &&
             borders.BorderInner == TFrameStyleEx::fsNone && borders.BorderWidth == 0) ||
            borders.BorderInner == TFrameStyleEx::fsFlatRounded;
        TRect fill = r;
        const TSides s = borders.BorderSides;
        if (rounded) {
            fill.Left -= s.Contains(TSide::sdLeft) ? 1 : 0;
            fill.Top -= s.Contains(TSide::sdTop) ? 1 : 0;
            fill.Right += s.Contains(TSide::sdRight) ? 1 : 0;
            fill.Bottom += s.Contains(TSide::sdBottom) ? 1 : 0;
        }
        if (m_visualStyle == TFcVisualStyle::vsGradient) {
            TColor start, stop;
            GetGradientColors(start, stop);
            PaintGradient(canvas, fill, m_gradientDirection, start, stop, 1);
        } else {
            canvas.Brush.SetColor(Color());
            canvas.FillRect(fill);
        }
        if (rounded) {
            const TColor corner = AdjustColor(flatColor, flatAdjustment);
            const bool left = s.Contains(TSide::sdLeft), top = s.Contains(TSide::sdTop);
            const bool right = s.Contains(TSide::sdRight), bottom = s.Contains(TSide::sdBottom);
            if (left && top)
                canvas.SetPixel(fill.Left, fill.Top, corner);
            if (top && right)
                canvas.SetPixel(fill.Right - 1, fill.Top, corner);
            if (right && bottom)
                canvas.SetPixel(fill.Right - 1, fill.Bottom - 1, corner);
            if (left && bottom)
                canvas.SetPixel(fill.Left, fill.Bottom - 1, corner);
        }
    }
    if (m_showGrid)
        DrawGrid(canvas, r);
    canvas.Brush.SetStyle(TBrushStyle::bsClear);
    DrawCaptionText(canvas, r);
    canvas.Brush.SetStyle(TBrushStyle::bsSolid);
    if (OnPaint)
        OnPaint(this, canvas);
}

void TFcCustomPanel::paintEvent(QPaintEvent*) {
    gui::Guard([this] {
        TCanvas canvas(*this);
        EraseBackground(canvas);
        Paint(canvas);
        if (m_dockManager)
            m_dockManager->PaintSite(canvas);
    });
}

void TFcCustomPanel::resizeEvent(QResizeEvent* event) {
    gui::TFramedHost::resizeEvent(event);
    gui::Guard([&] {
        if (m_fullRepaint || !Caption().empty()) {
            update();
        } else {
            TRect inner = GetPanelRect();
            AdjustRectForBorders(inner, true);
            const QSize o = event->oldSize().isValid() ? event->oldSize() : QSize(0, 0);
            for (const TRect& strip : ResizeRepaintStrips(
                     inner, GetMarginSize(), {o.width(), o.height()}, {width(), height()}))
                update(gui::ToQRect(strip));
        }
    });
}

void TFcCustomPanel::changeEvent(QEvent* event) {
    gui::TFramedHost::changeEvent(event);
    // The desktop's theme changed: its colour scheme may have too.
    if (event->type() == QEvent::ThemeChange)
        XPColorScheme = ReadXPColorScheme();
}

void TFcCustomPanel::EnabledChanged() {
    update();
    // Only a change of the panel's own state moves the children; a
    // disabled ancestor disables them by itself.
    const bool own = !testAttribute(Qt::WA_ForceDisabled);
    if (own == m_ownEnabled)
        return;
    m_ownEnabled = own;
    EnableChildControls(own);
}

// Setters: compare, store, repaint.

void TFcCustomPanel::SetAlignmentVertical(TAlignmentVertical value) {
    if (StoreChanged(m_alignmentVertical, value))
        update();
}

void TFcCustomPanel::SetGradientColorStyle(TFcGradientColorStyle value) {
    if (StoreChanged(m_gradientColorStyle, value))
        update();
}

void TFcCustomPanel::SetGridColor(TColor value) {
    if (StoreChanged(m_gridColor, value))
        update();
}

void TFcCustomPanel::SetGridStyle(TFcGridStyle value) {
    if (StoreChanged(m_gridStyle, value))
        update();
}

void TFcCustomPanel::SetGridXSize(std::uint16_t value) {
    if (StoreChanged(m_gridXSize, value))
        update();
}

void TFcCustomPanel::SetGridYSize(std::uint16_t value) {
    if (StoreChanged(m_gridYSize, value))
        update();
}

void TFcCustomPanel::SetPaintClientArea(bool value) {
    if (StoreChanged(m_paintClientArea, value))
        update();
}

void TFcCustomPanel::SetShowGrid(bool value) {
    if (StoreChanged(m_showGrid, value))
        update();
}

void TFcCustomPanel::SetTextMargin(int value) {
    if (StoreChanged(m_textMargin, value))
        update();
}

void TFcCustomPanel::SetTextMarginVertical(int value) {
    if (StoreChanged(m_textMarginVertical, value))
        update();
}

void TFcCustomPanel::SetVisualStyle(TFcVisualStyle value) {
    if (StoreChanged(m_visualStyle, value))
        update();
}

void TFcCustomPanel::SetWordWrap(bool value) {
    if (StoreChanged(m_wordWrap, value))
        update();
}

void TFcCustomPanel::SetPadding(const QMargins& value) {
    if (m_padding == value)
        return;
    m_padding = value;
    Realign();
}

void TFcCustomPanel::SetGradientColorStart(TColor value) {
    if (m_gradientColorStart == value)
        return;
    m_gradientColorStart = value;
    update();
    InvalidateTransparentChildren(*this);
}

void TFcCustomPanel::SetGradientColorStop(TColor value) {
    if (m_gradientColorStop == value)
        return;
    m_gradientColorStop = value;
    update();
    InvalidateTransparentChildren(*this);
}

void TFcCustomPanel::SetGradientDirection(TGradientDirection value) {
    if (m_gradientDirection == value)
        return;
    m_gradientDirection = value;
    update();
    InvalidateTransparentChildren(*this);
}

void TFcCustomPanel::SetTransparent(bool value) {
    if (Transparent() == value)
        return;
    TFcBorderedControl::SetTransparent(value);
    for (QObject* o : children())
        if (auto* w = qobject_cast<QWidget*>(o))
            w->update();
}

// Docking.

void TFcCustomPanel::SetAlign(TAlign value) {
    if (!StoreChanged(m_align, value))
        return;
    if (m_dockManager)
        m_dockManager->ResetBounds();
}

void TFcCustomPanel::SetDockSite(bool value) {
    if (!StoreChanged(m_dockSite, value))
        return;
    gui::RegisterDockSite(*this, value);
    if (value)
        CreateDockManager();
    else
        m_dockManager.reset();
}

void TFcCustomPanel::SetUseDockManager(bool value) {
    if (!StoreChanged(m_useDockManager, value))
        return;
    if (value)
        CreateDockManager();
    else
        m_dockManager.reset();
    update();
}

void TFcCustomPanel::SetShowDockClientCaptions(bool value) {
    if (!StoreChanged(m_showDockClientCaptions, value))
        return;
    update();
}

gui::TDockTree* TFcCustomPanel::CreateDockManager() {
    // Qt paints every widget double-buffered: DoubleBuffered has nothing to do.
    if (!m_dockManager && m_dockSite && m_useDockManager)
        m_dockManager = std::make_unique<TFcPanelDockManager>(*this);
    return m_dockManager.get();
}

void TFcCustomPanel::DoGetSiteInfo(QWidget& client, TRect& influenceRect, TPoint mousePos,
                                   bool& canDock) {
    if (OnGetSiteInfo)
        gui::Guard([&] { OnGetSiteInfo(this, &client, influenceRect, mousePos, canDock); });
}

void TFcCustomPanel::DoDockOver(gui::TDragDockObject& source, int x, int y, TDragState state,
                                bool& accept) {
    if (OnDockOver)
        gui::Guard([&] { OnDockOver(this, source, x, y, state, accept); });
}

void TFcCustomPanel::DoDockDrop(gui::TDragDockObject& source, int x, int y) {
    if (OnDockDrop)
        gui::Guard([&] { OnDockDrop(this, source, x, y); });
}

void TFcCustomPanel::DoUnDock(QWidget& client, QWidget* newTarget, bool& allow) {
    if (OnUnDock)
        gui::Guard([&] { OnUnDock(this, &client, newTarget, allow); });
}

} // namespace vdx
