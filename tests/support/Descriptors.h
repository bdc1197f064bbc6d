#pragma once
// What a test counts to see that nothing it ran left a descriptor open.

#include <cstddef>
#include <filesystem>

namespace vdx::test {

// The descriptors this process holds now (the listing's own included).
inline std::size_t OpenDescriptors() {
    std::size_t count = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator("/proc/self/fd"))
        ++count;
    return count;
}

} // namespace vdx::test
