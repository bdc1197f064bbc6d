#include "platform/shell/file_transfer.h"

#include "platform/os/unique_fd.h"
#include "platform/os/winfile.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace vdx::shell {

namespace {

using Clock = std::chrono::steady_clock;

// The most numbered names tried for a copy in its own folder.
constexpr int kMaxFreeNames = 10000;
// Bytes copied between two looks at the clock.
constexpr std::size_t kCopyChunk = 1 << 20;
// A transfer's own cancel, told apart from the system's errors.
constexpr int kCancelled = ECANCELED;

std::string ParentOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == 0 || slash == std::string::npos ? std::string("/") : path.substr(0, slash);
}

std::string NameOf(const std::string& path) {
    return path.substr(path.rfind('/') + 1);
}

std::string Join(const std::string& folder, const std::string& name) {
    return (folder == "/" ? std::string() : folder) + "/" + name;
}

// The path with its links and dots resolved; "" when it cannot be.
std::string Canonical(const std::string& path) {
    char resolved[PATH_MAX];
    return ::realpath(path.c_str(), resolved) ? std::string(resolved) : std::string();
}

// The canonical path of the item itself: its folder resolved, its own
// name kept, so a link names the link.
std::string CanonicalItem(const std::string& path) {
    const std::string parent = Canonical(ParentOf(path));
    return parent.empty() ? std::string() : Join(parent, NameOf(path));
}

bool Below(const std::string& path, const std::string& folder) {
    return path == folder || (path.size() > folder.size() && path.starts_with(folder) &&
                              (folder == "/" || path[folder.size()] == '/'));
}

// Whether folder holds name in any letter case, as renames in the
// namespace judge it.
bool Taken(const std::string& folder, const std::string& name) {
    const std::string path = Join(folder, name);
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0 || os::ResolveCase(path) != path;
}

std::string NumberedName(const std::string& name, bool folder, int n) {
    const std::string number = " (" + std::to_string(n) + ")";
    const std::size_t dot = folder ? std::string::npos : name.rfind('.');
    if (dot == std::string::npos || dot == 0)
        return name + number;
    return name.substr(0, dot) + number + name.substr(dot);
}

// Renames from onto to only while to is free; 0 or the errno.
int RenameNoReplace(const std::string& from, const std::string& to) {
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS)
        return errno;
    // A file system without the flag: a file goes by a new hard link.
    struct stat st {};
    if (::lstat(from.c_str(), &st) == 0 && !S_ISDIR(st.st_mode)) {
        if (::link(from.c_str(), to.c_str()) != 0)
            return errno;
        ::unlink(from.c_str());
        return 0;
    }
    if (::lstat(to.c_str(), &st) == 0)
        return EEXIST;
    return ::rename(from.c_str(), to.c_str()) == 0 ? 0 : errno;
}

int RemoveTree(const std::string& path) {
    std::error_code ec;
    std::filesystem::remove_all(path, ec);
    return ec.value();
}

// The bytes of the plain files of an item, links not followed.
std::uint64_t BytesOf(const std::string& path) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0)
        return 0;
    if (S_ISREG(st.st_mode))
        return std::uint64_t(st.st_size);
    if (!S_ISDIR(st.st_mode))
        return 0;
    std::uint64_t total = 0;
    std::error_code ec;
    for (auto it = std::filesystem::recursive_directory_iterator(
             path, std::filesystem::directory_options::skip_permission_denied, ec);
         !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec))
        if (it->is_regular_file(ec) && !it->is_symlink(ec))
            total += it->file_size(ec);
    return total;
}

// Reports progress at the pace asked; remembers a cancel.
class Pacer {
public:
    Pacer(ShellUi& ui, TransferPacing pacing, std::uint64_t total)
        : m_ui(ui), m_pacing(pacing), m_start(Clock::now()), m_total(total) {}

    void Add(std::uint64_t bytes) { m_done += bytes; }
    // False once the user cancelled.
    bool Report(const std::string& name) {
        if (m_cancelled)
            return false;
        const Clock::time_point now = Clock::now();
        if (now - m_start < m_pacing.FirstReport ||
            (m_reported && now - m_last < m_pacing.Interval))
            return true;
        m_reported = true;
        m_last = now;
        m_cancelled = !m_ui.TransferProgress(m_done, std::max(m_total, m_done), name);
        return !m_cancelled;
    }
    bool Cancelled() const noexcept { return m_cancelled; }

private:
    ShellUi& m_ui;
    TransferPacing m_pacing;
    Clock::time_point m_start, m_last;
    std::uint64_t m_total, m_done = 0;
    bool m_reported = false, m_cancelled = false;
};

class Copier {
public:
    explicit Copier(Pacer& pacer) : m_pacer(pacer) {}

