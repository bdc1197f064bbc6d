// Drag and drop of controls: the events a sequence of presses, moves,
// releases and keys raises, in order and with their arguments.
#include "platform/gui/general_control.h"

#include <QApplication>
#include <QCursor>
#include <QKeyEvent>
#include <QMouseEvent>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace vdx::gui {
namespace {

using Log = std::vector<std::string>;

std::string Name(QObject* o) {
    return o ? o->objectName().toStdString() : "nil";
}

const char* StateName(TDragState s) {
    switch (s) {
    case TDragState::dsDragEnter:
        return "enter";
    case TDragState::dsDragLeave:
        return "leave";
    case TDragState::dsDragMove:
        return "move";
    }
    return "?";
}

// A control with a frame margin of 2, so client positions differ from
// widget positions.
class Control : public TGeneralControl {
public:
    Control(QWidget* parent, const char* name, QRect bounds) : TGeneralControl(parent) {
        setObjectName(name);
        setGeometry(bounds);
        SetFrameMargins(QMargins(2, 2, 2, 2));
    }
};

// How a target answers: every time, never, or at every state but the
// leave that decides the drop.
enum class Answer { Accept, Refuse, RefuseAtDrop };

void Record(Control& c, Log& log, Answer answer) {
    c.OnDragOver = [&log, answer, &c](QObject*, QObject* source, int x, int y, TDragState state,
                                      bool& accept) {
        accept = answer == Answer::Accept ||
                 (answer == Answer::RefuseAtDrop && state != TDragState::dsDragLeave);
        log.push_back(Name(&c) + " over " + StateName(state) + " " + std::to_string(x) + "," +
                      std::to_string(y) + " from " + Name(source) + (accept ? " yes" : " no"));
    };
    c.OnDragDrop = [&log, &c](QObject*, QObject* source, int x, int y) {
        log.push_back(Name(&c) + " drop " + std::to_string(x) + "," + std::to_string(y) + " from " +
                      Name(source));
    };
}

// A form (at 100, 100 on the screen): the source S at (10, 10), the
// accepting target A right of it, the refusing target R and the target D
// that refuses at the drop below it, and an empty strip at the right.
class DragForm : public ::testing::Test {
protected:
    void SetUp() override {
        form.setGeometry(100, 100, 300, 200);
        form.show();
        Record(*a, log, Answer::Accept);
        Record(*r, log, Answer::Refuse);
        Record(*d, log, Answer::RefuseAtDrop);
        s->OnStartDrag = [this](QObject* sender, std::unique_ptr<gui::TDragObject>&) {
            log.push_back(Name(sender) + " start");
        };
        s->OnEndDrag = [this](QObject* sender, QObject* target, int x, int y) {
            log.push_back(Name(sender) + " end " + Name(target) + " " + std::to_string(x) + "," +
                          std::to_string(y));
        };
    }
    void TearDown() override { s->EndDrag(false); }

