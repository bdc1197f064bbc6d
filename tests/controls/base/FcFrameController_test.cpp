// The frame controller's pushes: names, order, mask, update brackets.
#include <gtest/gtest.h>

#include <QWidget>
#include <memory>
#include <string>
#include <vector>

#include "controls/base/FcFrameController.h"
#include "platform/gui/class_errors.h"

namespace vdx {
namespace {

using gui::TColor;

// Publishes every setting and records each write by name.
class RecordingControl : public QWidget {
    Q_OBJECT
    Q_PROPERTY(vdx::gui::TColor Color READ Color WRITE SetColor)
    Q_PROPERTY(vdx::gui::TColor FocusColor READ FocusColor WRITE SetFocusColor)
    Q_PROPERTY(vdx::gui::TColor DisabledColor READ DisabledColor WRITE SetDisabledColor)
    Q_PROPERTY(vdx::gui::TColor ReadOnlyColor READ ReadOnlyColor WRITE SetReadOnlyColor)
    Q_PROPERTY(bool ReadOnlyColorOnFocus READ ReadOnlyColorOnFocus WRITE SetReadOnlyColorOnFocus)
    Q_PROPERTY(bool ParentColor READ ParentColor WRITE SetParentColor)
    Q_PROPERTY(vdx::gui::TColor FlatButtonColor READ FlatButtonColor WRITE SetFlatButtonColor)
    Q_PROPERTY(bool FlatButtons READ FlatButtons WRITE SetFlatButtons)
    Q_PROPERTY(vdx::gui::TColor FrameColor READ FrameColor WRITE SetFrameColor)
    Q_PROPERTY(vdx::gui::TColor FrameHotColor READ FrameHotColor WRITE SetFrameHotColor)
    Q_PROPERTY(bool FrameHotTrack READ FrameHotTrack WRITE SetFrameHotTrack)
    Q_PROPERTY(vdx::TFrameStyleEx FrameHotStyle READ FrameHotStyle WRITE SetFrameHotStyle)
    Q_PROPERTY(vdx::TSides FrameSides READ FrameSides WRITE SetFrameSides)
    Q_PROPERTY(vdx::TFrameStyleEx FrameStyle READ FrameStyle WRITE SetFrameStyle)
    Q_PROPERTY(bool FrameVisible READ FrameVisible WRITE SetFrameVisible)
    Q_PROPERTY(
        vdx::TFramingPreference FramingPreference READ FramingPreference WRITE SetFramingPreference)
    Q_PROPERTY(vdx::TFcFrameControllerNotifications FrameControllerNotifications READ Notifications
                   WRITE SetNotifications)

public:
    std::vector<std::string> Writes;

    TColor Color() const { return m_color; }
    void SetColor(TColor v) { m_color = v, Writes.push_back("Color"); }
    TColor FocusColor() const { return m_focusColor; }
    void SetFocusColor(TColor v) { m_focusColor = v, Writes.push_back("FocusColor"); }
    TColor DisabledColor() const { return {}; }
    void SetDisabledColor(TColor) { Writes.push_back("DisabledColor"); }
    TColor ReadOnlyColor() const { return {}; }
    void SetReadOnlyColor(TColor) { Writes.push_back("ReadOnlyColor"); }
    bool ReadOnlyColorOnFocus() const { return false; }
    void SetReadOnlyColorOnFocus(bool) { Writes.push_back("ReadOnlyColorOnFocus"); }
    bool ParentColor() const { return m_parentColor; }
    void SetParentColor(bool v) { m_parentColor = v, Writes.push_back("ParentColor"); }
    TColor FlatButtonColor() const { return {}; }
    void SetFlatButtonColor(TColor) { Writes.push_back("FlatButtonColor"); }
    bool FlatButtons() const { return false; }
    void SetFlatButtons(bool) { Writes.push_back("FlatButtons"); }
    TColor FrameColor() const { return {}; }
    void SetFrameColor(TColor) { Writes.push_back("FrameColor"); }
    TColor FrameHotColor() const { return {}; }
    void SetFrameHotColor(TColor) { Writes.push_back("FrameHotColor"); }
    bool FrameHotTrack() const { return m_hotTrack; }
    void SetFrameHotTrack(bool v) { m_hotTrack = v, Writes.push_back("FrameHotTrack"); }
    TFrameStyleEx FrameHotStyle() const { return {}; }
    void SetFrameHotStyle(TFrameStyleEx) { Writes.push_back("FrameHotStyle"); }
    TSides FrameSides() const { return m_sides; }
    void SetFrameSides(TSides v) { m_sides = v, Writes.push_back("FrameSides"); }
    TFrameStyleEx FrameStyle() const { return m_style; }
    void SetFrameStyle(TFrameStyleEx v) { m_style = v, Writes.push_back("FrameStyle"); }
    bool FrameVisible() const { return m_visible; }
    void SetFrameVisible(bool v) { m_visible = v, Writes.push_back("FrameVisible"); }
    TFramingPreference FramingPreference() const { return {}; }
    void SetFramingPreference(TFramingPreference) { Writes.push_back("FramingPreference"); }
    TFcFrameControllerNotifications Notifications() const { return m_mask; }
    void SetNotifications(TFcFrameControllerNotifications v) { m_mask = v; }

private:
    TColor m_color = gui::clWindow;
    TColor m_focusColor = gui::clWindow;
    bool m_parentColor = false;
    bool m_hotTrack = false;
    bool m_visible = false;
    TSides m_sides;
    TFrameStyleEx m_style = TFrameStyleEx::fsNone;
    TFcFrameControllerNotifications m_mask = TFcFrameControllerNotifications::All();
};

// Publishes only two names; everything else is skipped silently.
class SparseControl : public QWidget {
    Q_OBJECT
    Q_PROPERTY(vdx::gui::TColor Color READ Color WRITE SetColor)
    Q_PROPERTY(bool FrameVisible READ FrameVisible WRITE SetFrameVisible)
public:
    TColor Color() const { return m_color; }
    void SetColor(TColor v) { m_color = v; }
    bool FrameVisible() const { return m_visible; }
    void SetFrameVisible(bool v) { m_visible = v; }

private:
    TColor m_color;
    bool m_visible = false;
};

// Takes the settings itself.
class PullControl : public QWidget, public IFrameControllerNotification {
    Q_OBJECT
    Q_PROPERTY(vdx::gui::TColor Color READ Color WRITE SetColor)
public:
    int Pulls = 0;
    int ColorWrites = 0;
    void UpdateFromFrameController() override { ++Pulls; }
    TColor Color() const { return {}; }
    void SetColor(TColor) { ++ColorWrites; }
};

using P = TFcFrameControllerProperty;
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
    c.SetNotifications(TFcFrameControllerNotifications::All().Without(P::fcpColor));
    fc.AddControl(&c);
    c.Writes.clear();
    fc.SetColor(gui::clYellow);
    fc.ApplyToAll(P::fcpAll);
    EXPECT_EQ(c.Color(), gui::clWindow);
    EXPECT_EQ(std::count(c.Writes.begin(), c.Writes.end(), "Color"), 0);
    EXPECT_EQ(TFcFrameController::GetNotifications(&c),
              TFcFrameControllerNotifications::All().Without(P::fcpColor).Bits());
    SparseControl sparse;
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
    auto a = std::make_unique<SparseControl>();
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
