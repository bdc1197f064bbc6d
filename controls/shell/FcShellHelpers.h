#pragma once
// What the shell tree (and the shell list to come) share around items:
// splitting lists, an item's context menu and its commands, a new folder
// under a free name, scrolling by lines and the hourglass.

#include "controls/shell/FcShellUtils.h"
#include "platform/gui/shell_menu.h"
#include "platform/shell/context_menu.h"

#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

class QAbstractScrollArea;
class QObject;
class QWidget;

namespace vdx {

using shell::ContextMenuPtr;

// The help text of a highlighted command (empty when it has none).
using TFcShPopupHintEvent = std::function<void(QObject* sender, const std::string& hint)>;

// A folder item unless, with compressedAsFolders off, it is also a stream
// (a compressed folder counts as a file).
bool IsFolderItem(std::uint32_t attributes, bool compressedAsFolders);
// The folder an absolute list lies in, the list of that folder and the last
// item. The empty list stands for the desktop's folder (its path parsed).
HRESULT SplitIdList(const IdList& list, ShellFolderPtr& parentFolder, IdList& parentList,
                    IdList& itemList);
// The context menu of the item an absolute list names.
HRESULT GetUIObjectOfIdList(const IdList& list, ContextMenuPtr& menu);
// The parent part and last item of the desktop folder's parsed path (both
// empty when it cannot be parsed).
HRESULT GetDesktopParentAndItem(IdList& parentList, IdList& itemList);

// The context menu of items in folder and its entries, numbered from
// firstId (CMF_ flags), with the Send To submenu for an item that has a
// file-system path (its entries numbered from 1 when it opens:
// HandleContextInitMenuPopup).
HRESULT BuildContextMenu(shell::ShellFolder& folder, std::span<const IdList> items,
                         ContextMenuPtr& menu, std::vector<gui::TShellMenuEntry>& entries,
                         std::uint32_t flags, int firstId);
// The offset of the command whose verb is verb (without regard to case);
// nullopt when the menu has none.
std::optional<unsigned> FindVerbCommand(const shell::ContextMenu& menu, std::string_view verb);
// Carries out a command (offset) or a verb; a verb the menu has not does
// nothing (S_FALSE). The user is asked and told through boxes owned by
// owner.
HRESULT InvokeContextMenuCommand(QWidget* owner, const shell::ContextMenu& menu, unsigned command);
HRESULT InvokeContextMenuCommand(QWidget* owner, const shell::ContextMenu& menu,
                                 std::string_view verb);
// Tells hint the help text of command id (ids from 1000 on are the menu's;
// others, or none, give "").
void HandleContextMenuSelect(int id, const shell::ContextMenu* menu, QObject* sender,
                             const TFcShPopupHintEvent& hint);

// The window of control when it is a form (a top-level window); nullptr
// otherwise.
QWidget* OwnerFormHandle(QWidget* control);

// Makes "New Folder" in path (the current folder when empty), else "New
// Folder (2)" up to 50, else "fldr" .. "fldr50"; name receives the one
// made. A failure other than a taken name shows its warning once and ends;
// when every name is taken the warning names "New Folder".
bool CreateNewFolderIn(const std::string& path, std::string& name, QWidget* owner = nullptr);
// The hourglass cursor while the object lives.
class TFcHourglass {
public:
    TFcHourglass();
    ~TFcHourglass();
    TFcHourglass(const TFcHourglass&) = delete;
    TFcHourglass& operator=(const TFcHourglass&) = delete;
};
// Raises a counter for the life of the object.
class TRaised {
public:
    explicit TRaised(int& counter) noexcept : m_counter(counter) { ++m_counter; }
    ~TRaised() { --m_counter; }
    TRaised(const TRaised&) = delete;
    TRaised& operator=(const TRaised&) = delete;

private:
    int& m_counter;
};
// Waits with the hourglass shown.
void SleepWithHourglass(int milliseconds);

// Scroll-bar parts and codes of the platform.
inline constexpr int SB_HORZ = 0;
inline constexpr int SB_VERT = 1;
inline constexpr int SB_LINEUP = 0;
inline constexpr int SB_LINEDOWN = 1;
inline constexpr int SB_PAGEUP = 2;
inline constexpr int SB_PAGEDOWN = 3;
// One scroll step of bar, only while the bar's range exceeds its page;
// whether the position changed.
bool ScrollByLine(QAbstractScrollArea& control, int bar, int code);
// A wheel step: a page when the system scrolls wheels by pages, else its
// number of lines (one step for the horizontal bar). Always true.
bool WheelScroll(QAbstractScrollArea& control, int bar, int lineCode, int pageCode);
// Throws std::runtime_error with the system's text for errno error.
[[noreturn]] void RaiseSysError(int error);

} // namespace vdx
