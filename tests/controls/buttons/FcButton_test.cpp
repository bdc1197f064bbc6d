// The push button: its looks by state, the caption's text styles, what
// mouse, keys and focus moves do to OnClick, Down and the pressed look,
// grouping and the default button.

#include "controls/buttons/FcButton.h"

#include "controls/base/FcDisplayFacts.h"
#include "controls/panels/FcPanel.h"
#include "platform/gui/key_dispatcher.h"
#include "platform/gui/modal_result.h"

#include "ButtonInput.h"
#include "WidgetPictures.h"

#include <QEnterEvent>
#include <QFocusEvent>
#include <QLineEdit>
#include <QPushButton>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace vdx {
namespace {

using gui::clBtnFace;
using gui::clBtnShadow;
using gui::clYellow;
using gui::TColor;
using test::PixelAt;
using test::RenderWidget;
using test::Shown;

void Hover(QWidget& w) {
    QEnterEvent enter(QPointF(1, 1), QPointF(1, 1), QPointF(w.mapToGlobal(QPoint(1, 1))));
    QApplication::sendEvent(&w, &enter);
}

// The focus notifications as the platform sends them.
void GainFocus(QWidget& w) {
    QFocusEvent in(QEvent::FocusIn, Qt::TabFocusReason);
    QApplication::sendEvent(&w, &in);
}
void LoseFocus(QWidget& w) {
    QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
    QApplication::sendEvent(&w, &out);
}

// Keeps FullColorScreen as a test found it.
class FullColour {
public:
    explicit FullColour(bool value) : m_saved(FullColorScreen) { FullColorScreen = value; }
    ~FullColour() { FullColorScreen = m_saved; }
    FullColour(const FullColour&) = delete;
    FullColour& operator=(const FullColour&) = delete;

private:
    bool m_saved;
};

TEST(FcButton, Defaults) {
    TFcButton b;
    EXPECT_EQ(b.size(), QSize(75, 25));
    EXPECT_EQ(b.Color(), clBtnFace);
    EXPECT_EQ(b.Alignment(), TAlignment::taCenter);
    EXPECT_EQ(b.AlignmentVertical(), TAlignmentVertical::avCenter);
    EXPECT_EQ(b.FrameColor(), gui::cl3DDkShadow);
    EXPECT_EQ(b.HotTrackColor().Value(), 0x00149BF0u);
    EXPECT_EQ(b.HotTrackColorType(), TFcHotTrackColorType::htctActual);
    EXPECT_EQ(b.TextShadowDepth(), 2);
    EXPECT_TRUE(b.DropDownOnEnter());
    EXPECT_TRUE(b.ShowDownPattern());
    EXPECT_TRUE(b.ShowFocusRect());
    EXPECT_EQ(b.ModalResult(), gui::mrNone);
    EXPECT_EQ(b.focusPolicy(), Qt::StrongFocus);
    EXPECT_FALSE(b.Transparent());
    b.SetHotTrack(true);
    EXPECT_TRUE(b.Transparent()); // follows HotTrack
}

// Whole pictures of a 10 x 8 button without a caption in the classic look
// (k: black, w: highlight, s: shadow, f: face).
TEST(FcButtonPicture, ClassicLooks) {
    struct Row {
        const char* name;
        std::function<void(TFcButton&)> setup;
        std::string expected;
    };
    const Row rows[] = {
        {"up", [](TFcButton&) {},
         test::Rows({"wwwwwwwwwk", "wfffffffsk", "wfffffffsk", "wfffffffsk", "wfffffffsk",
                     "wfffffffsk", "wssssssssk", "kkkkkkkkkk"})},
        {"default: a frame around it", [](TFcButton& b) { b.SetDefault(true); },
         test::Rows({"kkkkkkkkkk", "kwwwwwwwkk", "kwfffffskk", "kwfffffskk", "kwfffffskk",
                     "kwsssssskk", "kkkkkkkkkk", "kkkkkkkkkk"})},
        {"pressed", [](TFcButton& b) { test::Press(b, QPoint(4, 4)); },
         test::Rows({"kkkkkkkkkk", "kssssssssk", "ksffffffsk", "ksffffffsk", "ksffffffsk",
                     "ksffffffsk", "kssssssssk", "kkkkkkkkkk"})},
        {"latched: lowered, grey dots on the silver face",
         [](TFcButton& b) {
             b.SetGroupIndex(1);
             b.SetDown(true);
         },
         test::Rows({"sssssssssw", "skkkkkkkfw", "sksfsfsffw", "skfsfsfsfw", "sksfsfsffw",
                     "skfsfsfsfw", "sffffffffw", "wwwwwwwwww"})},
        {"latched without the pattern",
         [](TFcButton& b) {
             b.SetGroupIndex(1);
             b.SetDown(true);
             b.SetShowDownPattern(false);
         },
         test::Rows({"sssssssssw", "skkkkkkkfw", "skfffffffw", "skfffffffw", "skfffffffw",
                     "skfffffffw", "sffffffffw", "wwwwwwwwww"})},
        {"grouped, up: button up", [](TFcButton& b) { b.SetGroupIndex(1); },
         test::Rows({"wwwwwwwwwk", "wfffffffsk", "wfffffffsk", "wfffffffsk", "wfffffffsk",
                     "wfffffffsk", "wssssssssk", "kkkkkkkkkk"})},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        TFcButton b;
        b.resize(10, 8);
        row.setup(b);
        EXPECT_EQ(test::Picture(RenderWidget(b), test::ClassicLegend()), row.expected);
    }
}

TEST(FcButtonPicture, OtherFaceColoursDeriveTheBorder) {
    TFcButton b;
    b.resize(10, 8);
    b.SetColor(clYellow);
    QImage image = RenderWidget(b);
    EXPECT_EQ(PixelAt(image, 0, 0), LightenColor(clYellow, 100));
    EXPECT_EQ(PixelAt(image, 9, 7), DarkenColor(clYellow, 100));
    EXPECT_EQ(PixelAt(image, 2, 2), clYellow);
    b.SetGroupIndex(1);
    b.SetDown(true);
    image = RenderWidget(b);
    EXPECT_EQ(PixelAt(image, 0, 0), DarkenColor(clYellow, 50)); // lowered
    EXPECT_EQ(PixelAt(image, 2, 2), gui::clSilver);             // a dot of the pattern
    EXPECT_EQ(PixelAt(image, 3, 2), clYellow);
}

TEST(FcButtonPicture, DownPatternDots) {
    const auto legend =
        std::vector<test::LegendEntry>{{'g', gui::clGray}, {'s', gui::clSilver}, {'y', clYellow}};
    const std::string silverOnYellow = test::Rows({"sysysysy", "ysysysys", "sysysysy", "ysysysys",
                                                   "sysysysy", "ysysysys", "sysysysy", "ysysysys"});
    EXPECT_EQ(test::Picture(DownPatternBitmap(clYellow), legend), silverOnYellow);
    // A silver button, as the face colour is, gets grey dots.
    for (TColor silver : {gui::clSilver, clBtnFace}) {
        const std::string grey = test::Picture(DownPatternBitmap(silver), legend);
        EXPECT_EQ(grey.substr(0, 9), "gsgsgsgs\n");
        EXPECT_EQ(grey.substr(9, 9), "sgsgsgsg\n");
    }
}

// The hot-track look of a 20 x 12 button on a yellow panel.
class HotTrackPicture : public ::testing::Test {
protected:
    void SetUp() override {
        panel.SetBorderOuter(TFrameStyleEx::fsNone);
        panel.SetColor(clYellow);
        panel.resize(40, 30);
        button = new TFcButton(&panel);
        button->setGeometry(5, 5, 20, 12);
        button->SetHotTrack(true);
    }
    QImage Render() { return RenderWidget(*button); }

