#include "platform/shell/hresult.h"

#include "platform/os/file_error.h"

#include <cstdio>

namespace vdx::shell {

std::string HResultMessage(HRESULT hr) {
    if (const int error = ErrnoOf(hr); error != 0 && hr != E_OUTOFMEMORY && hr != E_INVALIDARG)
        return os::SysErrorMessage(error);
    switch (hr) {
    case S_OK:
        return "The operation completed successfully.";
    case E_NOTIMPL:
        return "Not implemented.";
    case E_NOINTERFACE:
        return "No such interface supported.";
    case E_ABORT:
        return "Operation aborted.";
    case E_OUTOFMEMORY:
        return "Not enough storage is available to complete this operation.";
    case E_INVALIDARG:
        return "The parameter is incorrect.";
    case E_FAIL:
        return "Unspecified error.";
    default:
        break;
    }
    char text[32];
    std::snprintf(text, sizeof text, "Error 0x%08X.", static_cast<unsigned>(hr));
    return text;
}

} // namespace vdx::shell
