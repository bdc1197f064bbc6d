// The panel as a dock site: its dock manager's grabbers (pictures), docking
// by drag, undocking to a floating window and the close cross.
#include "controls/panels/FcPanelDockManager.h"

#include "controls/panels/FcPanel.h"

#include "WidgetPictures.h"

#include <QApplication>
#include <QMouseEvent>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vdx {
namespace {

using gui::clActiveCaption;
using gui::clBtnFace;
using gui::clBtnHighlight;
using gui::clBtnShadow;
using gui::clInactiveCaption;
using test::PixelAt;
using test::RenderWidget;
using test::Shown;
using Log = std::vector<std::string>;

std::string Name(QObject* o) {
    return o ? o->objectName().toStdString() : "nil";
}

std::string Pos(int x, int y) {
    return std::to_string(x) + "," + std::to_string(y);
}

// True when every pixel of area shows c.
bool AllOf(const QImage& image, const QRect& area, gui::TColor c) {
    return test::InkBounds(image, area, c).isEmpty();
}

// A test form (at 100, 100 on the screen) with a dock site of 200 x 150 at
// (10, 10), raised by 2 pixels (its clients' area is (2, 2, 198, 148)), and
// two dockable panels "One" and "Two" of 80 x 40 beside it.
class DockForm : public ::testing::Test {
protected:
    void SetUp() override {
        form.setGeometry(100, 100, 420, 300);
        site->setObjectName("site");
        site->setGeometry(10, 10, 200, 150);
        site->SetDockSite(true);
        for (TFcPanel* c : {one, two}) {
            c->SetDragKind(TDragKind::dkDock);
            c->setFocusPolicy(Qt::StrongFocus);
        }
        Client(one, "One", QRect(250, 20, 80, 40));
        Client(two, "Two", QRect(250, 100, 80, 40));
        form.show();
    }
    void TearDown() override { one->EndDrag(false); }

    void Client(TFcPanel* c, const char* name, QRect bounds) {
        c->setObjectName(name);
        c->SetCaption(name);
        c->setGeometry(bounds);
        c->SetColor(gui::clYellow);
    }
    TFcPanelDockManager& Manager() {
        return *static_cast<TFcPanelDockManager*>(site->DockManager());
    }
    bool Focus(QWidget* w) {
        form.activateWindow();
        w->setFocus();
        QApplication::processEvents();
        return w->hasFocus();
    }
    // A mouse event at a form position, sent to w.
    void Mouse(QWidget* w, QEvent::Type type, QPoint at) {
        const QPoint global = form.mapToGlobal(at);
        QMouseEvent e(type, QPointF(w->mapFromGlobal(global)), QPointF(global),
                      type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton,
                      type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton,
                      Qt::NoModifier);
        QApplication::sendEvent(w, &e);
    }
    // Presses on w at from, moves to to (the mouse stays with w) and releases.
    void Drag(QWidget* w, QPoint from, QPoint to) {
        Mouse(w, QEvent::MouseButtonPress, from);
        Mouse(w, QEvent::MouseMove, to);
        Mouse(w, QEvent::MouseButtonRelease, to);
    }
    // The site's and the clients' docking events.
    void Record() {
        site->OnDockOver = [this](QObject*, gui::TDragDockObject& source, int x, int y,
                                  TDragState state, bool& accept) {
            const QPoint o = site->mapToGlobal(QPoint(0, 0));
            const TRect r = source.DockRect;
            const char* states[] = {"enter", "leave", "move"};
            log.push_back("site over " + std::string(states[int(state)]) + " " + Pos(x, y) +
                          " rect " + Pos(r.Left - o.x(), r.Top - o.y()) + " " +
                          Pos(r.Width(), r.Height()) + (accept ? "" : " refused"));
        };
        site->OnDockDrop = [this](QObject*, gui::TDragDockObject& source, int x, int y) {
            log.push_back("site drop " + Name(source.Control()) + " " + Pos(x, y));
        };
        site->OnUnDock = [this](QObject*, QWidget* client, QWidget* target, bool&) {
            log.push_back("site undock " + Name(client) + " to " + Name(target));
        };
        for (TFcPanel* c : {one, two}) {
            c->OnStartDock = [this](QObject* sender, std::unique_ptr<gui::TDragDockObject>&) {
                log.push_back(Name(sender) + " start dock");
            };
            c->OnEndDock = [this](QObject* sender, QObject* target, int x, int y) {
                log.push_back(Name(sender) + " end dock " + Name(target) + " " + Pos(x, y));
            };
        }
    }

