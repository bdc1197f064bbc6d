#pragma once
// Facts about the platform that the control library asks for. There are no
// visual themes on Linux: every themed branch of the library is off. The
// platform reports itself as an NT-family system of version 6.1, so version
// tests take their modern branches.

namespace vdx::gui {

constexpr bool ThemesEnabled() noexcept {
    return false;
}

// Whether the system lays out right-to-left text (the platform's Middle
// East support). Qt does so everywhere, so the right-to-left members of the
// controls always take effect.
constexpr bool MiddleEastEnabled() noexcept {
    return true;
}

struct TPlatformVersion {
    bool NT = true;
    int Major = 6;
    int Minor = 1;
};
constexpr TPlatformVersion PlatformVersion() noexcept {
    return {};
}

} // namespace vdx::gui
