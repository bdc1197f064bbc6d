#pragma once
// The tool button: an image of an image list (with its own down, hot and
// disabled images), a caption beside, above or below it, three looks
// (classic, flat or the selection-colour gradient), grouping with a latched
// down state, and a drop-down style whose right-hand 14 pixels pop up a
// menu. It takes no focus.
//
// No toolbar container exists, so the UseToolbar... flags only record that
// a setting was made on the button itself; there are no visual themes, so
// vsWinXP draws as the flat classic look.

#include "controls/base/FcDraw.h"
#include "controls/base/FcFramedControl.h"
#include "controls/buttons/FcBitBtn.h"
#include "platform/gui/image_list.h"
#include "platform/gui/key_dispatcher.h"
#include "platform/gui/popup_menu.h"

#include <QPointer>

#include <chrono>
#include <cstdint>
#include <optional>

namespace vdx {

enum class TFcToolStyle : std::uint8_t { tsButton, tsDropDown };
enum class TFcToolButtonState : std::uint8_t { bsUp, bsDisabled, bsDown, bsExclusive, bsDropDown };

// The widest caption of the menu's items in the screen's menu font, plus 56.
int MeasureDropDownMenuWidth(const gui::TPopupMenu& menu);

class TFcToolButton : public TFcFramedControl, public gui::TDialogKeyTarget {
    Q_OBJECT

public:
    explicit TFcToolButton(QWidget* parent = nullptr);
    ~TFcToolButton() override;

    bool AllowAllUp() const noexcept { return m_allowAllUp; }
    bool Down() const noexcept { return m_down; }
    int GroupIndex() const noexcept { return m_groupIndex; }
    bool Flat() const noexcept { return m_flat; }
    TFcToolStyle ToolStyle() const noexcept { return m_toolStyle; }
    gui::TPopupMenu* DropDownMenu() const noexcept { return m_dropDownMenu; }
    gui::TCustomImageList* Images() const noexcept { return m_imagesLink.Images(); }
    int ImageIndex() const noexcept { return m_imageIndex; }
    int DownIndex() const noexcept { return m_downIndex; }
    int HotIndex() const noexcept { return m_hotIndex; }
    int DisabledIndex() const noexcept { return m_disabledIndex; }
    TButtonLayout Layout() const noexcept { return m_layout; }
    bool ShowCaption() const noexcept { return m_showCaption; }
    bool Transparent() const noexcept { return m_transparent; }
    TFcVisualStyle VisualStyle() const noexcept { return m_visualStyle; }
    TFcGradientColorStyle GradientColorStyle() const noexcept { return m_gradientColorStyle; }
    TColor SelectionColorStart() const noexcept { return m_selectionColorStart; }
    TColor SelectionColorStop() const noexcept { return m_selectionColorStop; }
    TColor SelectionFrameColor() const noexcept { return m_selectionFrameColor; }
    bool UseToolbarButtonLayout() const noexcept { return m_useToolbarButtonLayout; }
    bool UseToolbarButtonSize() const noexcept { return m_useToolbarButtonSize; }
    bool UseToolbarShowCaption() const noexcept { return m_useToolbarShowCaption; }
    bool UseToolbarVisualStyle() const noexcept { return m_useToolbarVisualStyle; }

    // Each setter does nothing for an unchanged value.
    void SetAllowAllUp(bool value);
    // False without a GroupIndex; a down button without AllowAllUp stays
    // down; going down releases the group's other button.
    void SetDown(bool value);
    // Always 0 for a drop-down button.
    void SetGroupIndex(int value);
    void SetFlat(bool value);
    // Also sets GroupIndex to 0 and, unless loading, widens the button by
    // 14 pixels for the drop-down part (narrows it going back).
    void SetToolStyle(TFcToolStyle value);
    // Not owned; cleared when the menu is destroyed.
    void SetDropDownMenu(gui::TPopupMenu* value) { m_dropDownMenu = value; }
    // Not owned; the button grows to the list's image size.
    void SetImages(gui::TCustomImageList* value);
    void SetImageIndex(int value);
    void SetDownIndex(int value);
    void SetHotIndex(int value);
    void SetDisabledIndex(int value);
    // Unless loading, the next three also clear their UseToolbar... flag.
    void SetLayout(TButtonLayout value);
    void SetShowCaption(bool value);
    void SetVisualStyle(TFcVisualStyle value);
    void SetTransparent(bool value);
    void SetGradientColorStyle(TFcGradientColorStyle value);
    void SetSelectionColorStart(TColor value);
    void SetSelectionColorStop(TColor value);
    void SetSelectionFrameColor(TColor value);
    void SetUseToolbarButtonLayout(bool value);
    void SetUseToolbarButtonSize(bool value);
    void SetUseToolbarShowCaption(bool value);
    void SetUseToolbarVisualStyle(bool value);
    // The size; unless loading, a change clears UseToolbarButtonSize.
    void SetWidth(int value);
    void SetHeight(int value);

