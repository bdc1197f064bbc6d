#pragma once
// An edit with up to two small buttons inside its right edge, the main
// button and an alternate one, each with a glyph of a standard kind (or the
// user's own), a keyboard shortcut and a click event. The buttons sit in a
// button pair embedded in the edit; the edit keeps its text clear of them
// with a right text margin.
//
// A shortcut is a virtual-key code with the modifier bits (TShortCut); the
// key that clicks a button is consumed. With AllowKeyEdit off no route
// changes the text (typing, Backspace and Delete beep; paste, cut, drop,
// undo do nothing); the buttons and their shortcuts still work. A click on
// a button focuses the edit first, and is cancelled when the edit cannot
// take the focus.

#include "controls/buttons/FcControlButton.h"
#include "controls/edits/FcEdit.h"
#include "platform/gui/virtual_keys.h"

#include <QPointer>

#include <cstdint>
#include <string>

namespace vdx {

using gui::TShortCut;

enum class TButtonKind : std::uint8_t {
    bkCustom,
    bkLookup,
    bkDropDown,
    bkCalendar,
    bkAccept,
    bkReject,
    bkFolder,
    bkFind,
    bkSearch
};

// The glyph of a kind: 20 x 10 pixels, a normal and a disabled 10 x 10 cell,
// the background in its bottom-left pixel. Drawn once and kept; bkCustom
// has none (an empty bitmap).
const gui::TBitmap& GetButtonKindGlyph(TButtonKind kind);

// The two buttons, in a container of their own.
class TFcButtonPair : public gui::TFramedHost {
    Q_OBJECT

public:
    explicit TFcButtonPair(QWidget* parent = nullptr);
    ~TFcButtonPair() override;

    TFcControlButton& AltBtn() const noexcept { return *m_altBtn; }
    TFcControlButton& Button() const noexcept { return *m_button; }
    QWidget* FocusControl() const noexcept { return m_focusControl; }
    void SetFocusControl(QWidget* value) noexcept { m_focusControl = value; }
    bool Flat() const noexcept { return m_flat; }
    bool TabStop() const noexcept { return m_tabStop; }
    void SetTabStop(bool value) noexcept { m_tabStop = value; }

    virtual TFcControlButton* CreateButton();
    // A button's click: the alternate one fires OnAltBtnClick, the main one
    // OnButtonClick.
    virtual void HandleButtonClick(QObject* sender);
    // Before a left press: focuses FocusControl (or the pair); false
    // cancels the press when that fails.
    virtual bool HandleButtonMouseDown(QObject* sender, Qt::MouseButton button,
                                       Qt::KeyboardModifiers shift, int x, int y);
    // The visible buttons side by side from the left, one pixel short of
    // the pair's height.
    virtual void ArrangeButtons();
    virtual bool GetEnabled() const;
    virtual void SetEnabled(bool value);
    virtual TColor GetColor() const;
    virtual void SetColor(TColor value);
    virtual void SetFlat(bool value);

    TNotifyEvent OnAltBtnClick;
    TNotifyEvent OnButtonClick;

protected:
    virtual void AltBtnClick();
    virtual void ButtonClick();

    void PaintClient(TCanvas& canvas) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    TFcControlButton* m_altBtn = nullptr; // children, owned by Qt's parent tree
    TFcControlButton* m_button = nullptr;
    QPointer<QWidget> m_focusControl;
    bool m_flat = false;
    bool m_tabStop = false;
};

class TFcCustomButtonEdit : public TFcEdit {
    Q_OBJECT
    Q_PROPERTY(vdx::gui::TColor FlatButtonColor READ FlatButtonColor WRITE SetFlatButtonColor)

public:
    // Index convention of the per-button accessors: 1 the alternate button,
    // any other value the main one.
    static constexpr int kAltBtn = 1;
    static constexpr int kButton = 2;

    explicit TFcCustomButtonEdit(QWidget* parent = nullptr);
    ~TFcCustomButtonEdit() override;

