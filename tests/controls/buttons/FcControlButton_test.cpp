// The embedded button: faces by style and state, glyph cells, clicks from
// the mouse and the repeat while held.

#include "controls/buttons/FcControlButton.h"

#include "platform/gui/message_box.h"

#include "ButtonInput.h"
#include "WidgetPictures.h"

#include <QElapsedTimer>
#include <QEnterEvent>
#include <QTimer>

#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

namespace vdx {
namespace {

using gui::cl3DDkShadow;
using gui::cl3DLight;
using gui::clBtnFace;
using gui::clBtnHighlight;
using gui::clBtnShadow;
using gui::TColor;
using test::PixelAt;
using test::RenderWidget;
using test::Shown;
using Style = TFcControlButtonStyle;

void Hover(QWidget& w) {
    QEnterEvent enter(QPointF(1, 1), QPointF(1, 1), QPointF(w.mapToGlobal(QPoint(1, 1))));
    QApplication::sendEvent(&w, &enter);
}

TEST(FcControlButton, Defaults) {
    TFcControlButton b;
    EXPECT_EQ(b.size(), QSize(17, 21));
    EXPECT_EQ(b.Color(), clBtnFace);
    EXPECT_EQ(b.focusPolicy(), Qt::NoFocus);
    EXPECT_EQ(b.Style(), Style::cbsNone);
    EXPECT_FALSE(b.Flat());
    EXPECT_EQ(b.NumGlyphs(), 1);
    EXPECT_FALSE(b.RepeatClicks());
    EXPECT_EQ(b.InitialDelay(), 400);
    EXPECT_EQ(b.Delay(), 100);
}

// The outer and inner rings and the face of each look, read at the corners.
TEST(FcControlButtonPicture, FacesByStyleAndState) {
    struct Row {
        const char* name;
        Style style;
        bool flat;
        bool hot;
        bool pressed;
        TColor color;
        TColor outerUL, outerLR, innerUL, innerLR, face;
    };
    const TColor Y = gui::clYellow;
    const Row rows[] = {
        {"glyph button: raised", Style::cbsNone, false, false, false, Y, cl3DLight, cl3DDkShadow,
         clBtnHighlight, clBtnShadow, clBtnFace},
        {"arrow: button up", Style::cbsUp, false, false, false, Y, clBtnHighlight, cl3DDkShadow,
         cl3DLight, clBtnShadow, Y},
        {"drop-down: button up on the face colour", Style::cbsDropDown, false, false, false, Y,
         clBtnHighlight, cl3DDkShadow, cl3DLight, clBtnShadow, clBtnFace},
        {"glyph button pressed: shadow box", Style::cbsNone, false, false, true, Y, clBtnShadow,
         clBtnShadow, clBtnFace, clBtnFace, clBtnFace},
        {"arrow pressed: shadow box", Style::cbsLeft, false, false, true, Y, clBtnShadow,
         clBtnShadow, Y, Y, Y},
        {"flat, idle: no frame", Style::cbsRight, true, false, false, Y, Y, Y, Y, Y, Y},
        {"flat, hot: popup", Style::cbsDown, true, true, false, Y, clBtnHighlight, clBtnShadow, Y,
         Y, Y},
        {"flat, pressed: status", Style::cbsNone, true, true, true, Y, clBtnShadow, clBtnHighlight,
         Y, Y, Y},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        TFcControlButton b;
        b.resize(15, 15);
        b.SetStyle(row.style);
        b.SetFlat(row.flat);
        b.SetColor(row.color);
        if (row.hot)
            Hover(b);
        if (row.pressed)
            test::Press(b, QPoint(3, 3));
        const QImage image = RenderWidget(b);
        EXPECT_EQ(PixelAt(image, 0, 0), Shown(row.outerUL));
        EXPECT_EQ(PixelAt(image, 14, 14), Shown(row.outerLR));
        EXPECT_EQ(PixelAt(image, 1, 1), Shown(row.innerUL));
        EXPECT_EQ(PixelAt(image, 13, 13), Shown(row.innerLR));
        EXPECT_EQ(PixelAt(image, 2, 2), Shown(row.face));
    }
}

TEST(FcControlButtonPicture, ArrowPointsByStyleAndGreysOutWhenDisabled) {
    // The ink of the arrow on a 15 x 15 button: taller than wide for up and
    // down, wider than tall for left and right.
    for (Style style : {Style::cbsUp, Style::cbsDown, Style::cbsLeft, Style::cbsRight}) {
        TFcControlButton b;
        b.resize(15, 15);
        b.SetStyle(style);
        b.SetColor(gui::clWhite);
        QImage image = RenderWidget(b);
        const QRect ink = test::InkBounds(image, QRect(2, 2, 11, 11), gui::clWhite);
        ASSERT_FALSE(ink.isEmpty());
        EXPECT_EQ(PixelAt(image, ink.center().x(), ink.center().y()), gui::clBlack);
        const bool vertical = style == Style::cbsUp || style == Style::cbsDown;
        EXPECT_EQ(ink.width() > ink.height(), vertical) << int(style);
        b.setEnabled(false);
        image = RenderWidget(b);
        EXPECT_EQ(PixelAt(image, ink.center().x(), ink.center().y()), Shown(clBtnShadow));
    }
}

// A strip of three 8 x 8 cells (red, lime, blue) whose bottom row is the
// transparent colour (teal, the bottom-left pixel).
QImage ThreeCells() {
    QImage strip(24, 8, QImage::Format_RGB32);
    const TColor cells[] = {gui::clRed, gui::clLime, gui::clBlue};
    for (int x = 0; x < 24; ++x)
        for (int y = 0; y < 8; ++y)
            strip.setPixelColor(x, y, gui::ToQColor(y == 7 ? gui::clTeal : cells[x / 8]));
    return strip;
}

TEST(FcControlButtonPicture, GlyphCellByStateCentredAndShiftedWhenPressed) {
    TFcControlButton b;
    b.SetGlyph(ThreeCells());
    EXPECT_EQ(b.NumGlyphs(), 3);
    EXPECT_EQ(b.GetGlyphSize(), (TPoint{8, 8}));
    // 17 x 21: the 8 x 8 cell centred in (1, 1, 16, 20), then one pixel
    // down and right: (5, 7) .. (12, 14); its bottom row shows the face.
    QImage image = RenderWidget(b);
    EXPECT_EQ(PixelAt(image, 5, 7), gui::clRed);
    EXPECT_EQ(PixelAt(image, 12, 13), gui::clRed);
    EXPECT_EQ(PixelAt(image, 4, 7), Shown(clBtnFace));
    EXPECT_EQ(PixelAt(image, 5, 14), Shown(clBtnFace));
    test::Press(b, QPoint(8, 8));
    image = RenderWidget(b);
    EXPECT_EQ(PixelAt(image, 6, 8), gui::clBlue);
    EXPECT_EQ(PixelAt(image, 5, 7), Shown(clBtnFace));
    test::Release(b, QPoint(8, 8));
    b.setEnabled(false);
    image = RenderWidget(b);
    EXPECT_EQ(PixelAt(image, 5, 7), gui::clLime);
}

TEST(FcControlButton, NumGlyphsFromTheStripAndRefusedOutsideOneToFour) {
    struct Row {
        const char* name;
        int width, height;
        int expected; // NumGlyphs after the glyph, starting from 2
    };
    const Row rows[] = {
        {"48 x 16: three cells", 48, 16, 3},
        {"64 x 16: four cells", 64, 16, 4},
        {"80 x 16: five cells give one", 80, 16, 1},
        {"30 x 16: not a multiple, unchanged", 30, 16, 2},
        {"empty: unchanged", 0, 0, 2},
    };
    for (const Row& row : rows) {
        TFcControlButton b;
        b.SetNumGlyphs(2);
        QImage glyph(row.width, row.height, QImage::Format_RGB32);
        glyph.fill(Qt::red);
        b.SetGlyph(glyph);
        EXPECT_EQ(b.NumGlyphs(), row.expected) << row.name;
    }
    TFcControlButton b;
    for (int refused : {0, 5, -1}) {
        b.SetNumGlyphs(refused);
        EXPECT_EQ(b.NumGlyphs(), 1) << refused;
    }
    b.SetGlyph(ThreeCells());
    b.SetNumGlyphs(0);
    EXPECT_EQ(b.GetGlyphSize(), (TPoint{8, 8})); // no division by zero
}

// Mouse sequences and the clicks they give.
TEST(FcControlButton, ClicksFromMouseSequences) {
    using Step = std::function<void(TFcControlButton&)>;
    struct Row {
        const char* name;
        std::vector<Step> steps;
        int clicks;
    };
    const QPoint in(5, 5);
    const Row rows[] = {
        {"press and release inside", {[&](auto& b) { test::Click(b, in); }}, 1},
        {"release outside",
         {[&](auto& b) { test::Press(b, in); }, [](auto& b) { test::Release(b, QPoint(30, 5)); }},
         0},
        {"release at x = ClientWidth is outside",
         {[&](auto& b) { test::Press(b, in); }, [](auto& b) { test::Release(b, QPoint(17, 5)); }},
         0},
        {"release at y = ClientHeight is outside",
         {[&](auto& b) { test::Press(b, in); }, [](auto& b) { test::Release(b, QPoint(5, 21)); }},
         0},
        {"release at the last pixel is inside",
         {[&](auto& b) { test::Press(b, in); }, [](auto& b) { test::Release(b, QPoint(16, 20)); }},
         1},
        {"out and back in before the release",
         {[&](auto& b) { test::Press(b, in); }, [](auto& b) { test::MoveTo(b, QPoint(40, 40)); },
          [&](auto& b) { test::Release(b, in); }},
         1},
        {"right button",
         {[&](auto& b) { test::Press(b, in, Qt::RightButton); },
          [&](auto& b) { test::Release(b, in, Qt::RightButton); }},
         0},
        {"double click is two clicks", {[&](auto& b) { test::DoubleClick(b, in); }}, 2},
        {"disabled: no click",
         {[](auto& b) { b.setEnabled(false); }, [&](auto& b) { test::Click(b, in); }},
         0},
        {"disabled during the press",
         {[&](auto& b) { test::Press(b, in); }, [](auto& b) { b.setEnabled(false); },
          [](auto& b) { b.setEnabled(true); }, [&](auto& b) { test::Release(b, in); }},
         0},
        {"hidden during the press",
         {[&](auto& b) { test::Press(b, in); }, [](auto& b) { b.hide(); },
          [](auto& b) { b.show(); }, [&](auto& b) { test::Release(b, in); }},
         0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        QWidget window;
        auto* b = new TFcControlButton(&window);
        window.show();
        int clicks = 0;
        b->OnClick = [&](QObject*) { ++clicks; };
        for (const Step& step : row.steps)
            step(*b);
        EXPECT_EQ(clicks, row.clicks);
        EXPECT_FALSE(b->Pressed());
        EXPECT_FALSE(b->Tracking());
    }
}

// Times of the clicks of a held repeat button, in milliseconds from the
// press.
class RepeatButton : public ::testing::Test {
protected:
    void SetUp() override {
        button = new TFcControlButton(&window);
        button->SetRepeatClicks(true);
        window.show();
        button->OnClick = [this](QObject*) { times.push_back(clock.elapsed()); };
    }
    void Hold() {
        clock.start();
        test::Press(*button, QPoint(5, 5));
    }
    QTimer* Timer() const { return button->findChild<QTimer*>(); }

    QWidget window;
    TFcControlButton* button = nullptr;
    QElapsedTimer clock;
    std::vector<qint64> times;
};

TEST_F(RepeatButton, ShortPressClicksOnce) {
    test::Click(*button, QPoint(5, 5));
    EXPECT_EQ(times.size(), 1u);
    ASSERT_NE(Timer(), nullptr);
    EXPECT_FALSE(Timer()->isActive());
}

TEST_F(RepeatButton, InitialDelayThenDelayThenOneMoreOnRelease) {
    Hold();
    ASSERT_NE(Timer(), nullptr);
    EXPECT_TRUE(Timer()->isActive());
    EXPECT_EQ(Timer()->interval(), 400);
    ASSERT_TRUE(test::ProcessEventsUntil([&] { return times.size() >= 3; }, 5000));
    // Timers may come late on a busy machine, never early.
    EXPECT_GE(times[0], 400);
    EXPECT_GE(times[1] - times[0], 100);
    EXPECT_GE(times[2] - times[1], 100);
    EXPECT_EQ(Timer()->interval(), 100);
    const std::size_t held = times.size();
    test::Release(*button, QPoint(5, 5));
    EXPECT_EQ(times.size(), held + 1);
    EXPECT_FALSE(Timer()->isActive());
    test::ProcessEventsFor(250);
    EXPECT_EQ(times.size(), held + 1);
}

TEST_F(RepeatButton, ReleaseOutsideStopsWithoutAClick) {
    Hold();
    test::Release(*button, QPoint(40, 5));
    test::ProcessEventsFor(500);
    EXPECT_TRUE(times.empty());
}

TEST_F(RepeatButton, DisablingStopsTheRepeat) {
    Hold();
    button->setEnabled(false);
    EXPECT_FALSE(Timer()->isActive());
    test::ProcessEventsFor(550);
    EXPECT_TRUE(times.empty());
    EXPECT_FALSE(button->Pressed());
}

TEST_F(RepeatButton, FailingClickStopsTheTimerAndIsReported) {
    std::vector<std::string> shown;
    gui::TScopedMessageBoxHandler boxes([&](const gui::TMessageBoxRequest& r) {
        shown.push_back(r.Text);
        return gui::mrOk;
    });
    button->OnClick = [](QObject*) { throw std::runtime_error("no more"); };
    Hold();
    ASSERT_TRUE(test::ProcessEventsUntil([&] { return !shown.empty(); }, 5000));
    EXPECT_FALSE(Timer()->isActive());
    EXPECT_EQ(shown.front(), "no more.");
}

TEST_F(RepeatButton, ClickMayDeleteTheButton) {
    QPointer<TFcControlButton> watched = button;
    button->OnClick = [this](QObject*) { delete button; };
    Hold();
    ASSERT_TRUE(test::ProcessEventsUntil([&] { return watched.isNull(); }, 5000));
    test::ProcessEventsFor(150);
}

} // namespace
} // namespace vdx