    // Copies the item at from to the free name to; 0, kCancelled or the
    // errno. Whatever of to was made is removed again on failure.
    int Copy(const std::string& from, const std::string& to, const std::string& shown) {
        struct stat st {};
        if (::lstat(from.c_str(), &st) != 0)
            return errno;
        if (S_ISREG(st.st_mode))
            return CopyFile(from, to, st, shown);
        if (S_ISLNK(st.st_mode))
            return CopyLink(from, to, st);
        if (S_ISDIR(st.st_mode)) {
            const int error = CopyFolder(from, to, st, shown);
            if (error != 0 && error != EEXIST)
                RemoveTree(to);
            return error;
        }
        return ENOTSUP; // devices, FIFOs and sockets are no files to copy
    }

private:
    int CopyFile(const std::string& from, const std::string& to, const struct stat& st,
                 const std::string& shown) {
        os::UniqueFd in(::open(from.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
        if (!in)
            return errno;
        // Written under a hidden name first: the real one only ever holds
        // the whole file.
        std::string temporary = Join(ParentOf(to), ".vdx-transfer-XXXXXX");
        os::UniqueFd out(::mkostemp(temporary.data(), O_CLOEXEC));
        if (!out)
            return errno;
        const int error = Fill(in.Get(), out.Get(), st, shown);
        if (error == 0 && ::close(out.Release()) != 0) {
            const int closeError = errno;
            ::unlink(temporary.c_str());
            return closeError;
        }
        if (error != 0) {
            ::unlink(temporary.c_str());
            return error;
        }
        if (const int placed = RenameNoReplace(temporary, to); placed != 0) {
            ::unlink(temporary.c_str());
            return placed;
        }
        return 0;
    }

    int Fill(int in, int out, const struct stat& st, const std::string& shown) {
        std::vector<char> buffer(kCopyChunk);
        for (;;) {
            const ssize_t n = ::read(in, buffer.data(), buffer.size());
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0)
                return errno;
            if (n == 0)
                break;
            for (ssize_t written = 0; written < n;) {
                const ssize_t w = ::write(out, buffer.data() + written, std::size_t(n - written));
                if (w < 0 && errno == EINTR)
                    continue;
                if (w <= 0)
                    return w < 0 ? errno : EIO;
                written += w;
            }
            m_pacer.Add(std::uint64_t(n));
            if (!m_pacer.Report(shown))
                return kCancelled;
        }
        const timespec times[2] = {st.st_atim, st.st_mtim};
        if (::fchmod(out, st.st_mode & 0777) != 0 || ::futimens(out, times) != 0)
            return errno;
        return ::fsync(out) == 0 ? 0 : errno;
    }

    static int CopyLink(const std::string& from, const std::string& to, const struct stat& st) {
        std::string target(std::size_t(st.st_size) + 1, '\0');
        const ssize_t n = ::readlink(from.c_str(), target.data(), target.size());
        if (n < 0)
            return errno;
        if (std::size_t(n) >= target.size())
            return EAGAIN; // changed meanwhile
        target.resize(std::size_t(n));
        if (::symlink(target.c_str(), to.c_str()) != 0)
            return errno;
        const timespec times[2] = {st.st_atim, st.st_mtim};
        ::utimensat(AT_FDCWD, to.c_str(), times, AT_SYMLINK_NOFOLLOW);
        return 0;
    }

    int CopyFolder(const std::string& from, const std::string& to, const struct stat& st,
                   const std::string& shown) {
        if (::mkdir(to.c_str(), 0700) != 0)
            return errno;
        DIR* dir = ::opendir(from.c_str());
        if (!dir)
            return errno;
        std::vector<std::string> names;
        errno = 0;
        while (const dirent* e = ::readdir(dir)) {
            const std::string_view name = e->d_name;
            if (name != "." && name != "..")
                names.emplace_back(name);
        }
        const int readError = errno;
        ::closedir(dir);
        if (readError != 0)
            return readError;
        for (const std::string& name : names) {
            if (!m_pacer.Report(shown))
                return kCancelled;
            const int error = Copy(Join(from, name), Join(to, name), shown);
            if (error != 0)
                return error == EEXIST ? EIO : error; // the new folder was empty
        }
        const timespec times[2] = {st.st_atim, st.st_mtim};
        if (::chmod(to.c_str(), st.st_mode & 07777) != 0 ||
            ::utimensat(AT_FDCWD, to.c_str(), times, 0) != 0)
            return errno;
        return 0;
    }

    Pacer& m_pacer;
};

} // namespace

