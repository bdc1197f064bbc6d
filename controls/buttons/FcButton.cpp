#include "controls/buttons/FcButton.h"

#include "controls/base/FcButtonGroup.h"
#include "controls/base/FcCommon.h"
#include "controls/base/FcGrafx.h"
#include "controls/base/FcTextAlign.h"
#include "platform/gui/exception_guard.h"
#include "platform/gui/framed_host.h"
#include "platform/gui/pattern_brush.h"
#include "platform/gui/system_facts.h"
#include "platform/gui/text_layout.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPointer>
#include <QPushButton>
#include <QRegion>

#include <utility>

namespace vdx {

using gui::TBrushStyle;

namespace {

constexpr unsigned kMeasureFlags =
    gui::DT_CALCRECT | gui::DT_EXPANDTABS | gui::DT_WORDBREAK | gui::DT_VCENTER | gui::DT_CENTER;

void Line(TCanvas& canvas, TColor color, int x0, int y0, int x1, int y1) {
    canvas.Pen.Color = color;
    canvas.MoveTo(x0, y0);
    canvas.LineTo(x1, y1);
}

bool InClient(const QWidget& w, const QMouseEvent& event) {
    const QPoint p = event.position().toPoint();
    return p.x() >= 0 && p.x() < w.width() && p.y() >= 0 && p.y() < w.height();
}

} // namespace

// TFcCustomButton.

TFcCustomButton::TFcCustomButton(QWidget* parent) : TFcFramedControl(parent) {
    setFocusPolicy(Qt::StrongFocus);
    resize(115, 17);
}

TFcCustomButton::~TFcCustomButton() = default;

void TFcCustomButton::SetAlignmentVertical(TAlignmentVertical value) {
    if (StoreChanged(m_alignmentVertical, value))
        update();
}

void TFcCustomButton::SetHotTrack(bool value) {
    if (StoreChanged(m_hotTrack, value))
        update();
}

void TFcCustomButton::SetHighlightColor(TColor value) {
    if (StoreChanged(m_highlightColor, value))
        update();
}

void TFcCustomButton::SetLightTextStyle(bool value) {
    if (StoreChanged(m_lightTextStyle, value))
        update();
}

void TFcCustomButton::SetTextStyle(TTextStyle value) {
    if (StoreChanged(m_textStyle, value))
        update();
}

void TFcCustomButton::SetTextHighlightColor(TColor value) {
    if (StoreChanged(m_textHighlightColor, value))
        update();
}

void TFcCustomButton::SetTextShadowColor(TColor value) {
    if (StoreChanged(m_textShadowColor, value))
        update();
}

void TFcCustomButton::SetTextShadowDepth(int value) {
    if (StoreChanged(m_textShadowDepth, value))
        update();
}

void TFcCustomButton::SetThemeAware(bool value) {
    if (StoreChanged(m_themeAware, value))
        update();
}

void TFcCustomButton::SetTransparent(bool value) {
    if (StoreChanged(m_transparent, value))
        update();
}

bool TFcCustomButton::UseThemes() const {
    return m_themeAware && gui::ThemesEnabled();
}

bool TFcCustomButton::CanFocus() const {
    return isVisible() && isEnabled();
}

void TFcCustomButton::DrawCaption(TCanvas& canvas, TRect r, unsigned flags) {
    canvas.Brush.SetStyle(TBrushStyle::bsClear);
    canvas.Font = Font();
    const std::string text = ShowAccelerators() ? Caption() : StripAccelChars(Caption());
    TRect measured = r;
    const int h = DrawTextOnCanvas(canvas, text, measured, kMeasureFlags);
    switch (m_alignmentVertical) {
    case TAlignmentVertical::avTop:
        r.Bottom = r.Top + h;
        break;
    case TAlignmentVertical::avCenter:
        r.Top = (r.Top + r.Bottom - h) / 2;
        r.Bottom = r.Top + h;
        break;
    case TAlignmentVertical::avBottom:
        r.Top = r.Bottom - h - 1;
        break;
    }
    if (isRightToLeft())
        flags |= gui::DT_RTLREADING;
    auto drawAt = [&](TColor color, int dx, int dy) {
        canvas.Font.Color = color;
        TRect moved = gui::OffsetRect(r, dx, dy);
        DrawTextOnCanvas(canvas, text, moved, flags);
    };
    if (isEnabled()) {
        if (m_textStyle == TTextStyle::tsRaised || m_textStyle == TTextStyle::tsRecessed) {
            const bool raised = m_textStyle == TTextStyle::tsRaised;
            const TColor upper = raised ? m_textHighlightColor : m_textShadowColor;
            const TColor lower = raised ? m_textShadowColor : m_textHighlightColor;
            if (!(raised && m_lightTextStyle))
                drawAt(lower, 1, 1);
            if (!(!raised && m_lightTextStyle))
                drawAt(upper, -1, -1);
        } else if (m_textStyle == TTextStyle::tsShadow) {
            const int d = m_textShadowDepth;
            drawAt(m_textShadowColor, (flags & gui::DT_RIGHT) ? 0 : d, d);
        }
        canvas.Font.Color = Font().Color;
        if (flags & gui::DT_RIGHT)
            r = gui::OffsetRect(r, -m_textShadowDepth, 0);
    } else {
        canvas.Font.Color =
            ColorsAreSimilar(Color(), gui::clGrayText) ? gui::cl3DDkShadow : gui::clGrayText;
    }
    DrawTextOnCanvas(canvas, text, r, flags);
    canvas.Brush.SetStyle(TBrushStyle::bsSolid);
}

void TFcCustomButton::ClipForTransparency(TCanvas&) {}

void TFcCustomButton::Paint(TCanvas&) {}

void TFcCustomButton::PaintClient(TCanvas& canvas) {
    if (m_transparent)
        ClipForTransparency(canvas);
    Paint(canvas);
}

void TFcCustomButton::MouseEnter() {
    m_hovered = true;
    TFcFramedControl::MouseEnter();
    if (m_hotTrack || UseThemes())
        update(gui::ToQRect(GetTextRect()));
}

void TFcCustomButton::MouseLeave() {
    m_hovered = false;
    TFcFramedControl::MouseLeave();
    if (m_hotTrack || UseThemes())
        update(gui::ToQRect(GetTextRect()));
}

void TFcCustomButton::FocusEnter() {
    TFcFramedControl::FocusEnter();
    RepaintButton();
}

void TFcCustomButton::FocusExit() {
    TFcFramedControl::FocusExit();
    RepaintButton();
}

void TFcCustomButton::CancelPress() {
    if (!m_tracking && !m_showPressed)
        return;
    m_tracking = false;
    m_showPressed = false;
    StateChanged();
}

void TFcCustomButton::EnabledChanged() {
    TFcFramedControl::EnabledChanged();
    if (!isEnabled())
        CancelPress();
    update();
}

void TFcCustomButton::CaptionChanged() {
    update();
}

void TFcCustomButton::showEvent(QShowEvent* event) {
    TFcFramedControl::showEvent(event);
    gui::AttachKeyDispatcher(*this);
}

void TFcCustomButton::hideEvent(QHideEvent* event) {
    TFcFramedControl::hideEvent(event);
    CancelPress();
}

void TFcCustomButton::mousePressEvent(QMouseEvent* event) {
    const QPointer<TFcCustomButton> self(this);
    TFcFramedControl::mousePressEvent(event);
    if (!self)
        return event->accept(); // a deleted control: Qt must not pass it on
    event->accept();            // the release comes here, not to the parent
    if (event->button() != Qt::LeftButton || !isEnabled())
        return;
    setFocus(Qt::MouseFocusReason);
    // The focus may have gone elsewhere (an OnEnter or OnExit moved it).
    if (!self || window()->focusWidget() != this)
        return;
    m_showPressed = true;
    m_tracking = true;
    StateChanged();
}

void TFcCustomButton::mouseMoveEvent(QMouseEvent* event) {
    const QPointer<TFcCustomButton> self(this);
    TFcFramedControl::mouseMoveEvent(event);
    if (!self)
        return event->accept(); // a deleted control: Qt must not pass it on
    if (!m_tracking)
        return;
    if (StoreChanged(m_showPressed, InClient(*this, *event)))
        StateChanged();
}

void TFcCustomButton::mouseReleaseEvent(QMouseEvent* event) {
    const QPointer<TFcCustomButton> self(this);
    TFcFramedControl::mouseReleaseEvent(event);
    if (!self)
        return event->accept(); // a deleted control: Qt must not pass it on
    event->accept();
    if (!m_tracking)
        return;
    m_tracking = false;
    m_showPressed = false;
    if (InClient(*this, *event))
        gui::Guard([this] { Toggle(); });
    if (self)
        StateChanged();
}

// TFcButton.

QImage DownPatternBitmap(TColor color) {
    const TColor dot = gui::ColorToRGB(color) == gui::clSilver ? gui::clGray : gui::clSilver;
    QImage pattern = gui::AllocPatternBitmap(color, dot);
    return pattern;
}

TFcButton::TFcButton(QWidget* parent) : TFcCustomButton(parent) {
    resize(75, 25);
    SetColor(gui::clBtnFace);
    SetAlignment(TAlignment::taCenter);
    TFcCustomButton::SetFrameColor(gui::cl3DDkShadow);
}

TFcButton::~TFcButton() = default;

void TFcButton::SetAllowAllUp(bool value) {
    if (!StoreChanged(m_allowAllUp, value))
        return;
    UpdateExclusive();
}

void TFcButton::SetGroupIndex(int value) {
    if (!StoreChanged(m_groupIndex, value))
        return;
    UpdateExclusive();
}

void TFcButton::SetDefault(bool value) {
    m_default = value;
    if (parentWidget())
        gui::BroadcastFocusChanged(*window(), window()->focusWidget());
    else
        m_activeDefault = value;
}

void TFcButton::SetDown(bool value) {
    if (m_groupIndex == 0)
        value = false;
    if (value == m_down || (m_down && !m_allowAllUp && m_groupIndex != 0))
        return;
    m_down = value;
    m_buttonState = value ? TFcButtonState::bsExclusive : TFcButtonState::bsUp;
    update();
    if (value)
        UpdateExclusive();
}

void TFcButton::SetShowDownPattern(bool value) {
    if (StoreChanged(m_showDownPattern, value))
        update();
}

void TFcButton::SetShowFocusRect(bool value) {
    if (StoreChanged(m_showFocusRect, value))
        update();
}

void TFcButton::SetFrameColor(TColor value) {
    if (value == FrameColor())
        return;
    TFcCustomButton::SetFrameColor(value);
    update();
}

void TFcButton::SetHotTrack(bool value) {
    TFcCustomButton::SetHotTrack(value);
    // The rounded rings let the parent show at the corners.
    TFcCustomButton::SetTransparent(HotTrack());
    update();
}

void TFcButton::UpdateExclusive() {
    SpreadGroupChange(*this,
                      {&TFcButton::m_groupIndex, &TFcButton::m_allowAllUp, &TFcButton::m_down},
                      [](TFcButton& b) {
                          b.m_buttonState = TFcButtonState::bsUp;
                          b.update();
                      });
}

void TFcButton::Click() {
    const QPointer<TFcButton> self(this);
    if (parentWidget())
        gui::SetFormModalResult(*this, m_modalResult);
    if (self)
        TFcCustomButton::Click();
}

void TFcButton::Toggle() {
    if (m_groupIndex != 0)
        SetDown(!m_down);
    else
        StateChanged();
    const QPointer<TFcButton> self(this);
    m_inToggleClick = true;
    try {
        Click();
    } catch (...) {
        if (self)
            m_inToggleClick = false;
        throw;
    }
    if (self)
        m_inToggleClick = false;
}

bool TFcButton::DialogKey(int key, Qt::KeyboardModifiers modifiers) {
    const bool enter = key == Qt::Key_Return || key == Qt::Key_Enter;
    const bool taken = (enter && m_activeDefault) || (key == Qt::Key_Escape && m_cancel);
    if (!taken || (modifiers & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier)) ||
        !CanFocus())
        return false;
    Click();
    return true;
}

