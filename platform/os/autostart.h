#pragma once
// The Windows "Run" key as XDG autostart entries; used by registry.cpp only.

#include "platform/os/registry.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vdx::os::detail {

// Whether a normalised key path names "Software\Microsoft\Windows\CurrentVersion\Run".
bool IsRunKey(std::string_view path);

// $XDG_CONFIG_HOME/autostart/ or the first folder of $XDG_CONFIG_DIRS + "/autostart/".
std::string AutostartFolder(RootKey root);

// The Exec= value that runs exactly command (one program path, quoted and
// escaped by the Desktop Entry rules where needed), and back.
std::string EncodeExec(std::string_view command);
std::string DecodeExec(std::string_view value);

// The whole "<name>.desktop" file for a value.
std::string DesktopEntryText(std::string_view name, std::string_view command);
// The command of a desktop file's text; nullopt when it has no Exec= line.
std::optional<std::string> CommandOfDesktopEntry(std::string_view text);

// File name in folder that stands for value name ("<name>.desktop", matched
// without regard to case); nullopt when there is none.
std::optional<std::string> FindAutostartFile(const std::string& folder, std::string_view name);
// Value names: the "*.desktop" files of folder without the extension.
std::vector<std::string> AutostartNames(const std::string& folder);
// A value name that can be a file name ("/", ".", ".." and empty cannot).
bool IsValidAutostartName(std::string_view name);

} // namespace vdx::os::detail
