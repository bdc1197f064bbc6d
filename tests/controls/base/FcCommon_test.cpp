// Common support: text routines, the shared blink timer, the scheme read
// from the registry, the version test and image combo box items.
#include "controls/base/FcCommon.h"

#include "platform/gui/class_errors.h"
#include "platform/os/registry.h"

#include "TempDir.h"

#include <QComboBox>
#include <QTimer>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace vdx {
namespace {

TEST(TextRoutines, StripAccelChars) {
    struct Case {
        const char* in;
        const char* out;
    };
    const Case cases[] = {
        {"", ""},      {"&File", "File"},       {"a&", "a&"}, {"&&", "&"}, {"a&&b", "a&b"},
        {"&&&", "&&"}, {"Save &as", "Save as"}, {"&", "&"},   {"x", "x"}};
    for (const Case& c : cases)
        EXPECT_EQ(StripAccelChars(c.in), c.out) << c.in;
}

TEST(TextRoutines, CharactersAndSets) {
    EXPECT_EQ(FirstNonBlankChar("  \t\r\nabc"), 'a');
    EXPECT_EQ(FirstNonBlankChar("   "), '\0');
    EXPECT_EQ(FirstNonBlankChar(""), '\0');
    EXPECT_EQ(CountChar('a', "banana"), 3);
    EXPECT_EQ(CountChar('z', ""), 0);
    TFcCharSet set{};
    set[1] = 1u << 16; // '0'
    set[7] = 1u << 31; // 255
    EXPECT_TRUE(InCharSet('0', set));
    EXPECT_FALSE(InCharSet('1', set));
    EXPECT_TRUE(InCharSet(255, set));
    EXPECT_EQ(MinOf(3, -2), -2);
    EXPECT_EQ(MaxOf(3, -2), 3);
}

TEST(PlatformVersion, KindsOfTheLibrary) {
    // The platform reports NT 6.1.
    EXPECT_TRUE(RunningOnOSVersion(4));
    EXPECT_TRUE(RunningOnOSVersion(5));
    EXPECT_TRUE(RunningOnOSVersion(7));
    EXPECT_FALSE(RunningOnOSVersion(6));
    EXPECT_FALSE(RunningOnOSVersion(0));
}

class FakeLabel : public IFcBlinkingControl {
public:
    explicit FakeLabel(bool blinking, std::vector<std::string>& log, std::string name)
        : m_blinking(blinking), m_log(log), m_name(std::move(name)) {}
    int BlinkQuery() override {
        m_log.push_back("query " + m_name);
        return m_blinking ? 1 : 0;
    }
    void BlinkState(std::uint8_t phase) override {
        m_log.push_back("state " + m_name + " " + std::to_string(phase));
    }

private:
    bool m_blinking;
    std::vector<std::string>& m_log;
    std::string m_name;
};

TEST(Blinking, OneTickAsksAllAndTellsTheBlinkingOnes) {
    std::vector<std::string> log;
    FakeLabel a(true, log, "a"), b(false, log, "b"), c(true, log, "c");
    ASSERT_FALSE(BlinkingControls);
    BlinkingControls = std::make_unique<TFcBlinkingControlsList>();
    EXPECT_EQ(BlinkingControls->IntervalOff(), 500);
    EXPECT_EQ(BlinkingControls->IntervalOn(), 500);
    EXPECT_EQ(BlinkingControls->Phase(), 1);
    EXPECT_TRUE(BlinkingControls->Timer().isActive());
    for (IFcBlinkingControl* l :
         {static_cast<IFcBlinkingControl*>(&a), static_cast<IFcBlinkingControl*>(&b),
          static_cast<IFcBlinkingControl*>(&c)})
        BlinkingControls->Add(l);
    BlinkingControls->SetIntervalOff(300);
    BlinkingControls->SetIntervalOn(700);
    BlinkingControls->TimerFired();
    EXPECT_EQ(
        log, (std::vector<std::string>{"query a", "state a 0", "query b", "query c", "state c 0"}));
    EXPECT_EQ(BlinkingControls->Timer().interval(), 300); // the off phase just began
    log.clear();
    BlinkingControls->TimerFired();
    EXPECT_EQ(log.back(), "state c 1");
    EXPECT_EQ(BlinkingControls->Timer().interval(), 700);

    BlinkingControls->Remove(&a);
    BlinkingControls->Remove(&b);
    FreeBlinkingListIfEmpty();
    EXPECT_TRUE(BlinkingControls); // c is still there
    BlinkingControls->Remove(&c);
    BlinkingControls->Remove(&c); // unknown now: ignored
    FreeBlinkingListIfEmpty();
    EXPECT_FALSE(BlinkingControls);
}

TEST(ColorScheme, ReadFromTheRegistry) {
    test::TempDir home;
    const char* old = std::getenv("XDG_CONFIG_HOME");
    const std::string saved = old ? old : "";
    ::setenv("XDG_CONFIG_HOME", home.Path().c_str(), 1);
    EXPECT_EQ(ReadXPColorScheme(), 0); // no key at all
    struct Case {
        const char* value;
        std::uint8_t scheme;
    };
    const Case cases[] = {{"homestead", 1}, {"Metallic", 2}, {"NormalColor", 0}, {"", 0}};
    for (const Case& c : cases) {
        os::TRegistry reg(os::RootKey::CurrentUser);
        ASSERT_TRUE(
            reg.OpenKey("\\Software\\Microsoft\\Windows\\CurrentVersion\\ThemeManager", true));
        reg.WriteString("ColorName", c.value);
        EXPECT_EQ(ReadXPColorScheme(), c.scheme) << c.value;
    }
    if (old)
        ::setenv("XDG_CONFIG_HOME", saved.c_str(), 1);
    else
        ::unsetenv("XDG_CONFIG_HOME");
}

TEST(ImageComboBox, ItemLookup) {
    QComboBox combo;
    auto item = std::make_shared<TFcImageComboBoxItem>();
    item->IndentLevel = 2;
    combo.addItem("Computer", ImageComboBoxItemData(item));
    combo.addItem("Other", QVariant(42));
    EXPECT_EQ(&ImageComboBoxItemAt(combo, 0), item.get());
    EXPECT_EQ(ImageComboBoxItemAt(combo, 0).IndentLevel, 2);
    EXPECT_THROW(ImageComboBoxItemAt(combo, 1), gui::EInvalidCast);
    EXPECT_THROW(ImageComboBoxItemAt(combo, 2), gui::EListError);
    EXPECT_THROW(ImageComboBoxItemAt(combo, -1), gui::EListError);
}

} // namespace
} // namespace vdx
