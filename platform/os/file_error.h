#pragma once

#include <stdexcept>
#include <string>

namespace vdx::os {

// A file-system failure with the message the user sees and the errno behind it.
class FileError : public std::runtime_error {
public:
    FileError(const std::string& message, int error)
        : std::runtime_error(message), m_error(error) {}
    int Error() const noexcept { return m_error; }

private:
    int m_error;
};

// Text for an errno value in the style of the system's messages. EBUSY is the
// sharing violation of winfile.h: "The process cannot access the file because
// it is being used by another process."
std::string SysErrorMessage(int error);

} // namespace vdx::os
