#pragma once
// The owner-drawn check box. TFcCustomGlyphButton paints a small glyph (the
// check box the library paints itself while hot tracking, the platform's
// classic check box otherwise, or custom glyphs from an image list or a
// strip) beside the
// caption, sizes itself to glyph and caption, can wrap the caption, can be
// transparent and takes its colours from a frame controller.
// TFcCustomCheckBox adds the three-state value with AllowGrayed and
// ReadOnly; TFcCheckBox is the check box of the forms.
//
// There are no visual themes on the platform: the themed glyphs are never
// drawn and the glyph keeps its classic size.

#include "controls/buttons/FcButton.h"
#include "platform/gui/bitmap.h"
#include "platform/gui/image_list.h"

#include <cstdint>

namespace vdx {

enum class TCheckBoxState : std::uint8_t { cbUnchecked, cbChecked, cbGrayed };

// The cell of a custom glyph strip or image list for a state: 0..2 normal,
// 3..5 pressed, 6..8 disabled, 9..11 hot (unchecked, checked, grayed).
int CheckBoxGlyphIndex(TCheckBoxState state, bool enabled, bool pressed, bool hot) noexcept;

// Where the glyph stands in a control of width x height: at the right edge
// when glyphRight, else at the left; 2 pixels from the top or bottom, or
// centred.
TRect GlyphButtonGlyphRect(int width, int height, int glyphWidth, int glyphHeight, bool glyphRight,
                           TAlignmentVertical alignment) noexcept;

class TFcCustomGlyphButton : public TFcCustomButton {
    Q_OBJECT

public:
    explicit TFcCustomGlyphButton(QWidget* parent = nullptr);
    ~TFcCustomGlyphButton() override;

    // The glyph of the current state into bitmap (glyph size).
    virtual void BuildGlyphs(gui::TBitmap& bitmap) = 0;
    // The glyph onto a transparent, unthemed control without custom glyphs;
    // the base leaves it as it is.
    virtual void TransparentGlyphHook(gui::TBitmap& bitmap);
    // Paints the glyph at its place on canvas (the whole control's).
    virtual void DrawGlyph(TCanvas& canvas);
    // Cell index of a strip of width x height cells into bitmap.
    virtual void ExtractGlyph(int index, gui::TBitmap& bitmap, int height, int width,
                              const gui::TBitmap& strip);
    // Sizes the control to glyph and caption (AutoSize, not while loading);
    // a glyph at the right keeps the right edge where it was.
    void AdjustBounds();

    // Takes the controller's colours, only while it shows frames: the
    // control then tracks hot as the controller's controls do.
    void UpdateFromFrameController(const TFcFrameController& controller,
                                   TFcFrameControllerProperty property) override;
    void Loaded() override;

    // The base has no value: false, and writing does nothing.
    virtual bool Checked() const { return false; }
    virtual void SetChecked(bool) {}

    bool AutoSize() const noexcept { return m_autoSize; }
    bool WordWrap() const noexcept { return m_wordWrap; }
    const gui::TBitmap& CustomGlyphs() const noexcept { return m_customGlyphs; }
    gui::TCustomImageList* CustomGlyphImages() const noexcept {
        return m_customGlyphImages.Images();
    }
    bool UseCustomGlyphs() const noexcept { return m_useCustomGlyphs; }
    TColor FillColor() const noexcept { return m_fillColor; }
    bool ReadOnly() const noexcept { return m_readOnly; }
    TColor ReadOnlyColor() const noexcept { return m_readOnlyColor; }
    bool ReadOnlyColorOnFocus() const noexcept { return m_readOnlyColorOnFocus; }
    TColor TransparentColor() const noexcept { return m_transparentColor; }
    TColor WinMaskColor() const noexcept { return m_winMaskColor; }
    TFcButtonHotTrackStyle HotTrackStyle() const noexcept { return m_hotTrackStyle; }
    bool TabOnEnter() const noexcept { return m_tabOnEnter; }
    int GlyphWidth() const noexcept { return m_glyphWidth; }
    int GlyphHeight() const noexcept { return m_glyphHeight; }

