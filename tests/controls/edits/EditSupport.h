#pragma once
// Typing into the edits without a keyboard: key events go to the edit's
// inner editor, as the platform delivers them to the focus widget.

#include "controls/edits/FcEdit.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QWidget>

#include <string>

namespace vdx::test {

// One key press and release; text is what the key types ("" for none).
inline bool PressKey(TFcCustomEdit& edit, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier,
                     const QString& text = {}) {
    QKeyEvent press(QEvent::KeyPress, key, modifiers, text);
    QApplication::sendEvent(&edit.Editor(), &press);
    QKeyEvent release(QEvent::KeyRelease, key, modifiers, text);
    QApplication::sendEvent(&edit.Editor(), &release);
    return press.isAccepted();
}

// Each character typed as its own key.
inline void TypeText(TFcCustomEdit& edit, const std::string& text) {
    for (char c : text) {
        const QChar ch = QChar::fromLatin1(c);
        PressKey(edit, ch.toUpper().unicode(), Qt::NoModifier, QString(ch));
    }
}

// A window with the control focused (false where the platform gives no focus).
inline bool FocusIn(QWidget& window, TFcCustomEdit& edit,
                    Qt::FocusReason reason = Qt::TabFocusReason) {
    if (!window.isVisible()) {
        window.show();
        window.activateWindow();
        QApplication::processEvents();
    }
    edit.Editor().setFocus(reason);
    QApplication::processEvents();
    return edit.Editor().hasFocus();
}

} // namespace vdx::test
