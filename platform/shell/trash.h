#pragma once
// The freedesktop trash: an item moves into the home trash when it lies on
// the home trash's file system, else into its volume's trash
// ($topdir/.Trash/$uid when $topdir/.Trash is a sticky folder of its own,
// else $topdir/.Trash-$uid). The ".trashinfo" file is made first, with
// O_EXCL, so two deletes never take the same name; the item is then renamed
// into "files". Where no trash takes it, nothing is moved.

#include <string>

namespace vdx::shell {

// "$XDG_DATA_HOME/Trash" ($HOME/.local/share/Trash); "" without either.
std::string HomeTrashPath();

// 0 when path is in a trash now (trashedAs, when given, receives where),
// else the errno: ENOENT for a missing item, EBUSY for "/", a mount point or
// $HOME, EXDEV when no trash on any file system takes it.
int MoveToTrash(const std::string& path, std::string* trashedAs = nullptr);

} // namespace vdx::shell
