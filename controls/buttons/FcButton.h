#pragma once
// The owner-drawn, focusable buttons. TFcCustomButton paints everything
// itself, tracks the mouse (hot state, the pressed look while the left
// button is held on it) and draws its caption with raised, recessed or
// shadowed text; what a completed click means is its descendants' Toggle.
// TFcButton is the push button of the forms: default and cancel roles with
// a modal result, grouping with a latched-down look and its 8 x 8 pattern,
// the focus rectangle, and two looks: the classic frame-style borders and
// the hot-track rings with gradients.
//
// Focus and accelerator cues are always shown; there are no visual themes
// on the platform, so ThemeAware has no effect.

#include "controls/base/FcDraw.h"
#include "controls/base/FcFramedControl.h"
#include "platform/gui/bitmap.h"
#include "platform/gui/key_dispatcher.h"
#include "platform/gui/modal_result.h"

namespace vdx {

using gui::TModalResult;

class TFcCustomButton : public TFcFramedControl, public gui::TDialogKeyTarget {
    Q_OBJECT

public:
    explicit TFcCustomButton(QWidget* parent = nullptr);
    ~TFcCustomButton() override;

    TAlignmentVertical AlignmentVertical() const noexcept { return m_alignmentVertical; }
    bool HotTrack() const noexcept { return m_hotTrack; }
    TColor HotTrackColor() const noexcept { return m_hotTrackColor; }
    TFcHotTrackColorType HotTrackColorType() const noexcept { return m_hotTrackColorType; }
    TColor HighlightColor() const noexcept { return m_highlightColor; }
    bool LightTextStyle() const noexcept { return m_lightTextStyle; }
    TTextStyle TextStyle() const noexcept { return m_textStyle; }
    TColor TextHighlightColor() const noexcept { return m_textHighlightColor; }
    TColor TextShadowColor() const noexcept { return m_textShadowColor; }
    int TextShadowDepth() const noexcept { return m_textShadowDepth; }
    bool ThemeAware() const noexcept { return m_themeAware; }
    bool Transparent() const noexcept { return m_transparent; }

    // Each setter stores a changed value and repaints; the two hot-track
    // colours are plain fields (no repaint).
    virtual void SetAlignmentVertical(TAlignmentVertical value);
    virtual void SetHotTrack(bool value);
    void SetHotTrackColor(TColor value) noexcept { m_hotTrackColor = value; }
    void SetHotTrackColorType(TFcHotTrackColorType value) noexcept { m_hotTrackColorType = value; }
    virtual void SetHighlightColor(TColor value);
    virtual void SetLightTextStyle(bool value);
    virtual void SetTextStyle(TTextStyle value);
    virtual void SetTextHighlightColor(TColor value);
    virtual void SetTextShadowColor(TColor value);
    virtual void SetTextShadowDepth(int value);
    virtual void SetThemeAware(bool value);
    virtual void SetTransparent(bool value);

    // The pointer is over the control.
    bool Hovered() const noexcept { return m_hovered; }
    // Drawn pressed: the left button (or Space) is held on the control.
    bool ShowPressed() const noexcept { return m_showPressed; }
    // A left press started on the control and is not released (the
    // control "has the mouse capture").
    bool Tracking() const noexcept { return m_tracking; }

    // Keyboard cues (focus rectangle, accelerator marks): always shown.
    bool ShowAccelerators() const noexcept { return true; }
    bool ShowFocusCues() const noexcept { return true; }
    // ThemeAware and the platform has themes: never on this platform.
    virtual bool UseThemes() const;
    // Visible and enabled, so it could take the focus.
    bool CanFocus() const;

    // The caption in rect with DrawText flags (placed vertically by
    // AlignmentVertical) in the text style, or greyed when disabled.
    virtual void DrawCaption(TCanvas& canvas, TRect rect, unsigned flags);

protected:
    // Paints the parent where the control leaves it to show through (when
    // Transparent); the base paints nothing.
    virtual void ClipForTransparency(TCanvas& canvas);
    // The pressed or hot look changed; the base does nothing.
    virtual void StateChanged() {}
    virtual void RepaintButton() { update(); }
    // The area repainted when the pointer enters or leaves.
    virtual TRect GetTextRect() const { return ClientRect(); }
    // What a completed click does.
    virtual void Toggle() = 0;
    // The whole picture; the base paints nothing.
    virtual void Paint(TCanvas& canvas);

    // For the descendants' keyboard handling.
    void SetShowPressed(bool value) noexcept { m_showPressed = value; }

    void PaintClient(TCanvas& canvas) override;
    void MouseEnter() override;
    void MouseLeave() override;
    void FocusEnter() override;
    void FocusExit() override;
    void EnabledChanged() override;
    void CaptionChanged() override;

    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    // Qt sends a disabled or hidden control no release: the press ends
    // without a click.
    void CancelPress();