bool TFcButton::DialogChar(char ch, Qt::KeyboardModifiers) {
    if (!gui::IsAccel(ch, Caption()) || !CanFocus())
        return false;
    Click();
    return true;
}

void TFcButton::FocusChanged(QWidget* now) {
    const bool pushButton = qobject_cast<TFcButton*>(now) || qobject_cast<QPushButton*>(now);
    if (StoreChanged(m_activeDefault, pushButton ? now == this : m_default))
        repaint();
}

void TFcButton::FocusExit() {
    TFcCustomButton::FocusExit();
    m_spaceToggle = false;
    SetShowPressed(false);
    StateChanged();
}

namespace {

// Space held down repeats as release and press pairs: only the first press
// and the last release count.
bool IsSpace(const QKeyEvent& event) {
    return event.key() == Qt::Key_Space;
}

} // namespace

void TFcButton::keyPressEvent(QKeyEvent* event) {
    if (IsSpace(*event)) {
        if (event->isAutoRepeat()) {
            event->accept();
            return;
        }
        if (!(event->modifiers() & Qt::AltModifier)) {
            m_spaceToggle = true;
            SetShowPressed(true);
            StateChanged();
        }
    }
    const QPointer<TFcButton> self(this);
    TFcCustomButton::keyPressEvent(event);
    if (self && IsSpace(*event) && !(event->modifiers() & Qt::AltModifier))
        event->accept();
}

