#pragma once
// Copying, moving and linking items into a folder, as a drop or a paste
// does it: nothing is ever overwritten, a folder never goes into itself,
// and a move across file systems removes its source only once all of it
// was copied. Long work reports its progress, and may be cancelled,
// through the ShellUi.

#include "platform/shell/shell_ui.h"

#include <chrono>
#include <cstdint>
#include <span>
#include <string>
#include <utility>
#include <vector>

namespace vdx::shell {

// Drop effects (DROPEFFECT_).
inline constexpr std::uint32_t DROPEFFECT_NONE = 0;
inline constexpr std::uint32_t DROPEFFECT_COPY = 1;
inline constexpr std::uint32_t DROPEFFECT_MOVE = 2;
inline constexpr std::uint32_t DROPEFFECT_LINK = 4;
inline constexpr std::uint32_t DROPEFFECT_SCROLL = 0x80000000u;

// Keys and buttons held during a drag (MK_).
inline constexpr std::uint32_t MK_LBUTTON = 1;
inline constexpr std::uint32_t MK_RBUTTON = 2;
inline constexpr std::uint32_t MK_SHIFT = 4;
inline constexpr std::uint32_t MK_CONTROL = 8;
inline constexpr std::uint32_t MK_MBUTTON = 16;
inline constexpr std::uint32_t MK_ALT = 32;

enum class TransferKind { Copy, Move, Link };

struct TransferOutcome {
    std::vector<std::string> Done;                   // the new paths in the target folder
    std::vector<std::string> Skipped;                // names already taken there
    std::vector<std::pair<std::string, int>> Failed; // name, errno
    bool Cancelled = false;
};

// When progress is first reported and how often after that.
struct TransferPacing {
    std::chrono::milliseconds FirstReport{500};
    std::chrono::milliseconds Interval{100};
};

// Copies, moves or links each source (an absolute path) into targetFolder
// under its own name. A name taken there (in any letter case) is skipped,
// except when a copy's source lies in targetFolder itself: it takes the
// first free "name (n)", n from 2, before a file's extension. A folder into
// itself or below itself fails with EINVAL. A move renames within one file
// system, else copies and then removes the source; a failed or cancelled
// copy leaves the source as it was and removes what was copied of it. A
// link is a symbolic link to the source's absolute path. Copies keep modes,
// modification times and symbolic links, and reach their names only when
// complete. The skipped names and the failures are each told in one call
// at the end; a cancel (TransferProgress false) stops after removing the
// current item's partial copy.
TransferOutcome TransferIntoFolder(std::span<const std::string> sources,
                                   const std::string& targetFolder, TransferKind kind, ShellUi& ui,
                                   TransferPacing pacing = {});

// The effect a drop with keyState (MK_) does when the source allows
// allowed: Ctrl+Shift or Alt links, Ctrl copies, Shift moves, nothing moves
// within one file system and copies across; when that one is not allowed,
// the first allowed of copy, move and link; 0 when none is.
std::uint32_t DefaultDropEffect(std::uint32_t keyState, std::uint32_t allowed, bool sameFileSystem);

// Whether two paths lie on one file system (for a missing path, the
// nearest folder above it that exists).
bool SameFileSystem(const std::string& a, const std::string& b);

} // namespace vdx::shell