    FullColour fullColour{true};
    TFcPanel panel;
    TFcButton* button = nullptr;
};

TEST_F(HotTrackPicture, RoundedRingsWithTheParentInTheCorners) {
    const QImage image = Render();
    const TColor dark = DarkenColor(clYellow, 20), light = LightenColor(clYellow, 20);
    // Three pixels of each corner show the panel.
    for (QPoint p : {QPoint(0, 0), QPoint(1, 0), QPoint(0, 1), QPoint(19, 0), QPoint(18, 0),
                     QPoint(19, 1), QPoint(0, 11), QPoint(0, 10), QPoint(1, 11), QPoint(19, 11),
                     QPoint(18, 11), QPoint(19, 10)})
        EXPECT_EQ(PixelAt(image, p.x(), p.y()), clYellow) << p.x() << "," << p.y();
    EXPECT_EQ(PixelAt(image, 1, 1), dark);
    EXPECT_EQ(PixelAt(image, 2, 0), dark);
    EXPECT_EQ(PixelAt(image, 0, 2), dark);
    EXPECT_EQ(PixelAt(image, 18, 1), dark);
    EXPECT_EQ(PixelAt(image, 1, 10), dark);
    EXPECT_EQ(PixelAt(image, 19, 2), light);
    EXPECT_EQ(PixelAt(image, 2, 11), light);
    EXPECT_EQ(PixelAt(image, 18, 10), light);
    // The inner ring in FrameColor.
    EXPECT_EQ(PixelAt(image, 1, 2), Shown(gui::cl3DDkShadow));
    EXPECT_EQ(PixelAt(image, 2, 1), Shown(gui::cl3DDkShadow));
    EXPECT_EQ(PixelAt(image, 18, 9), Shown(gui::cl3DDkShadow));
    // The face: the gradient from the top, two darker lines at the bottom.
    EXPECT_EQ(PixelAt(image, 10, 2), LightenColor(clBtnFace, 30));
    EXPECT_EQ(PixelAt(image, 10, 8), DarkenColor(clBtnFace, 20));
    EXPECT_EQ(PixelAt(image, 10, 9), DarkenColor(clBtnFace, 30));
}

TEST_F(HotTrackPicture, HoverAndDefaultRingsPressedAndDisabledFaces) {
    const QImage plain = Render();
    const TColor plainTop = PixelAt(plain, 10, 2);
    Hover(*button);
    QImage image = Render();
    EXPECT_TRUE(button->Hovered());
    // A two-pixel ring on the face's edge, the face inside it.
    EXPECT_EQ(PixelAt(image, 10, 2), BlendColors(gui::clWhite, button->HotTrackColor(), 190));
    EXPECT_NE(PixelAt(image, 10, 3), PixelAt(plain, 10, 3));
    EXPECT_EQ(PixelAt(image, 10, 4), PixelAt(plain, 10, 4));
    EXPECT_NE(PixelAt(image, 2, 5), PixelAt(plain, 2, 5));

    button->SetHotTrackColorType(TFcHotTrackColorType::htctComplement);
    image = Render();
    EXPECT_EQ(PixelAt(image, 10, 2), ComplementColor(button->HotTrackColor(), 180));

    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(button, &leave);
    button->SetDefault(true);
    image = Render();
    const TColor f = LightenColor(clBtnFace, 30);
    EXPECT_EQ(PixelAt(image, 10, 2), BlendColors(gui::clHighlight, f, 60));
    EXPECT_NE(PixelAt(image, 10, 2), plainTop);

    test::Press(*button, QPoint(5, 5));
    image = Render();
    for (QPoint p : {QPoint(2, 2), QPoint(10, 5), QPoint(17, 9)})
        EXPECT_EQ(PixelAt(image, p.x(), p.y()), DarkenColor(clBtnFace, 10));
    test::Release(*button, QPoint(40, 40));

    button->setEnabled(false);
    image = Render();
    EXPECT_EQ(PixelAt(image, 2, 0), clYellow);
    EXPECT_EQ(PixelAt(image, 1, 1), clYellow);
    EXPECT_EQ(PixelAt(image, 1, 2), LightenColor(clBtnShadow, 30));
    EXPECT_EQ(PixelAt(image, 10, 5), Shown(clBtnFace));
}

// The ink of the caption against the face.
QRect Ink(TFcButton& b) {
    const QImage image = RenderWidget(b);
    return test::InkBounds(image, QRect(2, 2, b.width() - 4, b.height() - 4), b.Color());
}

// How the pixels of column x (rows of area) compare with the face: any
// lighter, any darker.
std::pair<bool, bool> LighterDarker(const QImage& image, int x, const QRect& rows, TColor face) {
    const QColor f = gui::ToQColor(face);
    bool lighter = false, darker = false;
    for (int y = rows.top(); y <= rows.bottom(); ++y) {
        const QColor c = image.pixelColor(x, y);
        lighter |= c.lightness() > f.lightness();
        darker |= c.lightness() < f.lightness();
    }
    return {lighter, darker};
}

TEST(FcButtonCaption, TextStylesAddTheirCopies) {
    TFcButton b;
    b.resize(80, 30);
    b.SetCaption("HIH");
    const QRect plain = Ink(b);
    ASSERT_FALSE(plain.isEmpty());
    struct Row {
        const char* name;
        TTextStyle style;
        bool light;
        QMargins grown; // how far the ink reaches beyond the plain text
    };
    const Row rows[] = {
        {"raised: both copies", TTextStyle::tsRaised, false, {1, 1, 1, 1}},
        {"raised, light: only the highlight up-left", TTextStyle::tsRaised, true, {1, 1, 0, 0}},
        {"recessed: both copies", TTextStyle::tsRecessed, false, {1, 1, 1, 1}},
        {"recessed, light: only the highlight down-right",
         TTextStyle::tsRecessed,
         true,
         {0, 0, 1, 1}},
        {"shadow: the depth down-right", TTextStyle::tsShadow, false, {0, 0, 2, 2}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        b.SetTextStyle(row.style);
        b.SetLightTextStyle(row.light);
        const QRect ink = Ink(b);
        EXPECT_EQ(ink, plain.marginsAdded(row.grown));
    }
    // Which copy is light and which dark: raised has the highlight up-left.
    b.SetTextStyle(TTextStyle::tsRaised);
    b.SetLightTextStyle(false);
    QImage image = RenderWidget(b);
    EXPECT_EQ(LighterDarker(image, plain.left() - 1, plain.adjusted(-1, -1, 1, 1), clBtnFace),
              std::make_pair(true, false));
    EXPECT_EQ(LighterDarker(image, plain.right() + 1, plain.adjusted(-1, -1, 1, 1), clBtnFace),
              std::make_pair(false, true));
    b.SetTextStyle(TTextStyle::tsRecessed);
    b.SetLightTextStyle(true);
    image = RenderWidget(b);
    EXPECT_EQ(LighterDarker(image, plain.right() + 1, plain.adjusted(-1, -1, 1, 1), clBtnFace),
              std::make_pair(true, false));
}

TEST(FcButtonCaption, RightAlignedCaptionStandsTheShadowDepthLeftOfTheEdge) {
    auto make = [](TFcButton& b, TTextStyle style, int depth) {
        b.resize(80, 30);
        b.SetCaption("HIH");
        b.SetTextStyle(style);
        b.SetTextShadowDepth(depth);
    };
    TFcButton b;
    make(b, TTextStyle::tsNormal, 0);
    b.SetAlignment(TAlignment::taRightJustify);
    const QRect atEdge = Ink(b);
    b.SetTextShadowDepth(6);
    EXPECT_EQ(Ink(b), atEdge.translated(-6, 0));
    // The shadow stays at the edge, one depth below the text.
    make(b, TTextStyle::tsShadow, 6);
    EXPECT_EQ(Ink(b), atEdge.adjusted(-6, 0, 0, 6));
    // Right-to-left swaps the sides: left alignment is drawn on the right.
    TFcButton rtl;
    make(rtl, TTextStyle::tsNormal, 0);
    rtl.setLayoutDirection(Qt::RightToLeft);
    rtl.SetAlignment(TAlignment::taLeftJustify);
    EXPECT_EQ(Ink(rtl), atEdge);
}

TEST(FcButtonCaption, AlignmentAndPressedOffset) {
    TFcButton b;
    b.resize(80, 40);
    b.SetCaption("HIH");
    const QRect centre = Ink(b);
    EXPECT_LE(std::abs(centre.left() + centre.right() - 79), 1);
    b.SetAlignmentVertical(TAlignmentVertical::avTop);
    EXPECT_LT(Ink(b).top(), centre.top());
    b.SetAlignmentVertical(TAlignmentVertical::avCenter);
    b.SetAlignment(TAlignment::taLeftJustify);
    EXPECT_LT(Ink(b).left(), centre.left());
    b.SetAlignment(TAlignment::taCenter);
    test::Press(b, QPoint(3, 3)); // classic look: one pixel down and right
    EXPECT_EQ(Ink(b), centre.translated(1, 1));
    b.SetHotTrack(true); // not in the hot-track look, whose pressed face is darker
    const QImage hot = RenderWidget(b);
    EXPECT_EQ(test::InkBounds(hot, QRect(2, 2, 76, 36), DarkenColor(clBtnFace, 10)), centre);
}

TEST(FcButtonCaption, DisabledCaptionIsGreyOrDarkOnAGreyButton) {
    struct Row {
        const char* name;
        TColor color;
        TColor caption;
    };
    const Row rows[] = {
        {"face: grey text", clBtnFace, gui::clGrayText},
        {"grey button: dark text", gui::clGray, gui::cl3DDkShadow},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        TFcButton b;
        b.resize(60, 25);
        b.SetColor(row.color);
        b.SetCaption("III");
        b.setEnabled(false);
        const QImage image = RenderWidget(b);
        const QRect ink = test::InkBounds(image, QRect(5, 5, 50, 15), row.color);
        ASSERT_FALSE(ink.isEmpty());
        // Every ink pixel lies between the caption colour and the face (the
        // edges may be smoothed); some are the caption colour itself.
        const int textL = gui::ToQColor(row.caption).lightness();
        const int faceL = gui::ToQColor(row.color).lightness();
        int exact = 0;
        for (int y = ink.top(); y <= ink.bottom(); ++y)
            for (int x = ink.left(); x <= ink.right(); ++x) {
                const TColor c = PixelAt(image, x, y);
                exact += c == Shown(row.caption);
                const int l = gui::ToQColor(c).lightness();
                EXPECT_TRUE(l >= std::min(textL, faceL) && l <= std::max(textL, faceL))
                    << x << "," << y;
            }
        EXPECT_GT(exact, 0);
    }
}

// A window with two push buttons and a plain widget that lets keys through
// to the window.
struct ButtonForm {
    ButtonForm() {
        window.resize(200, 100);
        a = new TFcButton(&window);
        a->setGeometry(10, 10, 75, 25);
        a->SetCaption("&Apply");
        b = new TFcButton(&window);
        b->setGeometry(100, 10, 75, 25);
        b->SetCaption("&Bold");
        plain = new QWidget(&window);
        plain->setGeometry(10, 50, 20, 20);
        a->OnClick = [this](QObject*) { ++clicks; };
        window.show();
    }
    void WindowKey(int key, const QString& text = {}, Qt::KeyboardModifiers m = {}) {
        test::KeyDown(*plain, key, m, text);
    }

    QWidget window;
    TFcButton* a = nullptr;
    TFcButton* b = nullptr;
    QWidget* plain = nullptr;
    int clicks = 0;
};

class ButtonWindow : public ::testing::Test, public ButtonForm {};

TEST(FcButtonInput, SequencesGiveClicksDownAndPressedLook) {
    using Step = std::function<void(ButtonForm&)>;
    struct Row {
        const char* name;
        int groupIndex;
        std::vector<Step> steps;
        int clicks;
        bool down;
    };
    const QPoint in(10, 10);
    auto press = [in](ButtonForm& t) { test::Press(*t.a, in); };
    auto release = [in](ButtonForm& t) { test::Release(*t.a, in); };
    auto space = [](bool down, bool repeat = false, Qt::KeyboardModifiers m = {}) {
        return [=](ButtonForm& t) {
            test::Key(*t.a, down ? QEvent::KeyPress : QEvent::KeyRelease, Qt::Key_Space, m, " ",
                      repeat);
        };
    };
    auto pressedLook = [](bool expected) {
        return [=](ButtonForm& t) { EXPECT_EQ(t.a->ShowPressed(), expected); };
    };
    const Row rows[] = {
        {"click", 0, {press, pressedLook(true), release}, 1, false},
        {"press, out, in, release",
         0,
         {press, [](auto& t) { test::MoveTo(*t.a, QPoint(80, 10)); }, pressedLook(false),
          [](auto& t) { test::MoveTo(*t.a, QPoint(74, 24)); }, pressedLook(true), release},
         1,
         false},
        {"released at x = ClientWidth",
         0,
         {press, [](auto& t) { test::MoveTo(*t.a, QPoint(75, 10)); }, pressedLook(false),
          [](auto& t) { test::Release(*t.a, QPoint(75, 10)); }},
         0,
         false},
        {"released at y = ClientHeight",
         0,
         {press, [](auto& t) { test::Release(*t.a, QPoint(10, 25)); }},
         0,
         false},
        {"right button",
         0,
         {[in](auto& t) { test::Press(*t.a, in, Qt::RightButton); }, pressedLook(false),
          [in](auto& t) { test::Release(*t.a, in, Qt::RightButton); }},
         0,
         false},
        {"double click", 0, {[in](auto& t) { test::DoubleClick(*t.a, in); }}, 2, false},
        {"space", 0, {space(true), pressedLook(true), space(false)}, 1, false},
        {"space held: auto-repeat pairs ignored",
         0,
         {space(true), space(false, true), space(true, true), space(false, true), space(true, true),
          pressedLook(true), space(false)},
         1,
         false},
        {"space, focus lost, released",
         0,
         {[](auto& t) { GainFocus(*t.a); }, space(true), [](auto& t) { LoseFocus(*t.a); },
          pressedLook(false), space(false)},
         0,
         false},
        {"space released after the focus came", 0, {space(false)}, 0, false},
        {"alt and space", 0, {space(true, false, Qt::AltModifier), space(false)}, 0, false},
        {"escape, not cancel", 0, {[](auto& t) { t.WindowKey(Qt::Key_Escape); }}, 0, false},
        {"escape, cancel",
         0,
         {[](auto& t) { t.a->SetCancel(true); }, [](auto& t) { t.WindowKey(Qt::Key_Escape); }},
         1,
         false},
        {"shift escape, cancel",
         0,
         {[](auto& t) { t.a->SetCancel(true); },
          [](auto& t) { t.WindowKey(Qt::Key_Escape, {}, Qt::ShiftModifier); }},
         0,
         false},
        {"enter, default",
         0,
         {[](auto& t) { t.a->SetDefault(true); }, [](auto& t) { t.WindowKey(Qt::Key_Return); },
          [](auto& t) { t.WindowKey(Qt::Key_Enter, {}, Qt::KeypadModifier); }},
         2,
         false},
        {"enter, default, another push button focused",
         0,
         {[](auto& t) { t.a->SetDefault(true); },
          [](auto& t) { gui::BroadcastFocusChanged(t.window, t.b); },
          [](auto& t) { t.WindowKey(Qt::Key_Return); }},
         0,
         false},
        {"accelerator",
         0,
         {[](auto& t) { t.WindowKey(Qt::Key_A, "a"); },
          [](auto& t) { t.WindowKey(Qt::Key_A, "A", Qt::AltModifier); },
          [](auto& t) { t.WindowKey(Qt::Key_P, "p"); }},
         2,
         false},
        {"disabled: no accelerator",
         0,
         {[](auto& t) { t.a->setEnabled(false); }, [](auto& t) { t.WindowKey(Qt::Key_A, "a"); }},
         0,
         false},
        {"disabled during the press",
         0,
         {press, [](auto& t) { t.a->setEnabled(false); }, pressedLook(false),
          [](auto& t) { t.a->setEnabled(true); }, release},
         0,
         false},
        {"hidden during the press",
         0,
         {press, [](auto& t) { t.a->hide(); }, [](auto& t) { t.a->show(); }, release},
         0,
         false},
        {"grouped: a click latches", 1, {press, release}, 1, true},
        {"grouped: a second click leaves it down", 1, {press, release, press, release}, 2, true},
        {"grouped, all up: a second click releases",
         1,
         {[](auto& t) { t.a->SetAllowAllUp(true); }, press, release, press, release},
         2,
         false},
        {"grouped: space latches", 1, {space(true), space(false)}, 1, true},
        {"grouped: enter, escape and the accelerator leave Down",
         1,
         {[](auto& t) {
              t.a->SetDefault(true);
              t.a->SetCancel(true);
          },
          [](auto& t) { t.WindowKey(Qt::Key_Return); },
          [](auto& t) { t.WindowKey(Qt::Key_Escape); },
          [](auto& t) { t.WindowKey(Qt::Key_A, "a"); }},
         3,
         false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        ButtonForm form;
        form.a->SetGroupIndex(row.groupIndex);
        for (const Step& step : row.steps)
            step(form);
        EXPECT_EQ(form.clicks, row.clicks);
        EXPECT_EQ(form.a->Down(), row.down);
        EXPECT_FALSE(form.a->ShowPressed());
        EXPECT_FALSE(form.a->Tracking());
    }
}

TEST_F(ButtonWindow, APressFocusesUnlessTheFocusGoesElsewhere) {
    test::Press(*a, QPoint(5, 5));
    EXPECT_EQ(window.focusWidget(), a);
    EXPECT_TRUE(a->Tracking());
    test::Release(*a, QPoint(5, 5));
    EXPECT_EQ(clicks, 1);
    // A control whose focus moves on at once shows no pressed look and gives
    // no click.
    window.activateWindow();
    a->setFocus();
    QApplication::processEvents();
    if (!a->hasFocus())
        GTEST_SKIP() << "the platform gives no focus";
    b->OnEnter = [this](QObject*) { a->setFocus(); };
    test::Press(*b, QPoint(5, 5));
    EXPECT_FALSE(b->ShowPressed());
    EXPECT_FALSE(b->Tracking());
    int bClicks = 0;
    b->OnClick = [&](QObject*) { ++bClicks; };
    test::Release(*b, QPoint(5, 5));
    EXPECT_EQ(bClicks, 0);
}

TEST_F(ButtonWindow, ActiveDefaultFollowsTheFocus) {
    a->SetDefault(true);
    EXPECT_TRUE(a->ActiveDefault());
    EXPECT_FALSE(b->ActiveDefault());
    auto* push = new QPushButton(&window);
    auto* edit = new QLineEdit(&window);
    push->show();
    edit->show();
    struct Row {
        const char* name;
        QWidget* focus;
        bool aActive, bActive;
    };
    const Row rows[] = {
        {"the other button", b, false, true},
        {"a push button", push, false, false},
        {"an edit: back to the default", edit, true, false},
        {"the default itself", a, true, false},
        {"nothing", nullptr, true, false},
    };
    for (const Row& row : rows) {
        gui::BroadcastFocusChanged(window, row.focus);
        EXPECT_EQ(a->ActiveDefault(), row.aActive) << row.name;
        EXPECT_EQ(b->ActiveDefault(), row.bActive) << row.name;
    }
    // Through the platform's focus moves.
    window.activateWindow();
    b->setFocus();
    QApplication::processEvents();
    if (!b->hasFocus())
        GTEST_SKIP() << "the platform gives no focus";
    EXPECT_FALSE(a->ActiveDefault());
    EXPECT_TRUE(b->ActiveDefault());
    edit->setFocus();
    QApplication::processEvents();
    EXPECT_TRUE(a->ActiveDefault());
}

TEST_F(ButtonWindow, TwoDefaultButtonsEnterClicksTheFirstOnly) {
    int bClicks = 0;
    b->OnClick = [&](QObject*) { ++bClicks; };
    b->SetDefault(true);
    a->SetDefault(true);
    WindowKey(Qt::Key_Return);
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(bClicks, 0);
}

TEST_F(ButtonWindow, FocusedLookFrameAndDottedRectangle) {
    window.activateWindow();
    a->setFocus();
    QApplication::processEvents();
    if (!a->hasFocus())
        GTEST_SKIP() << "the platform gives no focus";
    a->SetCaption("");
    QImage image = RenderWidget(*a);
    EXPECT_EQ(PixelAt(image, 0, 0), gui::clBlack); // the default frame
    // Every second pixel of the rectangle inset by 4.
    EXPECT_EQ(PixelAt(image, 4, 5), gui::clBlack);
    EXPECT_EQ(PixelAt(image, 5, 4), gui::clBlack);
    EXPECT_EQ(PixelAt(image, 4, 4), Shown(clBtnFace));
    EXPECT_EQ(PixelAt(image, 70, 19), gui::clBlack);
    EXPECT_EQ(PixelAt(image, 69, 20), gui::clBlack);
    a->SetShowFocusRect(false);
    image = RenderWidget(*a);
    EXPECT_EQ(PixelAt(image, 4, 5), Shown(clBtnFace));
}

TEST_F(ButtonWindow, GroupsReleaseTheOtherButtonAndShareAllowAllUp) {
    auto* c = new TFcButton(&window);
    auto* other = new TFcButton(&window); // another group
    int bClicks = 0;
    b->OnClick = [&](QObject*) { ++bClicks; };
    for (TFcButton* x : {a, b, c})
        x->SetGroupIndex(1);
    other->SetGroupIndex(2);
    other->SetDown(true);
    a->SetDown(true);
    EXPECT_TRUE(a->Down());
    EXPECT_TRUE(other->Down());
    test::Click(*b, QPoint(5, 5));
    EXPECT_TRUE(b->Down());
    EXPECT_FALSE(a->Down());
    EXPECT_EQ(a->ButtonState(), TFcButtonState::bsUp);
    EXPECT_EQ(clicks, 0); // no OnClick for the one released
    EXPECT_EQ(bClicks, 1);
    EXPECT_TRUE(other->Down());
    // Without AllowAllUp the down button stays down.
    b->SetDown(false);
    EXPECT_TRUE(b->Down());
    a->SetAllowAllUp(true);
    EXPECT_TRUE(b->AllowAllUp());
    EXPECT_TRUE(c->AllowAllUp());
    EXPECT_FALSE(other->AllowAllUp());
    b->SetDown(false);
    EXPECT_FALSE(b->Down());
    // Down needs a group.
    TFcButton lone;
    lone.SetDown(true);
    EXPECT_FALSE(lone.Down());
}

TEST_F(ButtonWindow, ClickSetsTheFormsModalResult) {
    a->SetModalResult(gui::mrRetry);
    test::Click(*a, QPoint(5, 5));
    EXPECT_EQ(gui::FormModalResult(window), gui::mrRetry);
    test::Click(*b, QPoint(5, 5)); // mrNone too
    EXPECT_EQ(gui::FormModalResult(window), gui::mrNone);
}

TEST_F(ButtonWindow, OnClickMayDeleteTheButton) {
    using Step = std::function<void(ButtonForm&)>;
    const std::pair<const char*, Step> ways[] = {
        {"mouse", [](auto& t) { test::Click(*t.a, QPoint(5, 5)); }},
        {"space",
         [](auto& t) {
             test::KeyDown(*t.a, Qt::Key_Space, {}, " ");
             test::KeyUp(*t.a, Qt::Key_Space, {}, " ");
         }},
        {"enter",
         [](auto& t) {
             t.a->SetDefault(true);
             gui::BroadcastFocusChanged(t.window, t.plain); // no push button focused
             t.WindowKey(Qt::Key_Return);
         }},
        {"accelerator", [](auto& t) { t.WindowKey(Qt::Key_A, "a"); }},
    };
    for (const auto& [name, way] : ways) {
        SCOPED_TRACE(name);
        if (!a) {
            a = new TFcButton(&window);
            a->SetCaption("&Apply");
            a->show();
        }
        QPointer<TFcButton> watched = a;
        a->OnClick = [this](QObject*) {
            delete a;
            a = nullptr;
        };
        way(*this);
        EXPECT_TRUE(watched.isNull());
        QApplication::processEvents();
    }
}

} // namespace
} // namespace vdx