void TFcButton::keyReleaseEvent(QKeyEvent* event) {
    if (!IsSpace(*event)) {
        TFcCustomButton::keyReleaseEvent(event);
        return;
    }
    event->accept();
    if (event->isAutoRepeat())
        return;
    const QPointer<TFcButton> self(this);
    SetShowPressed(false);
    if (std::exchange(m_spaceToggle, false))
        gui::Guard([this] { Toggle(); });
    if (!self)
        return event->accept(); // a deleted control: Qt must not pass it on
    StateChanged();
    TFcCustomButton::keyReleaseEvent(event);
    event->accept();
}

// Painting.

TColor TFcButton::ParentColorValue() const {
    const auto* host = qobject_cast<const gui::TFramedHost*>(parentWidget());
    return host ? host->Color() : gui::clBtnFace;
}

TRect TFcButton::GetCaptionRect() const {
    TRect r = gui::InflateRect(ClientRect(), -5, -5);
    const bool latched = m_groupIndex != 0 && m_buttonState == TFcButtonState::bsExclusive;
    if (!HotTrack() && !UseThemes() && (latched || ShowPressed()))
        r = gui::OffsetRect(r, 1, 1);
    return r;
}

void TFcButton::DrawButtonCaption(TCanvas& canvas) {
    const unsigned flags =
        gui::DT_WORDBREAK | gui::DT_EXPANDTABS | AlignmentTextFlags(Alignment(), isRightToLeft());
    DrawCaption(canvas, GetCaptionRect(), flags);
}