    // Mouse events at a form position, sent to the widget that has the
    // mouse (the source, which took it at the press).
    void Mouse(QEvent::Type type, QPoint at, Qt::MouseButton button = Qt::LeftButton) {
        const QPoint global = form.mapToGlobal(at);
        const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : button;
        QMouseEvent e(type, QPointF(s->mapFromGlobal(global)), QPointF(global),
                      type == QEvent::MouseMove ? Qt::NoButton : button, held, Qt::NoModifier);
        QApplication::sendEvent(s, &e);
    }
    void Press(QPoint at) { Mouse(QEvent::MouseButtonPress, at); }
    void Move(QPoint at) { Mouse(QEvent::MouseMove, at); }
    void Release(QPoint at) { Mouse(QEvent::MouseButtonRelease, at); }
    void Escape() {
        QKeyEvent e(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QApplication::sendEvent(s, &e);
    }

    QWidget form;
    Control* s = new Control(&form, "S", QRect(10, 10, 40, 30));
    Control* a = new Control(&form, "A", QRect(50, 10, 60, 30));
    Control* r = new Control(&form, "R", QRect(10, 60, 60, 30));
    Control* d = new Control(&form, "D", QRect(10, 110, 60, 30));
    Log log;
};

struct Step {
    enum Kind { Press, Move, Release, Escape } kind;
    QPoint at;
};

struct Sequence {
    const char* name;
    TDragMode mode;
    std::vector<Step> steps;
    Log expected;
};

TEST_F(DragForm, SequencesRaiseTheirEventsInOrder) {
    // Form positions: S's client (0, 0) is at (12, 12), A's at (52, 12),
    // R's at (12, 62), D's at (12, 112).
    const QPoint onS(20, 20), onA(60, 20), onR(20, 70), onD(20, 120), outside(200, 20);
    const Sequence sequences[] = {
        {"a click starts and ends an automatic drag",
         TDragMode::dmAutomatic,
         {{Step::Press, onS}, {Step::Release, onS}},
         {"S start", "S end nil 0,0"}},
        {"dropped on a target that accepts",
         TDragMode::dmAutomatic,
         {{Step::Press, onS}, {Step::Move, onA}, {Step::Move, {61, 21}}, {Step::Release, {61, 21}}},
         {"S start", "A over enter 8,8 from S yes", "A over move 8,8 from S yes",
          "A over move 9,9 from S yes", "A over leave 9,9 from S yes", "A drop 9,9 from S",
          "S end A 9,9"}},
        {"dropped on a target that refuses",
         TDragMode::dmAutomatic,
         {{Step::Press, onS}, {Step::Move, onR}, {Step::Release, onR}},
         {"S start", "R over enter 8,8 from S no", "R over move 8,8 from S no",
          "R over leave 8,8 from S no", "S end nil 0,0"}},
        {"the leave at the drop decides",
         TDragMode::dmAutomatic,
         {{Step::Press, onS}, {Step::Move, onD}, {Step::Release, onD}},
         {"S start", "D over enter 8,8 from S yes", "D over move 8,8 from S yes",
          "D over leave 8,8 from S no", "S end nil 0,0"}},
        {"from one target to the next",
         TDragMode::dmAutomatic,
         {{Step::Press, onS}, {Step::Move, onA}, {Step::Move, onR}, {Step::Release, onR}},
         {"S start", "A over enter 8,8 from S yes", "A over move 8,8 from S yes",
          "A over leave 8,8 from S yes", "R over enter 8,8 from S no", "R over move 8,8 from S no",
          "R over leave 8,8 from S no", "S end nil 0,0"}},
        {"Escape cancels over a target that accepts",
         TDragMode::dmAutomatic,
         {{Step::Press, onS}, {Step::Move, onA}, {Step::Escape, {}}, {Step::Release, onA}},
         {"S start", "A over enter 8,8 from S yes", "A over move 8,8 from S yes",
          "A over leave 8,8 from S yes", "S end nil 0,0"}},
        {"released where no control is",
         TDragMode::dmAutomatic,
         {{Step::Press, onS}, {Step::Move, onA}, {Step::Move, outside}, {Step::Release, outside}},
         {"S start", "A over enter 8,8 from S yes", "A over move 8,8 from S yes",
          "A over leave 8,8 from S yes", "S end nil 0,0"}},
        {"released outside the window",
         TDragMode::dmAutomatic,
         {{Step::Press, onS}, {Step::Move, {-50, 20}}, {Step::Release, {-50, 20}}},
         {"S start", "S end nil 0,0"}},
        // BeginDrag(False) from OnMouseDown: the control gets its button-up
        // first; the drag waits for 5 pixels on either axis.
        {"a waiting drag below the threshold",
         TDragMode::dmManual,
         {{Step::Press, {46, 20}}, {Step::Move, {50, 24}}, {Step::Release, {50, 24}}},
         {"S down", "S up", "S start", "S end nil 0,0"}},
        {"a waiting drag at the threshold",
         TDragMode::dmManual,
         {{Step::Press, {46, 20}},
          {Step::Move, {50, 24}},
          {Step::Move, {51, 20}},
          {Step::Release, {51, 20}}},
         {"S down", "S up", "S start", "A over enter -1,8 from S yes",
          "A over move -1,8 from S yes", "A over leave -1,8 from S yes", "A drop -1,8 from S",
          "S end A -1,8"}},
    };
    for (const Sequence& seq : sequences) {
        log.clear();
        s->SetDragMode(seq.mode);
        s->OnMouseDown = nullptr;
        s->OnMouseUp = nullptr;
        if (seq.mode == TDragMode::dmManual) {
            s->OnMouseDown = [this](QObject*, Qt::MouseButton, Qt::KeyboardModifiers, int, int) {
                log.push_back("S down");
                s->BeginDrag(false);
            };
            s->OnMouseUp = [this](QObject*, Qt::MouseButton, Qt::KeyboardModifiers, int, int) {
                log.push_back("S up");
            };
        }
        for (const Step& step : seq.steps) {
            switch (step.kind) {
            case Step::Press:
                Press(step.at);
                break;
            case Step::Move:
                Move(step.at);
                break;
            case Step::Release:
                Release(step.at);
                break;
            case Step::Escape:
                Escape();
                break;
            }
        }
        EXPECT_EQ(log, seq.expected) << seq.name;
        EXPECT_FALSE(s->Dragging()) << seq.name;
    }
}

TEST_F(DragForm, CursorShowsWhetherTheTargetAccepts) {
    s->SetDragMode(TDragMode::dmAutomatic);
    s->SetDragCursor(gui::crHandPoint);
    Press({20, 20});
    EXPECT_TRUE(s->Dragging());
    ASSERT_NE(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::ForbiddenCursor); // S has no handler
    Move({60, 20});
    EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::PointingHandCursor);
    Move({20, 70});
    EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::ForbiddenCursor);
    Release({20, 70});
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(DragForm, PressGoesNoFurtherInAutomaticMode) {
    int downs = 0;
    s->OnMouseDown = [&](QObject*, Qt::MouseButton, Qt::KeyboardModifiers, int, int) { ++downs; };
    s->SetDragMode(TDragMode::dmAutomatic);
    Press({20, 20});
    Release({20, 20});
    EXPECT_EQ(downs, 0);
    // The right button is no drag.
    Mouse(QEvent::MouseButtonPress, {20, 20}, Qt::RightButton);
    EXPECT_FALSE(s->Dragging());
    EXPECT_EQ(downs, 1);
}

TEST_F(DragForm, DragObjectOfTheStartHandlerIsTheSource) {
    QObject* seen = nullptr;
    QPointer<gui::TDragObject> own;
    s->OnStartDrag = [&](QObject*, std::unique_ptr<gui::TDragObject>& object) {
        object = std::make_unique<gui::TDragObject>();
        object->setObjectName("own");
        own = object.get();
    };
    a->OnDragOver = [&](QObject*, QObject* source, int, int, TDragState, bool& accept) {
        seen = source;
        accept = true;
    };
    s->SetDragMode(TDragMode::dmAutomatic);
    Press({20, 20});
    Move({60, 20});
    EXPECT_EQ(seen, own.data());
    Release({60, 20});
    EXPECT_TRUE(own.isNull()); // the drag owned it
}

TEST_F(DragForm, EndDragDropsOrCancelsFromCode) {
    s->SetDragMode(TDragMode::dmAutomatic);
    Press({20, 20});
    Move({60, 20});
    s->EndDrag(true);
    EXPECT_EQ(log.back(), "S end A 8,8");
    Press({20, 20});
    Move({60, 20});
    s->EndDrag(false);
    EXPECT_EQ(log.back(), "S end nil 0,0");
    EXPECT_FALSE(s->Dragging());
}

TEST_F(DragForm, DestroyedSourceEndsTheDrag) {
    s->SetDragMode(TDragMode::dmAutomatic);
    Press({20, 20});
    Move({60, 20});
    auto* sender = new Control(&form, "T", QRect(200, 100, 20, 20));
    delete s;
    s = sender; // for TearDown and the events below
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    log.clear();
    Move({61, 21});
    EXPECT_TRUE(log.empty());
    sender->SetDragMode(TDragMode::dmAutomatic);
    Press({210, 110});
    EXPECT_TRUE(sender->Dragging()); // a new drag can start
}

} // namespace
} // namespace vdx::gui
