// The general control: the common events raised from Qt's events, the
// pop-up menu, hints, sizing, anchors and the reading order taken from the
// parent.
#include "platform/gui/general_control.h"

#include "platform/gui/text_layout.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QElapsedTimer>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QTimer>
#include <QToolTip>
#include <QWheelEvent>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vdx::gui {
namespace {

class Control : public TGeneralControl {
public:
    explicit Control(QWidget* parent = nullptr) : TGeneralControl(parent) {
        resize(40, 30);
        SetFrameMargins(QMargins(2, 3, 2, 2));
        setMouseTracking(true); // moves without a button, as the list box has them
    }
};

TEST(GeneralControl, MouseEventsInClientCoordinates) {
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

TEST(GeneralControl, KeyHandlersSwallowByClearingTheKey) {
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

TEST(GeneralControl, ContextPopupFromMouseAndKeyboard) {
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

// ---- the remaining members of the class library's controls ----------

QWheelEvent Wheel(int delta, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    return QWheelEvent(QPointF(12, 13), QPointF(112, 113), QPoint(), QPoint(0, delta), Qt::NoButton,
                       modifiers, Qt::NoScrollPhase, false);
}

TEST(GeneralControl, WheelEventsOncePerTurnAndPerNotch) {
    Control c;
    std::vector<std::string> seen;
    bool takeWheel = false;
    c.OnMouseWheel = [&](QObject*, Qt::KeyboardModifiers shift, int delta, TPoint at, bool& h) {
        seen.push_back("wheel " + std::to_string(delta) + " at " + std::to_string(at.X) + "," +
                       std::to_string(at.Y) + (shift & Qt::ShiftModifier ? " shift" : ""));
        h = takeWheel;
    };
    c.OnMouseWheelUp = [&](QObject*, Qt::KeyboardModifiers, TPoint, bool&) {
        seen.push_back("up");
    };
    c.OnMouseWheelDown = [&](QObject*, Qt::KeyboardModifiers, TPoint, bool& h) {
        seen.push_back("down");
        h = true;
    };
    struct Case {
        const char* name;
        int delta;
        bool takeWheel;
        std::vector<std::string> seen;
        bool accepted;
    };
    const Case cases[] = {
        {"a notch away from the user", 120, false, {"wheel 120 at 112,113", "up"}, false},
        {"half a notch towards the user", -60, false, {"wheel -60 at 112,113"}, false},
        {"the other half completes the notch", -60, false, {"wheel -60 at 112,113", "down"}, true},
        {"two notches at once", -240, false, {"wheel -240 at 112,113", "down", "down"}, true},
        {"OnMouseWheel takes it", 120, true, {"wheel 120 at 112,113"}, true},
    };
    for (const Case& k : cases) {
        seen.clear();
        takeWheel = k.takeWheel;
        QWheelEvent e = Wheel(k.delta);
        QApplication::sendEvent(&c, &e);
        EXPECT_EQ(seen, k.seen) << k.name;
        // An unhandled wheel goes on to the parent.
        EXPECT_EQ(e.isAccepted(), k.accepted) << k.name;
    }
    seen.clear();
    takeWheel = false;
    QWheelEvent shifted = Wheel(120, Qt::ShiftModifier);
    QApplication::sendEvent(&c, &shifted);
    EXPECT_EQ(seen, (std::vector<std::string>{"wheel 120 at 112,113 shift", "up"}));
}

TEST(GeneralControl, SizingAsksOnCanResizeAndKeepsTheConstraints) {
    Control c; // hidden: the size still changes at once
    std::vector<std::string> resized;
    c.OnResize = [&](QObject*) {
        resized.push_back(std::to_string(c.width()) + "x" + std::to_string(c.height()));
    };
    bool allow = true;
    c.OnCanResize = [&](QObject*, int&, int&, bool& resize) { resize = allow; };
    int narrowTo = 0;
    c.OnConstrainedResize = [&](QObject*, int&, int&, int& maxWidth, int&) {
        if (narrowTo)
            maxWidth = narrowTo;
    };
    c.SetBounds(0, 0, 50, 40);
    TSizeConstraints limits;
    limits.SetMinWidth(30);
    limits.SetMinHeight(20);
    limits.SetMaxWidth(60);
    limits.SetMaxHeight(45);
    c.SetConstraints(limits);
    struct Case {
        const char* name;
        TRect asked;
        bool allow;
        int narrowTo;
        TRect expected;
    };
    const Case cases[] = {
        {"inside the limits", gui::Bounds(1, 2, 55, 25), true, 0, gui::Bounds(1, 2, 55, 25)},
        {"too wide and too low", gui::Bounds(1, 2, 100, 10), true, 0, gui::Bounds(1, 2, 60, 20)},
        {"too narrow and too high", gui::Bounds(1, 2, 5, 90), true, 0, gui::Bounds(1, 2, 30, 45)},
        {"OnCanResize refuses: nothing moves", gui::Bounds(9, 9, 40, 40), false, 0,
         gui::Bounds(1, 2, 30, 45)},
        {"OnConstrainedResize narrows", gui::Bounds(1, 2, 60, 30), true, 52,
         gui::Bounds(1, 2, 52, 30)},
    };
    for (const Case& k : cases) {
        allow = k.allow;
        narrowTo = k.narrowTo;
        c.SetBounds(k.asked.Left, k.asked.Top, k.asked.Width(), k.asked.Height());
        EXPECT_EQ(gui::FromQRect(c.geometry()), k.expected) << k.name;
    }
    narrowTo = 0;
    // Qt's own sizing (layouts, resize) keeps the limits too.
    c.resize(500, 1);
    EXPECT_EQ(c.size(), QSize(60, 20));
    // One OnResize per change of size, none for a move; none more when
    // the control is shown at the size it has.
    c.SetBounds(5, 5, 60, 20);
    c.show();
    QApplication::processEvents();
    EXPECT_EQ(resized,
              (std::vector<std::string>{"50x40", "55x25", "60x20", "30x45", "52x30", "60x20"}));
}

TEST(GeneralControl, AnchoredBoundsOnAParentResize) {
    using A = TAnchorKind;
    const TRect b = gui::Bounds(10, 20, 50, 30); // in a parent of 200 x 100
    struct Case {
        const char* name;
        TAnchors anchors;
        TRect expected; // in a parent of 300 x 160
    };
    const Case cases[] = {
        {"left and top stay", gui::kDefaultAnchors, b},
        {"left and right stretch", A::akLeft | A::akTop | A::akRight, gui::Bounds(10, 20, 150, 30)},
        {"right and bottom move", A::akRight | A::akBottom, gui::Bounds(110, 80, 50, 30)},
        {"all four stretch", A::akLeft | A::akTop | A::akRight | A::akBottom,
         gui::Bounds(10, 20, 150, 90)},
        // The middle (35, 35) stays at the same fraction: (52.5, 56).
        {"none keeps the middle's place", TAnchors(), gui::Bounds(28, 41, 50, 30)},
    };
    for (const Case& k : cases)
        EXPECT_EQ(AnchoredBounds(b, {200, 100}, {300, 160}, k.anchors), k.expected) << k.name;
}

TEST(GeneralControl, AnchorsFollowTheParentUntilTheProgramMovesTheControl) {
    QWidget parent;
    parent.resize(200, 100);
    auto* c = new Control(&parent);
    c->SetBounds(10, 20, 50, 30);
    c->SetAnchors(TAnchorKind::akLeft | TAnchorKind::akRight | TAnchorKind::akBottom);
    parent.show();
    parent.resize(300, 160);
    QApplication::processEvents();
    EXPECT_EQ(c->geometry(), QRect(10, 80, 150, 30));
    // Moved by the program: the new distances are kept from then on.
    c->SetBounds(0, 0, 100, 30);
    parent.resize(320, 170);
    QApplication::processEvents();
    EXPECT_EQ(c->geometry(), QRect(0, 10, 120, 30));
}

// The tool tip shown now ("" when none is), once an old one has gone.
QString ToolTipFor(QWidget& w) {
    QToolTip::hideText();
    QElapsedTimer waited;
    waited.start();
    while (QToolTip::isVisible() && waited.elapsed() < 2000)
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    QHelpEvent e(QEvent::ToolTip, QPoint(3, 4), w.mapToGlobal(QPoint(3, 4)));
    QApplication::sendEvent(&w, &e);
    return QToolTip::isVisible() ? QToolTip::text() : QString();
}

TEST(GeneralControl, HintsReachQtAsToolTipsWhereShowHintIsOn) {
    Control parent;
    parent.resize(100, 100);
    auto* child = new Control(&parent);
    parent.show();
    QApplication::processEvents();
    parent.SetHint("Parent|the long text");
    child->SetHint("Child|its long text");
    EXPECT_EQ(ToolTipFor(*child), ""); // ShowHint is off, the parent's too

    parent.SetShowHint(true); // the child takes it through ParentShowHint
    EXPECT_TRUE(child->ShowHint());
    EXPECT_EQ(ToolTipFor(*child), "Child");
    child->SetHint("");
    EXPECT_EQ(ToolTipFor(*child), "Parent"); // the first hint up the parents
    child->SetHint("Child");
    child->SetShowHint(false); // the request goes to the parent
    EXPECT_FALSE(child->ParentShowHint());
    EXPECT_EQ(ToolTipFor(*child), "Parent");
    parent.SetShowHint(false);
    EXPECT_EQ(ToolTipFor(*child), "");
}

TEST(GeneralControl, ContextPopupOpensThePopupMenuUnlessHandled) {
    Control c;
    c.show();
    gui::TPopupMenu menu;
    menu.Add("Copy");
    c.SetPopupMenu(&menu);
    bool handle = false;
    c.OnContextPopup = [&](QObject*, TPoint, bool& handled) { handled = handle; };
    struct Case {
        const char* name;
        QContextMenuEvent::Reason reason;
        bool handle;
        bool autoPopup;
        bool opens;
        bool accepted;
    };
    const Case cases[] = {
        {"mouse", QContextMenuEvent::Mouse, false, true, true, true},
        {"keyboard: at the client's corner", QContextMenuEvent::Keyboard, false, true, true, true},
        {"handled by OnContextPopup", QContextMenuEvent::Mouse, true, true, false, true},
        {"no AutoPopup: on to the parent", QContextMenuEvent::Mouse, false, false, false, false},
    };
    for (const Case& k : cases) {
        handle = k.handle;
        menu.SetAutoPopup(k.autoPopup);
        menu.SetPopupComponent(nullptr);
        bool opened = false;
        QTimer::singleShot(0, [&] {
            if (QMenu* m = menu.ShowingMenu()) {
                opened = true;
                m->close();
            }
        });
        QContextMenuEvent e(k.reason, QPoint(5, 6), QPoint(105, 106));
        QApplication::sendEvent(&c, &e);
        QApplication::processEvents();
        EXPECT_EQ(opened, k.opens) << k.name;
        EXPECT_EQ(e.isAccepted(), k.accepted) << k.name;
        if (!k.opens)
            continue;
        EXPECT_EQ(menu.PopupComponent(), &c) << k.name;
        const QPoint at = k.reason == QContextMenuEvent::Keyboard
                              ? c.mapToGlobal(c.contentsRect().topLeft())
                              : QPoint(105, 106);
        EXPECT_EQ(menu.PopupPoint(), TPoint(at.x(), at.y())) << k.name;
    }
}

TEST(GeneralControl, MouseActivateAsksUpThroughTheParentsAndMayEatThePress) {
    Control parent; // never shown: its window is not the active one
    auto* c = new Control(&parent);
    int downs = 0;
    c->OnMouseDown = [&](QObject*, Qt::MouseButton, Qt::KeyboardModifiers, int, int) { ++downs; };
    TMouseActivate own = TMouseActivate::maDefault, parents = TMouseActivate::maDefault;
    std::vector<std::string> asked;
    c->OnMouseActivate = [&](QObject*, Qt::MouseButton, Qt::KeyboardModifiers, int x, int y,
                             int hitTest, TMouseActivate& r) {
        asked.push_back("child " + std::to_string(x) + "," + std::to_string(y) + " hit " +
                        std::to_string(hitTest));
        r = own;
    };
    parent.OnMouseActivate = [&](QObject*, Qt::MouseButton, Qt::KeyboardModifiers, int, int, int,
                                 TMouseActivate& r) {
        asked.push_back("parent");
        r = parents;
    };
    struct Case {
        const char* name;
        TMouseActivate own, parents;
        std::vector<std::string> asked;
        int downs;
    };
    const std::string child = "child 10,10 hit 1";
    const Case cases[] = {
        {"nobody answers: the press goes on",
         TMouseActivate::maDefault,
         TMouseActivate::maDefault,
         {child, "parent"},
         1},
        {"the child eats it",
         TMouseActivate::maActivateAndEat,
         TMouseActivate::maDefault,
         {child},
         0},
        {"the parent eats it",
         TMouseActivate::maDefault,
         TMouseActivate::maNoActivateAndEat,
         {child, "parent"},
         0},
        {"the child lets it through",
         TMouseActivate::maNoActivate,
         TMouseActivate::maNoActivateAndEat,
         {child},
         1},
    };
    for (const Case& k : cases) {
        own = k.own;
        parents = k.parents;
        asked.clear();
        downs = 0;
        QMouseEvent press(QEvent::MouseButtonPress, QPointF(12, 13), QPointF(112, 113),
                          Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(c, &press);
        EXPECT_EQ(asked, k.asked) << k.name;
        EXPECT_EQ(downs, k.downs) << k.name;
    }
}

TEST(GeneralControl, RightToLeftHelpersByMode) {
    using B = TBiDiMode;
    using namespace gui;
    struct Case {
        B mode;
        bool alignment, reading, scrollBar;
        unsigned left, right, center; // DrawTextBiDiModeFlags of DT_LEFT, DT_RIGHT, DT_CENTER
        Qt::LayoutDirection direction;
    };
    const Case cases[] = {
        {B::bdLeftToRight, false, false, false, DT_LEFT, DT_RIGHT, DT_CENTER, Qt::LeftToRight},
        {B::bdRightToLeft, true, true, true, DT_RIGHT | DT_RTLREADING, DT_LEFT | DT_RTLREADING,
         DT_CENTER | DT_RTLREADING, Qt::RightToLeft},
        {B::bdRightToLeftNoAlign, false, true, true, DT_LEFT | DT_RTLREADING,
         DT_RIGHT | DT_RTLREADING, DT_CENTER | DT_RTLREADING, Qt::LeftToRight},
        {B::bdRightToLeftReadingOnly, false, true, false, DT_LEFT | DT_RTLREADING,
         DT_RIGHT | DT_RTLREADING, DT_CENTER | DT_RTLREADING, Qt::LeftToRight},
    };
    for (const Case& k : cases) {
        Control c;
        c.SetBiDiMode(k.mode == B::bdLeftToRight ? B::bdRightToLeft : B::bdLeftToRight);
        c.SetBiDiMode(k.mode);
        const int n = int(k.mode);
        EXPECT_EQ(c.UseRightToLeftAlignment(), k.alignment) << n;
        EXPECT_EQ(c.UseRightToLeftReading(), k.reading) << n;
        EXPECT_EQ(c.UseRightToLeftScrollBar(), k.scrollBar) << n;
        EXPECT_EQ(c.IsRightToLeft(), k.mode != B::bdLeftToRight) << n;
        EXPECT_EQ(c.DrawTextBiDiModeFlags(DT_LEFT | DT_SINGLELINE), k.left | DT_SINGLELINE) << n;
        EXPECT_EQ(c.DrawTextBiDiModeFlags(DT_RIGHT), k.right) << n;
        EXPECT_EQ(c.DrawTextBiDiModeFlags(DT_CENTER), k.center) << n;
        EXPECT_EQ(c.BiDiAlignment(TAlignment::taLeftJustify),
                  k.alignment ? TAlignment::taRightJustify : TAlignment::taLeftJustify)
            << n;
        EXPECT_EQ(c.layoutDirection(), k.direction) << n;
    }
}

TEST(GeneralControl, ParentSettingsFollowTheParent) {
    Control parent;
    auto* child = new Control(&parent);
    auto* grandchild = new Control(child);
    parent.SetBiDiMode(TBiDiMode::bdRightToLeftNoAlign);
    EXPECT_EQ(grandchild->BiDiMode(), TBiDiMode::bdRightToLeftNoAlign);
    parent.SetBiDiMode(TBiDiMode::bdRightToLeft);
    EXPECT_EQ(child->BiDiMode(), TBiDiMode::bdRightToLeft);
    EXPECT_EQ(grandchild->layoutDirection(), Qt::RightToLeft);
    parent.SetCtl3D(false);
    EXPECT_FALSE(grandchild->Ctl3D());

    // A mode of its own stops the inheritance, for it and below it.
    child->SetBiDiMode(TBiDiMode::bdLeftToRight);
    EXPECT_FALSE(child->ParentBiDiMode());
    parent.SetBiDiMode(TBiDiMode::bdRightToLeftReadingOnly);
    EXPECT_EQ(child->BiDiMode(), TBiDiMode::bdLeftToRight);
    EXPECT_EQ(grandchild->BiDiMode(), TBiDiMode::bdLeftToRight);
    child->SetParentBiDiMode(true);
    EXPECT_EQ(grandchild->BiDiMode(), TBiDiMode::bdRightToLeftReadingOnly);

    // Under a plain widget the mode follows its layout direction.
    QWidget form;
    auto* onForm = new Control(&form);
    form.setLayoutDirection(Qt::RightToLeft);
    EXPECT_EQ(onForm->BiDiMode(), TBiDiMode::bdRightToLeft);
    form.setLayoutDirection(Qt::LeftToRight);
    EXPECT_EQ(onForm->BiDiMode(), TBiDiMode::bdLeftToRight);
    EXPECT_TRUE(onForm->Ctl3D());
    // Moved into a framed parent, it takes that parent's settings.
    onForm->setParent(&parent);
    EXPECT_EQ(onForm->BiDiMode(), TBiDiMode::bdRightToLeftReadingOnly);
    EXPECT_FALSE(onForm->Ctl3D());

    // The font follows the parent until the control gets one of its own.
    TFont big = parent.Font();
    big.Height = -20;
    parent.SetFont(big);
    EXPECT_EQ(grandchild->Font(), big);
    TFont own = big;
    own.Name = "Tahoma";
    child->SetFont(own);
    EXPECT_FALSE(child->ParentFont());
    EXPECT_EQ(grandchild->Font(), own);
    child->SetParentFont(true);
    EXPECT_EQ(child->Font(), big);
}

TEST(GeneralControl, TabStopDecidesWhetherTabReachesTheControl) {
    Control c;
    c.SetTabStop(true);
    EXPECT_TRUE(c.TabStop());
    EXPECT_EQ(c.focusPolicy(), Qt::StrongFocus);
    c.SetTabStop(false);
    EXPECT_FALSE(c.TabStop());
    EXPECT_EQ(c.focusPolicy(), Qt::ClickFocus); // the mouse and code still focus it
}

} // namespace
} // namespace vdx::gui
