#pragma once
// The single-line edit of the library: a framed control whose client area
// is a frameless QLineEdit, with the platform border (a sunken two-pixel
// edge) and an optional drop-down button strip at the right in its frame
// margin, state colours (disabled, focused, read-only), text alignment,
// Enter as Tab, and the keyboard rules of the class library: every key is
// a KeyDown, a typed character also a KeyPress (its code page 1252
// character), either of which may swallow it.
//
// Enter and Escape are never typed: with TabOnEnter Enter moves the focus;
// otherwise the window's default or cancel button takes them, and only
// where there is none they reach KeyPress. Text that arrives another way
// (paste, drop, middle click, undo, the context menu) passes
// AcceptsInsertedText first; a refused insertion changes nothing and beeps.
//
// The focus notifications follow the class library's enter and exit: a
// focus move to a pop-up or away from the active window is no exit (the edit
// stays focused for the form), and only a focus move inside the window runs
// the exit checks of descendants (CheckedExit), which may take the focus back.
//
// Themes are off on this platform: TextHint is kept and shows nothing, as
// the themed cue banner it stands for.

#include "controls/base/FcDraw.h"
#include "controls/base/FcFramedControl.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

class QLineEdit;

namespace vdx {

enum class TFcDropButtonState : std::uint8_t { Up, Down };

class TFcEditBox;

class TFcCustomEdit : public TFcFramedControl {
    Q_OBJECT
    Q_PROPERTY(vdx::gui::TColor ReadOnlyColor READ ReadOnlyColor WRITE SetReadOnlyColor)
    Q_PROPERTY(bool ReadOnlyColorOnFocus READ ReadOnlyColorOnFocus WRITE SetReadOnlyColorOnFocus)
    Q_PROPERTY(bool FlatButtons READ FlatButtons WRITE SetFlatButtons)
    Q_PROPERTY(vdx::gui::TColor FlatButtonColor READ FlatButtonColor WRITE SetFlatButtonColor)

public:
    explicit TFcCustomEdit(QWidget* parent = nullptr);
    ~TFcCustomEdit() override;

    // No themes: nothing to apply (the cue banner is themed only).
    virtual void ApplyTextHint();
    // The displayed colour: disabled > focused (ReadOnlyColor only with
    // ReadOnlyColorOnFocus) > read-only > the normal colour.
    void UpdateColors() override;
    // Records the mouse-over (isMouse) or focus state, repaints what the hot
    // state shows, then UpdateColors.
    void UpdateFrameHotState(bool isMouse, bool value) override;
    // The client rectangle (descendants narrow it).
    virtual void GetEditRect(TRect& rect) const;
    virtual std::string GetRawText() const;
    // Takes the drop button out of the window while read-only, and back.
    virtual void SuppressDropButton();
    virtual void RestoreDropButton();
    // Paints the drop button face into rect, which it may shrink to the area
    // it painted.
    virtual void DrawDropButton(TCanvas& canvas, TRect& rect);
    virtual void SetButtonState(TFcDropButtonState value);
    virtual void SetDropButtonVisible(bool value);
    virtual void SetDropButtonShown(bool value);
    virtual void SetFlatButtons(bool value);
    virtual void SetFlatButtonColor(TColor value);
    // Registers anew with the controller even when it is the current one.
    void SetFrameController(TFcFrameController* value) override;
    virtual bool IsReadOnly() const;
    virtual void ReadOnlyChanged();
    virtual void SetReadOnlyColor(TColor value);
    void SetReadOnlyColorOnFocus(bool value);

    // Beeps when BeepOnInvalidKey.
    void InvalidKeyPressed();
    // Presses the drop button: DropDown, then CloseUp, with the button drawn
    // down meanwhile. Only while the button is shown.
    void PressDropButton();

    void Loaded() override;

    // The text in code page 1252.
    std::string Text() const;
    void SetText(const std::string& value);
    bool ReadOnly() const noexcept { return m_readOnly; }
    // A changed value, then ReadOnlyChanged.
    void SetReadOnly(bool value);
    int MaxLength() const;
    void SetMaxLength(int value);
    bool AutoSelect() const noexcept { return m_autoSelect; }
    void SetAutoSelect(bool value) noexcept { m_autoSelect = value; }
    TBorderStyle BorderStyle() const noexcept { return m_borderStyle; }
    void SetBorderStyle(TBorderStyle value);
    // The selection (or the caret, with SelLength 0) in characters.
    int SelStart() const;
    int SelLength() const;
    std::string SelText() const;
    void SetSelStart(int value);
    void SetSelLength(int value);
    void SelectAll();

