#pragma once
// Facts about the platform that the control library asks for. There are no
// visual themes on Linux: every themed branch of the library is off. The
// platform reports itself as an NT-family system of version 6.1, so version
// tests take their modern branches.

namespace vdx::gui {

constexpr bool ThemesEnabled() noexcept {
    return false;
}

// The visual-styles library itself is there, as on every system of the
// reported version: controls take their branches for themes switched off,
// not those for a system without the library.
constexpr bool ThemeLibraryAvailable() noexcept {
    return true;
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
