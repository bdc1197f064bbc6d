#pragma once
// The data that ties a shell list's item to its shell item (its list
// relative to the list's folder, cached absolute list, display name and
// detail texts), and the details of a folder's columns: a details interface
// (the shell's IShellDetails role), the folder-details source behind it
// (the IShellFolder2 role) and the adapter between the two that stops at
// the first column not shown by default. File-system folders have no
// details source: they show the default columns (name, size, type,
// modified) with the default detail texts. The Computer has one: name,
// type, total size and free space of its volumes.

#include "controls/shell/FcShellUtils.h"
#include "platform/gui/list_view.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace vdx {

class TFcCustomShellList;

// Column formats of a details record (LVCFMT_).
inline constexpr int LVCFMT_LEFT = 0;
inline constexpr int LVCFMT_RIGHT = 1;
inline constexpr int LVCFMT_CENTER = 2;
// A column's default state: shown by default.
inline constexpr std::uint32_t SHCOLSTATE_ONBYDEFAULT = 0x10;

// A column heading (no item) or one item's text in a column.
struct TShellDetails {
    int Fmt = LVCFMT_LEFT;
    int CxChar = 0; // width in characters
    std::string Text;
};

// The details interface the list asks for its columns and texts.
class IShellDetails {
public:
    virtual ~IShellDetails() = default;
    // item nullptr: the column's heading. E_INVALIDARG past the last column.
    virtual HRESULT GetDetailsOf(const IdList* item, int column, TShellDetails& details) = 0;
    virtual HRESULT ColumnClick(int column) = 0;
};
using ShellDetailsPtr = std::shared_ptr<IShellDetails>;

// What a folder knows of its columns.
class IShellFolder2 {
public:
    virtual ~IShellFolder2() = default;
    virtual HRESULT GetDefaultColumnState(int column, std::uint32_t& state) = 0;
    virtual HRESULT GetDetailsOf(const IdList* item, int column, TShellDetails& details) = 0;
    // The order of two relative lists by a column; nullopt when they are
    // not this folder's.
    virtual std::optional<int> CompareIDs(int column, const IdList& a, const IdList& b) = 0;
};
using ShellFolder2Ptr = std::shared_ptr<IShellFolder2>;

// The details of a folder's source, the columns stopping at the first one
// that is not shown by default.
class TShellFolder2ToShellDetailsAdapter final : public IShellDetails {
public:
    explicit TShellFolder2ToShellDetailsAdapter(ShellFolder2Ptr folder)
        : m_folder(std::move(folder)) {}
    HRESULT GetDetailsOf(const IdList* item, int column, TShellDetails& details) override;
    HRESULT ColumnClick(int column) override;

private:
    ShellFolder2Ptr m_folder;
};

// The details source of a folder (the Computer's); nullptr for others.
ShellFolder2Ptr FolderDetailsSource(const shell::ShellFolder& folder);
// The details interface of a folder; nullptr when it has none (the
// default columns then).
ShellDetailsPtr GetShellDetails(const ShellFolderPtr& folder);

// The default detail texts of an item, with what they were made from.
struct TFcDefaultDetails {
    std::string Size;     // "1,235KB"; "" for folders
    std::string Type;     // the content type's comment; "File folder"
    std::string Modified; // short date and short time
    std::optional<std::uint64_t> Bytes;
    std::optional<std::int64_t> ModifiedSeconds;
};
// "%sKB" of the size in kilobytes rounded up, with the locale's thousands
// separators.
std::string SizeText(std::uint64_t bytes);
TFcDefaultDetails DefaultDetailTexts(const IdList& absolute, std::uint32_t attributes);

class TFcShellListData : public gui::TListItemData {
public:
    explicit TFcShellListData(TFcCustomShellList* owner) noexcept : m_owner(owner) {}

    // Takes the list (relative to the owner's folder); the caches go.
    void SetRelativeIdList(IdList list);
    const IdList& RelativeIdList() const noexcept { return m_relative; }
    void InvalidateCache();
    // The owner's folder list and the relative one, cached.
    const IdList& AbsoluteIdList();
    // The attributes the list took the item with.
    std::uint32_t Attributes() const noexcept { return m_attributes; }
    void SetAttributes(std::uint32_t value) noexcept { m_attributes = value; }
    // A folder by IsFolderItem and the owner's compressed-folders option.
    bool IsFolder() const;
    // Asked of the owner's folder now.
    bool CanRename();
    bool IsShortcut();
    const std::string& DisplayName();
    // The small system icon of the item, cached.
    int IconIndex();
    std::string PathName();
    // Column 0 ""; else the owner's details, or the default texts.
    std::string DetailText(int column);
    // The default details, computed once.
    const TFcDefaultDetails& DefaultDetails();

    TFcCustomShellList* Owner() const noexcept { return m_owner; }

private:
    TFcCustomShellList* m_owner;
    IdList m_relative;
    std::optional<IdList> m_absolute;
    std::optional<std::string> m_displayName;
    std::optional<TFcDefaultDetails> m_details;
    std::optional<int> m_icon;
    std::uint32_t m_attributes = 0;
};

} // namespace vdx