    QWidget form;
    TFcPanel* site = new TFcPanel(&form);
    TFcPanel* one = new TFcPanel(&form);
    TFcPanel* two = new TFcPanel(&form);
    Log log;
};

TEST_F(DockForm, ManagerOnlyForADockSiteThatUsesOne) {
    ASSERT_NE(site->DockManager(), nullptr);
    EXPECT_EQ(Manager().GrabberSize(), 14);
    EXPECT_EQ(Manager().CaptionFont().Name, "Verdana");
    EXPECT_EQ(Manager().CaptionFont().Size(), 8);
    EXPECT_EQ(Manager().CloseFont().Name, "Marlett");
    EXPECT_EQ(Manager().CloseFont().Size(), 8);
    site->SetUseDockManager(false);
    EXPECT_EQ(site->DockManager(), nullptr);
    site->SetUseDockManager(true);
    EXPECT_NE(site->DockManager(), nullptr);
    site->SetDockSite(false);
    EXPECT_EQ(site->DockManager(), nullptr);
    site->SetUseDockManager(false);
    site->SetDockSite(true);
    EXPECT_EQ(site->DockManager(), nullptr);
}

// Grabbers on top: each client's zone is half of the site's height, the
// client 14 pixels below the zone's top; the caption fills the grabber in the
// caption colour of a focused or an unfocused window, the close cross sits
// in (Right - 15, Top + 1, Right - 2, Top + 12).
TEST_F(DockForm, GrabbersOnTopPicture) {
    gui::ManualDock(*one, *site);
    gui::ManualDock(*two, *site);
    EXPECT_EQ(Manager().ZoneRect(*one), gui::Rect(2, 2, 198, 75));
    EXPECT_EQ(Manager().ZoneRect(*two), gui::Rect(2, 75, 198, 148));
    EXPECT_EQ(one->geometry(), QRect(2, 16, 196, 59));
    EXPECT_EQ(two->geometry(), QRect(2, 89, 196, 59));

    const auto checkGrabber = [](const QImage& image, int top, gui::TColor caption) {
        // Before the text, between the text and the cross, and below it.
        EXPECT_TRUE(AllOf(image, QRect(2, top, 1, 14), caption)) << top;
        EXPECT_TRUE(AllOf(image, QRect(60, top, 123, 14), caption)) << top;
        EXPECT_TRUE(AllOf(image, QRect(196, top, 2, 14), caption)) << top;
        EXPECT_FALSE(test::InkBounds(image, QRect(4, top, 56, 14), caption).isEmpty()) << top;
        const QRect cross = test::InkBounds(image, QRect(150, top, 48, 14), caption);
        ASSERT_FALSE(cross.isEmpty()) << top;
        EXPECT_TRUE(QRect(183, top + 1, 13, 11).contains(cross)) << top;
        // The client starts right below: its raised frame.
        EXPECT_EQ(PixelAt(image, 100, top + 14), Shown(gui::cl3DLight)) << top;
    };
    QImage image = RenderWidget(*site);
    checkGrabber(image, 2, clInactiveCaption);
    checkGrabber(image, 75, clInactiveCaption);

    if (!Focus(one))
        GTEST_SKIP() << "the platform gives no focus";
    image = RenderWidget(*site);
    checkGrabber(image, 2, clActiveCaption);
    checkGrabber(image, 75, clInactiveCaption);
}

// A site aligned at the top: the clients side by side, 14 pixels right of
// their zones, the caption rotated on its baseline 2 pixels inside the
// grabber, read upwards from 3 pixels above the bottom.
TEST_F(DockForm, GrabbersOnTheLeftPicture) {
    gui::ManualDock(*one, *site);
    gui::ManualDock(*two, *site);
    site->SetAlign(TAlign::alTop);
    EXPECT_EQ(one->geometry(), QRect(16, 2, 84, 146));
    EXPECT_EQ(two->geometry(), QRect(114, 2, 84, 146));
    const bool focused = Focus(two);
    const QImage image = RenderWidget(*site);
    for (const auto& [left, caption] :
         {std::pair{2, clInactiveCaption},
          std::pair{100, focused ? clActiveCaption : clInactiveCaption}}) {
        EXPECT_TRUE(AllOf(image, QRect(left, 15, 1, 133), caption)) << left;
        const QRect text = test::InkBounds(image, QRect(left, 15, 14, 133), caption);
        ASSERT_FALSE(text.isEmpty()) << left;
        EXPECT_LE(text.right(), left + 12) << left;
        EXPECT_LE(text.bottom(), 145) << left;
        EXPECT_GE(text.bottom(), 138) << left;
        EXPECT_GT(text.height(), text.width()) << left;
        const QRect cross = test::InkBounds(image, QRect(left, 2, 14, 13), caption);
        ASSERT_FALSE(cross.isEmpty()) << left;
        EXPECT_TRUE(QRect(left + 1, 3, 11, 11).contains(cross)) << left;
        EXPECT_EQ(PixelAt(image, left + 14, 50), Shown(gui::cl3DLight)) << left;
    }
}

// Without client captions the grabber is the class library's: two raised
// bars and a raised close button.
TEST_F(DockForm, ClassLibraryGrabberLines) {
    site->SetShowDockClientCaptions(false);
    gui::ManualDock(*one, *site);
    QImage image = RenderWidget(*site);
    const gui::TColor w = Shown(clBtnHighlight), s = Shown(clBtnShadow), f = Shown(clBtnFace);
    // Bars from x 4 to 182 on rows 5 to 7 and 8 to 10.
    for (int top : {5, 8}) {
        EXPECT_EQ(PixelAt(image, 4, top), w) << top;
        EXPECT_EQ(PixelAt(image, 100, top), w) << top;
        EXPECT_EQ(PixelAt(image, 4, top + 1), w) << top;
        EXPECT_EQ(PixelAt(image, 100, top + 1), f) << top;
        EXPECT_EQ(PixelAt(image, 4, top + 2), s) << top;
        EXPECT_EQ(PixelAt(image, 100, top + 2), s) << top;
        EXPECT_EQ(PixelAt(image, 182, top), s) << top;
        EXPECT_EQ(PixelAt(image, 182, top + 1), s) << top;
        EXPECT_EQ(PixelAt(image, 183, top + 1), f) << top;
    }
    EXPECT_EQ(PixelAt(image, 100, 4), f);
    EXPECT_EQ(PixelAt(image, 100, 11), f);
    // The close button at (185, 3), 12 pixels square.
    EXPECT_EQ(PixelAt(image, 185, 3), w);
    EXPECT_EQ(PixelAt(image, 196, 14), Shown(gui::cl3DDkShadow));
    EXPECT_EQ(PixelAt(image, 195, 13), s);

    site->SetAlign(TAlign::alBottom);
    image = RenderWidget(*site);
    // Upright bars on columns 5 to 7 and 8 to 10, from row 17 to 146.
    for (int left : {5, 8}) {
        EXPECT_EQ(PixelAt(image, left, 17), w) << left;
        EXPECT_EQ(PixelAt(image, left, 100), w) << left;
        EXPECT_EQ(PixelAt(image, left + 1, 100), f) << left;
        EXPECT_EQ(PixelAt(image, left + 2, 100), s) << left;
        EXPECT_EQ(PixelAt(image, left + 1, 146), s) << left;
    }
    EXPECT_EQ(PixelAt(image, 3, 3), w);
    EXPECT_EQ(PixelAt(image, 14, 14), Shown(gui::cl3DDkShadow));
}

// Dragged onto the site, off it to float, and back by the floating window's
// caption.
TEST_F(DockForm, DockUndockToFloatingAndBack) {
    Record();
    one->SetDragMode(TDragMode::dmAutomatic);
    Drag(one, {260, 30}, {100, 50});
    EXPECT_EQ(
        log, (Log{"One start dock", "site over enter 88,38 rect 2,2 196,146",
                  "site over move 88,38 rect 2,2 196,146", "site over leave 88,38 rect 2,2 196,146",
                  "site drop One 88,38", "One end dock site 88,38"}));
    EXPECT_EQ(one->parentWidget(), site);
    EXPECT_EQ(one->geometry(), QRect(2, 16, 196, 132));

    // By the grabber (the press at (48, -8) of the client) to an empty
    // place: the client floats there in its own size.
    log.clear();
    one->SetDragMode(TDragMode::dmManual);
    Drag(site, {60, 18}, {300, 200});
    const QPoint at = form.mapToGlobal(QPoint(300, 200));
    EXPECT_EQ(log, (Log{"One start dock", "site undock One to nil",
                        "One end dock nil " + Pos(at.x(), at.y())}));
    QWidget* host = one->Dock.FloatHost;
    ASSERT_NE(host, nullptr);
    EXPECT_TRUE(host->isWindow());
    EXPECT_TRUE(host->isVisible());
    EXPECT_EQ(host->geometry(),
              QRect(form.mapToGlobal(QPoint(252, 208 - gui::kFloatCaptionHeight)), QSize(80, 56)));
    EXPECT_EQ(one->geometry(), QRect(0, gui::kFloatCaptionHeight, 80, 40));
    EXPECT_TRUE(Manager().Clients().empty());

    // The floating window: an active caption bar, its close button, the
    // client below.
    const QImage image = RenderWidget(*host);
    EXPECT_TRUE(AllOf(image, QRect(0, 0, 2, 16), clActiveCaption));
    EXPECT_EQ(PixelAt(image, 66, 2), Shown(clBtnHighlight));
    EXPECT_EQ(PixelAt(image, 40, 16), Shown(gui::cl3DLight));

    // Its caption drags it back.
    log.clear();
    const QPoint caption = form.mapFromGlobal(host->mapToGlobal(QPoint(20, 8)));
    Drag(host, caption, {100, 50});
    EXPECT_EQ(log.front(), "One start dock");
    EXPECT_EQ(log.back(), "One end dock site 88,38");
    EXPECT_EQ(one->parentWidget(), site);
    EXPECT_EQ(one->Dock.FloatHost, nullptr);
    EXPECT_FALSE(host->isVisible());
}

TEST_F(DockForm, CloseCrossHidesTheClientUntilShown) {
    gui::ManualDock(*one, *site);
    gui::ManualDock(*two, *site);
    // Pressed on the cross and released elsewhere: nothing.
    Mouse(site, QEvent::MouseButtonPress, {199, 18});
    Mouse(site, QEvent::MouseButtonRelease, {100, 18});
    EXPECT_TRUE(one->isVisible());
    Mouse(site, QEvent::MouseButtonPress, {199, 18});
    Mouse(site, QEvent::MouseButtonRelease, {199, 18});
    EXPECT_FALSE(one->isVisible());
    EXPECT_EQ(two->geometry(), QRect(2, 16, 196, 132));
    one->show();
    EXPECT_EQ(one->geometry(), QRect(2, 16, 196, 59));
    EXPECT_EQ(two->geometry(), QRect(2, 89, 196, 59));
}

TEST_F(DockForm, SitesThatRefuse) {
    struct Row {
        const char* name;
        bool allowUndock, acceptDock, canDock;
    };
    const Row rows[] = {{"the site keeps its client", false, true, true},
                        {"the site refuses the client", true, false, true},
                        {"the site cannot take the client", true, true, false}};
    for (const Row& row : rows) {
        Record();
        std::vector<TRect> influence;
        site->OnGetSiteInfo = [&](QObject*, QWidget*, TRect& rect, TPoint, bool& canDock) {
            influence.push_back(rect);
            canDock = row.canDock;
        };
        const auto dockOver = site->OnDockOver;
        site->OnDockOver = [&](QObject* s, gui::TDragDockObject& source, int x, int y,
                               TDragState state, bool& accept) {
            accept = row.acceptDock;
            dockOver(s, source, x, y, state, accept);
        };
        site->OnUnDock = [&](QObject*, QWidget*, QWidget*, bool& allow) {
            allow = row.allowUndock;
        };
        log.clear();
        if (!row.allowUndock) {
            // Docked: dragged off by the grabber, and kept.
            gui::ManualDock(*one, *site);
            Drag(site, {60, 18}, {300, 200});
            EXPECT_EQ(log, (Log{"One start dock", "One end dock nil 0,0"})) << row.name;
            EXPECT_EQ(one->parentWidget(), site) << row.name;
            continue;
        }
        // Undocked: dragged onto the site, and floated there instead.
        TFcPanel* client = new TFcPanel(&form);
        Client(client, "Three", QRect(250, 180, 80, 40));
        client->SetDragKind(TDragKind::dkDock);
        client->SetDragMode(TDragMode::dmAutomatic);
        Drag(client, {260, 190}, {100, 50});
        ASSERT_FALSE(influence.empty()) << row.name;
        const QPoint o = site->mapToGlobal(QPoint(0, 0));
        EXPECT_EQ(influence.front(), gui::Rect(o.x() - 10, o.y() - 10, o.x() + 210, o.y() + 160))
            << row.name;
        EXPECT_NE(client->Dock.FloatHost, nullptr) << row.name;
        EXPECT_NE(client->parentWidget(), site) << row.name;
        const bool over = std::any_of(log.begin(), log.end(), [](const std::string& e) {
            return e.rfind("site over", 0) == 0;
        });
        EXPECT_EQ(over, row.canDock) << row.name;
        delete client->Dock.FloatHost.data();
    }
}

} // namespace
} // namespace vdx
