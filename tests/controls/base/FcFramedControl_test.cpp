// The framed-control base: the frame settings' rules and the common events
// raised from Qt's events.
#include "controls/base/FcFramedControl.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMouseEvent>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vdx {
namespace {

class Control : public TFcFramedControl {
public:
    Control() : TFcFramedControl(nullptr) {
        resize(40, 30);
        SetFrameMargins(QMargins(2, 3, 2, 2));
        setMouseTracking(true); // moves without a button, as the list box has them
    }
};

TEST(FramedControl, HotTrackShowsTheFrameOnAllSidesUnlessLoading) {
    Control c;
    c.SetFrameSides(TSide::sdLeft);
    c.SetFrameHotTrack(true);
    EXPECT_TRUE(c.FrameVisible());
    EXPECT_EQ(c.FrameSides(), TSides::All());

    Control loading;
    loading.BeginLoading();
    loading.SetFrameSides(TSide::sdTop);
    loading.SetFrameHotTrack(true);
    EXPECT_TRUE(loading.FrameVisible());
    EXPECT_EQ(loading.FrameSides(), TSides(TSide::sdTop));
}

TEST(FramedControl, MouseEventsInClientCoordinates) {
    Control c;
    std::vector<std::string> seen;
    auto record = [&](const char* what) {
        return [&seen, what](QObject*, Qt::MouseButton b, Qt::KeyboardModifiers, int x, int y) {
            seen.push_back(std::string(what) + (b == Qt::RightButton ? " right " : " left ") +
                           std::to_string(x) + "," + std::to_string(y));
        };
    };
    c.OnMouseDown = record("down");
    c.OnMouseUp = record("up");
    c.OnMouseMove = [&](QObject*, Qt::KeyboardModifiers, int x, int y) {
        seen.push_back("move " + std::to_string(x) + "," + std::to_string(y));
    };
    int clicks = 0;
    c.OnDblClick = [&](QObject*) { ++clicks; };
    const QPointF at(12, 13), global(112, 113);
    QMouseEvent press(QEvent::MouseButtonPress, at, global, Qt::RightButton, Qt::RightButton,
                      Qt::NoModifier);
    QMouseEvent move(QEvent::MouseMove, at, global, Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QMouseEvent release(QEvent::MouseButtonRelease, at, global, Qt::RightButton, Qt::NoButton,
                        Qt::NoModifier);
    QMouseEvent rightDouble(QEvent::MouseButtonDblClick, at, global, Qt::RightButton,
                            Qt::RightButton, Qt::NoModifier);
    QMouseEvent leftDouble(QEvent::MouseButtonDblClick, at, global, Qt::LeftButton, Qt::LeftButton,
                           Qt::NoModifier);
    for (QMouseEvent* e : {&press, &move, &release, &rightDouble, &leftDouble})
        QApplication::sendEvent(&c, e);
    // A double click is also a press, as on the platform.
    EXPECT_EQ(seen, (std::vector<std::string>{"down right 10,10", "move 10,10", "up right 10,10",
                                              "down right 10,10", "down left 10,10"}));
    EXPECT_EQ(clicks, 1); // the left button's only
}

TEST(FramedControl, KeyHandlersSwallowByClearingTheKey) {
    Control c;
    std::string typed;
    c.OnKeyPress = [&](QObject*, char& key) {
        typed += key;
        if (key == 'x')
            key = 0;
    };
    c.OnKeyDown = [](QObject*, int& key, Qt::KeyboardModifiers) {
        if (key == Qt::Key_Escape)
            key = 0;
    };
    struct Case {
        const char* name;
        int key;
        const char* text;
        bool accepted;
    };
    const Case cases[] = {{"typed and passed on", Qt::Key_A, "a", false},
                          {"swallowed by OnKeyPress", Qt::Key_X, "x", true},
                          {"swallowed by OnKeyDown", Qt::Key_Escape, "\x1b", true}};
    for (const Case& k : cases) {
        QKeyEvent e(QEvent::KeyPress, k.key, Qt::NoModifier, QString::fromLatin1(k.text));
        QApplication::sendEvent(&c, &e);
        EXPECT_EQ(e.isAccepted(), k.accepted) << k.name;
    }
    EXPECT_EQ(typed, "ax"); // Escape never reached OnKeyPress
}

TEST(FramedControl, ContextPopupFromMouseAndKeyboard) {
    Control c;
    std::vector<TPoint> at;
    c.OnContextPopup = [&](QObject*, TPoint p, bool& handled) {
        at.push_back(p);
        handled = p.X >= 0;
    };
    QContextMenuEvent mouse(QContextMenuEvent::Mouse, QPoint(5, 6), QPoint(105, 106));
    QContextMenuEvent keyboard(QContextMenuEvent::Keyboard, QPoint(1, 1), QPoint(101, 101));
    QApplication::sendEvent(&c, &mouse);
    QApplication::sendEvent(&c, &keyboard);
    ASSERT_EQ(at.size(), 2u);
    EXPECT_EQ(at[0].X, 3);
    EXPECT_EQ(at[0].Y, 3);
    EXPECT_EQ(at[1].X, -1);
    EXPECT_EQ(at[1].Y, -1);
    EXPECT_TRUE(mouse.isAccepted());
    EXPECT_FALSE(keyboard.isAccepted()); // not handled: the parent may show its menu
}

} // namespace
} // namespace vdx
