#include "controls/base/FcDisplayFacts.h"

#include "platform/gui/system_facts.h"
#include "platform/os/ascii.h"
#include "platform/os/registry.h"

#include <QGuiApplication>
#include <QScreen>

#include <string>

namespace vdx {

std::uint8_t XPColorScheme = 0;
bool FullColorScreen = true;

std::uint8_t ReadXPColorScheme() {
    try {
        os::TRegistry reg(os::RootKey::CurrentUser);
        if (!reg.OpenKeyReadOnly("\\Software\\Microsoft\\Windows\\CurrentVersion\\ThemeManager"))
            return 0;
        const std::string name = os::AsciiUpper(reg.ReadString("ColorName"));
        if (name == "HOMESTEAD")
            return 1;
        if (name == "METALLIC")
            return 2;
    } catch (const os::ERegistryException&) {
        // A value of another type reads as no scheme.
    }
    return 0;
}

bool ScreenIsFullColor() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return !screen || screen->depth() > 8;
}

void FcCommonStartup() {
    FullColorScreen = ScreenIsFullColor();
    XPColorScheme = ReadXPColorScheme();
}

bool RunningOnOSVersion(int kind) {
    const gui::TPlatformVersion v = gui::PlatformVersion();
    switch (kind) {
    case 4:
        return v.NT && v.Major > 4;
    case 5:
        return v.NT && ((v.Major == 5 && v.Minor > 0) || v.Major > 5);
    case 7:
        return v.NT && v.Major > 5;
    default:
        return false;
    }
}

} // namespace vdx
