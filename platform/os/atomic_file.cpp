#include "platform/os/atomic_file.h"

#include "platform/os/file_error.h"
#include "platform/os/paths.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <memory>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace vdx::os {

namespace {

[[noreturn]] void Fail(const std::string& path, int error) {
    throw FileError("Cannot create file \"" + path + "\". " + SysErrorMessage(error), error);
}

bool WriteAll(int fd, std::string_view data) {
    while (!data.empty()) {
        const ssize_t n = ::write(fd, data.data(), data.size());
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

// Where the new content must go: the file a symbolic link names, so the
// link stays and whoever shares the target sees the change, as a write
// through the link would give; path itself otherwise.
std::string Destination(const std::string& path) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode))
        return path;
    const std::unique_ptr<char, decltype(&std::free)> real(::realpath(path.c_str(), nullptr),
                                                           &std::free);
    return real ? std::string(real.get()) : path;
}

} // namespace

StagedFile::StagedFile(const std::string& givenPath, std::string_view data)
    : m_path(givenPath), m_destination(Destination(givenPath)) {
    std::string tmpl =
        ExtractFilePath(m_destination) + "." + ExtractFileName(m_destination) + ".XXXXXX";
    const int fd = ::mkostemp(tmpl.data(), O_CLOEXEC);
    if (fd < 0)
        Fail(m_path, errno);

    mode_t mode = 0644;
    struct stat st {};
    if (::stat(m_destination.c_str(), &st) == 0) {
        mode = st.st_mode & 07777;
        // The other program may reach the file through its group only: keep
        // owner and group where we may (the group when we belong to it, both
        // as root), as a rewrite in place would.
        if (::fchown(fd, st.st_uid, st.st_gid) != 0)
            (void)!::fchown(fd, static_cast<uid_t>(-1), st.st_gid);
    }

    // The mode goes last: a change of owner clears the set-id bits.
    const bool ok = WriteAll(fd, data) && ::fchmod(fd, mode) == 0 && ::fsync(fd) == 0;
    const int error = errno;
    if (::close(fd) != 0 || !ok) {
        ::unlink(tmpl.c_str());
        Fail(m_path, ok ? errno : error);
    }
    m_temporary = std::move(tmpl);
}

StagedFile::~StagedFile() {
    if (!m_temporary.empty())
        ::unlink(m_temporary.c_str());
}

void StagedFile::Commit() {
    if (m_temporary.empty())
        return;
    if (::rename(m_temporary.c_str(), m_destination.c_str()) != 0)
        Fail(m_path, errno); // the destructor removes the temporary file
    m_temporary.clear();
    // Make the rename itself durable.
    const std::string folder = ExtractFilePath(m_destination);
    const int dirFd =
        ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        ::fsync(dirFd);
        ::close(dirFd);
    }
}

void WriteFileAtomically(const std::string& path, std::string_view data) {
    StagedFile(path, data).Commit();
}

} // namespace vdx::os
