#pragma once
// A new folder under the first free name of a numbered series.

#include <functional>
#include <string>

namespace vdx::shell {

struct NewFolderResult {
    bool Created = false;
    std::string Name; // the name made, or the one that failed
    int Error = 0;    // errno when not made: EEXIST when every name was taken
};

// Tries folder + "/" + nameOf(n) for n = 1 .. tries; a taken name (any
// letter case) tries the next, any other failure ends the series.
NewFolderResult CreateFolderWithFreeName(const std::string& folder,
                                         const std::function<std::string(int)>& nameOf, int tries);

} // namespace vdx::shell
