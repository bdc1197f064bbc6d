#pragma once
// The panel drawn as a group box: a frame with a caption in one of six
// group styles, a caption font of its own, and optionally a check box in
// front of the caption that enables or disables the contained controls.
//
// The children are enabled exactly while the box is enabled and its check
// box does not hold them off (ShowCheckBox, EnableControlsOnCheck and not
// Checked). Each child's own state is recorded when the first of the two
// reasons takes effect and given back when the last one ends.

#include "controls/panels/FcPanel.h"
#include "platform/gui/key_dispatcher.h"

#include <cstdint>
#include <string>

namespace vdx {

enum class TFcGroupBoxStyle : std::uint8_t {
    gsStandard,
    gsCustom,
    gsTopLine,
    gsFlat,
    gsBanner,
    gsUnderline
};

// Side of the caption check box.
inline constexpr int kGroupCheckBoxSize = 13;
// Room the check box takes before the caption text (box and gap).
inline constexpr int kGroupCheckBoxRoom = kGroupCheckBoxSize + 4;

// The top of the frame for a caption font whose "Pp" is ppHeight high.
constexpr int GroupFrameTop(int ppHeight) noexcept {
    return ppHeight / 2 - 1;
}

// Where the caption goes in a box of the given width: extent is the
// measured caption (the check box's room included), empty for none.
struct TGroupCaptionFacts {
    TFcGroupBoxStyle Style = TFcGroupBoxStyle::gsFlat;
    gui::TSize Extent;
    bool Empty = false;
    int Width = 0;
    int BannerHeight = 0;
    bool RightToLeft = false;
};
// (0, 0, 0, 0) for an empty caption or gsCustom.
TRect GroupCaptionRect(const TGroupCaptionFacts& facts) noexcept;

// What the style keeps of the panel's client rectangle r: yyHeight is the
// height of "Yy" in the box's Font.
struct TGroupClientFacts {
    TFcGroupBoxStyle Style = TFcGroupBoxStyle::gsFlat;
    int YyHeight = 0;
    int BorderWidth = 0;
    int BannerHeight = 0;
    bool CaptionEmpty = false;
};
TRect GroupClientRect(TRect r, const TGroupClientFacts& facts) noexcept;

// The check box square inside the caption rectangle.
TRect GroupCheckBoxRect(const TRect& caption, bool rightToLeft) noexcept;

class TFcCustomGroupBox : public TFcCustomPanel, public gui::TDialogKeyTarget {
    Q_OBJECT

public:
    explicit TFcCustomGroupBox(QWidget* parent = nullptr);
    ~TFcCustomGroupBox() override;

    // Checked := not Checked.
    virtual void ToggleChecked();

    TFcGroupBoxStyle GroupStyle() const noexcept { return m_groupStyle; }
    int BannerHeight() const noexcept { return m_bannerHeight; }
    const TFont& CaptionFont() const noexcept { return m_captionFont; }
    bool Checked() const noexcept { return m_checked; }
    bool EnableControlsOnCheck() const noexcept { return m_enableControlsOnCheck; }
    bool ShowCheckBox() const noexcept { return m_showCheckBox; }

    // Store a changed value, move the children, repaint.
    virtual void SetBannerHeight(int value);
    virtual void SetGroupStyle(TFcGroupBoxStyle value);
    // The caption font no longer follows Font once it was set.
    virtual void SetCaptionFont(const TFont& value);
    // A change applies the children rule, repaints and fires
    // OnCheckBoxClick, also when it comes from code.
    virtual void SetChecked(bool value);
    virtual void SetEnableControlsOnCheck(bool value);
    // Also makes the box a tab stop (or not).
    virtual void SetShowCheckBox(bool value);

    // The box's own Enabled as the first of the two reasons of the children
    // rule; the recording itself is the panel's.
    void EnableChildControls(bool enable) override;
    // The style keeps the caption area out of the panel's client rectangle.
    TRect AdjustClientRect(TRect rect) const override;
    // Only while the controller shows frames and the style is gsCustom, as
    // the panel.
    void UpdateFromFrameController(const TFcFrameController& controller,
                                   TFcFrameControllerProperty property) override;

    // The caption's accelerator, while the box can take the focus, focuses
    // its first child in tab order.
    bool DialogChar(char ch, Qt::KeyboardModifiers modifiers) override;

    // The caption rectangle of the last painting (hit tests use it).
    TRect CaptionRect() const noexcept { return m_captionRect; }
    // The pressed look of the check box.
    bool ShowPressed() const noexcept { return m_pressed; }

    TNotifyEvent OnCheckBoxClick;

protected:
    void Paint(TCanvas& canvas) override;
    // Fires OnCheckBoxClick.
    virtual void CheckBoxClick();
    void FontChanged() override;
    void CaptionChanged() override;
    void EnabledChanged() override;
    void MouseLeave() override;
    void FocusEnter() override;
    void FocusExit() override;

    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    // The caption rectangle for the box as it is now (measured in
    // CaptionFont).
    TRect MeasureCaptionRect() const;
    // The frame of the style; gsBanner shrinks caption to the band inside it.
    void PaintGroupFrame(TCanvas& canvas, TRect& caption, int frameTop);
    void PaintCaption(TCanvas& canvas, TRect caption);
    // Enables or disables the children when the rule's answer changed.
    void ApplyChildrenRule();
    // Ends a press or a held Space without toggling.
    void CancelPress();
    void SetPressed(bool value);

    TFcGroupBoxStyle m_groupStyle = TFcGroupBoxStyle::gsFlat;
    int m_bannerHeight = 0;
    TFont m_captionFont;
    bool m_captionFontChanged = false;
    bool m_checked = true;
    bool m_enableControlsOnCheck = true;
    bool m_showCheckBox = false;

    bool m_ownEnabled = true;      // the Enabled reason of the children rule
    bool m_childrenEnabled = true; // what the rule last gave the children
    TRect m_captionRect;
    bool m_mouseOverCaption = false;
    bool m_tracking = false;
    bool m_spaceDown = false;
    bool m_pressed = false;
};

// The group box as forms place it.
class TFcGroupBox : public TFcCustomGroupBox {
    Q_OBJECT
public:
    using TFcCustomGroupBox::TFcCustomGroupBox;
};

} // namespace vdx
