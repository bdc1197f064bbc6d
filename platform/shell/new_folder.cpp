#include "platform/shell/new_folder.h"

#include "platform/os/winfile.h"
#include "platform/shell/idlist.h"

#include <cerrno>

namespace vdx::shell {

NewFolderResult CreateFolderWithFreeName(const std::string& folder,
                                         const std::function<std::string(int)>& nameOf, int tries) {
    NewFolderResult result;
    result.Error = EEXIST;
    const std::string base = folder.empty() || folder.back() == '/' ? folder : folder + "/";
    for (int n = 1; n <= tries; ++n) {
        result.Name = nameOf(n);
        const std::string path = base + result.Name;
        if (path.size() > kMaxPathBytes || result.Name.size() > kMaxNameBytes) {
            result.Error = ENAMETOOLONG;
            return result;
        }
        if (os::CreateDir(path)) {
            result.Created = true;
            result.Error = 0;
            return result;
        }
        result.Error = errno;
        if (result.Error != EEXIST)
            return result;
    }
    return result;
}

} // namespace vdx::shell