    // Store a changed value and size the control anew.
    void SetAutoSize(bool value);
    void SetWordWrap(bool value);
    // A copy of the strip (of GlyphCount cells); an empty one gives the
    // drawn glyphs back.
    void SetCustomGlyphs(const gui::TBitmap& value);
    void SetCustomGlyphs(const QImage& value);
    // The images of the glyphs (not owned; the link clears itself when the
    // list goes). A list with images comes before the strip.
    void SetCustomGlyphImages(gui::TCustomImageList* value);
    // True takes the glyph size of the image list or else the strip, false
    // the classic 13 x 13; the control is sized anew.
    void SetUseCustomGlyphs(bool value);
    // Each stores a changed value and repaints.
    void SetFillColor(TColor value);
    void SetFocusColor(TColor value) override;
    void SetFrameColor(TColor value) override;
    void SetDisabledColor(TColor value) override;
    void SetReadOnly(bool value);
    void SetReadOnlyColor(TColor value);
    void SetReadOnlyColorOnFocus(bool value);
    void SetTransparentColor(TColor value);
    void SetWinMaskColor(TColor value);
    void SetHotTrackStyle(TFcButtonHotTrackStyle value) noexcept { m_hotTrackStyle = value; }
    void SetTabOnEnter(bool value) noexcept { m_tabOnEnter = value; }

    // The caption's alignment against the glyph: taRightJustify (the
    // default) is the caption right of the glyph, mirrored right to left.
    bool GlyphOnRight() const;
    TRect GlyphRect() const;
    // The rectangle the caption is drawn in.
    TRect CaptionRect() const;

protected:
    // The number of cells of a custom strip.
    int GlyphCount() const noexcept { return m_glyphCount; }
    void SetGlyphCount(int value) noexcept { m_glyphCount = value; }

    void Paint(TCanvas& canvas) override;
    // The background is painted by Paint itself.
    void ClipForTransparency(TCanvas&) override {}
    // Both paint at once.
    void StateChanged() override { repaint(); }
    void RepaintButton() override { repaint(); }
    // Entering and leaving repaint only the glyph.
    TRect GetTextRect() const override { return GlyphRect(); }

    void FontChanged() override;
    void CaptionChanged() override;
    void ColorChanged() override;
    void EnabledChanged() override;

    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;

    // A left press is on its way (between MouseDown and MouseUp).
    bool MouseClicking() const noexcept { return m_mouseClicking; }

private:
    void UpdateUseCustomGlyphs();

    bool m_autoSize = true;
    bool m_wordWrap = false;
    gui::TBitmap m_customGlyphs;
    bool m_useCustomGlyphs = false;
    TColor m_fillColor = gui::clWindow;
    bool m_readOnly = false;
    TColor m_readOnlyColor = gui::clInfoBk;
    bool m_readOnlyColorOnFocus = false;
    TColor m_transparentColor = gui::clOlive;
    TColor m_winMaskColor = gui::clLime;
    TFcButtonHotTrackStyle m_hotTrackStyle = TFcButtonHotTrackStyle::htsInterior;
    bool m_tabOnEnter = false;

    gui::TChangeLink m_customGlyphImages;
    int m_glyphWidth = 13;
    int m_glyphHeight = 13;
    int m_glyphCount = 2;
    bool m_mouseClicking = false;
    bool m_shown = false;
};

class TFcCustomCheckBox : public TFcCustomGlyphButton {
    Q_OBJECT

public:
    explicit TFcCustomCheckBox(QWidget* parent = nullptr);
    ~TFcCustomCheckBox() override;

    TCheckBoxState State() const noexcept { return m_state; }
    // A change repaints at once and fires OnClick, also from code.
    virtual void SetState(TCheckBoxState value);
    bool AllowGrayed() const noexcept { return m_allowGrayed; }
    void SetAllowGrayed(bool value) noexcept { m_allowGrayed = value; }

    // State is cbChecked; writing sets cbChecked or cbUnchecked.
    bool Checked() const override { return m_state == TCheckBoxState::cbChecked; }
    void SetChecked(bool value) override;
    // The BM_GETCHECK answer: 0 unchecked, 1 checked, 2 grayed.
    int GetCheck() const noexcept { return int(m_state); }

    void BuildGlyphs(gui::TBitmap& bitmap) override;
    // The caption's accelerator focuses the box and, unless ReadOnly,
    // toggles it.
    bool DialogChar(char ch, Qt::KeyboardModifiers modifiers) override;

protected:
    // The next state of a click: unchecked, grayed (with AllowGrayed),
    // checked, unchecked; a ReadOnly box ignores the mouse.
    void Toggle() override;
    void FocusExit() override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;

private:
    TCheckBoxState m_state = TCheckBoxState::cbUnchecked;
    bool m_allowGrayed = false;
    bool m_spaceToggle = false;
};

// The check box as forms place it.
class TFcCheckBox : public TFcCustomCheckBox {
    Q_OBJECT
public:
    using TFcCustomCheckBox::TFcCustomCheckBox;
};

// The height the forms give their check boxes.
inline constexpr int kFormCheckBoxHeight = 17;
// A check box as a form places it: named, its caption set while loading,
// at left, top, width and kFormCheckBoxHeight.
TFcCheckBox* CreateCheckBox(QWidget* parent, const char* name, const char* caption, int left,
                            int top, int width);

} // namespace vdx