    TAlignmentVertical m_alignmentVertical = TAlignmentVertical::avCenter;
    bool m_hotTrack = false;
    TColor m_hotTrackColor = gui::RGB(240, 155, 20);
    TFcHotTrackColorType m_hotTrackColorType = TFcHotTrackColorType::htctActual;
    TColor m_highlightColor = gui::clHighlight;
    bool m_lightTextStyle = false;
    TTextStyle m_textStyle = TTextStyle::tsNormal;
    TColor m_textHighlightColor = gui::clBtnHighlight;
    TColor m_textShadowColor = gui::clBtnShadow;
    int m_textShadowDepth = 2;
    bool m_themeAware = true;
    bool m_transparent = false;

    bool m_hovered = false;
    bool m_showPressed = false;
    bool m_tracking = false;
};

enum class TFcButtonState : std::uint8_t { bsUp, bsExclusive };

// The 8 x 8 down pattern of a latched button of colour color: color with
// clSilver where x and y are both even or both odd (clGray on a clSilver
// button).
QImage DownPatternBitmap(TColor color);

class TFcButton : public TFcCustomButton {
    Q_OBJECT

public:
    explicit TFcButton(QWidget* parent = nullptr);
    ~TFcButton() override;

    bool AllowAllUp() const noexcept { return m_allowAllUp; }
    bool Cancel() const noexcept { return m_cancel; }
    bool Default() const noexcept { return m_default; }
    bool Down() const noexcept { return m_down; }
    // Stored; no effect.
    bool DropDownOnEnter() const noexcept { return m_dropDownOnEnter; }
    int GroupIndex() const noexcept { return m_groupIndex; }
    TModalResult ModalResult() const noexcept { return m_modalResult; }
    bool ShowDownPattern() const noexcept { return m_showDownPattern; }
    bool ShowFocusRect() const noexcept { return m_showFocusRect; }

    // Each setter does nothing for an unchanged value. AllowAllUp and
    // GroupIndex tell the group (the siblings with the same GroupIndex).
    virtual void SetAllowAllUp(bool value);
    void SetCancel(bool value) noexcept { m_cancel = value; }
    // Every button of the form recomputes which one acts as the default.
    virtual void SetDefault(bool value);
    // False without a GroupIndex; a down button without AllowAllUp stays
    // down; going down releases the group's other button.
    virtual void SetDown(bool value);
    void SetDropDownOnEnter(bool value) noexcept { m_dropDownOnEnter = value; }
    virtual void SetGroupIndex(int value);
    void SetModalResult(TModalResult value) noexcept { m_modalResult = value; }
    virtual void SetShowDownPattern(bool value);
    virtual void SetShowFocusRect(bool value);
    // The inner ring of the hot-track look.
    void SetFrameColor(TColor value) override;
    // Transparent follows HotTrack.
    void SetHotTrack(bool value) override;

    // Up, or exclusive while latched down.
    TFcButtonState ButtonState() const noexcept { return m_buttonState; }
    // Enter clicks the button: the focused push button, else the Default
    // one.
    bool ActiveDefault() const noexcept { return m_activeDefault; }

    // Sets the form's modal result to ModalResult (mrNone too), then fires
    // OnClick.
    void Click() override;

    bool DialogKey(int key, Qt::KeyboardModifiers modifiers) override;
    bool DialogChar(char ch, Qt::KeyboardModifiers modifiers) override;
    void FocusChanged(QWidget* now) override;

protected:
    // The client rectangle inset by 5, one pixel down and right while
    // pressed in the classic look.
    virtual TRect GetCaptionRect() const;
    virtual void DrawButtonCaption(TCanvas& canvas);
    virtual void BuildDownPattern(gui::TBitmap& bitmap) const;

    void Paint(TCanvas& canvas) override;
    void ClipForTransparency(TCanvas& canvas) override;
    void StateChanged() override { update(); }
    void Toggle() override;
    void FocusExit() override;

    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;

private:
    // Tells the siblings that this button went down (or changed its group
    // settings).
    void UpdateExclusive();
    // Parent colour (clBtnFace without a framed parent).
    TColor ParentColorValue() const;
    void PaintHotTrack(TCanvas& canvas, TRect& r, bool pressed);

    bool m_allowAllUp = false;
    bool m_cancel = false;
    bool m_default = false;
    bool m_down = false;
    bool m_dropDownOnEnter = true;
    int m_groupIndex = 0;
    TModalResult m_modalResult = gui::mrNone;
    bool m_showDownPattern = true;
    bool m_showFocusRect = true;

    TFcButtonState m_buttonState = TFcButtonState::bsUp;
    bool m_activeDefault = false;
    bool m_inToggleClick = false;
    bool m_spaceToggle = false;
};

} // namespace vdx