    // Hot look: any style but classic, or classic and Flat.
    bool UsesHotLook() const noexcept;
    // A drop-down button with an OnClick: the arrow part opens the menu,
    // the rest clicks.
    bool IsSplit() const noexcept;
    TFcToolButtonState ButtonState() const noexcept { return m_buttonState; }
    bool Hovered() const noexcept { return m_hovered; }
    bool Tracking() const noexcept { return m_tracking; }
    bool MenuShowing() const noexcept { return m_menuShowing; }

    // The size of the image (the list's, or (0, 0) without an image).
    TPoint GetImageSize() const;
    // Where the image and the caption are drawn.
    void CalcLayout(TRect& imageRect, TRect& captionRect) const;
    // Pops up DropDownMenu below the button, kept inside the monitor's work
    // area, after OnDropDown; returns when it closed.
    void ShowDropDownMenu();

    // Fires OnClick, except right after a menu of the button closed.
    void Click() override;
    bool DialogChar(char ch, Qt::KeyboardModifiers modifiers) override;

    // Before the menu shows; the sender is the menu.
    TNotifyEvent OnDropDown;

protected:
    // The toolbar settings a toolbar container would push: none exists.
    virtual void AdoptToolbarStyles() {}
    // The face; rect becomes the area inside it. False when no face was
    // painted (an idle hot-look button).
    virtual bool DrawButtonFace(TCanvas& canvas, TRect& rect);
    virtual void DrawImage(TCanvas& canvas, const TRect& imageRect);
    virtual void DrawDropDownPart(TCanvas& canvas);
    virtual void DrawCaptionText(TCanvas& canvas, const TRect& captionRect);

    void PaintClient(TCanvas& canvas) override;
    void MouseEnter() override;
    void MouseLeave() override;
    void EnabledChanged() override;
    void CaptionChanged() override;

    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    using TClock = std::chrono::steady_clock;

    // Tells the sibling tool buttons of the group that this one went down.
    void UpdateExclusive();
    void FitToImages();
    void UpdateHoverFromCursor();
    // Within 100 ms after the menu closed: the press that closed it.
    bool JustClosedMenu() const;
    // The press ends without a click (Qt sends a disabled or hidden
    // control no release).
    void CancelPress();
    // The release: the click or the latch, then the hot state.
    void Release(bool inside);
    // The selection colours of the gradient look.
    void SelectionColors(TColor& frame, TColor& start, TColor& stop) const;

    bool m_allowAllUp = false;
    bool m_down = false;
    int m_groupIndex = 0;
    bool m_flat = true;
    TFcToolStyle m_toolStyle = TFcToolStyle::tsButton;
    QPointer<gui::TPopupMenu> m_dropDownMenu;
    gui::TChangeLink m_imagesLink;
    int m_imageIndex = -1;
    int m_downIndex = -1;
    int m_hotIndex = -1;
    int m_disabledIndex = -1;
    TButtonLayout m_layout = TButtonLayout::blGlyphLeft;
    bool m_showCaption = false;
    bool m_transparent = true;
    TFcVisualStyle m_visualStyle = TFcVisualStyle::vsWinXP;
    TFcGradientColorStyle m_gradientColorStyle = TFcGradientColorStyle::gcsSystem;
    TColor m_selectionColorStart = gui::clBtnFace;
    TColor m_selectionColorStop = gui::clBtnShadow;
    TColor m_selectionFrameColor = gui::cl3DDkShadow;
    bool m_useToolbarButtonLayout = true;
    bool m_useToolbarButtonSize = true;
    bool m_useToolbarShowCaption = true;
    bool m_useToolbarVisualStyle = true;

    TFcToolButtonState m_buttonState = TFcToolButtonState::bsUp;
    bool m_tracking = false;
    bool m_hovered = false;
    bool m_menuShowing = false;
    // When the menu last closed.
    std::optional<TClock::time_point> m_dropTime;
};

} // namespace vdx