    bool TabOnEnter() const noexcept { return m_tabOnEnter; }
    void SetTabOnEnter(bool value) noexcept { m_tabOnEnter = value; }
    bool BeepOnInvalidKey() const noexcept { return m_beepOnInvalidKey; }
    void SetBeepOnInvalidKey(bool value) noexcept { m_beepOnInvalidKey = value; }
    TColor ReadOnlyColor() const noexcept { return m_readOnlyColor; }
    bool ReadOnlyColorOnFocus() const noexcept { return m_readOnlyColorOnFocus; }
    const std::string& TextHint() const noexcept { return m_textHint; }
    void SetTextHint(const std::string& value);
    bool TextHintVisibleOnFocus() const noexcept { return m_textHintVisibleOnFocus; }
    void SetTextHintVisibleOnFocus(bool value);
    bool DropButtonVisible() const noexcept { return m_dropButtonVisible; }
    bool DropButtonShown() const noexcept { return m_dropButtonShown; }
    bool FlatButtons() const noexcept { return m_flatButtons; }
    TColor FlatButtonColor() const noexcept { return m_flatButtonColor; }
    TFcDropButtonState ButtonState() const noexcept { return m_buttonState; }
    bool DroppedDown() const noexcept { return m_droppedDown; }
    // The focus as the form sees it (kept over pop-ups and deactivation).
    bool HasFocus() const noexcept { return m_hasFocus; }
    // The drop button strip in widget coordinates (empty when not shown).
    TRect DropButtonRect() const;

    // The inner editor (the focus widget).
    QLineEdit& Editor() const noexcept;

    TNotifyEvent OnChange;

protected:
    // The drop-down hooks, around PressDropButton; they fire the drop-down
    // and close-up events, which no class here names.
    virtual void DropDown();
    virtual void CloseUp();
    // After the text changed (OnChange).
    virtual void Change();
    // The key handlers: key in Qt key codes; setting it to 0 swallows it.
    // The base runs OnKeyDown, then F4 or Alt+Down for a shown drop button.
    virtual void KeyDown(int& key, Qt::KeyboardModifiers shift);
    // key in code page 1252; '\0' swallows it. The base: Enter as Tab, then
    // OnKeyPress.
    virtual void KeyPress(char& key);
    // Whether inserted (the characters that arrive) may go into the text,
    // giving result, by a route other than typing. The base takes anything.
    virtual bool AcceptsInsertedText(const std::string& inserted, const std::string& result);
    // Whether the user may change the text at all (descendants that forbid
    // editing say no; the text is then read-only for every route).
    virtual bool TextEditAllowed() const { return true; }
    // Applies ReadOnly and TextEditAllowed to the inner editor.
    void UpdateEditorReadOnly();
    // The class library's enter and exit. CheckedExit runs for a focus move
    // inside the window and may refuse (then calls SetFocus and returns
    // false); the base exits and returns true.
    virtual void Enter();
    virtual bool CheckedExit();
    virtual void Exit();
    // The platform's beep.
    virtual void Beep();
    // Puts the focus back to the edit.
    void SetFocus();

    void PaintFrame(TCanvas& canvas) override;
    void ColorChanged() override;
    void FontChanged() override;
    void AlignmentChanged() override;
    void FrameVisibleChanged() override;
    void MouseEnter() override;
    void MouseLeave() override;
    void FocusEnter() override;
    void FocusExit() override;
    void EnabledChanged() override;
    void TakeFrameSetting(const TFcFrameController& controller,
                          TFcFrameControllerProperty property) override;

    void resizeEvent(QResizeEvent* event) override;
    // Keys reach the edit only from its editor, which handled them: they go
    // on to the parent.
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

    // The margins: the border and the drop strip.
    void UpdateFrameLayout();

private:
    friend class TFcEditBox;
    // The inner editor's key press, with the class library's rules.
    void HandleKeyPress(QKeyEvent& event);
    void HandleKeyRelease(QKeyEvent& event);
    // Text from outside (paste, drop, middle click, input method) into the
    // selection; false (and a beep) when refused.
    bool InsertFromOutside(const std::string& text);
    // Undo or redo, kept only when what it brings back is accepted.
    void UndoRedo(bool redo);
    // Whether the window's default or cancel button took Enter or Escape.
    bool WindowTakesKey(QKeyEvent& event);
    // A focus move leaves for a pop-up or another window (no exit then).
    bool FocusLeavesForm() const;
    void ApplyEditorPalette();
    void LayoutEditor();
    void ReleaseDropButton();
    bool OverDropButton(const QPoint& p) const;

    TFcEditBox* m_box = nullptr; // child, owned by Qt's parent tree
    bool m_readOnly = false;
    bool m_autoSelect = true;
    TBorderStyle m_borderStyle = TBorderStyle::bsSingle;
    bool m_tabOnEnter = false;
    bool m_beepOnInvalidKey = true;
    bool m_colorGuard = false;
    TColor m_readOnlyColor = gui::clInfoBk;
    bool m_readOnlyColorOnFocus = false;
    std::string m_textHint;
    bool m_textHintVisibleOnFocus = false;
    bool m_dropButtonVisible = false;
    bool m_dropButtonShown = false;
    bool m_flatButtons = false;
    TColor m_flatButtonColor = gui::clBtnFace;
    bool m_droppedDown = false;
    TFcDropButtonState m_buttonState = TFcDropButtonState::Up;
    bool m_hasFocus = false;
    bool m_destroying = false;
};

// The edit as forms place it.
class TFcEdit : public TFcCustomEdit {
    Q_OBJECT
public:
    using TFcCustomEdit::TFcCustomEdit;
};

// Which characters of after are new against before: the run between their
// common beginning and their common end.
std::string InsertedPart(const std::string& before, const std::string& after);

} // namespace vdx
