#include "platform/os/atomic_file.h"

#include "platform/os/file_error.h"
#include "platform/os/paths.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <dirent.h>
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

// "." + the file's name + "." + the six letters or digits mkostemp puts in.
constexpr std::size_t kUniqueChars = 6;
std::string TemporaryPrefix(const std::string& destination) {
    return "." + ExtractFileName(destination) + ".";
}
bool IsTemporaryName(std::string_view name, std::string_view prefix) {
    if (name.size() != prefix.size() + kUniqueChars || !name.starts_with(prefix))
        return false;
    return std::all_of(name.end() - kUniqueChars, name.end(), [](char c) {
        return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
    });
}

// The writer's mark on its temporary: a lock on its first byte, far from the
// share-mode slots; it ends with the writer, also with a killed one.
struct flock TemporaryLock(short type) {
    struct flock fl {};
    fl.l_type = type;
    fl.l_whence = SEEK_SET;
    fl.l_start = 0;
    fl.l_len = 1;
    return fl;
}

} // namespace

StagedFile::StagedFile(const std::string& givenPath, std::string_view data)
    : m_path(givenPath), m_destination(Destination(givenPath)) {
    std::string tmpl = ExtractFilePath(m_destination) + TemporaryPrefix(m_destination) + "XXXXXX";
    const int fd = ::mkostemp(tmpl.data(), O_CLOEXEC);
    if (fd < 0)
        Fail(m_path, errno);
    struct flock lock = TemporaryLock(F_WRLCK);
    (void)::fcntl(fd, F_OFD_SETLK, &lock); // without locks the age alone protects it

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
    if (!ok) {
        const int error = errno;
        ::unlink(tmpl.c_str());
        ::close(fd);
        Fail(m_path, error);
    }
    // Kept open, so the lock holds until the rename or the removal.
    m_fd.Reset(fd);
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
    m_fd.Reset();
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

void RemoveStaleTemporaries(const std::string& path) {
    const std::string destination = Destination(path);
    const std::string folder = ExtractFilePath(destination);
    const std::string prefix = TemporaryPrefix(destination);
    struct CloseDir {
        void operator()(DIR* d) const noexcept { ::closedir(d); }
    };
    const std::unique_ptr<DIR, CloseDir> dir(::opendir(folder.empty() ? "." : folder.c_str()));
    if (!dir)
        return;
    const int dirFd = ::dirfd(dir.get());
    const std::time_t now = std::time(nullptr);
    while (const dirent* entry = ::readdir(dir.get())) {
        const char* name = entry->d_name;
        if (!IsTemporaryName(name, prefix))
            continue;
        // Never open what is no plain file (a device, a pipe), nor follow a link.
        struct stat st {};
        if (::fstatat(dirFd, name, &st, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(st.st_mode))
            continue;
        // A writer locks its temporary at once after making it: the age covers
        // that moment, the lock the rest of its life.
        if (now - st.st_mtime < kStaleTemporaryAge)
            continue;
        const UniqueFd fd(
            ::openat(dirFd, name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
        if (!fd)
            continue;
        struct flock lock = TemporaryLock(F_RDLCK);
        if (::fcntl(fd.Get(), F_OFD_SETLK, &lock) != 0 && (errno == EAGAIN || errno == EACCES))
            continue; // a live writer's
        struct stat opened {};
        if (::fstat(fd.Get(), &opened) != 0 || opened.st_dev != st.st_dev ||
            opened.st_ino != st.st_ino)
            continue;
        ::unlinkat(dirFd, name, 0);
    }
}

} // namespace vdx::os
