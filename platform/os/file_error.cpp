#include "platform/os/file_error.h"

#include <cerrno>
#include <cstring>

namespace vdx::os {

std::string SysErrorMessage(int error) {
    // Share-mode conflicts between our own opens report as they do on Windows.
    if (error == EBUSY)
        return "The process cannot access the file because it is being used by another process.";
    return std::strerror(error);
}

} // namespace vdx::os
