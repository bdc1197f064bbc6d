#pragma once
// Item-ID lists of the shell namespace, in the platform's published framing:
// items, each starting with its 16-bit little-endian byte count (the count
// itself included, at least 3), and a 16-bit 0 at the end. An empty list
// names the desktop. The items this namespace makes:
//
//   1F  root: sort byte, 16-byte CLSID (Computer, Home)            20 bytes
//   2F  volume: mount point bytes, NUL
//   31  folder / 32 file: attributes (32 bits), size (64 bits),
//       last-write os::FileTime (64 bits), name bytes as on disk, NUL
//
// Lists from outside (stored properties, foreign data) go through FromBytes,
// the one bounded validator; lists handed out are owned values.

#include "platform/os/datetime.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace vdx::shell {

// The largest list accepted, terminator included. A path of PATH_MAX bytes
// needs at most half as many items as bytes, each with 24 bytes of facts.
inline constexpr std::size_t kMaxIdListSize = 64 * 1024;
// The longest path the namespace names (PATH_MAX less its NUL); a longer
// one fails instead of being cut.
inline constexpr std::size_t kMaxPathBytes = 4095;
// The longest name of one folder or file (NAME_MAX).
inline constexpr std::size_t kMaxNameBytes = 255;

enum class ItemKind : std::uint8_t {
    None = 0,
    Root = 0x1F,
    Volume = 0x2F,
    Folder = 0x31,
    File = 0x32
};

using ItemBytes = std::span<const std::uint8_t>;
using Clsid = std::array<std::uint8_t, 16>;

// "{20D04FE0-3AEA-1069-A2D8-08002B30309D}" in the platform's byte order
// (the first three groups little-endian); nullopt for any other form.
std::optional<Clsid> ClsidFromString(std::string_view text);
// Upper-case hexadecimal in braces.
std::string ClsidToString(const Clsid& clsid);

class IdList {
public:
    // The empty list (the desktop).
    IdList();
    // The list when bytes are exactly one well-formed list of at most
    // kMaxIdListSize bytes whose items are well formed; nullopt otherwise.
    static std::optional<IdList> FromBytes(std::span<const std::uint8_t> bytes);
    // A one-item list; item must be well formed (IsValidItem).
    static IdList FromItem(ItemBytes item);

    const std::vector<std::uint8_t>& Bytes() const noexcept { return m_bytes; }
    // Bytes, the terminator included (2 for the empty list).
    std::size_t Size() const noexcept { return m_bytes.size(); }
    bool Empty() const noexcept { return m_bytes.size() <= 2; }
    std::size_t ItemCount() const noexcept;
    // Item index with its count bytes; index must be below ItemCount.
    ItemBytes Item(std::size_t index) const;
    // The last item; the list must not be empty.
    ItemBytes LastItem() const;
    // The first count items (all when count is larger).
    IdList First(std::size_t count) const;
    // All but the last n items (empty when n is the count or more).
    IdList WithoutLast(std::size_t n = 1) const;
    // The last item alone; empty for the empty list.
    IdList Last() const;
    // This list's items, then other's.
    IdList operator+(const IdList& other) const;
    void Append(ItemBytes item);

    friend bool operator==(const IdList&, const IdList&) = default;

private:
    std::size_t Offset(std::size_t index) const;

    std::vector<std::uint8_t> m_bytes;
};

// Whether item (its count bytes included, exactly as long as its count says)
// is one of the kinds above with its fields in place: a root of 20 bytes, a
// volume whose mount point is absolute, a folder or file whose name is not
// empty, not "." or "..", has no "/" and at most kMaxNameBytes bytes.
bool IsValidItem(ItemBytes item);
// The kind byte; None for anything not well formed.
ItemKind KindOf(ItemBytes item);

std::vector<std::uint8_t> MakeRootItem(std::uint8_t sortByte, const Clsid& clsid);
std::vector<std::uint8_t> MakeVolumeItem(std::string_view mountPoint);

struct FileItemFacts {
    bool Folder = false;
    std::uint32_t Attributes = 0; // FILE_ATTRIBUTE_ values
    std::uint64_t Size = 0;
    os::FileTime LastWrite = 0;
    std::string Name; // bytes as on disk
};
std::vector<std::uint8_t> MakeFileItem(const FileItemFacts& facts);

// Fields of a well-formed item of the kind; nullopt for another kind.
std::optional<Clsid> RootItemClsid(ItemBytes item);
std::optional<std::string> VolumeItemMountPoint(ItemBytes item);
std::optional<FileItemFacts> ReadFileItem(ItemBytes item);

} // namespace vdx::shell
