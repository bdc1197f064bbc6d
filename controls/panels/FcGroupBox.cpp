#include "controls/panels/FcGroupBox.h"

#include "controls/base/FcCommon.h"
#include "controls/base/FcTextAlign.h"
#include "platform/gui/exception_guard.h"
#include "platform/gui/frame_control.h"
#include "platform/gui/text_layout.h"

#include <QImage>
#include <QKeyEvent>
#include <QMouseEvent>

namespace vdx {

using gui::TBrushStyle;
using S = TFcGroupBoxStyle;

namespace {

gui::TSize TextExtentIn(const TFont& font, std::string_view text) {
    QImage scratch(1, 1, QImage::Format_RGB32);
    TCanvas canvas(scratch);
    canvas.Font = font;
    return canvas.TextExtent(text);
}

TPoint EventPoint(const QMouseEvent& event) {
    const QPoint p = event.position().toPoint();
    return {p.x(), p.y()};
}

void Line(TCanvas& canvas, int x0, int y0, int x1, int y1) {
    canvas.MoveTo(x0, y0);
    canvas.LineTo(x1, y1);
}

} // namespace

TRect GroupCaptionRect(const TGroupCaptionFacts& f) noexcept {
    if (f.Empty || f.Style == S::gsCustom)
        return {};
    const int cx = f.Extent.cx, cy = f.Extent.cy, w = f.Width;
    switch (f.Style) {
    case S::gsStandard:
    case S::gsFlat:
        return f.RightToLeft ? gui::Rect(w - cx - 8, 0, w - 8, cy) : gui::Rect(8, 0, cx + 8, cy);
    case S::gsTopLine:
        return f.RightToLeft ? gui::Rect(w - cx - 4, 0, w, cy) : gui::Rect(0, 0, cx + 4, cy);
    case S::gsBanner:
        return gui::Rect(0, 0, w, f.BannerHeight != 0 ? f.BannerHeight : cy + 6);
    case S::gsUnderline:
        return gui::Rect(0, 0, w, cy + 2);
    case S::gsCustom:
        break;
    }
    return {};
}

TRect GroupClientRect(TRect r, const TGroupClientFacts& f) noexcept {
    const int yy = f.YyHeight;
    switch (f.Style) {
    case S::gsStandard:
    case S::gsFlat: {
        const int a = yy / 2 - 1;
        r.Top += a < f.BorderWidth ? a : yy - f.BorderWidth;
        const int inset = f.Style == S::gsStandard ? 2 : 1;
        return InflateRect(r, -inset, -inset);
    }
    case S::gsCustom:
        if (!f.CaptionEmpty)
            r.Top += yy;
        return InflateRect(r, -2, -2);
    case S::gsTopLine:
        r.Top += yy;
        return r;
    case S::gsBanner:
        r.Top += f.BannerHeight != 0 ? f.BannerHeight : yy + 8;
        return r;
    case S::gsUnderline:
        r.Top += yy + 4;
        return r;
    }
    return r;
}

TRect GroupCheckBoxRect(const TRect& c, bool rightToLeft) noexcept {
    const int left = rightToLeft ? c.Right - kGroupCheckBoxSize : c.Left;
    const int top = c.Top + (c.Height() - kGroupCheckBoxSize) / 2;
    return gui::Bounds(left, top, kGroupCheckBoxSize, kGroupCheckBoxSize);
}

TFcCustomGroupBox::TFcCustomGroupBox(QWidget* parent)
    : TFcCustomPanel(parent), m_captionFont(Font()) {
    SetBorderOuter(TFrameStyleEx::fsNone);
    SetBorderInner(TFrameStyleEx::fsNone);
    SetAlignment(TAlignment::taLeftJustify);
    SetAlignmentVertical(TAlignmentVertical::avTop);
    setFocusPolicy(Qt::NoFocus);
    resize(width(), 105);
    Realign();
}

TFcCustomGroupBox::~TFcCustomGroupBox() = default;

void TFcCustomGroupBox::ToggleChecked() {
    SetChecked(!m_checked);
}

void TFcCustomGroupBox::SetBannerHeight(int value) {
    if (!StoreChanged(m_bannerHeight, value))
        return;
    Realign();
    update();
}

void TFcCustomGroupBox::SetGroupStyle(TFcGroupBoxStyle value) {
    if (!StoreChanged(m_groupStyle, value))
        return;
    Realign();
    update();
}

void TFcCustomGroupBox::SetCaptionFont(const TFont& value) {
    m_captionFontChanged = true;
    if (StoreChanged(m_captionFont, value))
        update();
}

void TFcCustomGroupBox::SetChecked(bool value) {
    if (!StoreChanged(m_checked, value))
        return;
    ApplyChildrenRule();
    update();
    CheckBoxClick();
}

void TFcCustomGroupBox::SetEnableControlsOnCheck(bool value) {
    if (StoreChanged(m_enableControlsOnCheck, value))
        ApplyChildrenRule();
}

void TFcCustomGroupBox::SetShowCheckBox(bool value) {
    if (!StoreChanged(m_showCheckBox, value))
        return;
    setFocusPolicy(value ? Qt::TabFocus : Qt::NoFocus);
    if (!value)
        CancelPress();
    ApplyChildrenRule();
    update();
}

void TFcCustomGroupBox::CheckBoxClick() {
    // From a copy: the handler may delete the box and its members with it.
    if (const TNotifyEvent handler = OnCheckBoxClick)
        handler(this);
}

void TFcCustomGroupBox::EnableChildControls(bool enable) {
    m_ownEnabled = enable;
    ApplyChildrenRule();
}

void TFcCustomGroupBox::ApplyChildrenRule() {
    const bool heldByCheckBox = m_showCheckBox && m_enableControlsOnCheck && !m_checked;
    const bool enable = m_ownEnabled && !heldByCheckBox;
    if (enable == m_childrenEnabled)
        return;
    m_childrenEnabled = enable;
    TFcCustomPanel::EnableChildControls(enable);
}

TRect TFcCustomGroupBox::AdjustClientRect(TRect rect) const {
    rect = TFcCustomPanel::AdjustClientRect(rect);
    return GroupClientRect(rect, {.Style = m_groupStyle,
                                  .YyHeight = TextExtentIn(Font(), "Yy").cy,
                                  .BorderWidth = BorderWidth(),
                                  .BannerHeight = m_bannerHeight,
                                  .CaptionEmpty = Caption().empty()});
}

void TFcCustomGroupBox::UpdateFromFrameController(const TFcFrameController& controller,
                                                  TFcFrameControllerProperty property) {
    if (m_groupStyle == S::gsCustom)
        TFcCustomPanel::UpdateFromFrameController(controller, property);
}

TRect TFcCustomGroupBox::MeasureCaptionRect() const {
    if (Caption().empty() || m_groupStyle == S::gsCustom)
        return {};
    gui::TSize extent = TextExtentIn(m_captionFont, StripAccelChars(Caption()));
    if (m_showCheckBox)
        extent.cx += kGroupCheckBoxRoom;
    return GroupCaptionRect({.Style = m_groupStyle,
                             .Extent = extent,
                             .Empty = false,
                             .Width = width(),
                             .BannerHeight = m_bannerHeight,
                             .RightToLeft = isRightToLeft()});
}

void TFcCustomGroupBox::Paint(TCanvas& canvas) {
    if (m_groupStyle == S::gsCustom) {
        m_captionRect = {};
        TFcCustomPanel::Paint(canvas);
        return;
    }
    canvas.Font = m_captionFont;
    const int frameTop = GroupFrameTop(canvas.TextHeight("Pp"));
    m_captionRect = MeasureCaptionRect();
    TRect caption = m_captionRect;

    canvas.PushClip();
    if (!Transparent()) {
        canvas.Brush.SetColor(Color());
        canvas.FillRect(GetPanelRect());
    } else if (m_groupStyle != S::gsBanner && !caption.IsEmpty()) {
        canvas.ExcludeClipRect(caption);
    }
    PaintGroupFrame(canvas, caption, frameTop);
    canvas.PopClip();
    if (!Caption().empty())
        PaintCaption(canvas, caption);
    canvas.Font = Font();
    // The event is published; the group styles end their painting here.
    if (OnPaint)
        OnPaint(this, canvas);
}

void TFcCustomGroupBox::PaintGroupFrame(TCanvas& canvas, TRect& c, int frameTop) {
    const TRect fr = gui::Rect(0, frameTop, width(), height());
    const TColor fc = AdjustColor(FlatColor(), FlatColorAdjustment());
    const TFrameStyleEx outer = BorderOuter();
    canvas.Pen.Width = 1;
    switch (m_groupStyle) {
    case S::gsStandard:
        if (outer == TFrameStyleEx::fsNone)
            DrawFrameStyleSides(canvas, fr, TFrameStyleEx::fsGroove, TSides::All());
        else if (outer == TFrameStyleEx::fsFlat)
            DrawOutlineBox(canvas, fr, fc);
        else if (outer == TFrameStyleEx::fsFlatBold)
            DrawNestedSides(canvas, fr, fc, fc, 2, TSides::All());
        else
            DrawFrameStyleSides(canvas, fr, outer, TSides::All());
        break;
    case S::gsTopLine:
        if (outer == TFrameStyleEx::fsNone) {
            DrawFrameStyleSides(canvas, fr, TFrameStyleEx::fsGroove, TSide::sdTop);
        } else if (outer == TFrameStyleEx::fsFlat || outer == TFrameStyleEx::fsFlatBold) {
            canvas.Pen.Color = fc;
            Line(canvas, fr.Left + 2, fr.Top, fr.Right - 2, fr.Top);
            if (outer == TFrameStyleEx::fsFlatBold)
                Line(canvas, fr.Left + 2, fr.Top + 1, fr.Right - 2, fr.Top + 1);
        } else {
            DrawFrameStyleSides(canvas, fr, outer, TSide::sdTop);
        }
        break;
    case S::gsFlat:
        canvas.Pen.Color = fc;
        Line(canvas, fr.Left, fr.Top + 2, fr.Left, fr.Bottom - 2);
        Line(canvas, fr.Left + 2, fr.Top, fr.Right - 2, fr.Top);
        Line(canvas, fr.Right - 1, fr.Top + 2, fr.Right - 1, fr.Bottom - 2);
        Line(canvas, fr.Left + 2, fr.Bottom - 1, fr.Right - 2, fr.Bottom - 1);
        canvas.SetPixel(fr.Left + 1, fr.Top + 1, fc);
        canvas.SetPixel(fr.Right - 2, fr.Top + 1, fc);
        canvas.SetPixel(fr.Right - 2, fr.Bottom - 2, fc);
        canvas.SetPixel(fr.Left + 1, fr.Bottom - 2, fc);
        break;
    case S::gsBanner: {
        // Without a caption there is no band: its edges would be stray
        // pixels in the corner.
        if (c.IsEmpty())
            break;
        TColor start, stop, frame;
        if (GradientColorStyle() == TFcGradientColorStyle::gcsCustom) {
            start = GradientColorStart();
            stop = GradientColorStop();
            frame = fc;
        } else {
            GetGradientStatusColors(GradientColorStyle(), stop, start, frame);
        }
        canvas.Pen.Color = frame;
        Line(canvas, c.Left, c.Top + 1, c.Left, c.Bottom - 1);
        Line(canvas, c.Left + 1, c.Top, c.Right - 1, c.Top);
        Line(canvas, c.Right - 1, c.Top + 1, c.Right - 1, c.Bottom - 1);
        Line(canvas, c.Left + 1, c.Bottom - 1, c.Right - 1, c.Bottom - 1);
        c = InflateRect(c, -1, -1);
        PaintGradient(canvas, c, TGradientDirection::gdHorizontalEnd, start, stop, 1);
        break;
    }
    case S::gsUnderline:
        canvas.Pen.Color = fc;
        Line(canvas, c.Left, c.Bottom, c.Right, c.Bottom);
        break;
    case S::gsCustom:
        break;
    }
}

void TFcCustomGroupBox::PaintCaption(TCanvas& canvas, TRect c) {
    if (!Transparent() && m_groupStyle != S::gsBanner) {
        canvas.Brush.SetColor(Color());
        canvas.FillRect(c);
    }
    if (m_groupStyle == S::gsBanner)
        c = InflateRect(c, -4, -1);
    canvas.Brush.SetStyle(TBrushStyle::bsClear);
    canvas.Font = m_captionFont;
    if (!isEnabled())
        canvas.Font.Color = gui::clGrayText;
    const bool rtl = isRightToLeft();
    TRect text = c;
    if (m_showCheckBox) {
        unsigned state = gui::DFCS_BUTTONCHECK;
        if (m_checked)
            state |= gui::DFCS_CHECKED;
        if (m_pressed)
            state |= gui::DFCS_PUSHED;
        if (!isEnabled())
            state |= gui::DFCS_INACTIVE;
        gui::DrawFrameControl(canvas, GroupCheckBoxRect(c, rtl), gui::DFC_BUTTON, state);
        if (rtl)
            text.Right -= kGroupCheckBoxRoom;
        else
            text.Left += kGroupCheckBoxRoom;
    }
    const unsigned flags =
        gui::DT_VCENTER | gui::DT_SINGLELINE | AlignmentTextFlags(Alignment(), rtl);
    DrawTextOnCanvas(canvas, Caption(), text, flags);
    canvas.Brush.SetStyle(TBrushStyle::bsSolid);
}

void TFcCustomGroupBox::FontChanged() {
    TFcCustomPanel::FontChanged();
    if (!m_captionFontChanged)
        m_captionFont = Font();
    Realign();
    update();
}

void TFcCustomGroupBox::CaptionChanged() {
    TFcCustomPanel::CaptionChanged();
    // gsCustom keeps room for a caption only when there is one.
    Realign();
}

// The check box: mouse, Space and focus.

void TFcCustomGroupBox::SetPressed(bool value) {
    if (StoreChanged(m_pressed, value))
        update();
}

void TFcCustomGroupBox::CancelPress() {
    m_tracking = false;
    m_spaceDown = false;
    SetPressed(false);
}

void TFcCustomGroupBox::EnabledChanged() {
    TFcCustomPanel::EnabledChanged();
    // A disabled box gets no release: the press ends here.
    CancelPress();
}

void TFcCustomGroupBox::hideEvent(QHideEvent* event) {
    TFcCustomPanel::hideEvent(event);
    CancelPress();
}

void TFcCustomGroupBox::showEvent(QShowEvent* event) {
    TFcCustomPanel::showEvent(event);
    gui::AttachKeyDispatcher(*this);
}

bool TFcCustomGroupBox::DialogChar(char ch, Qt::KeyboardModifiers) {
    if (!gui::IsAccel(ch, Caption()) || !isVisible() || !isEnabled())
        return false;
    // The focus chain is the tab order; it runs round the whole window.
    for (QWidget* w = nextInFocusChain(); w && w != this; w = w->nextInFocusChain())
        if (isAncestorOf(w) && (w->focusPolicy() & Qt::TabFocus) && w->isVisible() &&
            w->isEnabled()) {
            w->setFocus(Qt::ShortcutFocusReason);
            break;
        }
    return true;
}

void TFcCustomGroupBox::MouseLeave() {
    TFcCustomPanel::MouseLeave();
    if (StoreChanged(m_mouseOverCaption, false))
        update();
}

void TFcCustomGroupBox::FocusEnter() {
    TFcCustomPanel::FocusEnter();
    update();
}

void TFcCustomGroupBox::FocusExit() {
    TFcCustomPanel::FocusExit();
    // A Space held when the focus left is given up with the pressed look.
    m_spaceDown = false;
    m_pressed = false;
    update();
}

void TFcCustomGroupBox::mousePressEvent(QMouseEvent* event) {
    const QPointer<TFcCustomGroupBox> self(this);
    TFcCustomPanel::mousePressEvent(event);
    // A handler that deleted the box: the event goes no further either.
    if (!self)
        return event->accept();
    if (!m_showCheckBox)
        return;
    gui::Guard([&] {
        m_mouseOverCaption = PtInRect(m_captionRect, EventPoint(*event));
        if (event->button() != Qt::LeftButton || !isEnabled() || !m_mouseOverCaption)
            return;
        event->accept();
        setFocus(Qt::MouseFocusReason);
        if (!self || window()->focusWidget() != this)
            return;
        SetPressed(true);
        m_tracking = true;
    });
}

void TFcCustomGroupBox::mouseMoveEvent(QMouseEvent* event) {
    const QPointer<TFcCustomGroupBox> self(this);
    TFcCustomPanel::mouseMoveEvent(event);
    if (!self)
        return event->accept();
    if (!m_showCheckBox)
        return;
    const TPoint p = EventPoint(*event);
    if (StoreChanged(m_mouseOverCaption, PtInRect(m_captionRect, p)))
        update();
    if (m_tracking)
        SetPressed(PtInRect(GetPanelRect(), p));
}

void TFcCustomGroupBox::mouseReleaseEvent(QMouseEvent* event) {
    const QPointer<TFcCustomGroupBox> self(this);
    TFcCustomPanel::mouseReleaseEvent(event);
    if (!self)
        return event->accept();
    if (!m_tracking || event->button() != Qt::LeftButton)
        return;
    event->accept();
    m_tracking = false;
    SetPressed(false);
    m_mouseOverCaption = PtInRect(m_captionRect, EventPoint(*event));
    if (m_mouseOverCaption)
        gui::Guard([this] { ToggleChecked(); });
    if (self)
        update();
}

void TFcCustomGroupBox::keyPressEvent(QKeyEvent* event) {
    const QPointer<TFcCustomGroupBox> self(this);
    TFcCustomPanel::keyPressEvent(event);
    if (!self)
        return event->accept();
    // Accepted: a key handler took the key.
    if (event->isAccepted() || !m_showCheckBox || event->key() != Qt::Key_Space)
        return;
    event->accept();
    if (event->isAutoRepeat())
        return;
    m_spaceDown = true;
    SetPressed(true);
}

void TFcCustomGroupBox::keyReleaseEvent(QKeyEvent* event) {
    const QPointer<TFcCustomGroupBox> self(this);
    TFcCustomPanel::keyReleaseEvent(event);
    if (!self)
        return event->accept();
    if (event->isAccepted() || !m_showCheckBox || event->key() != Qt::Key_Space)
        return;
    event->accept();
    if (event->isAutoRepeat())
        return;
    SetPressed(false);
    if (m_spaceDown) {
        m_spaceDown = false;
        gui::Guard([this] { ToggleChecked(); });
    }
    if (self)
        update();
}

} // namespace vdx
