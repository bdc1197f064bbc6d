// The frame controller's pushes: names, order, mask, update brackets.
#include "controls/base/FcFrameController.h"

#include "controls/base/FcFramedControl.h"
#include "platform/gui/class_errors.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace vdx {
namespace {

using gui::TColor;

using P = TFcFrameControllerProperty;

// Records every setting it is handed, by name, and takes it as a plain
// framed control does. Hot tracking is only recorded: what the base makes of
// it (the frame on all sides) is the control's rule, not the controller's.
class RecordingControl : public TFcFramedControl {
    Q_OBJECT
public:
    RecordingControl() : TFcFramedControl(nullptr) {}
    std::vector<std::string> Writes;
    bool FrameHotTrack() const { return m_hotTrack; }

protected:
    void TakeFrameSetting(const TFcFrameController& fc, P property) override {
        Writes.push_back(FrameControllerPropertyName(property));
        if (property == P::fcpFrameHotTrack)
            m_hotTrack = fc.FrameHotTrack();
        else
            TFcFramedControl::TakeFrameSetting(fc, property);
    }

private:
    bool m_hotTrack = false;
};

// A framed control with nothing of its own.
class PlainControl : public TFcFramedControl {
    Q_OBJECT
public:
    PlainControl() : TFcFramedControl(nullptr) {}
};

// Takes the settings itself.
class PullControl : public TFcFramedControl {
    Q_OBJECT
public:
    PullControl() : TFcFramedControl(nullptr) {}
    int Pulls = 0;
    int ColorWrites = 0;
    void UpdateFromFrameController(const TFcFrameController&, P) override { ++Pulls; }

protected:
    void ColorChanged() override { ++ColorWrites; }
};

using Names = std::vector<std::string>;

const Names kAllOrder = {
    "ParentColor",          "Color",         "DisabledColor",   "ReadOnlyColor",
    "ReadOnlyColorOnFocus", "FocusColor",    "FlatButtonColor", "FlatButtons",
    "FrameColor",           "FrameHotColor", "FrameHotTrack",   "FrameHotStyle",
    "FrameSides",           "FrameStyle",    "FrameVisible",    "FramingPreference"};

TEST(FrameController, RegisteringPushesEverySettingOnceInOrder) {
    TFcFrameController fc;
    RecordingControl c;
    fc.AddControl(&c);
    fc.AddControl(&c); // already registered: nothing more
    EXPECT_EQ(c.Writes, kAllOrder);
    EXPECT_EQ(fc.Controls().size(), 1u);
    EXPECT_EQ(c.FrameStyle(), TFrameStyleEx::fsFlat);
    EXPECT_EQ(c.FrameSides(), TSides::All());
}

TEST(FrameController, TheMaskDecidesWhatAControlTakes) {
    TFcFrameController fc;
    RecordingControl c;
    c.SetFrameControllerNotifications(TFcFrameControllerNotifications::All().Without(P::fcpColor));
    fc.AddControl(&c);
    c.Writes.clear();
    fc.SetColor(gui::clYellow);
    fc.ApplyToAll(P::fcpAll);
    EXPECT_EQ(c.Color(), gui::clWindow);
    EXPECT_EQ(std::count(c.Writes.begin(), c.Writes.end(), "Color"), 0);
    EXPECT_EQ(TFcFrameController::GetNotifications(&c),
              TFcFrameControllerNotifications::All().Without(P::fcpColor).Bits());
    PlainControl sparse;
    EXPECT_EQ(TFcFrameController::GetNotifications(&sparse), 0xFFFF);
}

TEST(FrameController, ParentColorSuppressesColorUnderAll) {
    TFcFrameController fc;
    RecordingControl c;
    fc.AddControl(&c);
    c.Writes.clear();
    fc.SetParentColor(true);
    EXPECT_EQ(c.Writes, Names({"ParentColor"}));
    EXPECT_TRUE(c.ParentColor());
    c.Writes.clear();
    fc.ApplyToAll(P::fcpAll);
    EXPECT_EQ(c.Writes.front(), "ParentColor");
    EXPECT_EQ(std::count(c.Writes.begin(), c.Writes.end(), "Color"), 0);
    c.Writes.clear();
    fc.SetParentColor(false); // Color follows
    EXPECT_EQ(c.Writes, Names({"ParentColor", "Color"}));
}

TEST(FrameController, FocusColorFollowsColorWithoutBeingPushed) {
    TFcFrameController fc;
    RecordingControl c;
    fc.AddControl(&c);
    c.Writes.clear();
    fc.SetColor(gui::clYellow);
    EXPECT_EQ(fc.FocusColor(), gui::clYellow);
    EXPECT_EQ(c.Writes, Names({"Color"}));
    EXPECT_EQ(c.FocusColor(), gui::clWindow);
    fc.ApplyToAll(P::fcpFocusColor);
    EXPECT_EQ(c.FocusColor(), gui::clYellow);
    c.Writes.clear();
    fc.SetColor(gui::clYellow); // unchanged: nothing
    EXPECT_TRUE(c.Writes.empty());
}

TEST(FrameController, HotTrackTurnsTheFrameOn) {
    TFcFrameController fc;
    RecordingControl c;
    fc.AddControl(&c);
    fc.SetFrameSides(TSide::sdLeft);
    c.Writes.clear();
    fc.SetFrameHotTrack(true);
    EXPECT_EQ(c.Writes, Names({"FrameVisible", "FrameHotTrack"}));
    EXPECT_TRUE(fc.FrameVisible());
    EXPECT_EQ(fc.FrameSides(), TSides::All()); // stored only
    EXPECT_EQ(c.FrameSides(), TSides(TSide::sdLeft));

    // While loading, the sides stay as set.
    TFcFrameController loading;
    loading.BeginLoading();
    loading.SetFrameSides(TSide::sdTop);
    loading.SetFrameHotTrack(true);
    EXPECT_EQ(loading.FrameSides(), TSides(TSide::sdTop));
    RecordingControl d;
    loading.AddControl(&d);
    d.Writes.clear();
    loading.Loaded();
    EXPECT_EQ(d.Writes, kAllOrder);
}

TEST(FrameController, UpdateBracketsPushOnceAtTheOutermostEnd) {
    TFcFrameController fc;
    RecordingControl c;
    fc.AddControl(&c);
    c.Writes.clear();
    fc.BeginUpdate();
    fc.BeginUpdate();
    fc.SetFrameStyle(TFrameStyleEx::fsLowered);
    fc.SetFrameColor(gui::clRed);
    fc.EndUpdate();
    EXPECT_TRUE(c.Writes.empty());
    fc.EndUpdate();
    EXPECT_EQ(c.Writes, kAllOrder);
    EXPECT_EQ(c.FrameStyle(), TFrameStyleEx::fsLowered);
    c.Writes.clear();
    fc.EndUpdate(); // an extra end stays at 0 and pushes again
    EXPECT_EQ(fc.UpdateCount(), 0);
    EXPECT_EQ(c.Writes, kAllOrder);
}

TEST(FrameController, PullingControlsGetOneCallPerApply) {
    TFcFrameController fc;
    PullControl c;
    fc.AddControl(&c);
    EXPECT_EQ(c.Pulls, 1);
    fc.ApplyToControl(&c, P::fcpFrameColor);
    fc.ApplyToControl(&c, P::fcpAll);
    fc.SetColor(gui::clRed);
    EXPECT_EQ(c.Pulls, 4);
    EXPECT_EQ(c.ColorWrites, 0);
    QObject notAWidget;
    fc.ApplyToControl(&notAWidget, P::fcpAll); // ignored
}

TEST(FrameController, ListLifetimeAndControlsThatDie) {
    TFcFrameController fc;
    auto a = std::make_unique<PlainControl>();
    EXPECT_FALSE(fc.HasControlList());
    fc.AddControl(a.get());
    EXPECT_TRUE(fc.HasControlList());
    fc.SetFrameVisible(true);
    EXPECT_TRUE(a->FrameVisible());
    fc.RemoveControl(a.get());
    EXPECT_FALSE(fc.HasControlList());
    fc.AddControl(a.get());
    EXPECT_TRUE(fc.HasControlList());
    a.reset(); // gone without unregistering
    fc.SetColor(gui::clRed);
    EXPECT_TRUE(fc.Controls().empty());
}

TEST(FrameController, AssignCopiesSettingsAndPushesOnce) {
    TFcFrameController source;
    source.SetFrameStyle(TFrameStyleEx::fsRaised);
    source.SetFrameHotColor(gui::clRed);
    TFcFrameController fc;
    RecordingControl c;
    fc.AddControl(&c);
    c.Writes.clear();
    fc.Assign(static_cast<const QObject&>(source));
    EXPECT_EQ(fc.FrameStyle(), TFrameStyleEx::fsRaised);
    EXPECT_EQ(fc.FrameHotColor(), gui::clRed);
    EXPECT_EQ(c.Writes, kAllOrder);
    QObject other;
    EXPECT_THROW(fc.Assign(other), gui::EAssignError);
}

} // namespace
} // namespace vdx

#include "FcFrameController_test.moc"