void TFcButton::BuildDownPattern(gui::TBitmap& bitmap) const {
    bitmap.Assign(DownPatternBitmap(Color()));
}

void TFcButton::ClipForTransparency(TCanvas& canvas) {
    if (!Transparent())
        return;
    const TRect client = ClientRect();
    const TRect r = gui::InflateRect(client, isEnabled() ? -1 : -2, isEnabled() ? -1 : -2);
    const TRect r2 = gui::InflateRect(r, 1, -1);
    const TRect r3 = gui::InflateRect(r2, -2, 2);
    const QRegion corners = QRegion(gui::ToQRect(client))
                                .subtracted(QRegion(gui::ToQRect(r)))
                                .subtracted(QRegion(gui::ToQRect(r2)))
                                .subtracted(QRegion(gui::ToQRect(r3)));
    canvas.SaveState();
    canvas.Painter().setClipRegion(corners, Qt::IntersectClip);
    PaintParentBackground(*this, canvas, true);
    canvas.RestoreState();
}

void TFcButton::PaintHotTrack(TCanvas& canvas, TRect& r, bool pressed) {
    const TColor p = ParentColorValue();
    const bool enabled = isEnabled();
    // The outer ring, rounded at the corners.
    {
        const int L = r.Left, T = r.Top, X2 = r.Right, Y2 = r.Bottom;
        const TColor dark = enabled ? DarkenColor(p, 20) : p;
        const TColor light = enabled ? LightenColor(p, 20) : p;
        Line(canvas, dark, L, T + 2, L, Y2 - 2);
        Line(canvas, dark, L + 2, T, X2 - 2, T);
        Line(canvas, light, X2 - 1, T + 2, X2 - 1, Y2 - 2);
        Line(canvas, light, L + 2, Y2 - 1, X2 - 2, Y2 - 1);
        canvas.SetPixel(L + 1, T + 1, dark);
        canvas.SetPixel(X2 - 2, T + 1, dark);
        canvas.SetPixel(L + 1, Y2 - 2, dark);
        canvas.SetPixel(X2 - 2, Y2 - 2, light);
        r = gui::InflateRect(r, -1, -1);
    }
    // The inner ring, its corner pixels left out.
    {
        const int L = r.Left, T = r.Top, X2 = r.Right, Y2 = r.Bottom;
        TColor ring = FrameColor();
        if (!enabled)
            ring = Color() == gui::clBtnFace ? LightenColor(gui::clBtnShadow, 30)
                                             : DarkenColor(Color(), 80);
        Line(canvas, ring, L, T + 1, L, Y2 - 1);
        Line(canvas, ring, L + 1, T, X2 - 1, T);
        Line(canvas, ring, X2 - 1, T + 1, X2 - 1, Y2 - 1);
        Line(canvas, ring, L + 1, Y2 - 1, X2 - 1, Y2 - 1);
        r = gui::InflateRect(r, -1, -1);
    }
    if (!enabled) {
        canvas.Brush.SetColor(Color());
        canvas.FillRect(r);
        return;
    }
    if (pressed) {
        canvas.Brush.SetColor(DarkenColor(Color(), 10));
        canvas.FillRect(r);
        return;
    }
    Line(canvas, DarkenColor(Color(), 20), r.Left, r.Bottom - 2, r.Right, r.Bottom - 2);
    Line(canvas, DarkenColor(Color(), 30), r.Left, r.Bottom - 1, r.Right, r.Bottom - 1);
    r.Bottom -= 2;
    if (FullColorScreen) {
        PaintGradient(canvas, r, TGradientDirection::gdHorizontalEnd, LightenColor(Color(), 30),
                      DarkenColor(Color(), 10), 1);
    } else {
        canvas.Brush.SetColor(Color());
        canvas.FillRect(r);
    }
    if (Hovered()) {
        if (HotTrackColorType() == TFcHotTrackColorType::htctActual) {
            DrawGradientRing(canvas, r, TGradientDirection::gdHorizontalEnd,
                             BlendColors(gui::clWhite, HotTrackColor(), 190), HotTrackColor());
        } else {
            const TColor k = ComplementColor(HotTrackColor(), 180);
            DrawGradientRing(canvas, r, TGradientDirection::gdHorizontalEnd, k, DarkenColor(k, 30));
        }
    } else if (m_groupIndex == 0 && (m_activeDefault || hasFocus())) {
        const TColor f = LightenColor(Color(), 30);
        const TColor hc = ColorsAreSimilar(HighlightColor(), gui::clBtnFace)
                              ? DarkenColor(HighlightColor(), 30)
                              : HighlightColor();
        DrawGradientRing(canvas, r, TGradientDirection::gdHorizontalEnd, BlendColors(hc, f, 60),
                         BlendColors(hc, f, 160));
    }
}

