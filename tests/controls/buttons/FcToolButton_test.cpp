// The tool button: faces by look and state, image and caption placement,
// clicks and latching, the drop-down part and its menu.

#include "controls/buttons/FcToolButton.h"

#include "controls/storage/FcMonitors.h"
#include "platform/gui/image_list.h"
#include "platform/gui/popup_menu.h"

#include "ButtonInput.h"
#include "WidgetPictures.h"

#include <QEnterEvent>
#include <QMenu>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <vector>

namespace vdx {
namespace {

using gui::clBtnFace;
using gui::clBtnHighlight;
using gui::clBtnShadow;
using gui::clYellow;
using gui::TColor;
using test::PixelAt;
using test::RenderWidget;
using test::Shown;
using S = TFcToolButtonState;

void Hover(QWidget& w) {
    QEnterEvent enter(QPointF(1, 1), QPointF(1, 1), QPointF(w.mapToGlobal(QPoint(1, 1))));
    QApplication::sendEvent(&w, &enter);
}

// A list of 8 x 8 images in the colours given.
std::unique_ptr<gui::TCustomImageList> Images(std::vector<TColor> colors, int size = 8) {
    auto list = std::make_unique<gui::TCustomImageList>(size, size);
    for (TColor c : colors) {
        QImage image(size, size, QImage::Format_RGB32);
        image.fill(gui::ToQColor(c));
        list->AddMasked(image, gui::clNone);
    }
    return list;
}

TEST(FcToolButton, Defaults) {
    TFcToolButton b;
    EXPECT_EQ(b.size(), QSize(25, 25));
    EXPECT_EQ(b.focusPolicy(), Qt::NoFocus);
    EXPECT_TRUE(b.Flat());
    EXPECT_TRUE(b.Transparent());
    EXPECT_FALSE(b.ShowCaption());
    EXPECT_EQ(b.Color(), clBtnFace);
    EXPECT_EQ(b.Alignment(), TAlignment::taCenter);
    EXPECT_EQ(b.VisualStyle(), TFcVisualStyle::vsWinXP);
    EXPECT_EQ(b.GradientColorStyle(), TFcGradientColorStyle::gcsSystem);
    EXPECT_EQ(b.SelectionColorStart(), clBtnFace);
    EXPECT_EQ(b.SelectionColorStop(), clBtnShadow);
    EXPECT_EQ(b.SelectionFrameColor(), gui::cl3DDkShadow);
    EXPECT_TRUE(b.UseToolbarButtonLayout() && b.UseToolbarButtonSize() &&
                b.UseToolbarShowCaption() && b.UseToolbarVisualStyle());
    EXPECT_EQ(b.ToolStyle(), TFcToolStyle::tsButton);
}

TEST(FcToolButton, ToolStyleWidensAndUngroups) {
    TFcToolButton b;
    b.SetGroupIndex(3);
    b.SetToolStyle(TFcToolStyle::tsDropDown);
    EXPECT_EQ(b.width(), 39);
    EXPECT_EQ(b.GroupIndex(), 0);
    EXPECT_TRUE(b.UseToolbarButtonSize());
    b.SetGroupIndex(2);
    EXPECT_EQ(b.GroupIndex(), 0);
    b.SetToolStyle(TFcToolStyle::tsButton);
    EXPECT_EQ(b.width(), 25);
    b.SetWidth(30);
    EXPECT_FALSE(b.UseToolbarButtonSize());
    // Settings made on the button clear their flags.
    b.SetShowCaption(true);
    b.SetVisualStyle(TFcVisualStyle::vsGradient);
    b.SetLayout(TButtonLayout::blGlyphTop);
    EXPECT_FALSE(b.UseToolbarShowCaption());
    EXPECT_FALSE(b.UseToolbarVisualStyle());
    EXPECT_FALSE(b.UseToolbarButtonLayout());
}

TEST(FcToolButton, GrowsToTheImages) {
    const auto big = Images({gui::clRed}, 32);
    TFcToolButton b;
    b.SetImages(big.get());
    EXPECT_EQ(b.size(), QSize(32, 32));
    EXPECT_FALSE(b.UseToolbarButtonSize());
    TFcToolButton wide;
    wide.resize(40, 40);
    wide.SetImages(big.get());
    EXPECT_EQ(wide.size(), QSize(40, 40));
}

// The rings of each look on a 20 x 20 opaque yellow button.
TEST(FcToolButtonPicture, FacesByLookAndState) {
    const TColor Y = clYellow;
    const TColor lightY = LightenColor(Y, 20);
    struct Row {
        const char* name;
        TFcVisualStyle style;
        bool flat;
        std::function<void(TFcToolButton&)> state;
        TColor outerUL, outerLR, inside, insideNext;
    };
    auto none = [](TFcToolButton&) {};
    auto hot = [](TFcToolButton& b) { Hover(b); };
    auto pressed = [](TFcToolButton& b) { test::Press(b, QPoint(5, 5)); };
    auto latched = [](TFcToolButton& b) {
        b.SetGroupIndex(1);
        b.SetDown(true);
    };
    const Row rows[] = {
        {"classic: button up", TFcVisualStyle::vsClassic, false, none, clBtnHighlight,
         gui::cl3DDkShadow, Y, Y},
        {"classic pressed: lowered", TFcVisualStyle::vsClassic, false, pressed, clBtnShadow,
         clBtnHighlight, Y, Y},
        {"classic latched: lowered, checkerboard", TFcVisualStyle::vsClassic, false, latched,
         clBtnShadow, clBtnHighlight, lightY, Y},
        {"flat, idle: no frame", TFcVisualStyle::vsWinXP, true, none, Y, Y, Y, Y},
        {"flat, hot: popup", TFcVisualStyle::vsWinXP, true, hot, clBtnHighlight, clBtnShadow, Y, Y},
        {"flat, pressed: status", TFcVisualStyle::vsClassic, true, pressed, clBtnShadow,
         clBtnHighlight, Y, Y},
        {"flat, latched, not hot: status, checkerboard", TFcVisualStyle::vsWinXP, true, latched,
         clBtnShadow, clBtnHighlight, lightY, Y},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        TFcToolButton b;
        b.resize(20, 20);
        b.SetTransparent(false);
        b.SetColor(Y);
        b.SetVisualStyle(row.style);
        b.SetFlat(row.flat);
        row.state(b);
        const QImage image = RenderWidget(b);
        EXPECT_EQ(PixelAt(image, 0, 0), Shown(row.outerUL));
        EXPECT_EQ(PixelAt(image, 19, 19), Shown(row.outerLR));
        EXPECT_EQ(PixelAt(image, 4, 4), Shown(row.inside));
        EXPECT_EQ(PixelAt(image, 5, 4), Shown(row.insideNext));
    }
}

TEST(FcToolButtonPicture, TransparentLatchedButtonShowsTheFacePattern) {
    TFcToolButton b;
    b.resize(20, 20);
    b.SetGroupIndex(1);
    b.SetDown(true);
    const QImage image = RenderWidget(b);
    EXPECT_EQ(PixelAt(image, 0, 0), Shown(clBtnShadow));
    EXPECT_EQ(PixelAt(image, 4, 4), Shown(clBtnHighlight));
    EXPECT_EQ(PixelAt(image, 5, 4), Shown(clBtnFace));
    // Idle and transparent: the button leaves everything to its parent.
    TFcToolButton idle;
    idle.resize(20, 20);
    EXPECT_TRUE(test::InkBounds(RenderWidget(idle), QRect(0, 0, 20, 20), test::kCanary).isEmpty());
}

TEST(FcToolButtonPicture, GradientLookOutlineAndSelectionColours) {
    TFcToolButton b;
    b.resize(20, 20);
    b.SetVisualStyle(TFcVisualStyle::vsGradient);
    b.SetGradientColorStyle(TFcGradientColorStyle::gcsCustom);
    b.SetSelectionFrameColor(gui::clRed);
    b.SetSelectionColorStart(gui::clWhite);
    b.SetSelectionColorStop(gui::clBlue);
    b.SetTransparent(false); // the gradient is not covered by the colour
    Hover(b);
    QImage image = RenderWidget(b);
    EXPECT_EQ(PixelAt(image, 0, 0), gui::clRed);
    EXPECT_EQ(PixelAt(image, 19, 19), gui::clRed);
    EXPECT_EQ(PixelAt(image, 10, 1), gui::clWhite); // start at the top
    EXPECT_EQ(PixelAt(image, 10, 18), gui::clBlue);
    test::Press(b, QPoint(5, 5)); // down: the other way round
    image = RenderWidget(b);
    EXPECT_EQ(PixelAt(image, 10, 1), gui::clBlue);
    EXPECT_EQ(PixelAt(image, 10, 18), gui::clWhite);
}

// The caption's colour by state: pressed in the highlight text colour,
// disabled in the shadow.
TEST(FcToolButtonPicture, CaptionColours) {
    struct Row {
        const char* name;
        std::function<void(TFcToolButton&)> state;
        TColor caption;
    };
    const Row rows[] = {
        {"up", [](TFcToolButton&) {}, gui::clWindowText},
        {"pressed", [](TFcToolButton& b) { test::Press(b, QPoint(5, 5)); }, gui::clHighlightText},
        {"disabled", [](TFcToolButton& b) { b.setEnabled(false); }, clBtnShadow},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        TFcToolButton b;
        b.resize(60, 25);
        b.SetTransparent(false);
        b.SetColor(clYellow);
        b.SetShowCaption(true);
        b.SetCaption("III");
        row.state(b);
        const QImage image = RenderWidget(b);
        const QRect ink = test::InkBounds(image, QRect(3, 3, 54, 19), clYellow);
        ASSERT_FALSE(ink.isEmpty());
        int exact = 0;
        for (int y = ink.top(); y <= ink.bottom(); ++y)
            for (int x = ink.left(); x <= ink.right(); ++x)
                exact += PixelAt(image, x, y) == Shown(row.caption);
        EXPECT_GT(exact, 0);
    }
}

TEST(FcToolButtonLayout, ImageAndCaptionPlaces) {
    const auto list = Images({gui::clRed});
    TFcToolButton b;
    b.resize(25, 25);
    b.SetImages(list.get());
    b.SetImageIndex(0);
    TRect image, caption;
    b.CalcLayout(image, caption);
    EXPECT_EQ(image, gui::Bounds(8, 8, 8, 8)); // centred in (2, 2, 23, 23)
    EXPECT_EQ(caption, TRect{});
    b.SetAlignment(TAlignment::taLeftJustify);
    b.CalcLayout(image, caption);
    EXPECT_EQ(image.Left, 4);
    b.SetAlignment(TAlignment::taCenter);
    // With a caption: the image left of it, 4 pixels between, the block
    // centred.
    b.resize(80, 25);
    b.SetShowCaption(true);
    b.SetCaption("Go");
    b.CalcLayout(image, caption);
    EXPECT_EQ(caption.Left, image.Right + 4);
    EXPECT_LE(std::abs((image.Left - 2) - (78 - caption.Right)), 1);
    b.SetLayout(TButtonLayout::blGlyphTop);
    b.CalcLayout(image, caption);
    EXPECT_EQ(caption.Top, image.Bottom + 4);
    // Pressed: both one pixel down and right.
    const TRect before = image;
    test::Press(b, QPoint(5, 5));
    b.CalcLayout(image, caption);
    EXPECT_EQ(image, gui::OffsetRect(before, 1, 1));
    // A drop-down button keeps its image out of the arrow part.
    TFcToolButton d;
    d.SetImages(list.get());
    d.SetImageIndex(0);
    d.SetToolStyle(TFcToolStyle::tsDropDown);
    d.CalcLayout(image, caption);
    EXPECT_EQ(image, gui::Bounds(8, 8, 8, 8));
}

TEST(FcToolButtonPicture, ImageByState) {
    // normal red, down lime, hot blue, disabled yellow.
    const auto list = Images({gui::clRed, gui::clLime, gui::clBlue, clYellow});
    auto shown = [](TFcToolButton& b) { return PixelAt(RenderWidget(b), 10, 10); };
    TFcToolButton b;
    b.SetImages(list.get());
    b.SetImageIndex(0);
    b.SetDownIndex(1);
    b.SetHotIndex(2);
    EXPECT_EQ(shown(b), gui::clRed);
    Hover(b);
    EXPECT_EQ(shown(b), gui::clBlue);
    test::Press(b, QPoint(5, 5));
    EXPECT_EQ(PixelAt(RenderWidget(b), 11, 11), gui::clLime); // pressed: moved by one
    test::Release(b, QPoint(40, 40));
    b.SetHotIndex(10); // not in the list: the normal image
    Hover(b);
    EXPECT_EQ(shown(b), gui::clRed);
    b.setEnabled(false);
    EXPECT_EQ(shown(b), Shown(clBtnShadow)); // the list's disabled look
    b.SetDisabledIndex(3);
    EXPECT_EQ(shown(b), clYellow);
}

// A window with tool buttons, their clicks counted.
struct ToolForm {
    ToolForm() {
        window.resize(200, 100);
        a = new TFcToolButton(&window);
        a->setGeometry(10, 10, 25, 25);
        a->SetCaption("&Go");
        b = new TFcToolButton(&window);
        b->setGeometry(40, 10, 25, 25);
        plain = new QWidget(&window);
        a->OnClick = [this](QObject*) { ++aClicks; };
        b->OnClick = [this](QObject*) { ++bClicks; };
        window.show();
    }
    QWidget window;
    TFcToolButton* a = nullptr;
    TFcToolButton* b = nullptr;
    QWidget* plain = nullptr;
    int aClicks = 0;
    int bClicks = 0;
};

TEST(FcToolButtonInput, ClicksAndLatching) {
    using Step = std::function<void(ToolForm&)>;
    struct Row {
        const char* name;
        int group;
        bool allowAllUp;
        std::vector<Step> steps;
        int clicks;
        bool down;
        S state;
    };
    const QPoint in(5, 5);
    auto click = [in](ToolForm& f) { test::Click(*f.a, in); };
    const Row rows[] = {
        {"click", 0, false, {click}, 1, false, S::bsUp},
        {"released outside",
         0,
         false,
         {[in](auto& f) { test::Press(*f.a, in); },
          [](auto& f) { test::MoveTo(*f.a, QPoint(25, 5)); },
          [](auto& f) { EXPECT_EQ(f.a->ButtonState(), S::bsUp); },
          [](auto& f) { test::Release(*f.a, QPoint(25, 5)); }},
         0,
         false,
         S::bsUp},
        {"grouped click latches", 1, false, {click}, 1, true, S::bsExclusive},
        {"grouped, the down one clicked: stays down, no click",
         1,
         false,
         {click, click},
         1,
         true,
         S::bsExclusive},
        {"grouped, all up: released again", 1, true, {click, click}, 2, false, S::bsUp},
        {"the other of the group goes down",
         1,
         false,
         {click, [in](auto& f) { test::Click(*f.b, in); }},
         1,
         false,
         S::bsUp},
        {"disabled during the press",
         0,
         false,
         {[in](auto& f) { test::Press(*f.a, in); }, [](auto& f) { f.a->setEnabled(false); },
          [](auto& f) { f.a->setEnabled(true); }, [in](auto& f) { test::Release(*f.a, in); }},
         0,
         false,
         S::bsUp},
        {"accelerator",
         0,
         false,
         {[](auto& f) { test::KeyDown(*f.plain, Qt::Key_G, {}, "g"); }},
         1,
         false,
         S::bsUp},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        ToolForm f;
        f.a->SetGroupIndex(row.group);
        f.b->SetGroupIndex(row.group);
        f.a->SetAllowAllUp(row.allowAllUp);
        for (const Step& step : row.steps)
            step(f);
        EXPECT_EQ(f.aClicks, row.clicks);
        EXPECT_EQ(f.a->Down(), row.down);
        EXPECT_EQ(f.a->ButtonState(), row.state);
        EXPECT_FALSE(f.a->Tracking());
    }
}

// A drop-down button with a menu that closes as soon as it is up.
class DropDown : public ::testing::Test, public ToolForm {
protected:
    void SetUp() override {
        menu.Add("&First");
        menu.Add("Second item");
        b->SetToolStyle(TFcToolStyle::tsDropDown);
        b->SetDropDownMenu(&menu);
        b->OnDropDown = [this](QObject* sender) {
            ++shown;
            EXPECT_EQ(sender, &menu);
            EXPECT_TRUE(b->MenuShowing());
            QTimer::singleShot(0, [this] {
                if (QMenu* m = menu.ShowingMenu()) {
                    stateWhileShown = b->ButtonState();
                    m->close();
                }
            });
        };
    }
    gui::TPopupMenu menu;
    int shown = 0;
    S stateWhileShown = S::bsUp;
    const QPoint arrow{30, 5};
    const QPoint left{5, 5};
};

TEST_F(DropDown, ArrowOpensTheMenuTheRestClicks) {
    ASSERT_TRUE(b->IsSplit());
    test::Press(*b, arrow);
    test::Release(*b, arrow);
    EXPECT_EQ(shown, 1);
    EXPECT_EQ(stateWhileShown, S::bsDropDown);
    EXPECT_EQ(bClicks, 0);
    EXPECT_EQ(menu.PopupComponent(), b);
    EXPECT_FALSE(b->MenuShowing());
    EXPECT_EQ(b->ButtonState(), S::bsUp);
    test::ProcessEventsFor(150);
    test::Click(*b, left);
    EXPECT_EQ(bClicks, 1);
    EXPECT_EQ(shown, 1);
}

TEST_F(DropDown, WithoutOnClickAPressAnywhereOpensTheMenu) {
    b->OnClick = nullptr;
    test::Click(*b, left);
    EXPECT_EQ(shown, 1);
    EXPECT_EQ(bClicks, 0);
}

// The press that closed the menu (within 100 ms) neither reopens it nor
// clicks; a press after that is a press again.
TEST_F(DropDown, PressRightAfterTheCloseIsTheClosingPress) {
    test::Click(*b, arrow);
    test::Click(*b, arrow);
    EXPECT_EQ(shown, 1);
    test::Click(*b, arrow);
    EXPECT_EQ(shown, 2);
    test::Click(*b, left);
    EXPECT_EQ(bClicks, 0);
    test::ProcessEventsFor(150);
    test::Click(*b, left);
    EXPECT_EQ(bClicks, 1);
}

TEST_F(DropDown, AcceleratorOpensTheMenuOfAButtonWithoutOnClick) {
    b->OnClick = nullptr;
    b->SetCaption("&Menu");
    test::KeyDown(*plain, Qt::Key_M, {}, "m");
    EXPECT_EQ(shown, 1);
}

TEST_F(DropDown, MenuKeptInsideTheMonitorsWorkArea) {
    const QPoint at = b->mapToGlobal(QPoint(0, b->height()));
    const int m = MeasureDropDownMenuWidth(menu);
    ASSERT_GT(m, 56);
    struct Row {
        const char* name;
        gui::TPopupAlignment alignment;
        TRect workArea;
        int expectedX;
    };
    const Row rows[] = {
        {"left, room enough", gui::TPopupAlignment::paLeft,
         gui::Rect(at.x() - 500, at.y() - 500, at.x() + m + 10, at.y() + 500), at.x()},
        {"left, past the right edge: at the edge", gui::TPopupAlignment::paLeft,
         gui::Rect(at.x() - 500, at.y() - 500, at.x() + 20, at.y() + 500), at.x() + 20},
        {"right, past the left edge: at the edge", gui::TPopupAlignment::paRight,
         gui::Rect(at.x() + 30, at.y() - 500, at.x() + 900, at.y() + 500), at.x() + 30},
        {"centre: the middle", gui::TPopupAlignment::paCenter,
         gui::Rect(at.x() - 500, at.y() - 500, at.x() + 500, at.y() + 500),
         at.x() + b->width() / 2},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        // The monitor holds the point; its work area is the row's.
        TScopedMonitorProvider monitors(std::vector<TMonitor>{
            MakeMonitor(0, gui::Rect(at.x() - 1000, at.y() - 1000, at.x() + 1000, at.y() + 1000),
                        row.workArea)});
        menu.SetAlignment(row.alignment);
        b->ShowDropDownMenu();
        EXPECT_EQ(menu.PopupPoint(), (TPoint{row.expectedX, at.y()}));
    }
}

TEST_F(DropDown, MenuItemOrOnClickMayDeleteTheButton) {
    QPointer<TFcToolButton> watched = b;
    menu.Item(0)->OnClick = [this](QObject*) {
        delete b;
        b = nullptr;
    };
    b->OnDropDown = [this](QObject*) {
        QTimer::singleShot(0, [this] {
            if (QMenu* m = menu.ShowingMenu())
                m->actions().front()->trigger();
        });
    };
    test::Press(*b, arrow); // the item runs before the press returns
    EXPECT_TRUE(watched.isNull());
    watched = a;
    a->OnClick = [this](QObject*) {
        delete a;
        a = nullptr;
    };
    test::Click(*a, left);
    EXPECT_TRUE(watched.isNull());
}

} // namespace
} // namespace vdx
