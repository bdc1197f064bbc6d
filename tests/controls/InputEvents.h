#pragma once
// Mouse and key input sent to a widget through the application, as the
// window system would deliver it (positions in widget coordinates).

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWidget>

namespace vdx::test {

inline void SendMouse(QWidget& w, QEvent::Type type, QPoint pos, Qt::MouseButton button,
                      Qt::MouseButtons held) {
    const QPointF local(pos);
    QMouseEvent event(type, local, local, QPointF(w.mapToGlobal(pos)), button, held,
                      Qt::NoModifier);
    QApplication::sendEvent(&w, &event);
}

inline void Press(QWidget& w, QPoint pos, Qt::MouseButton button = Qt::LeftButton) {
    SendMouse(w, QEvent::MouseButtonPress, pos, button, button);
}
inline void DoubleClick(QWidget& w, QPoint pos) {
    SendMouse(w, QEvent::MouseButtonDblClick, pos, Qt::LeftButton, Qt::LeftButton);
}
// A move with the left button held (heldLeft) or with no button.
inline void Move(QWidget& w, QPoint pos, bool heldLeft = true) {
    SendMouse(w, QEvent::MouseMove, pos, Qt::NoButton, heldLeft ? Qt::LeftButton : Qt::NoButton);
}
inline void Release(QWidget& w, QPoint pos, Qt::MouseButton button = Qt::LeftButton) {
    SendMouse(w, QEvent::MouseButtonRelease, pos, button, Qt::NoButton);
}
inline void Click(QWidget& w, QPoint pos) {
    Press(w, pos);
    Release(w, pos);
}

// A key event; text is what the key types (empty for none).
inline bool SendKey(QWidget& w, QEvent::Type type, int key, const QString& text = {},
                    bool autoRepeat = false, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QKeyEvent event(type, key, modifiers, text, autoRepeat);
    QApplication::sendEvent(&w, &event);
    return event.isAccepted();
}
inline bool KeyDown(QWidget& w, int key, const QString& text = {}, bool autoRepeat = false) {
    return SendKey(w, QEvent::KeyPress, key, text, autoRepeat);
}
inline bool KeyUp(QWidget& w, int key, const QString& text = {}, bool autoRepeat = false) {
    return SendKey(w, QEvent::KeyRelease, key, text, autoRepeat);
}

} // namespace vdx::test
