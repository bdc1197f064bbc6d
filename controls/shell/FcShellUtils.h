#pragma once
// The groundwork of the shell controls: building, copying, comparing and
// taking apart item-ID lists, display names, special folders, icon indexes
// and the shell's image lists, a shortcut reader, a positional message
// formatter and the network-volume test, over the namespace of
// platform/shell. Lists are owned values (shell::IdList); a nil list is a
// null pointer in and std::nullopt out, and stays apart from the empty list
// (the desktop) as the routines tell them apart.
//
// The shell allocator routines and the STRRET conversions have no
// counterpart: lists and names are values here.

#include "platform/os/winfile.h"
#include "platform/shell/hresult.h"
#include "platform/shell/idlist.h"
#include "platform/shell/shell_folder.h"

#include <cstdint>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>

namespace vdx::gui {
class TCustomImageList;
}

namespace vdx {

using shell::HRESULT;
using shell::IdList;
using shell::ShellFolderPtr;

// A failed shell call where the caller raises: the message is the code's
// system text.
class EOleSysError : public std::runtime_error {
public:
    explicit EOleSysError(HRESULT code);
    HRESULT ErrorCode() const noexcept { return m_code; }

private:
    HRESULT m_code;
};
// Throws EOleSysError for a failed code.
void OleCheck(HRESULT code);

// The SHGDN_ flags a kind of display name asks for.
enum class TFcDisplayNameKind : std::uint16_t {
    dnkNormal = 0x0000,
    dnkInFolder = 0x0001,
    dnkForParsing = 0x8000,
    dnkForEditing = 0x1001
};

// The flags of icon requests (SHGFI_).
inline constexpr std::uint32_t SHGFI_LARGEICON = 0x0000;
inline constexpr std::uint32_t SHGFI_SMALLICON = 0x0001;
inline constexpr std::uint32_t SHGFI_OPENICON = 0x0002;

// The compare result of a failed comparison.
inline constexpr int kCompareFailed = 0x7FFFFFFF;

// An NT-family platform (the controls' version tests take their modern
// branches).
bool IsWindowsNT();
// The file version of the platform library named, as the Windows programs
// read "comctl32.dll" and "shell32.dll": both report 6.0 here; any other
// name has none.
bool GetDllFileVersion(std::string_view fileName, std::uint64_t& version);
// 6.0 for both: the file version in the high and low dwords.
std::uint64_t ComCtlVersion();
std::uint64_t ShellDllVersion();

HRESULT GetDesktopFolder(ShellFolderPtr& folder);
// The desktop for nil or the empty list, else the folder the list names.
HRESULT GetIdListFolder(const IdList* list, ShellFolderPtr& folder);
// The absolute list of a path; list is nullopt on failure. Nothing is cut:
// a path past PATH_MAX fails.
HRESULT ParsePathToIdList(std::string_view path, std::optional<IdList>& list);
// The file-system path (nil: the desktop's); "" when the item has none.
std::string IdListToPath(const IdList* list);
// The list of a special folder (the flag bit $80 of csidl ignored).
HRESULT GetSpecialFolderIdList(int csidl, std::optional<IdList>& list);
// Its path; "" when it has none.
std::string SpecialFolderPath(int csidl);
// The index in the shell's image list of size (SHGFI_SMALLICON or large)
// of the item's icon (nil: the desktop); 0, the generic icon, when there
// is none.
int IdListIconIndex(const IdList* list, std::uint32_t flags);
// The CSIDL whose special folder is the list; 50 when none is.
int IdListToCsidl(const IdList& list);
// The display name of a relative list in folder (nil: the desktop); ""
// when the folder has none.
std::string GetIdListDisplayName(shell::ShellFolder* folder, const IdList& item,
                                 TFcDisplayNameKind kind);
// The in-folder name of the last item of an absolute list. Throws
// EOleSysError when its parent cannot be bound.
std::string AbsoluteIdListDisplayName(const IdList& list);
// text with ch appended unless it is empty or ends with ch already.
std::string EnsureTrailingChar(std::string_view text, char ch);
// Bytes of the list, the terminator included; 0 for nil.
std::size_t IdListSize(const IdList* list);
// Both nil or both empty: 0; one nil or one empty: -1; else the desktop's
// order (negative: a first, 0: the same item), kCompareFailed when that
// cannot be had.
int CompareIdLists(const IdList* a, const IdList* b);
// The bytes of two lists compared up to the shorter size, then the sizes.
int CompareIdListBytes(const IdList* a, const IdList* b);
// a's items, then b's; nil counts as empty.
IdList ConcatIdLists(const IdList* a, const IdList* b);
// A copy; nil gives the empty list.
IdList CopyIdList(const IdList* list);
// The shell's image list: size 0 the small (16 pixels), 1 the large (32).
gui::TCustomImageList& SystemImageList(int size);

// What ResolveShortcut reads of a shortcut: on Linux a symbolic link,
// whose target is all it holds.
struct TLinkData {
    std::string Path;             // the target as a full path
    std::uint8_t ValidFields = 0; // 63 after a complete read
    std::string Description;
    std::string Arguments;
    std::string IconLocation;
    std::int32_t IconIndex = 0;
    std::string WorkingDirectory; // the target's folder
    std::int32_t ShowCommand = 1; // SW_SHOWNORMAL
    std::uint16_t HotKey = 0;
    bool NoUserInterface = false;         // input; no resolving ever shows anything
    std::optional<IdList> TargetIdList;   // the target's list when asked for
    std::optional<os::FindData> FindData; // the target's facts when it exists
};
// Reads the link at fileName: S_OK, or the errno failure (EINVAL: no link).
HRESULT ResolveShortcut(const std::string& fileName, TLinkData& link, bool getIdList);
// Whether fileName is a shortcut, one ResolveShortcut reads: a symbolic
// link (whatever its name; a ".lnk" file is a plain file here).
bool IsShortcutFile(const std::string& fileName);

// Makes the Computer read the mount table again, unless suppressed.
void ValidateComputerFolder();
void DisableComputerFolderValidation();
void EnableComputerFolderValidation();

// Format with %1 .. %99 put in by position ("%%" a "%", "%n" a line break,
// "%t" a tab, "%0" ends the text); a number without a string stays as it is
// written. More than 50 strings throw std::runtime_error("FormatStrPos: Too
// many substitution strings").
std::string FormatStrPos(std::string_view format, std::span<const std::string> args);

// Whether a network volume is mounted at mountPoint now.
bool IsNetDriveConnected(std::string_view mountPoint);

} // namespace vdx
