#pragma once
// File name masks as FindFirstFile reads them: "*" any run, "?" one
// character, the rest without regard to ASCII case, plus the trailing ".*"
// and "." rules of the Windows programs.

#include <string_view>

namespace vdx::os {

// True when name matches mask. The masks "." and ".." match only themselves; a mask
// ending in ".*" also matches the names its stem matches ("a.*" takes "a");
// a mask ending in "." also matches names without a dot that its stem
// matches ("a*." takes "ab"). At worst the time grows with mask length times
// name length, so any mask a client sends is safe to match.
bool MatchesMask(std::string_view mask, std::string_view name);

} // namespace vdx::os
