#pragma once
// The dialog keys of a top-level window. Return, Enter and Escape, and
// characters, that reach the window without a taker are offered to its
// controls depth-first, in the order they were made (the class library's
// dialog key and dialog char); the first control that takes one ends it.
// Focus moves within the window are told to every control (focus changed).
// Controls take part by implementing TDialogKeyTarget and attaching the
// window's dispatcher when they are shown; they leave the keys they do not
// use unaccepted.

#include <Qt>

#include <functional>
#include <string_view>

class QCoreApplication;
class QWidget;

namespace vdx::gui {

class TDialogKeyTarget {
public:
    // Return, Enter or Escape; true takes the key.
    virtual bool DialogKey(int key, Qt::KeyboardModifiers modifiers);
    // A typed character (ANSI), such as an accelerator; true takes it.
    virtual bool DialogChar(char ch, Qt::KeyboardModifiers modifiers);
    // The focus moved to now (a widget of the same window, or none).
    virtual void FocusChanged(QWidget* now);

protected:
    ~TDialogKeyTarget() = default;
};

// Gives control's top-level window its dispatcher unless it has one.
void AttachKeyDispatcher(QWidget& control);
// Tells every control of window that the focus is on now (as a focus move
// does).
void BroadcastFocusChanged(QWidget& window, QWidget* now);
// Walks the controls of window in the order the dialog keys go to them,
// until offer answers true; whether one did.
bool OfferToControls(QWidget& window, const std::function<bool(TDialogKeyTarget&)>& offer);

// Enter (Return or the keypad's) on a focused push button that does not take
// it itself clicks the button, in every window of app, as on Windows. Once
// per application object.
void ClickFocusedButtonOnEnter(QCoreApplication& app);

// Whether ch is the accelerator of caption: the character after its first
// single "&" ("&&" is a plain "&"), compared without regard to case.
bool IsAccel(char ch, std::string_view caption);

} // namespace vdx::gui
