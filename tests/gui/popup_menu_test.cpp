// The pop-up menu: where it opens near the edges of the work area for each
// alignment, and one modal popup from the OnPopup call to the chosen item.
#include "platform/gui/popup_menu.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QTimer>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vdx::gui {
namespace {

TEST(PopupMenu, PlacementNearTheWorkAreaEdges) {
    using A = TPopupAlignment;
    const TRect screen = Rect(0, 0, 800, 600);
    const TSize menu{100, 80};
    struct Case {
        const char* name;
        TPoint at;
        A alignment;
        TRect workArea;
        TPoint expected; // top-left
    };
    const Case cases[] = {
        {"left edge at the point", {300, 200}, A::paLeft, screen, {300, 200}},
        {"right edge at the point", {300, 200}, A::paRight, screen, {200, 200}},
        {"middle at the point", {300, 200}, A::paCenter, screen, {250, 200}},
        {"left-aligned at the right edge opens to the left",
         {750, 200},
         A::paLeft,
         screen,
         {650, 200}},
        {"no room on either side: pushed inside",
         {90, 10},
         A::paLeft,
         Rect(0, 0, 150, 600),
         {50, 10}},
        {"right-aligned at the left edge opens to the right",
         {50, 200},
         A::paRight,
         screen,
         {50, 200}},
        {"centred at the right edge is pushed inside", {780, 200}, A::paCenter, screen, {700, 200}},
        {"centred at the left edge is pushed inside", {20, 200}, A::paCenter, screen, {0, 200}},
        {"at the bottom opens above", {300, 560}, A::paLeft, screen, {300, 480}},
        {"no room above: pushed inside", {300, 50}, A::paLeft, Rect(0, 0, 800, 100), {300, 20}},
        {"a panel at the top of the screen", {10, 10}, A::paRight, Rect(0, 30, 800, 600), {10, 30}},
        {"bottom-right corner", {790, 590}, A::paLeft, screen, {690, 510}},
        {"second monitor, right-aligned at its left edge",
         {820, 100},
         A::paRight,
         Rect(800, 0, 1600, 600),
         {820, 100}},
    };
    for (const Case& c : cases) {
        const TRect r = PlacePopupMenu(c.at, menu, c.alignment, c.workArea);
        EXPECT_EQ(r.TopLeft(), c.expected) << c.name;
        EXPECT_EQ(r.Width(), 100) << c.name;
        EXPECT_EQ(r.Height(), 80) << c.name;
    }
}

TEST(PopupMenu, PopupIsModalAndRunsTheChosenItemAfterClosing) {
    TPopupMenu popup;
    std::vector<std::string> seen;
    popup.OnPopup = [&](QObject* sender) {
        seen.push_back(sender == &popup ? "popup" : "popup from elsewhere");
        popup.Add("Added in OnPopup");
    };
    popup.Add("&Open", [&](QObject*) { seen.push_back("open"); });
    popup.Add("-");
    popup.Add("Hidden")->Visible = false;
    popup.Add("Dis&abled")->Enabled = false;
    QObject* clickedSender = nullptr;
    TMenuItem* save = popup.Add("&Save", [&](QObject* sender) {
        clickedSender = sender;
        seen.push_back("save");
    });
    popup.SetAlignment(TPopupAlignment::paRight);

    const TRect workArea = ScreenWorkAreaAt({0, 0});
    ASSERT_FALSE(workArea.IsEmpty());
    const TPoint at{workArea.Left + 5, workArea.Bottom - 5}; // bottom-left corner

    std::vector<QString> shown;
    QRect shownAt;
    bool open = false;
    QTimer::singleShot(0, [&] {
        QMenu* menu = popup.ShowingMenu();
        ASSERT_NE(menu, nullptr);
        open = menu->isVisible() && QApplication::activePopupWidget() == menu;
        shownAt = menu->geometry();
        for (QAction* a : menu->actions())
            shown.push_back(a->isSeparator() ? QStringLiteral("-")
                                             : a->text() + (a->isEnabled() ? "" : " (off)"));
        seen.push_back("shown");
        for (QAction* a : menu->actions())
            if (a->text() == "&Save")
                a->trigger();
    });
    popup.Popup(at.X, at.Y);
    seen.push_back("returned");

    EXPECT_TRUE(open);
    EXPECT_EQ(seen, (std::vector<std::string>{"popup", "shown", "save", "returned"}));
    EXPECT_EQ(clickedSender, save);
    EXPECT_EQ(shown,
              (std::vector<QString>{"&Open", "-", "Dis&abled (off)", "&Save", "Added in OnPopup"}));
    EXPECT_EQ(popup.PopupPoint(), at);
    // Right-aligned at the left edge and low on the screen: it opens to the
    // right of the point and above it, where it was seen on screen.
    const TRect bounds = popup.PopupBounds();
    EXPECT_EQ(bounds.Left, at.X);
    EXPECT_EQ(bounds.Bottom, at.Y);
    EXPECT_EQ(FromQRect(shownAt), bounds);
    EXPECT_EQ(popup.ShowingMenu(), nullptr);
}

} // namespace
} // namespace vdx::gui
