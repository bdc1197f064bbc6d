#pragma once
// The byte forms files travel in between programs, by drag and drop and the
// clipboard: the shell's item-ID list array (a parent list and its items'
// relative lists in one block), "text/uri-list" and
// "x-special/gnome-copied-files". Blocks from outside are checked against
// their own size before anything in them is used; names are raw bytes.

#include "platform/shell/idlist.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace vdx::shell {

// The MIME types the three forms go by.
inline constexpr const char* kIdListArrayMime = "application/x-vdx-shell-idlist-array";
inline constexpr const char* kUriListMime = "text/uri-list";
inline constexpr const char* kGnomeCopiedFilesMime = "x-special/gnome-copied-files";

// The block: a 32-bit little-endian count n, n + 1 32-bit offsets from the
// block's start (the parent's absolute list, then each item's list relative
// to it), then the lists with their terminators, without gaps. One item on
// the desktop gives count 1 and offsets 12 and 14.
std::vector<std::uint8_t> BuildIdListArray(const IdList& parent, std::span<const IdList> items);

struct IdListArray {
    IdList Parent;
    std::vector<IdList> Items;
    friend bool operator==(const IdListArray&, const IdListArray&) = default;
};

// The lists of a block when the header fits it, at least one item is named,
// every offset lies past the header and inside the block, and each list is
// well formed and ends inside the block; nullopt otherwise.
std::optional<IdListArray> ParseIdListArray(std::span<const std::uint8_t> block);

// One "file://" URI per absolute path, each line ending CRLF; every byte
// but the unreserved ones and "/" is %-escaped.
std::string BuildUriList(std::span<const std::string> paths);
// The absolute paths of the local file URIs in text ("file:///p",
// "file://localhost/p", "file:/p"), lines ending LF or CRLF, "#" lines
// skipped. A line of another scheme or host, with a bad escape, an escaped
// NUL or a relative path is left out.
std::vector<std::string> ParseUriList(std::string_view text);

// "copy" or "cut", then one file URI per line, LF separated.
std::string BuildGnomeCopiedFiles(std::span<const std::string> paths, bool cut);
// Whether the files were cut, and their paths (URIs as ParseUriList takes
// them); nullopt when the first line is neither "copy" nor "cut".
std::optional<std::pair<bool, std::vector<std::string>>>
ParseGnomeCopiedFiles(std::string_view text);

} // namespace vdx::shell
