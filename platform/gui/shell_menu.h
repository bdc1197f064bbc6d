#pragma once
// The shell's context menu on screen: a QMenu of the commands an item has,
// shown at a screen point until a command is chosen or the menu closes. A
// submenu may be filled just before it opens (the Send To entries). Tests
// put a handler in its place that picks a command.

#include "platform/gui/geometry.h"

#include <functional>
#include <string>
#include <vector>

class QWidget;

namespace vdx::gui {

struct TShellMenuEntry {
    int Id = 0;
    std::string Caption;   // code page 1252, "&" marks the accelerator
    bool Default = false;  // shown in bold
    bool Enabled = true;   // false: grayed
    bool FileName = false; // Caption is a file name (file_name_text.h), no accelerator
    std::vector<TShellMenuEntry> SubMenu; // a submenu when not empty
};

// Called with a submenu's entries just before it opens; it may replace them.
using TShellMenuInitPopup = std::function<void(std::vector<TShellMenuEntry>& entries)>;

// Called with the id of the highlighted entry (0: none) while the menu is up.
using TShellMenuHighlight = std::function<void(int id)>;

// Runs the menu at screenPos owned by owner; returns the chosen id, 0 for
// none.
int TrackShellMenu(QWidget* owner, const std::vector<TShellMenuEntry>& entries, TPoint screenPos,
                   const TShellMenuHighlight& highlight, const TShellMenuInitPopup& initPopup = {});

// A test handler sees the submenus as they would open (initPopup already
// run on each).
using TShellMenuHandler =
    std::function<int(const std::vector<TShellMenuEntry>& entries, TPoint screenPos)>;
// Replaces the on-screen menu (tests); an empty handler restores it.
TShellMenuHandler SetShellMenuHandler(TShellMenuHandler handler);

} // namespace vdx::gui
