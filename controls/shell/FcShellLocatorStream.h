#pragma once
// The stored form of a shell locator, the property "Pidl" (little-endian):
//
//   kind 1 byte: 0 by item-ID list, 1 by special folder (CSIDL)
//   kind 1: the CSIDL, 1 byte
//   kind 0: n, 4 bytes, the list's size with its terminator (0: none),
//           then the n bytes of the list
//
// Reading is bounded: a size that does not fit the bytes, or bytes that are
// not exactly one well-formed list, give the desktop.

#include "platform/shell/idlist.h"

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace vdx {

struct TFcStoredLocation {
    std::uint8_t Kind = 0;
    std::uint8_t Csidl = 0;
    std::optional<shell::IdList> List; // kind 0 only; nullopt: the desktop
};

std::vector<std::uint8_t> EncodeLocation(const TFcStoredLocation& location);
// A kind other than 0 reads as 1; a size of 0 as the desktop by CSIDL 0.
TFcStoredLocation DecodeLocation(std::span<const std::uint8_t> bytes);

} // namespace vdx
