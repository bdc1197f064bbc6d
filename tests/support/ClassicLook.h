#pragma once
// Checks of the classic look on real windows: the keys of a focused button
// and the pixels that only the classic style draws.

#include "platform/gui/color.h"

#include <QApplication>
#include <QGroupBox>
#include <QImage>
#include <QKeyEvent>
#include <QPushButton>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace vdx::test {

// The window active with its focus on button; false where the platform
// gives no focus.
inline bool FocusButton(QWidget& window, QPushButton& button) {
    window.show();
    window.activateWindow();
    QApplication::setActiveWindow(&window);
    button.setFocus(Qt::TabFocusReason);
    return button.hasFocus();
}

// How often button is clicked by key pressed (and released) on the focus
// widget; a modal window that the click opens is closed again.
inline int ClicksOfKey(QPushButton& button, int key) {
    int clicks = 0;
    const QMetaObject::Connection counted =
        QObject::connect(&button, &QPushButton::clicked, [&clicks] { ++clicks; });
    QWidget* const target = QApplication::focusWidget();
    if (!target)
        return -1;
    QWidget* const window = button.window();
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [window] {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal && modal != window)
            modal->close();
    });
    closer.start(0);
    const QString text = key == Qt::Key_Space ? QStringLiteral(" ") : QStringLiteral("\r");
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QApplication::sendEvent(target, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QApplication::sendEvent(target, &release);
    QObject::disconnect(counted);
    return clicks;
}

// The push buttons of a shown window that a user sees, in creation order.
inline std::vector<QPushButton*> VisibleButtons(QWidget& window) {
    std::vector<QPushButton*> shown;
    for (QPushButton* b : window.findChildren<QPushButton*>())
        if (b->isVisible())
            shown.push_back(b);
    return shown;
}

// A window of a program, made fresh for every check.
struct TestWindow {
    const char* name;
    std::function<std::unique_ptr<QWidget>()> make;
};

// Return, Enter and Space on each visible button of each window, focused in
// a fresh window, click that button once.
inline void ExpectKeysClickEachButton(const std::vector<TestWindow>& windows) {
    for (const TestWindow& w : windows) {
        for (const int key : {int(Qt::Key_Return), int(Qt::Key_Enter), int(Qt::Key_Space)}) {
            std::unique_ptr<QWidget> probe = w.make();
            probe->show();
            QStringList names;
            for (QPushButton* b : VisibleButtons(*probe))
                names << b->objectName();
            probe.reset();
            ASSERT_FALSE(names.isEmpty()) << w.name;
            for (const QString& name : names) {
                SCOPED_TRACE(std::string(w.name) + " " + name.toStdString() + " key " +
                             std::to_string(key));
                std::unique_ptr<QWidget> window = w.make();
                auto* button = window->findChild<QPushButton*>(name);
                ASSERT_NE(button, nullptr);
                if (!FocusButton(*window, *button))
                    GTEST_SKIP() << "the platform gives no focus";
                EXPECT_EQ(ClicksOfKey(*button, key), 1);
            }
        }
    }
}

inline QImage RenderAlone(QWidget& widget) {
    QImage image(widget.size(), QImage::Format_RGB32);
    image.fill(QColor(0xFF, 0x00, 0xFF));
    widget.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    return image;
}

inline bool Is(const QImage& image, int x, int y, gui::TColor c) {
    return gui::FromQColor(image.pixelColor(x, y)) == gui::ColorToRGB(c);
}

// A classic push button: with the focus a black frame meeting in square
// corners and a white top-left edge inside it; without, white top-left and
// black bottom-right edges.
inline void ExpectClassicButton(QPushButton& button, bool focused) {
    const QImage image = RenderAlone(button);
    const int r = image.width() - 1;
    const int b = image.height() - 1;
    SCOPED_TRACE(button.objectName().toStdString());
    // Square corners: the dark edges run into them.
    EXPECT_TRUE(Is(image, r, b, gui::cl3DDkShadow));
    EXPECT_TRUE(Is(image, 0, b, gui::cl3DDkShadow));
    const int inner = focused ? 1 : 0; // the frame of the focused button
    if (focused) {
        EXPECT_TRUE(Is(image, 0, 0, gui::cl3DDkShadow));
        EXPECT_TRUE(Is(image, r, 0, gui::cl3DDkShadow));
    }
    for (int i = inner; i < b - 2; ++i)
        EXPECT_TRUE(Is(image, inner, i, gui::clBtnHighlight)) << i;
    for (int i = inner; i < r - 2; ++i)
        EXPECT_TRUE(Is(image, i, inner, gui::clBtnHighlight)) << i;
    for (int i = 0; i <= r; ++i)
        EXPECT_TRUE(Is(image, i, b, gui::cl3DDkShadow)) << i;
}

// A fixed window as the window manager sees it (no resize handles), and its
// buttons classic: the first one focused, the others not. Skips the test
// where the platform gives no focus.
inline void ExpectFixedWithClassicButtons(QWidget& window, const std::vector<QPushButton*>& shown) {
    ASSERT_NE(window.windowHandle(), nullptr);
    EXPECT_EQ(window.windowHandle()->minimumSize(), window.size());
    EXPECT_EQ(window.windowHandle()->maximumSize(), window.size());
    if (shown.empty())
        return;
    if (!FocusButton(window, *shown.front()))
        GTEST_SKIP() << "the platform gives no focus";
    ExpectClassicButton(*shown.front(), true);
    for (std::size_t i = 1; i < shown.size(); ++i)
        ExpectClassicButton(*shown[i], false);
}

// The caption of box stands on its frame line: the line runs through the
// caption's ink.
inline void ExpectCaptionOnFrameLine(QGroupBox& box) {
    const QImage image = RenderAlone(box);
    int line = -1;
    for (int y = 0; y < image.height() / 2 && line < 0; ++y) {
        int run = 0;
        for (int x = image.width() / 2; x < image.width() - 4; ++x)
            run += Is(image, x, y, gui::clBtnShadow);
        if (run > image.width() / 3)
            line = y;
    }
    int inkTop = -1;
    int inkBottom = -1;
    for (int y = 0; y < 24; ++y)
        for (int x = 0; x < image.width() / 2; ++x)
            if (Is(image, x, y, gui::clWindowText)) {
                inkTop = inkTop < 0 ? y : inkTop;
                inkBottom = y;
            }
    SCOPED_TRACE(box.objectName().toStdString());
    ASSERT_GE(line, 0);
    ASSERT_GE(inkTop, 0);
    EXPECT_LT(inkTop, line);
    EXPECT_GT(inkBottom, line);
}

} // namespace vdx::test
