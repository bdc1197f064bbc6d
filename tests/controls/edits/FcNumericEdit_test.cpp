// The numeric edit: parsing, the key filter with its sign and separator
// rules, text from outside (paste, drop), clamping when the focus leaves
// inside the window only, and the float-to-integer conversions.
#include "controls/edits/FcNumericEdit.h"

#include "EditSupport.h"

#include <QApplication>
#include <QClipboard>
#include <QDropEvent>
#include <QLineEdit>
#include <QMimeData>

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

namespace vdx {
namespace {

using test::PressKey;
using test::TypeText;

class CountingNumericEdit : public TFcNumericEdit {
public:
    using TFcNumericEdit::TFcNumericEdit;
    int beeps = 0;

protected:
    void Beep() override { ++beeps; }
};

TEST(FcNumericEditParse, SignsSeparatorsAndExponents) {
    TFcNumericEdit edit;
    struct Case {
        const char* text;
        bool scientific;
        os::Extended expected;
    };
    const Case cases[] = {
        {"(1,234)", true, -1234}, // negative by the parentheses, thousands dropped
        {"1.5E-3", true, 0.0015L}, {"1-2", true, 12}, // a minus not after E is dropped
        {"1-2", false, 0},                            // kept: no number
        {"-5", true, -5},          {"+7", false, 7},  {" 12 ", true, 12}, {"", true, 0},
        {"abc", true, 0},          {"(5", true, 5}, // no closing parenthesis: not negative
    };
    for (const Case& c : cases) {
        edit.SetAllowScientificNotation(c.scientific);
        edit.SetText(c.text);
        EXPECT_EQ(edit.ParseValue(), c.expected) << c.text;
    }
}

struct KeyCase {
    const char* name;
    bool integersOnly;
    const char* text;
    int selStart;
    int selLength;
    char key;
    const char* after;
    bool beep;
};

TEST(FcNumericEditKeys, TheFilterBySelectionAndText) {
    const KeyCase cases[] = {
        {"sign into an empty text", true, "", 0, 0, '-', "-", false},
        {"a second sign", true, "-5", 2, 0, '-', "-5", true},
        {"a sign replacing everything", true, "-5", 0, 2, '+', "+", false},
        {"a sign after a digit", true, "5", 1, 0, '-', "5", true},
        {"a sign replacing the sign", true, "-5", 0, 1, '+', "+5", false},
        {"a sign replacing a digit at 0", true, "55", 0, 1, '-', "-5", false},
        {"a selection from 0 without the sign", true, "1-2", 0, 1, '-', "1-2", true},
        {"nothing in front of a sign", true, "-5", 0, 0, '1', "-5", true},
        {"a digit after the sign", true, "-5", 1, 0, '1', "-15", false},
        {"no separator for integers", true, "12", 2, 0, '.', "12", true},
        {"a letter", true, "12", 2, 0, 'a', "12", true},
        {"one separator", false, "1.5", 3, 0, '.', "1.5", true},
        {"a separator replacing one", false, "1.5", 1, 1, '.', "1.5", false},
        {"a separator into a selection without one", false, "1.5", 2, 1, '.', "1.5", true},
        {"an exponent", false, "15", 2, 0, 'E', "15E", false},
        {"signs anywhere without integers", false, "15", 1, 0, '-', "1-5", false},
    };
    for (const KeyCase& c : cases) {
        CountingNumericEdit edit;
        edit.SetIntegersOnly(c.integersOnly);
        edit.SetText(c.text);
        edit.SetSelStart(c.selStart);
        edit.SetSelLength(c.selLength);
        TypeText(edit, std::string(1, c.key));
        EXPECT_EQ(edit.Text(), c.after) << c.name;
        EXPECT_EQ(edit.beeps, c.beep ? 1 : 0) << c.name;
    }
}

TEST(FcNumericEditKeys, ExponentOnlyWithScientificNotation) {
    CountingNumericEdit edit;
    edit.SetIntegersOnly(false);
    edit.SetAllowScientificNotation(false);
    edit.SetText("15");
    edit.SetSelStart(2);
    TypeText(edit, "e");
    EXPECT_EQ(edit.Text(), "15");
    EXPECT_EQ(edit.beeps, 1);
}

TEST(FcNumericEditKeys, EnterBeepsBackspaceWorksKeypadDecimalTypesTheSeparator) {
    CountingNumericEdit edit;
    edit.SetText("12");
    edit.SetSelStart(2);
    PressKey(edit, Qt::Key_Return, Qt::NoModifier, "\r");
    EXPECT_EQ(edit.Text(), "12");
    EXPECT_EQ(edit.beeps, 1); // no default button: the filter's beep
    PressKey(edit, Qt::Key_Backspace, Qt::NoModifier, "\b");
    EXPECT_EQ(edit.Text(), "1");
    EXPECT_EQ(edit.beeps, 1);

    // The keypad's decimal key types the separator whatever the layout gives.
    edit.SetIntegersOnly(false);
    PressKey(edit, Qt::Key_Comma, Qt::KeypadModifier, ",");
    EXPECT_EQ(edit.Text(), "1.");
    EXPECT_EQ(edit.beeps, 1);
    PressKey(edit, Qt::Key_Comma, Qt::NoModifier, ",");
    EXPECT_EQ(edit.Text(), "1.");
    EXPECT_EQ(edit.beeps, 2);
}

TEST(FcNumericEditKeys, PasteAndDropTakeOnlyWhatTheFilterWould) {
    CountingNumericEdit edit;
    edit.SetText("1");
    edit.SetSelStart(1);
    QGuiApplication::clipboard()->setText("12a");
    PressKey(edit, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(edit.Text(), "1");
    EXPECT_EQ(edit.beeps, 1);
    QGuiApplication::clipboard()->setText("34");
    PressKey(edit, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(edit.Text(), "134");
    EXPECT_EQ(edit.beeps, 1);

    // Two separators in the result are refused, also when pasted apart.
    edit.SetIntegersOnly(false);
    edit.SetText("1.5");
    edit.SetSelStart(3);
    QGuiApplication::clipboard()->setText(".2");
    PressKey(edit, Qt::Key_Insert, Qt::ShiftModifier);
    EXPECT_EQ(edit.Text(), "1.5");
    EXPECT_EQ(edit.beeps, 2);

    auto drop = [&](const QString& text) {
        QMimeData data;
        data.setText(text);
        // The drop goes to the widget that took the drag's entry.
        QDragEnterEvent enter(QPoint(1, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&edit.Editor(), &enter);
        QDropEvent event(QPointF(1, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&edit.Editor(), &event);
    };
    drop("x");
    EXPECT_EQ(edit.Text(), "1.5");
    EXPECT_EQ(edit.beeps, 3);
    drop("7");
    EXPECT_NE(edit.Text().find('7'), std::string::npos);
    EXPECT_EQ(edit.beeps, 3);

    // Undo brings back only what the filter takes.
    edit.SetText("5");
    edit.SetSelStart(1);
    TypeText(edit, "6");
    PressKey(edit, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(edit.Text(), "5");
}

TEST(FcNumericEditValue, FormatAndIntegers) {
    TFcNumericEdit edit;
    EXPECT_EQ(edit.Text(), "0");
    edit.SetValue(-1234);
    EXPECT_EQ(edit.Text(), "(1,234)");
    int changes = 0;
    edit.OnChange = [&](QObject*) { ++changes; };
    edit.SetValue(-1234); // already shown: the text stays
    EXPECT_EQ(changes, 0);
    edit.SetDisplayFormat("0");
    EXPECT_EQ(edit.Text(), "-1234");

    edit.SetDisplayFormat("0.00");
    edit.SetValue(2.5L);
    EXPECT_EQ(edit.IntValue(), 2); // halves to even
    edit.SetValue(3.5L);
    EXPECT_EQ(edit.IntValue(), 4);
    edit.SetIntegersOnly(false);
    edit.SetText("1E30");
    EXPECT_EQ(edit.IntValue(), std::numeric_limits<std::int64_t>::max()); // saturated
    edit.SetText("-1E30");
    EXPECT_EQ(edit.IntValue(), std::numeric_limits<std::int64_t>::min());
    // Rounded as a float: a value beyond the integer range stays.
    edit.SetText("1E30");
    edit.SetIntegersOnly(true);
    EXPECT_EQ(edit.Value(), 1e30L);
    edit.SetIntegersOnly(false);
    edit.SetValue(2.5L);
    edit.SetIntegersOnly(true);
    EXPECT_EQ(edit.Value(), 2);

    // An empty text reads as Min, written into the edit.
    edit.SetMin(3);
    edit.SetText("");
    EXPECT_EQ(edit.Value(), 3);
    EXPECT_EQ(edit.Text(), "3.00");
}

// The settings dialog's port edit in a window, with a second control to
// move the focus to.
class PortEdit : public ::testing::Test {
protected:
    void SetUp() override {
        edit = new CountingNumericEdit(&window);
        edit->SetMax(65535);
        edit->SetDisplayFormat("0");
        other = new TFcEdit(&window);
        other->move(0, 30);
        window.resize(130, 60);
        if (!test::FocusIn(window, *edit))
            GTEST_SKIP() << "the platform gives no focus";
    }
    void Leave() {
        other->Editor().setFocus(Qt::TabFocusReason);
        QApplication::processEvents();
    }
    void Enter(const std::string& text) {
        edit->Editor().setFocus(Qt::TabFocusReason);
        edit->SelectAll();
        edit->Editor().del();
        TypeText(*edit, text);
    }
    QWidget window;
    CountingNumericEdit* edit = nullptr;
    TFcEdit* other = nullptr;
};

TEST_F(PortEdit, LeavingClampsToTheRange) {
    struct Case {
        const char* typed;
        const char* shown;
    } const cases[] = {{"70000", "65535"}, {"-5", "0"}, {"", "0"}, {"(12)", "0"}, {"80", "80"}};
    for (const Case& c : cases) {
        Enter(c.typed);
        Leave();
        EXPECT_EQ(edit->Text(), c.shown) << c.typed;
        EXPECT_TRUE(other->Editor().hasFocus()) << c.typed;
    }
}

TEST_F(PortEdit, UnclampedWhileFocused) {
    Enter("70000");
    EXPECT_EQ(edit->Value(), 70000);
    EXPECT_EQ(edit->IntValue(), 70000);
    EXPECT_EQ(edit->Text(), "70000");
}

TEST_F(PortEdit, ARangeErrorHandlerMayKeepTheEntryAndTheFocus) {
    std::vector<std::pair<os::Extended, os::Extended>> errors;
    bool correct = false;
    edit->OnRangeError = [&](QObject*, os::Extended entered, os::Extended adjusted,
                             bool& autoCorrect) {
        errors.emplace_back(entered, adjusted);
        autoCorrect = correct;
    };
    Enter("70000");
    Leave();
    EXPECT_EQ(errors, (std::vector<std::pair<os::Extended, os::Extended>>{{70000, 65535}}));
    EXPECT_TRUE(edit->Editor().hasFocus()); // taken back at once
    EXPECT_EQ(edit->Text(), "70000");
    correct = true;
    Leave();
    EXPECT_EQ(edit->Text(), "65535");
    EXPECT_TRUE(other->Editor().hasFocus());
}

TEST_F(PortEdit, NoExitForAPopupAnotherWindowOrHiding) {
    Enter("70000");
    // A pop-up takes the keyboard: no exit.
    other->Editor().setFocus(Qt::PopupFocusReason);
    QApplication::processEvents();
    EXPECT_EQ(edit->Text(), "70000");
    EXPECT_TRUE(edit->HasFocus());
    Enter("70001");
    // Hidden while focused: no check either.
    edit->hide();
    QApplication::processEvents();
    EXPECT_EQ(edit->Text(), "70001");
}

TEST_F(PortEdit, CheckRangeWithEqualBounds) {
    edit->SetMax(0);
    Enter("5");
    Leave();
    EXPECT_EQ(edit->Text(), "5"); // Min = Max: no range
    edit->SetCheckRange(true);
    Enter("5");
    Leave();
    EXPECT_EQ(edit->Text(), "0");
}

} // namespace
} // namespace vdx
