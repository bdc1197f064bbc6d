// The framed-control base: the frame settings' rules.
#include "controls/base/FcFramedControl.h"

#include <gtest/gtest.h>

namespace vdx {
namespace {

class Control : public TFcFramedControl {
public:
    explicit Control(QWidget* parent = nullptr) : TFcFramedControl(parent) {}
};

TEST(FramedControl, HotTrackShowsTheFrameOnAllSidesUnlessLoading) {
    Control c;
    c.SetFrameSides(TSide::sdLeft);
    c.SetFrameHotTrack(true);
    EXPECT_TRUE(c.FrameVisible());
    EXPECT_EQ(c.FrameSides(), TSides::All());

    Control loading;
    loading.BeginLoading();
    loading.SetFrameSides(TSide::sdTop);
    loading.SetFrameHotTrack(true);
    EXPECT_TRUE(loading.FrameVisible());
    EXPECT_EQ(loading.FrameSides(), TSides(TSide::sdTop));
}

} // namespace
} // namespace vdx