    // Grows the edit to the font's least height, then places the pair.
    virtual void AdjustHeight();
    // The right text margin: the pair's width + 2 (none while the buttons
    // are hidden for read-only).
    virtual void UpdateMargins();
    virtual void AltBtnClicked(QObject* sender);
    virtual void ButtonClicked(QObject* sender);
    virtual void SetHideButtonsOnReadOnly(bool value);
    virtual TFcControlButton& GetButton(int index) const;
    virtual const gui::TBitmap& GetAltBtnGlyph() const;
    virtual void SetAltBtnGlyph(const gui::TBitmap& value); // the kind becomes bkCustom
    virtual const gui::TBitmap& GetButtonGlyph() const;
    virtual void SetButtonGlyph(const gui::TBitmap& value);
    virtual int GetNumGlyphs(int index) const;
    virtual void SetNumGlyphs(int index, int value);
    virtual std::string GetHint(int index) const;
    virtual void SetHint(int index, const std::string& value);
    virtual TButtonKind GetKind(int index) const;
    // A built-in kind gives the button that kind's glyph (not while loading).
    virtual void SetKind(int index, TButtonKind value);
    virtual TShortCut GetShortCut(int index) const;
    virtual void SetShortCut(int index, TShortCut value);
    virtual bool GetVisible(int index) const;
    virtual void SetVisible(int index, bool value);
    virtual int GetWidth(int index) const;
    virtual void SetWidth(int index, int value);

    void GetEditRect(TRect& rect) const override;
    void ReadOnlyChanged() override;
    void UpdateFrameHotState(bool isMouse, bool value) override;
    void SetFlatButtons(bool value) override;
    void SetFrameStyle(TFrameStyle value) override;
    // The colour of flat buttons while the edit is hot (its own, not the
    // drop button's).
    void SetFlatButtonColor(TColor value) override;
    TColor FlatButtonColor() const noexcept { return m_flatButtonColor; }
    void Loaded() override;

    TFcButtonPair& Buttons() const noexcept { return *m_pair; }
    bool AllowKeyEdit() const noexcept { return m_allowKeyEdit; }
    void SetAllowKeyEdit(bool value);
    bool HideButtonsOnReadOnly() const noexcept { return m_hideButtonsOnReadOnly; }
    // The right text margin now set.
    int RightMargin() const;

    TButtonKind AltBtnKind() const { return GetKind(kAltBtn); }
    TButtonKind ButtonKind() const { return GetKind(kButton); }
    TShortCut AltBtnShortCut() const { return GetShortCut(kAltBtn); }
    TShortCut ButtonShortCut() const { return GetShortCut(kButton); }
    bool AltBtnVisible() const { return GetVisible(kAltBtn); }
    bool ButtonVisible() const { return GetVisible(kButton); }
    int AltBtnWidth() const { return GetWidth(kAltBtn); }
    int ButtonWidth() const { return GetWidth(kButton); }
    void SetAltBtnKind(TButtonKind v) { SetKind(kAltBtn, v); }
    void SetButtonKind(TButtonKind v) { SetKind(kButton, v); }
    void SetAltBtnShortCut(TShortCut v) { SetShortCut(kAltBtn, v); }
    void SetButtonShortCut(TShortCut v) { SetShortCut(kButton, v); }
    void SetAltBtnVisible(bool v) { SetVisible(kAltBtn, v); }
    void SetButtonVisible(bool v) { SetVisible(kButton, v); }
    void SetAltBtnWidth(int v) { SetWidth(kAltBtn, v); }
    void SetButtonWidth(int v) { SetWidth(kButton, v); }

    TNotifyEvent OnAltBtnClick;
    TNotifyEvent OnButtonClick;

protected:
    virtual void DoAltBtnClick();
    virtual void DoButtonClick();

    bool TextEditAllowed() const override { return m_allowKeyEdit; }
    void KeyDown(int& key, Qt::KeyboardModifiers shift) override;
    void KeyPress(char& key) override;
    void Enter() override;
    void Exit() override;
    void ColorChanged() override;
    void FontChanged() override;
    void AlignmentChanged() override;
    void EnabledChanged() override;
    void TakeFrameSetting(const TFcFrameController& controller,
                          TFcFrameControllerProperty property) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    bool ButtonsHidden() const;

    bool m_allowKeyEdit = true;
    TFcButtonPair* m_pair = nullptr; // child, owned by Qt's parent tree
    TColor m_flatButtonColor = gui::clBtnFace;
    TButtonKind m_altBtnKind = TButtonKind::bkLookup;
    TButtonKind m_buttonKind = TButtonKind::bkLookup;
    TShortCut m_altBtnShortCut = 0;
    TShortCut m_buttonShortCut = gui::VK_F4;
    bool m_shortCutPressed = false;
    bool m_hideButtonsOnReadOnly = true;
};

// The button edit as forms place it.
class TFcButtonEdit : public TFcCustomButtonEdit {
    Q_OBJECT
public:
    using TFcCustomButtonEdit::TFcCustomButtonEdit;
};

} // namespace vdx