TransferOutcome TransferIntoFolder(std::span<const std::string> sources,
                                   const std::string& targetFolder, TransferKind kind, ShellUi& ui,
                                   TransferPacing pacing) {
    TransferOutcome outcome;
    const std::string target = targetFolder.size() > 1 && targetFolder.back() == '/'
                                   ? targetFolder.substr(0, targetFolder.size() - 1)
                                   : targetFolder;
    const std::string canonicalTarget = Canonical(target);

    std::uint64_t total = 0;
    if (kind != TransferKind::Link)
        for (const std::string& s : sources)
            if (kind == TransferKind::Copy || !SameFileSystem(s, target))
                total += BytesOf(s);
    Pacer pacer(ui, pacing, total);
    Copier copier(pacer);

    for (const std::string& given : sources) {
        std::string source = given;
        while (source.size() > 1 && source.back() == '/')
            source.pop_back();
        const std::string name = NameOf(source);
        if (source.empty() || source.front() != '/' || source == "/") {
            outcome.Failed.emplace_back(name.empty() ? given : name, EINVAL);
            continue;
        }
        if (!pacer.Report(name))
            break;
        struct stat st {};
        if (::lstat(source.c_str(), &st) != 0) {
            outcome.Failed.emplace_back(name, errno);
            continue;
        }
        if (canonicalTarget.empty()) {
            outcome.Failed.emplace_back(name, ENOENT);
            continue;
        }
        const std::string canonicalSource = CanonicalItem(source);
        if (S_ISDIR(st.st_mode) && Below(canonicalTarget, canonicalSource)) {
            outcome.Failed.emplace_back(name, EINVAL); // into itself
            continue;
        }
        const bool ownFolder = ParentOf(canonicalSource) == canonicalTarget;
        if (ownFolder && kind == TransferKind::Move)
            continue; // already there
        std::string newName = name;
        if (ownFolder && kind == TransferKind::Copy) {
            int n = 2;
            do
                newName = NumberedName(name, S_ISDIR(st.st_mode), n);
            while (Taken(target, newName) && ++n <= kMaxFreeNames);
            if (n > kMaxFreeNames) {
                outcome.Failed.emplace_back(name, EEXIST);
                continue;
            }
        } else if (Taken(target, name)) {
            outcome.Skipped.push_back(name);
            continue;
        }
        const std::string to = Join(target, newName);

        int error = 0;
        switch (kind) {
        case TransferKind::Link:
            error = ::symlink(canonicalSource.c_str(), to.c_str()) == 0 ? 0 : errno;
            break;
        case TransferKind::Copy:
            error = copier.Copy(source, to, name);
            break;
        case TransferKind::Move:
            error = RenameNoReplace(source, to);
            if (error == EXDEV) {
                error = copier.Copy(source, to, name);
                // Every byte is in place and closed: only now the source goes.
                if (error == 0)
                    error = RemoveTree(source);
            }
            break;
        }
        if (error == kCancelled)
            break;
        if (error == EEXIST)
            outcome.Skipped.push_back(name); // taken meanwhile
        else if (error != 0)
            outcome.Failed.emplace_back(name, error);
        else
            outcome.Done.push_back(to);
    }
    outcome.Cancelled = pacer.Cancelled();
    if (!outcome.Skipped.empty())
        ui.TransferSkipped(outcome.Skipped);
    if (!outcome.Failed.empty())
        ui.TransferFailed(outcome.Failed);
    return outcome;
}

std::uint32_t DefaultDropEffect(std::uint32_t keyState, std::uint32_t allowed,
                                bool sameFileSystem) {
    const bool control = keyState & MK_CONTROL, shift = keyState & MK_SHIFT;
    std::uint32_t wanted = 0;
    if ((control && shift) || (keyState & MK_ALT))
        wanted = DROPEFFECT_LINK;
    else if (control)
        wanted = DROPEFFECT_COPY;
    else if (shift)
        wanted = DROPEFFECT_MOVE;
    else
        wanted = sameFileSystem ? DROPEFFECT_MOVE : DROPEFFECT_COPY;
    if (allowed & wanted)
        return wanted;
    for (const std::uint32_t effect : {DROPEFFECT_COPY, DROPEFFECT_MOVE, DROPEFFECT_LINK})
        if (allowed & effect)
            return effect;
    return DROPEFFECT_NONE;
}

bool SameFileSystem(const std::string& a, const std::string& b) {
    const auto device = [](std::string path) -> std::optional<dev_t> {
        for (;;) {
            struct stat st {};
            if (!path.empty() && ::stat(path.c_str(), &st) == 0)
                return st.st_dev;
            if (path.empty() || path == "/")
                return std::nullopt;
            path = ParentOf(path);
        }
    };
    const auto da = device(a), db = device(b);
    return da && db && *da == *db;
}

} // namespace vdx::shell