void TFcButton::Paint(TCanvas& canvas) {
    const bool latched = m_buttonState == TFcButtonState::bsExclusive;
    const bool pressed = latched || ShowPressed();
    TRect focusRect = gui::InflateRect(ClientRect(), HotTrack() || UseThemes() ? -3 : -4,
                                       HotTrack() || UseThemes() ? -3 : -4);
    if (m_groupIndex != 0 && pressed)
        focusRect = gui::OffsetRect(focusRect, 1, 1);
    TRect r = ClientRect();
    if (HotTrack()) {
        PaintHotTrack(canvas, r, pressed);
    } else {
        if (m_groupIndex == 0 &&
            (((m_activeDefault || hasFocus()) && !ShowPressed()) || m_inToggleClick))
            r = DrawRectSides(canvas, r, gui::clWindowFrame, gui::clWindowFrame, TSides::All());
        if (Color() == gui::clBtnFace) {
            r = m_groupIndex == 0 ? DrawButtonBorder(canvas, r, ShowPressed())
                                  : DrawFrameStyleBorder(canvas, r,
                                                         pressed ? TFrameStyleEx::fsLowered
                                                                 : TFrameStyleEx::fsButtonUp);
        } else if (m_groupIndex == 0) {
            r = DrawColorButtonBorder(canvas, r, Color(), ShowPressed());
        } else if (pressed) {
            r = DrawColorFrameStyleBorder(canvas, r, Color(), TFrameStyleEx::fsLowered);
        } else {
            r = DrawColorButtonBorder(canvas, r, Color(), false);
        }
        canvas.Brush.SetColor(Color());
        canvas.FillRect(r);
    }
    if (m_groupIndex != 0 && latched && m_showDownPattern) {
        gui::TBitmap pattern;
        BuildDownPattern(pattern);
        gui::FillRectPattern(canvas, r, pattern.Image());
    }
    canvas.Font = Font();
    canvas.Brush.SetColor(Color());
    DrawButtonCaption(canvas);
    if (ShowFocusCues() && hasFocus() && m_showFocusRect)
        DrawDottedFocusBox(canvas, focusRect);
}

} // namespace vdx
