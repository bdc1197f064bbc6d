#pragma once
// What the controls know of the display and the platform: the colour scheme
// and colour depth read once at start-up, and the platform-version test.

#include <cstdint>

namespace vdx {

// Display facts, set by FcCommonStartup (GUI thread only).
extern std::uint8_t XPColorScheme; // 0 default, 1 "HOMESTEAD", 2 "METALLIC"
extern bool FullColorScreen;

// "ColorName" of "ThemeManager" below HKEY_CURRENT_USER
// "\Software\Microsoft\Windows\CurrentVersion": 1 for "HOMESTEAD", 2 for
// "METALLIC" (any case), 0 for anything else or nothing.
std::uint8_t ReadXPColorScheme();
// More than 256 colours on the primary screen (true without a screen).
bool ScreenIsFullColor();
// Module start-up: FullColorScreen and XPColorScheme. Programs call it once
// after creating the application object.
void FcCommonStartup();

// Kind 4: NT above major 4; 5: NT 5.1 or later; 7: NT above major 5; any
// other kind: false.
bool RunningOnOSVersion(int kind);

} // namespace vdx
