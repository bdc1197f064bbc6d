#include "controls/storage/FcMonitors.h"

#include <QWidget>

#include <gtest/gtest.h>

namespace vdx {
namespace {

using gui::Bounds;
using gui::Point;

// Two monitors side by side, the right one lower and with a panel on top.
std::vector<TMonitor> TwoMonitors() {
    return {MakeMonitor(0, Bounds(0, 0, 1920, 1080), Bounds(0, 0, 1920, 1040)),
            MakeMonitor(1, Bounds(1920, 200, 1280, 1024), Bounds(1920, 230, 1280, 994))};
}

TEST(FcMonitors, MonitorAtPoint) {
    TScopedMonitorProvider fake(TwoMonitors());
    struct Case {
        const char* name;
        gui::TPoint point;
        int expected; // -1: none
    };
    for (const Case& c :
         {Case{"origin", Point(0, 0), 0}, Case{"last pixel", Point(1919, 1079), 0},
          Case{"right edge belongs to the next", Point(1920, 500), 1},
          Case{"above the lower monitor", Point(2000, 100), -1},
          Case{"left of everything", Point(-1, 0), -1}, Case{"far away", Point(5000, 80), -1}}) {
        SCOPED_TRACE(c.name);
        const auto m = MonitorAtPoint(c.point);
        EXPECT_EQ(m ? m->MonitorNum : -1, c.expected);
    }
}

TEST(FcMonitors, NearestMonitor) {
    TScopedMonitorProvider fake(TwoMonitors());
    struct Case {
        const char* name;
        gui::TRect rect;
        int expected;
    };
    for (const Case& c : {Case{"most area wins", Bounds(1800, 300, 400, 100), 1},
                          Case{"inside the first", Bounds(10, 10, 100, 100), 0},
                          Case{"off to the right", Bounds(6000, 500, 10, 10), 1},
                          Case{"off to the left", Bounds(-900, 500, 10, 10), 0},
                          Case{"empty rectangle", Bounds(2500, 600, 0, 0), 1}}) {
        SCOPED_TRACE(c.name);
        const auto m = MonitorNearestRect(c.rect);
        ASSERT_TRUE(m);
        EXPECT_EQ(m->MonitorNum, c.expected);
    }
    EXPECT_EQ(GetMonitorWorkArea(TwoMonitors()[1]), Bounds(1920, 230, 1280, 994));
    EXPECT_EQ(GetMonitorBounds(TwoMonitors()[1]), Bounds(1920, 200, 1280, 1024));
}

TEST(FcMonitors, ControlWorkArea) {
    TScopedMonitorProvider fake(TwoMonitors());
    QWidget window;
    window.setGeometry(2100, 400, 300, 200);
    EXPECT_EQ(GetControlWorkArea(window), Bounds(1920, 230, 1280, 994));
    EXPECT_EQ(WorkAreaWidth(window), 1280);

    TScopedMonitorProvider none(std::vector<TMonitor>{});
    EXPECT_FALSE(MonitorAtPoint(Point(0, 0)));
    EXPECT_FALSE(MonitorNearestRect(Bounds(0, 0, 1, 1)));
    EXPECT_EQ(GetControlWorkArea(window), gui::TRect{});
}

TEST(FcMonitors, DefaultProviderListsTheScreens) {
    SetMonitorProvider(nullptr);
    const auto monitors = ScreenMonitors();
    ASSERT_FALSE(monitors.empty()); // the offscreen platform has one screen
    EXPECT_EQ(monitors[0].MonitorNum, 0);
    EXPECT_FALSE(monitors[0].BoundsRect.IsEmpty());
    EXPECT_TRUE(MonitorAtPoint(monitors[0].BoundsRect.TopLeft()));
}

} // namespace
} // namespace vdx
