#include "platform/os/wildcard.h"

#include "platform/os/ascii.h"

#include <algorithm>

namespace vdx::os {

namespace {

// "*" any run, "?" one character, the rest without regard to ASCII case.
// Greedy: a mismatch goes back only to the latest "*" and lets it take one
// more character, so the work is bounded by mask length times name length.
bool Glob(std::string_view mask, std::string_view name) {
    // Every character but "*" takes exactly one of the name's.
    if (static_cast<std::size_t>(mask.size() - std::count(mask.begin(), mask.end(), '*')) >
        name.size())
        return false;
    std::size_t m = 0, n = 0;
    std::size_t afterStar = std::string_view::npos, starName = 0;
    while (n < name.size()) {
        if (m < mask.size() && mask[m] == '*') {
            while (m < mask.size() && mask[m] == '*') // a run of stars is one star
                ++m;
            afterStar = m;
            starName = n;
        } else if (m < mask.size() &&
                   (mask[m] == '?' || AsciiLower(mask[m]) == AsciiLower(name[n]))) {
            ++m;
            ++n;
        } else if (afterStar != std::string_view::npos) {
            m = afterStar;
            n = ++starName;
        } else {
            return false;
        }
    }
    while (m < mask.size() && mask[m] == '*')
        ++m;
    return m == mask.size();
}

} // namespace

bool MatchesMask(std::string_view mask, std::string_view name) {
    // The ".*" rule applies again to the stem while it ends in ".*". Any of
    // "X.*.*", "X.*.*.*" ... takes a subset of what "X.*" takes, so the chain
    // comes down to its shortest stem X and X + ".*".
    std::string_view stem = mask;
    while (stem.size() > 2 && stem.ends_with(".*"))
        stem.remove_suffix(2);
    const bool viaLongerStem =
        stem.size() < mask.size() && Glob(mask.substr(0, stem.size() + 2), name);
    if (stem == "." || stem == "..")
        return viaLongerStem || name == stem;
    if (viaLongerStem || Glob(stem, name))
        return true;
    return stem.size() > 1 && stem.back() == '.' && name.find('.') == std::string_view::npos &&
           Glob(stem.substr(0, stem.size() - 1), name);
}

} // namespace vdx::os
