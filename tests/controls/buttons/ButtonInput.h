#pragma once
// Mouse and key input for the button tests, sent straight to a widget as
// the platform would deliver it, and a click counter.

#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWidget>

#include <functional>

namespace vdx::test {

inline void Mouse(QWidget& w, QEvent::Type type, QPoint at, Qt::MouseButton button = Qt::LeftButton,
                  Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    // The buttons held after the event: none after a release, the pressed
    // one otherwise; a move reports the left button held.
    Qt::MouseButtons held = button;
    if (type == QEvent::MouseButtonRelease)
        held = Qt::NoButton;
    if (type == QEvent::MouseMove) {
        held = Qt::LeftButton;
        button = Qt::NoButton;
    }
    QMouseEvent e(type, QPointF(at), QPointF(w.mapToGlobal(at)), button, held, modifiers);
    QApplication::sendEvent(&w, &e);
}
inline void Press(QWidget& w, QPoint at, Qt::MouseButton button = Qt::LeftButton) {
    Mouse(w, QEvent::MouseButtonPress, at, button);
}
inline void MoveTo(QWidget& w, QPoint at) {
    Mouse(w, QEvent::MouseMove, at);
}
inline void Release(QWidget& w, QPoint at, Qt::MouseButton button = Qt::LeftButton) {
    Mouse(w, QEvent::MouseButtonRelease, at, button);
}
inline void Click(QWidget& w, QPoint at) {
    Press(w, at);
    Release(w, at);
}
// Press, release, then the platform's second press as a double click, and
// its release.
inline void DoubleClick(QWidget& w, QPoint at) {
    Click(w, at);
    Mouse(w, QEvent::MouseButtonDblClick, at);
    Release(w, at);
}

// A key as the platform sends it to the focus widget (or to w itself).
inline bool Key(QWidget& w, QEvent::Type type, int key, Qt::KeyboardModifiers modifiers = {},
                const QString& text = {}, bool autoRepeat = false) {
    QKeyEvent e(type, key, modifiers, text, autoRepeat);
    QApplication::sendEvent(&w, &e);
    return e.isAccepted();
}
inline void KeyDown(QWidget& w, int key, Qt::KeyboardModifiers modifiers = {},
                    const QString& text = {}, bool autoRepeat = false) {
    Key(w, QEvent::KeyPress, key, modifiers, text, autoRepeat);
}
inline void KeyUp(QWidget& w, int key, Qt::KeyboardModifiers modifiers = {},
                  const QString& text = {}, bool autoRepeat = false) {
    Key(w, QEvent::KeyRelease, key, modifiers, text, autoRepeat);
}

// Runs the event loop until done() or timeoutMs passed; true when done.
inline bool ProcessEventsUntil(const std::function<bool()>& done, int timeoutMs) {
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > timeoutMs)
            return false;
        QApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return true;
}
inline void ProcessEventsFor(int ms) {
    ProcessEventsUntil([] { return false; }, ms);
}

} // namespace vdx::test
