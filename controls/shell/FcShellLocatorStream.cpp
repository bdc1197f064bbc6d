#include "controls/shell/FcShellLocatorStream.h"

namespace vdx {

std::vector<std::uint8_t> EncodeLocation(const TFcStoredLocation& location) {
    std::vector<std::uint8_t> out{location.Kind};
    if (location.Kind != 0) {
        out.push_back(location.Csidl);
        return out;
    }
    const std::uint32_t n = location.List ? static_cast<std::uint32_t>(location.List->Size()) : 0;
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<std::uint8_t>(n >> (8 * i)));
    if (location.List)
        out.insert(out.end(), location.List->Bytes().begin(), location.List->Bytes().end());
    return out;
}

TFcStoredLocation DecodeLocation(std::span<const std::uint8_t> bytes) {
    TFcStoredLocation location;
    if (bytes.empty())
        return location;
    if (bytes[0] != 0) {
        if (bytes.size() < 2)
            return location;
        location.Kind = 1;
        location.Csidl = bytes[1];
        return location;
    }
    if (bytes.size() < 5)
        return location;
    const std::uint32_t n = std::uint32_t(bytes[1]) | (std::uint32_t(bytes[2]) << 8) |
                            (std::uint32_t(bytes[3]) << 16) | (std::uint32_t(bytes[4]) << 24);
    if (n == 0) {
        location.Kind = 1; // the desktop by its CSIDL
        return location;
    }
    if (n > bytes.size() - 5)
        return location;
    location.List = shell::IdList::FromBytes(bytes.subspan(5, n));
    return location;
}

} // namespace vdx
