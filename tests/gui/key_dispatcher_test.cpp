// The dialog keys of a window: which keys reach the controls, in which
// order, and who ends it; focus moves; accelerators.
#include "platform/gui/key_dispatcher.h"

#include <QApplication>
#include <QDialog>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vdx::gui {
namespace {

// A control that logs what it is offered and takes what it is told to.
class Target : public QWidget, public TDialogKeyTarget {
public:
    Target(QWidget* parent, std::string name, std::vector<std::string>& log)
        : QWidget(parent), m_name(std::move(name)), m_log(log) {}
    bool TakeKey = false;
    bool TakeChar = false;

    bool DialogKey(int key, Qt::KeyboardModifiers) override {
        m_log.push_back(m_name + " key " + std::to_string(key));
        return TakeKey;
    }
    bool DialogChar(char ch, Qt::KeyboardModifiers modifiers) override {
        m_log.push_back(m_name + " char " + ch + (modifiers & Qt::AltModifier ? " alt" : ""));
        return TakeChar;
    }
    void FocusChanged(QWidget* now) override {
        m_log.push_back(m_name + " focus " + (now ? now->objectName().toStdString() : "none"));
    }

protected:
    void showEvent(QShowEvent*) override { AttachKeyDispatcher(*this); }

private:
    std::string m_name;
    std::vector<std::string>& m_log;
};

bool SendKey(QWidget& w, int key, const QString& text = {},
             Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QKeyEvent e(QEvent::KeyPress, key, modifiers, text);
    QApplication::sendEvent(&w, &e);
    return e.isAccepted();
}

// window: a (a1, a2), b, a plain widget and a separate dialog with its own
// control.
class Dispatcher : public ::testing::Test {
protected:
    void SetUp() override {
        a = new Target(&window, "a", log);
        a1 = new Target(a, "a1", log);
        a2 = new Target(a, "a2", log);
        b = new Target(&window, "b", log);
        plain = new QWidget(&window);
        auto* other = new QDialog(&window);
        new Target(other, "other", log);
        window.show();
    }
    std::vector<std::string> log;
    QWidget window;
    Target *a = nullptr, *a1 = nullptr, *a2 = nullptr, *b = nullptr;
    QWidget* plain = nullptr;
};

TEST_F(Dispatcher, KeysReachingTheWindowGoToEveryControlDepthFirst) {
    for (int key : {int(Qt::Key_Return), int(Qt::Key_Enter), int(Qt::Key_Escape)}) {
        log.clear();
        EXPECT_FALSE(SendKey(*plain, key));
        const std::string k = " key " + std::to_string(key);
        EXPECT_EQ(log, (std::vector<std::string>{"a" + k, "a1" + k, "a2" + k, "b" + k}));
    }
}

TEST_F(Dispatcher, FirstTakerEndsIt) {
    a1->TakeKey = true;
    EXPECT_TRUE(SendKey(*plain, Qt::Key_Escape));
    const std::string k = " key " + std::to_string(Qt::Key_Escape);
    EXPECT_EQ(log, (std::vector<std::string>{"a" + k, "a1" + k}));
}

TEST_F(Dispatcher, CharactersAsDialogCharsOtherKeysNot) {
    b->TakeChar = true;
    EXPECT_TRUE(SendKey(*plain, Qt::Key_H, "h"));
    EXPECT_TRUE(SendKey(*plain, Qt::Key_H, "h", Qt::AltModifier));
    EXPECT_EQ(log, (std::vector<std::string>{"a char h", "a1 char h", "a2 char h", "b char h",
                                             "a char h alt", "a1 char h alt", "a2 char h alt",
                                             "b char h alt"}));
    log.clear();
    EXPECT_FALSE(SendKey(*plain, Qt::Key_A, QString(QChar(1)), Qt::ControlModifier));
    EXPECT_FALSE(SendKey(*plain, Qt::Key_Tab, "\t"));
    EXPECT_FALSE(SendKey(*plain, Qt::Key_F4));
    EXPECT_TRUE(log.empty());
}

TEST_F(Dispatcher, KeysTheFocusWidgetTakesGoNoFurther) {
    auto* line = new QLineEdit(&window);
    auto* memo = new QPlainTextEdit(&window);
    line->show();
    memo->show();
    EXPECT_TRUE(SendKey(*line, Qt::Key_X, "x"));
    EXPECT_EQ(line->text(), "x");
    EXPECT_TRUE(SendKey(*memo, Qt::Key_Return, "\r"));
    EXPECT_EQ(memo->blockCount(), 2);
    EXPECT_TRUE(log.empty());
}

TEST_F(Dispatcher, FocusMovesAreToldToEveryControl) {
    auto* line = new QLineEdit(&window);
    line->setObjectName("line");
    line->show();
    window.activateWindow();
    line->setFocus();
    QApplication::processEvents();
    if (!line->hasFocus())
        GTEST_SKIP() << "the platform gives no focus";
    EXPECT_EQ(log, (std::vector<std::string>{"a focus line", "a1 focus line", "a2 focus line",
                                             "b focus line"}));
    log.clear();
    BroadcastFocusChanged(window, nullptr);
    EXPECT_EQ(log, (std::vector<std::string>{"a focus none", "a1 focus none", "a2 focus none",
                                             "b focus none"}));
}

TEST(IsAccel, CharacterAfterTheFirstSingleAmpersand) {
    struct Row {
        char ch;
        const char* caption;
        bool expected;
    };
    const Row rows[] = {
        {'h', "&Help", true},        {'H', "&Help", true},   {'e', "&Help", false},
        {'h', "&&Help", false},      {'b', "A&&&b", true},   {'c', "&a&c", false},
        {'&', "Save &&", false},     {'x', "x&", false},     {'x', "", false},
        {'\xE4', "&\xC4pfel", true}, {'1', "Page &1", true},
    };
    for (const Row& r : rows)
        EXPECT_EQ(IsAccel(r.ch, r.caption), r.expected) << r.caption << " " << r.ch;
}

} // namespace
} // namespace vdx::gui
