#pragma once
// The special folders (CSIDL numbers) on a freedesktop system: the one map
// every part of the programs asks. The user folders come from
// "$XDG_CONFIG_HOME/user-dirs.dirs" when it names them, else from their
// usual places below $HOME.

#include <string>

namespace vdx::shell {

inline constexpr int CSIDL_DESKTOP = 0;           // the namespace's root (virtual)
inline constexpr int CSIDL_PERSONAL = 5;          // XDG_DOCUMENTS_DIR, $HOME/Documents
inline constexpr int CSIDL_STARTUP = 7;           // $XDG_CONFIG_HOME/autostart
inline constexpr int CSIDL_SENDTO = 9;            // $XDG_DATA_HOME/vardex/SendTo
inline constexpr int CSIDL_MYMUSIC = 13;          // XDG_MUSIC_DIR, $HOME/Music
inline constexpr int CSIDL_MYVIDEO = 14;          // XDG_VIDEOS_DIR, $HOME/Videos
inline constexpr int CSIDL_DESKTOPDIRECTORY = 16; // XDG_DESKTOP_DIR, $HOME/Desktop
inline constexpr int CSIDL_DRIVES = 17;           // the Computer folder (virtual)
inline constexpr int CSIDL_TEMPLATES = 21;        // XDG_TEMPLATES_DIR, $HOME/Templates
inline constexpr int CSIDL_APPDATA = 26;          // $XDG_CONFIG_HOME, $HOME/.config
inline constexpr int CSIDL_LOCAL_APPDATA = 28;    // $XDG_DATA_HOME, $HOME/.local/share
inline constexpr int CSIDL_COMMON_APPDATA = 35;   // the first of $XDG_CONFIG_DIRS, /etc/xdg
inline constexpr int CSIDL_MYPICTURES = 39;       // XDG_PICTURES_DIR, $HOME/Pictures
inline constexpr int CSIDL_PROFILE = 40;          // $HOME

// The folder a CSIDL names, with a trailing "/"; for CSIDL_DESKTOP the
// desktop's folder (as CSIDL_DESKTOPDIRECTORY). Empty for the Computer, for
// a number not in the map and when the folder cannot be named (no $HOME).
// The environment is read on every call; only absolute values count.
std::string SpecialFolderPath(int csidl);

// $HOME without a trailing "/" ("" when unset or not absolute).
std::string HomePath();

} // namespace vdx::shell
