#include "controls/buttons/FcToolButton.h"

#include "controls/base/FcButtonGroup.h"
#include "controls/base/FcCommon.h"
#include "controls/base/FcGrafx.h"
#include "controls/storage/FcMonitors.h"
#include "platform/gui/ansi_text.h"
#include "platform/gui/exception_guard.h"
#include "platform/gui/pattern_brush.h"
#include "platform/gui/text_layout.h"

#include <QApplication>
#include <QCursor>
#include <QFontMetrics>
#include <QMenu>
#include <QMouseEvent>

#include <algorithm>
#include <array>
#include <vector>

namespace vdx {

using gui::TBrushStyle;
using S = TFcToolButtonState;

namespace {

constexpr int kDropDownWidth = 14;
constexpr auto kMenuClosePress = std::chrono::milliseconds(100);
constexpr unsigned kMeasureFlags =
    gui::DT_CALCRECT | gui::DT_EXPANDTABS | gui::DT_WORDBREAK | gui::DT_VCENTER | gui::DT_CENTER;

} // namespace

int MeasureDropDownMenuWidth(const gui::TPopupMenu& menu) {
    const QFontMetrics metrics(QApplication::font("QMenu"));
    int widest = 0;
    for (int i = 0; i < menu.Count(); ++i)
        if (const gui::TMenuItem* item = menu.Item(i))
            widest = std::max(widest, metrics.horizontalAdvance(gui::AnsiToQString(item->Caption)));
    return widest + 56;
}

TFcToolButton::TFcToolButton(QWidget* parent) : TFcFramedControl(parent) {
    setFocusPolicy(Qt::NoFocus);
    resize(25, 25);
    SetColor(gui::clBtnFace);
    SetAlignment(TAlignment::taCenter);
    m_imagesLink.OnChange = [this] {
        FitToImages();
        update();
    };
    m_imagesLink.OnRemoved = [this] { update(); };
}

TFcToolButton::~TFcToolButton() = default;

// Properties.

void TFcToolButton::SetAllowAllUp(bool value) {
    if (StoreChanged(m_allowAllUp, value))
        UpdateExclusive();
}

void TFcToolButton::SetGroupIndex(int value) {
    if (value == m_groupIndex)
        return;
    m_groupIndex = m_toolStyle == TFcToolStyle::tsDropDown ? 0 : value;
    UpdateExclusive();
}

void TFcToolButton::SetDown(bool value) {
    const bool v = m_groupIndex != 0 && value;
    if (v == m_down || (m_down && !m_allowAllUp))
        return;
    m_down = v;
    if (v) {
        m_buttonState = S::bsExclusive;
        update();
        UpdateExclusive();
    } else {
        m_buttonState = S::bsUp;
        update();
    }
}

void TFcToolButton::SetFlat(bool value) {
    if (StoreChanged(m_flat, value))
        update();
}

void TFcToolButton::SetToolStyle(TFcToolStyle value) {
    if (!StoreChanged(m_toolStyle, value))
        return;
    SetGroupIndex(0);
    if (!IsLoading()) {
        const bool keep = m_useToolbarButtonSize;
        SetWidth(width() + (value == TFcToolStyle::tsDropDown ? kDropDownWidth : -kDropDownWidth));
        m_useToolbarButtonSize = keep;
    }
    update();
}

void TFcToolButton::SetImages(gui::TCustomImageList* value) {
    m_imagesLink.SetImages(value);
    FitToImages();
    update();
}

void TFcToolButton::FitToImages() {
    gui::TCustomImageList* images = Images();
    if (!images)
        return;
    if (width() < images->Width())
        SetWidth(images->Width());
    if (height() < images->Height())
        SetHeight(images->Height());
}

void TFcToolButton::SetImageIndex(int value) {
    if (StoreChanged(m_imageIndex, value))
        update();
}

void TFcToolButton::SetDownIndex(int value) {
    if (StoreChanged(m_downIndex, value))
        update();
}

void TFcToolButton::SetHotIndex(int value) {
    if (StoreChanged(m_hotIndex, value))
        update();
}

void TFcToolButton::SetDisabledIndex(int value) {
    if (StoreChanged(m_disabledIndex, value))
        update();
}

void TFcToolButton::SetLayout(TButtonLayout value) {
    if (!StoreChanged(m_layout, value))
        return;
    if (!IsLoading())
        m_useToolbarButtonLayout = false;
    update();
}

void TFcToolButton::SetShowCaption(bool value) {
    if (!StoreChanged(m_showCaption, value))
        return;
    m_useToolbarShowCaption = false;
    update();
}

void TFcToolButton::SetVisualStyle(TFcVisualStyle value) {
    if (!StoreChanged(m_visualStyle, value))
        return;
    m_useToolbarVisualStyle = false;
    update();
}

void TFcToolButton::SetTransparent(bool value) {
    if (StoreChanged(m_transparent, value))
        update();
}

void TFcToolButton::SetGradientColorStyle(TFcGradientColorStyle value) {
    if (StoreChanged(m_gradientColorStyle, value))
        update();
}

void TFcToolButton::SetSelectionColorStart(TColor value) {
    if (StoreChanged(m_selectionColorStart, value))
        update();
}

void TFcToolButton::SetSelectionColorStop(TColor value) {
    if (StoreChanged(m_selectionColorStop, value))
        update();
}

void TFcToolButton::SetSelectionFrameColor(TColor value) {
    if (StoreChanged(m_selectionFrameColor, value))
        update();
}

void TFcToolButton::SetUseToolbarButtonLayout(bool value) {
    if (StoreChanged(m_useToolbarButtonLayout, value))
        AdoptToolbarStyles();
}

void TFcToolButton::SetUseToolbarButtonSize(bool value) {
    if (StoreChanged(m_useToolbarButtonSize, value))
        AdoptToolbarStyles();
}

void TFcToolButton::SetUseToolbarShowCaption(bool value) {
    if (StoreChanged(m_useToolbarShowCaption, value))
        AdoptToolbarStyles();
}

void TFcToolButton::SetUseToolbarVisualStyle(bool value) {
    if (StoreChanged(m_useToolbarVisualStyle, value))
        AdoptToolbarStyles();
}

void TFcToolButton::SetWidth(int value) {
    if (value == width())
        return;
    resize(value, height());
    if (!IsLoading())
        m_useToolbarButtonSize = false;
    update();
}

void TFcToolButton::SetHeight(int value) {
    if (value == height())
        return;
    resize(width(), value);
    if (!IsLoading())
        m_useToolbarButtonSize = false;
    update();
}

void TFcToolButton::CaptionChanged() {
    AdoptToolbarStyles();
    update();
}

bool TFcToolButton::UsesHotLook() const noexcept {
    return m_visualStyle != TFcVisualStyle::vsClassic || m_flat;
}

bool TFcToolButton::IsSplit() const noexcept {
    return m_toolStyle == TFcToolStyle::tsDropDown && bool(OnClick);
}

// Grouping.

void TFcToolButton::UpdateExclusive() {
    SpreadGroupChange(
        *this, {&TFcToolButton::m_groupIndex, &TFcToolButton::m_allowAllUp, &TFcToolButton::m_down},
        [](TFcToolButton& b) {
            b.m_buttonState = S::bsUp;
            b.update();
        });
}

// Layout.

TPoint TFcToolButton::GetImageSize() const {
    if (gui::TCustomImageList* images = Images(); images && m_imageIndex != -1)
        return {images->Width(), images->Height()};
    return {0, 0};
}

void TFcToolButton::CalcLayout(TRect& imageRect, TRect& captionRect) const {
    TRect r = ClientRect();
    if (m_toolStyle == TFcToolStyle::tsDropDown) {
        if (isRightToLeft())
            r.Left += kDropDownWidth;
        else
            r.Right -= kDropDownWidth;
    }
    r = gui::InflateRect(r, -2, -2);
    const TPoint size = GetImageSize();
    const int w = size.X, h = size.Y;
    int d = 0;
    if (m_showCaption && !Caption().empty()) {
        TRect t = r;
        switch (m_layout) {
        case TButtonLayout::blGlyphLeft:
            t.Left += w;
            break;
        case TButtonLayout::blGlyphRight:
            t.Right -= w;
            break;
        case TButtonLayout::blGlyphTop:
            t.Top += h;
            break;
        case TButtonLayout::blGlyphBottom:
            t.Bottom -= h;
            break;
        }
        QImage scratch(1, 1, QImage::Format_RGB32);
        TCanvas canvas(scratch);
        canvas.Font = Font();
        DrawTextOnCanvas(canvas, Caption(), t, kMeasureFlags);
        const int tw = t.Width(), th = t.Height();
        int ix = 0, iy = 0, cx = 0, cy = 0;
        switch (m_layout) {
        case TButtonLayout::blGlyphLeft:
            ix = r.Left + (r.Width() - (w + 4 + tw)) / 2;
            iy = r.Top + (r.Height() - h) / 2;
            cx = ix + w + 4;
            cy = r.Top + (r.Height() - th) / 2;
            d = w != 0 ? ix - 4 : ix;
            break;
        case TButtonLayout::blGlyphRight: {
            const int g = (r.Width() - (w + 4 + tw)) / 2;
            ix = r.Right - w - g;
            iy = r.Top + (r.Height() - h) / 2;
            cx = ix - tw - 4;
            cy = r.Top + (r.Height() - th) / 2;
            d = w != 0 ? ix - 4 : ix;
            break;
        }
        case TButtonLayout::blGlyphTop:
            iy = r.Top + (r.Height() - h - th - 4) / 2;
            ix = r.Left + (r.Width() - w) / 2;
            cx = r.Left + (r.Width() - tw) / 2;
            cy = iy + h + 4;
            d = std::min(ix, cx) - 4;
            break;
        case TButtonLayout::blGlyphBottom:
            iy = r.Bottom - h - (r.Height() - h - th - 4) / 2;
            cy = iy - th - 4;
            ix = r.Left + (r.Width() - w) / 2;
            cx = r.Left + (r.Width() - tw) / 2;
            d = std::min(ix, cx) - 4;
            break;
        }
        imageRect = gui::Rect(ix, iy, ix + w, iy + h);
        captionRect = gui::Rect(cx, cy, cx + tw, cy + th);
    } else {
        imageRect = CenteredBounds(r, w, h);
        captionRect = TRect{};
        d = imageRect.Left - 4;
    }
    if (Alignment() == TAlignment::taLeftJustify) {
        imageRect = gui::OffsetRect(imageRect, -d, 0);
        captionRect = gui::OffsetRect(captionRect, -d, 0);
    } else if (Alignment() == TAlignment::taRightJustify) {
        imageRect = gui::OffsetRect(imageRect, d, 0);
        captionRect = gui::OffsetRect(captionRect, d, 0);
    }
    const bool pressed = m_buttonState == S::bsDown || m_buttonState == S::bsExclusive ||
                         (m_buttonState == S::bsDropDown && !IsSplit());
    if (pressed && m_visualStyle != TFcVisualStyle::vsGradient) {
        imageRect = gui::OffsetRect(imageRect, 1, 1);
        captionRect = gui::OffsetRect(captionRect, 1, 1);
    }
}

// Painting.

void TFcToolButton::SelectionColors(TColor& frame, TColor& start, TColor& stop) const {
    if (m_gradientColorStyle == TFcGradientColorStyle::gcsCustom) {
        frame = m_selectionFrameColor;
        start = m_selectionColorStart;
        stop = m_selectionColorStop;
        return;
    }
    GetSelectionColors(m_gradientColorStyle, frame, start, stop);
}

bool TFcToolButton::DrawButtonFace(TCanvas& canvas, TRect& r) {
    const bool downOrLatched = m_buttonState == S::bsDown || m_buttonState == S::bsExclusive;
    if (!UsesHotLook()) {
        r = DrawFrameStyleBorder(
            canvas, r, downOrLatched ? TFrameStyleEx::fsLowered : TFrameStyleEx::fsButtonUp);
        return false;
    }
    const bool active = downOrLatched || (m_hovered && m_buttonState != S::bsDisabled);
    if (!active)
        return false;
    if (m_visualStyle != TFcVisualStyle::vsGradient) {
        r = DrawFrameStyleBorder(canvas, r,
                                 downOrLatched ? TFrameStyleEx::fsStatus : TFrameStyleEx::fsPopup);
        return false;
    }
    TColor frame, start, stop;
    SelectionColors(frame, start, stop);
    r = DrawOutlineBox(canvas, r, frame);
    TColor from = start, to = stop;
    if (m_buttonState == S::bsDown || m_buttonState == S::bsDropDown ||
        (m_buttonState == S::bsExclusive && m_hovered && m_down)) {
        from = stop;
        to = start;
    } else if (m_buttonState == S::bsExclusive && !m_hovered) {
        from = DarkenColor(stop, 40);
        to = start;
    }
    PaintGradient(canvas, r, TGradientDirection::gdHorizontalEnd, from, to, 1);
    return true;
}

void TFcToolButton::PaintClient(TCanvas& canvas) {
    TRect r = ClientRect();
    const bool gradientFace = DrawButtonFace(canvas, r);
    // The gradient face is the button's background already.
    if (!m_transparent && !gradientFace) {
        canvas.Brush.SetColor(Color());
        canvas.FillRect(r);
    }
    if (m_visualStyle != TFcVisualStyle::vsGradient && m_buttonState == S::bsExclusive &&
        (!m_flat || !m_hovered)) {
        const QImage pattern = m_transparent
                                   ? gui::AllocPatternBitmap(gui::clBtnFace, gui::clBtnHighlight)
                                   : gui::AllocPatternBitmap(Color(), LightenColor(Color(), 20));
        gui::FillRectPattern(canvas, r, pattern);
    }
    if (m_toolStyle == TFcToolStyle::tsDropDown)
        DrawDropDownPart(canvas);
    TRect imageRect, captionRect;
    CalcLayout(imageRect, captionRect);
    DrawImage(canvas, imageRect);
    DrawCaptionText(canvas, captionRect);
}

void TFcToolButton::DrawImage(TCanvas& canvas, const TRect& imageRect) {
    gui::TCustomImageList* images = Images();
    if (!images || m_imageIndex == -1)
        return;
    // Only images the list holds: a missing down or hot image falls back
    // to the normal one.
    auto present = [images](int index) { return index >= 0 && index < images->Count(); };
    const int x = imageRect.Left, y = imageRect.Top;
    const bool pressed = m_buttonState == S::bsDown || m_buttonState == S::bsExclusive ||
                         (m_buttonState == S::bsDropDown && !IsSplit());
    if (pressed && present(m_downIndex)) {
        images->Draw(canvas, x, y, m_downIndex, true);
        return;
    }
    const bool hot = present(m_hotIndex) && m_hovered && isEnabled();
    if (m_disabledIndex == -1) {
        images->Draw(canvas, x, y, hot ? m_hotIndex : m_imageIndex, isEnabled());
        return;
    }
    const int index = !isEnabled() ? m_disabledIndex : hot ? m_hotIndex : m_imageIndex;
    images->Draw(canvas, x, y, index, true);
}

void TFcToolButton::DrawCaptionText(TCanvas& canvas, const TRect& captionRect) {
    if (!m_showCaption)
        return;
    canvas.Brush.SetStyle(TBrushStyle::bsClear);
    canvas.Font = Font();
    if (m_visualStyle != TFcVisualStyle::vsGradient && m_buttonState == S::bsDown)
        canvas.Font.Color = gui::clHighlightText;
    if (!isEnabled())
        canvas.Font.Color = gui::clBtnShadow;
    unsigned flags = gui::DT_CENTER | gui::DT_VCENTER | gui::DT_WORDBREAK | gui::DT_EXPANDTABS;
    if (isRightToLeft())
        flags |= gui::DT_RTLREADING;
    TRect r = captionRect;
    DrawTextOnCanvas(canvas, Caption(), r, flags);
    canvas.Brush.SetStyle(TBrushStyle::bsSolid);
}

void TFcToolButton::DrawDropDownPart(TCanvas& canvas) {
    const bool rtl = isRightToLeft();
    const bool gradient = m_visualStyle == TFcVisualStyle::vsGradient;
    const TRect client = ClientRect();
    int ax = rtl ? kDropDownWidth : width() - kDropDownWidth;
    TColor frame, start, stop;
    SelectionColors(frame, start, stop);
    if (m_buttonState == S::bsDropDown) {
        TRect r = client;
        const int part = gradient ? kDropDownWidth + 1 : kDropDownWidth;
        if (IsSplit()) {
            if (rtl)
                r.Right = r.Left + part;
            else
                r.Left = r.Right - part;
        }
        if (gradient) {
            r = DrawOutlineBox(canvas, r, frame);
            PaintGradient(canvas, r, TGradientDirection::gdHorizontalEnd, stop, start, 1);
        } else {
            DrawFrameStyleBorder(canvas, r, TFrameStyleEx::fsStatus);
        }
    } else if (isEnabled() && (!UsesHotLook() || m_hovered)) {
        if (!gradient && m_buttonState == S::bsDown)
            ++ax;
        if (IsSplit()) {
            if (gradient) {
                canvas.Pen.Color = frame;
            } else {
                if (m_buttonState != S::bsDown) {
                    canvas.Pen.Color = gui::clBtnHighlight;
                    canvas.MoveTo(ax, 0);
                    canvas.LineTo(ax, height());
                }
                canvas.Pen.Color = gui::clBtnShadow;
            }
            canvas.MoveTo(ax - 1, 0);
            canvas.LineTo(ax - 1, height());
        }
    }
    // The arrow.
    const TColor color = isEnabled() ? gui::clWindowText : gui::clBtnShadow;
    int px = rtl ? 6 : client.Right - 8;
    int py = client.Top + client.Height() / 2 + 2;
    if (!gradient && (m_buttonState == S::bsDown || m_buttonState == S::bsDropDown)) {
        ++px;
        ++py;
    }
    canvas.Pen.Color = color;
    canvas.Brush.SetColor(color);
    const std::array<TPoint, 3> arrow = {{{px, py}, {px - 2, py - 2}, {px + 2, py - 2}}};
    canvas.Polygon(arrow);
}

// The drop-down menu.

void TFcToolButton::ShowDropDownMenu() {
    const QPointer<gui::TPopupMenu> menu = m_dropDownMenu;
    if (!menu)
        return;
    // A menu item may delete the button: after the menu, the button is
    // touched only while it lives.
    const QPointer<TFcToolButton> self(this);
    auto showMenu = [&] {
        if (OnDropDown)
            OnDropDown(menu.data());
        if (!self || !menu)
            return;
        const bool rtl = isRightToLeft();
        int x = 0;
        switch (menu->Alignment()) {
        case gui::TPopupAlignment::paLeft:
            x = rtl ? width() : 0;
            break;
        case gui::TPopupAlignment::paRight:
            x = rtl ? 0 : width();
            break;
        case gui::TPopupAlignment::paCenter:
            x = width() / 2;
            break;
        }
        const QPoint at = mapToGlobal(QPoint(x, height()));
        int px = at.x();
        const int m = MeasureDropDownMenuWidth(*menu);
        const std::optional<TMonitor> monitor = MonitorAtPoint({at.x(), at.y()});
        if (menu->Alignment() == gui::TPopupAlignment::paLeft) {
            const int limit = monitor ? GetMonitorWorkArea(*monitor).Right
                                      : (parentWidget() ? WorkAreaWidth(*parentWidget()) : 0);
            if (px + m > limit)
                px = limit;
        } else if (menu->Alignment() == gui::TPopupAlignment::paRight) {
            const int limit = monitor ? GetMonitorWorkArea(*monitor).Left : 0;
            if (px - m < limit)
                px = limit;
        }
        menu->SetPopupComponent(this);
        menu->Popup(px, at.y());
    };
    m_menuShowing = true;
    try {
        showMenu();
    } catch (...) {
        if (self)
            m_menuShowing = false;
        throw;
    }
    if (!self)
        return;
    m_menuShowing = false;
    if (m_groupIndex > 0 && !m_down)
        Click();
}

// Mouse.

bool TFcToolButton::JustClosedMenu() const {
    return m_dropTime && TClock::now() < *m_dropTime + kMenuClosePress;
}

void TFcToolButton::mousePressEvent(QMouseEvent* event) {
    const QPointer<TFcToolButton> self(this);
    TFcFramedControl::mousePressEvent(event);
    if (!self)
        return event->accept(); // a deleted control: Qt must not pass it on
    event->accept();            // the release comes here, not to the parent
    if (event->button() != Qt::LeftButton || !isEnabled())
        return;
    const int x = int(event->position().x());
    if (m_toolStyle == TFcToolStyle::tsDropDown && m_dropDownMenu &&
        event->modifiers() == Qt::NoModifier && event->buttons() == Qt::LeftButton) {
        const bool inArrow = isRightToLeft() ? x <= kDropDownWidth : x >= width() - kDropDownWidth;
        if (inArrow || !IsSplit()) {
            if (JustClosedMenu()) {
                // The press that closed the menu: it does not open it again.
                m_dropTime.reset();
            } else {
                m_buttonState = S::bsDropDown;
                repaint();
                gui::Guard([this] { ShowDropDownMenu(); });
                if (!self)
                    return;
                m_dropTime = TClock::now();
            }
            Release(rect().contains(mapFromGlobal(QCursor::pos())));
            return;
        }
    }
    if (m_toolStyle == TFcToolStyle::tsDropDown && JustClosedMenu()) {
        m_dropTime.reset();
        return;
    }
    const bool goDown = m_toolStyle == TFcToolStyle::tsDropDown
                            ? !m_down
                            : (!m_down || m_buttonState == S::bsExclusive);
    if (goDown && m_buttonState != S::bsDown) {
        m_buttonState = S::bsDown;
        update();
    }
    m_tracking = true;
}

void TFcToolButton::mouseMoveEvent(QMouseEvent* event) {
    const QPointer<TFcToolButton> self(this);
    TFcFramedControl::mouseMoveEvent(event);
    if (!self)
        return event->accept(); // a deleted control: Qt must not pass it on
    if (m_tracking) {
        const S state = m_down
                            ? S::bsExclusive
                            : (rect().contains(event->position().toPoint()) ? S::bsDown : S::bsUp);
        if (StoreChanged(m_buttonState, state))
            update();
    } else if (!m_hovered) {
        UpdateHoverFromCursor();
    }
}

void TFcToolButton::mouseReleaseEvent(QMouseEvent* event) {
    const QPointer<TFcToolButton> self(this);
    TFcFramedControl::mouseReleaseEvent(event);
    if (!self)
        return event->accept(); // a deleted control: Qt must not pass it on
    event->accept();
    Release(rect().contains(event->position().toPoint()));
}

void TFcToolButton::Release(bool inside) {
    const QPointer<TFcToolButton> self(this);
    if (m_tracking) {
        m_tracking = false;
        if (m_groupIndex == 0) {
            m_buttonState = S::bsUp;
            m_hovered = false;
        } else if (inside) {
            const bool was = m_down;
            SetDown(!m_down);
            if (m_down == was)
                inside = false;
            if (m_down)
                m_buttonState = S::bsExclusive;
        } else {
            m_buttonState = m_down ? S::bsExclusive : S::bsUp;
        }
        update();
        if (inside)
            gui::Guard([this] { Click(); });
        if (!self)
            return;
        UpdateHoverFromCursor();
    }
    if (m_toolStyle == TFcToolStyle::tsDropDown) {
        m_buttonState = S::bsUp;
        update();
        UpdateHoverFromCursor();
    }
}

void TFcToolButton::UpdateHoverFromCursor() {
    if (!UsesHotLook() || !isEnabled())
        return;
    if (QApplication::widgetAt(QCursor::pos()) == this)
        MouseEnter();
    else
        MouseLeave();
}

void TFcToolButton::MouseEnter() {
    m_hovered = true;
    TFcFramedControl::MouseEnter();
    if (UsesHotLook())
        update();
}

void TFcToolButton::MouseLeave() {
    if (!m_menuShowing)
        m_hovered = false;
    TFcFramedControl::MouseLeave();
    if (UsesHotLook())
        update();
}

void TFcToolButton::CancelPress() {
    if (!m_tracking)
        return;
    m_tracking = false;
    m_buttonState = m_down ? S::bsExclusive : S::bsUp;
    update();
}

void TFcToolButton::EnabledChanged() {
    TFcFramedControl::EnabledChanged();
    if (!isEnabled()) {
        CancelPress();
        m_buttonState = S::bsDisabled;
    } else if (m_buttonState == S::bsDisabled) {
        m_buttonState = m_down && m_groupIndex != 0 ? S::bsExclusive : S::bsUp;
    }
    update();
}

void TFcToolButton::hideEvent(QHideEvent* event) {
    TFcFramedControl::hideEvent(event);
    CancelPress();
}

void TFcToolButton::showEvent(QShowEvent* event) {
    TFcFramedControl::showEvent(event);
    gui::AttachKeyDispatcher(*this);
}

// Clicks and keys.

void TFcToolButton::Click() {
    if (m_toolStyle == TFcToolStyle::tsDropDown && JustClosedMenu())
        return;
    TFcFramedControl::Click();
}

bool TFcToolButton::DialogChar(char ch, Qt::KeyboardModifiers) {
    if (!gui::IsAccel(ch, Caption()) || !isEnabled() || !isVisible())
        return false;
    if (m_toolStyle == TFcToolStyle::tsButton || IsSplit())
        Click();
    else
        ShowDropDownMenu();
    return true;
}

} // namespace vdx
