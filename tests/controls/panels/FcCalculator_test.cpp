// The calculator: key sequences with the display after each key (the
// class library's cases and the mended ones), the mouse's press-and-release
// rule, the keyboard, the layout and its pictures.
#include "controls/panels/FcCalculator.h"

#include "WidgetPictures.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vdx {
namespace {

using test::PixelAt;
using test::RenderWidget;
using test::Shown;

// Keys by caption: digits, ".", "+", "-", "*", "/", "C", "=", "S" (set).
int AreaOf(char key) {
    switch (key) {
    case '.':
        return kCalcAreaPoint;
    case '+':
        return 11;
    case '-':
        return 12;
    case '*':
        return 13;
    case '/':
        return 14;
    case 'C':
        return kCalcAreaClear;
    case '=':
        return kCalcAreaEquals;
    case 'S':
        return kCalcAreaSet;
    default:
        return key - '0';
    }
}

// The display after each key, clicked with the mouse.
std::vector<std::string> Click(TFcCalculator& calc, const std::string& keys) {
    std::vector<std::string> shown;
    for (char key : keys) {
        const TRect r = calc.AreaRect(AreaOf(key));
        const QPointF at((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2);
        QMouseEvent press(QEvent::MouseButtonPress, at, calc.mapToGlobal(at), Qt::LeftButton,
                          Qt::LeftButton, Qt::NoModifier);
        QMouseEvent release(QEvent::MouseButtonRelease, at, calc.mapToGlobal(at), Qt::LeftButton,
                            Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(&calc, &press);
        QApplication::sendEvent(&calc, &release);
        shown.push_back(calc.DisplayText());
    }
    return shown;
}

using Shows = std::vector<std::string>;

TEST(FcCalculatorKeys, TheClassLibrarysSequences) {
    TFcCalculator calc;
    int changes = 0, clicks = 0;
    calc.OnChange = [&](QObject*) { ++changes; };
    calc.OnClick = [&](QObject*) { ++clicks; };
    EXPECT_EQ(Click(calc, "12+3="), (Shows{"1.", "12.", "12.", "3.", "15."}));
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(clicks, 5);

    EXPECT_EQ(Click(calc, "C5/0="), (Shows{"0.", "5.", "5.", "0.", "E"}));
    EXPECT_EQ(Click(calc, "7+="), (Shows{"E", "E", "E"})); // nothing but "C" leaves the error
    EXPECT_EQ(Click(calc, "C1.5.5"), (Shows{"0.", "1.", "1.", "1.5", "1.5", "1.55"}));
    EXPECT_EQ(Click(calc, "C.5*4="), (Shows{"0.", "0.", "0.5", "0.5", "4.", "2."}));
}

TEST(FcCalculatorKeys, ANewEntryAfterEqualsStartsANewCalculation) {
    TFcCalculator calc;
    Click(calc, "12+3=");
    EXPECT_EQ(Click(calc, "7+1="), (Shows{"7.", "7.", "1.", "8."})); // not 16
    Click(calc, "C12+3=");
    EXPECT_EQ(Click(calc, "+1="), (Shows{"15.", "1.", "16."})); // going on from the result
    Click(calc, "C12+3=");
    EXPECT_EQ(Click(calc, ".5+1="), (Shows{"0.", "0.5", "0.5", "1.", "1.5"}));
}

TEST(FcCalculatorKeys, OverflowIsTheError) {
    TFcCalculator calc;
    calc.SetResult(1e4931L);
    EXPECT_EQ(Click(calc, "*100="), (Shows{"1E4931.", "1.", "10.", "100.", "E"}));
    EXPECT_TRUE(calc.ErrorOccurred());
    EXPECT_EQ(Click(calc, "C"), (Shows{"0."}));
}

TEST(FcCalculatorKeys, TheSetKeyTakesTheEntryShown) {
    TFcCalculator calc;
    calc.SetPopupCalculator(true);
    int sets = 0;
    calc.OnSetBtnClick = [&](QObject*) { ++sets; };
    calc.SetResult(100);
    Click(calc, "5S");
    EXPECT_EQ(calc.Result(), 5); // the entry shown, not the 100 behind it
    EXPECT_EQ(sets, 1);
    Click(calc, "12+3=S");
    EXPECT_EQ(calc.Result(), 15);
    Click(calc, "2*4S"); // pending: calculated
    EXPECT_EQ(calc.Result(), 8);
    EXPECT_EQ(sets, 3);

    // Without the pop-up there is no set key, and Enter is "=".
    TFcCalculator plain;
    plain.OnSetBtnClick = [&](QObject*) { ++sets; };
    EXPECT_TRUE(plain.AreaRect(kCalcAreaSet).IsEmpty());
    QKeyEvent one(QEvent::KeyPress, Qt::Key_1, Qt::NoModifier, "1");
    QKeyEvent plus(QEvent::KeyPress, Qt::Key_Plus, Qt::ShiftModifier, "+");
    QKeyEvent two(QEvent::KeyPress, Qt::Key_2, Qt::KeypadModifier, "2");
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, "\r");
    for (QKeyEvent* e : {&one, &plus, &two, &enter})
        QApplication::sendEvent(&plain, e);
    EXPECT_EQ(plain.DisplayText(), "3.");
    EXPECT_EQ(sets, 3);
}

TEST(FcCalculatorMouse, APressCountsOnlyWhenReleasedOverTheSameKey) {
    TFcCalculator calc;
    const TRect seven = calc.AreaRect(7), eight = calc.AreaRect(8);
    auto send = [&](QEvent::Type type, const TRect& r) {
        const QPointF at(r.Left + 3, r.Top + 3);
        QMouseEvent e(type, at, calc.mapToGlobal(at), Qt::LeftButton,
                      type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton,
                      Qt::NoModifier);
        QApplication::sendEvent(&calc, &e);
    };
    send(QEvent::MouseButtonPress, seven);
    EXPECT_EQ(calc.PressedArea(), 7);
    send(QEvent::MouseMove, eight);
    send(QEvent::MouseButtonRelease, eight);
    EXPECT_EQ(calc.DisplayText(), "0.");
    EXPECT_EQ(calc.PressedArea(), kCalcAreaDisplay);
    send(QEvent::MouseButtonPress, seven);
    send(QEvent::MouseButtonRelease, seven);
    EXPECT_EQ(calc.DisplayText(), "7.");
}

TEST(FcCalculatorPictures, LayoutAndKeysAtCharacterHeight13) {
    TFcCalculator calc;
    TFont font = calc.Font();
    font.Height = -11; // character height 13
    calc.SetFont(font);
    ASSERT_EQ(calc.AutoSizeExtent(), 149) << "the font's character height is not 13";
    EXPECT_EQ(calc.size(), QSize(149, 149));
    EXPECT_EQ(calc.AreaRect(7), gui::Rect(6, 34, 30, 58));
    EXPECT_EQ(calc.AreaRect(0), gui::Rect(6, 118, 58, 142));
    EXPECT_EQ(calc.AreaRect(kCalcAreaDisplay), gui::Rect(6, 6, 142, 30));
    EXPECT_EQ(calc.AreaRect(kCalcAreaEquals), gui::Rect(118, 90, 142, 142));
    calc.SetPopupCalculator(true);
    EXPECT_EQ(calc.AreaRect(kCalcAreaDisplay), gui::Rect(6, 6, 114, 30));
    EXPECT_EQ(calc.AreaRect(kCalcAreaSet), gui::Rect(118, 6, 142, 30));

    const QImage image = RenderWidget(calc);
    // The lowered frame, the window colour, the display's shadow outline.
    EXPECT_EQ(PixelAt(image, 0, 0), Shown(gui::clBtnShadow));
    EXPECT_EQ(PixelAt(image, 1, 1), Shown(gui::cl3DDkShadow));
    EXPECT_EQ(PixelAt(image, 3, 3), Shown(gui::clWindow));
    EXPECT_EQ(PixelAt(image, 6, 6), Shown(gui::clBtnShadow));
    EXPECT_EQ(PixelAt(image, 7, 7), Shown(gui::clWindow));
    // A raised key: light and highlight above, shadow and dark below.
    EXPECT_EQ(PixelAt(image, 6, 34), Shown(gui::cl3DLight));
    EXPECT_EQ(PixelAt(image, 7, 35), Shown(gui::clBtnHighlight));
    EXPECT_EQ(PixelAt(image, 29, 57), Shown(gui::cl3DDkShadow));
    EXPECT_EQ(PixelAt(image, 28, 56), Shown(gui::clBtnShadow));
    EXPECT_EQ(PixelAt(image, 9, 37), Shown(gui::clBtnFace));
    // The set key's triangle is black ink inside the key.
    EXPECT_FALSE(test::InkBounds(image, QRect(120, 8, 20, 20), gui::clBtnFace).isEmpty());

    // Coloured keys derive their borders from the face.
    TFcCalculatorColors colors;
    colors.SetNumberBtns(gui::clYellow);
    calc.SetCalculatorColors(colors);
    const QImage coloured = RenderWidget(calc);
    EXPECT_EQ(PixelAt(coloured, 9, 37), Shown(gui::clYellow));
    EXPECT_EQ(PixelAt(coloured, 29, 57), DarkenColor(gui::clYellow, 100));
}

} // namespace
} // namespace vdx
