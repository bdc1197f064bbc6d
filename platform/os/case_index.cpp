// Finding a folder entry without regard to case. Every new file's name must be compared with
// the whole folder, which read entry by entry costs the more the fuller the folder gets. Folders
// on local file systems are therefore read once and kept in step through inotify: the system
// queues an event before the call that changed the folder returns, so draining the queue before
// each look gives the same answer as reading the folder at that moment.

#include "platform/os/winfile_internal.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <linux/magic.h>
#include <map>
#include <memory>
#include <mutex>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>
#include <unordered_map>
#include <utility>
#include <vector>

namespace vdx::os::detail {

namespace {

// Folders kept at once; the one looked at least recently goes first.
constexpr std::size_t kMaxIndexedFolders = 256;

struct DirCloser {
    void operator()(DIR* d) const { ::closedir(d); }
};

bool IsDotOrDotDot(const char* name) {
    return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

// Reads the folder open at fd (which it takes over) entry by entry.
std::optional<std::string> ScanFolder(int fd, const std::string& name) {
    std::unique_ptr<DIR, DirCloser> dir(::fdopendir(fd));
    if (!dir) {
        ::close(fd);
        return std::nullopt;
    }
    while (const dirent* entry = ::readdir(dir.get())) {
        if (EqualsIgnoringAsciiCase(entry->d_name, name))
            return std::string(entry->d_name);
    }
    return std::nullopt;
}

// File systems whose changes all pass through this machine's kernel, so inotify sees every one.
// A network file system changed from another machine would leave the index behind.
bool ReportsEveryChange(int fd) {
    struct statfs fs {};
    if (::fstatfs(fd, &fs) != 0)
        return false;
    switch (static_cast<unsigned long>(fs.f_type)) {
    case EXT4_SUPER_MAGIC: // also ext2 and ext3
    case TMPFS_MAGIC:
    case XFS_SUPER_MAGIC:
    case BTRFS_SUPER_MAGIC:
    case F2FS_SUPER_MAGIC:
    case OVERLAYFS_SUPER_MAGIC:
    case RAMFS_MAGIC:
        return true;
    default:
        return false;
    }
}

class CaseIndex {
public:
    CaseIndex() : m_inotify(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) {}

    std::optional<std::string> Find(int dirFd, const char* folder, const std::string& name) {
        // A folder given by a descriptor of its own is looked at through it, and opened for
        // reading only where its entries must be read: a name found in the index costs no open.
        const bool self = dirFd != AT_FDCWD && std::strcmp(folder, ".") == 0;
        UniqueFd readable;
        const auto open = [&] {
            if (!readable)
                readable.Reset(::openat(dirFd, folder, O_RDONLY | O_DIRECTORY | O_CLOEXEC));
            return readable.Get();
        };
        const int at = self ? dirFd : open();
        if (at < 0)
            return std::nullopt;
        const auto scan = [&]() -> std::optional<std::string> {
            const int fd = open();
            if (fd < 0)
                return std::nullopt;
            return ScanFolder(readable.Release(), name);
        };
        struct stat st {};
        if (!m_inotify || ::fstat(at, &st) != 0)
            return scan();
        const Key key{st.st_dev, st.st_ino};
        {
            // A folder in the index lies on a file system that reports every change, and its
            // watch is alive: the file system is still mounted and needs no new look.
            std::scoped_lock lock(m_mutex);
            Drain();
            if (const auto it = m_folders.find(key); it != m_folders.end())
                return Look(it->second, name);
        }
        if (!ReportsEveryChange(at))
            return scan();

        std::scoped_lock lock(m_mutex);
        Drain();
        auto it = m_folders.find(key);
        if (it == m_folders.end()) {
            const int fd = open();
            if (fd < 0)
                return std::nullopt;
            it = Index(fd, key);
            if (it == m_folders.end())
                return scan();
        }
        return Look(it->second, name);
    }

private:
    using Key = std::pair<dev_t, ino_t>;

    struct Folder {
        int watch = -1;
        std::uint64_t lastLook = 0;
        // Lower-cased name to the names on disk that it stands for.
        std::unordered_map<std::string, std::vector<std::string>> names;
    };
    using Folders = std::map<Key, Folder>;

    std::optional<std::string> Look(Folder& folder, const std::string& name) {
        folder.lastLook = ++m_looks;
        const auto found = folder.names.find(AsciiLower(name));
        if (found == folder.names.end() || found->second.empty())
            return std::nullopt;
        return found->second.front();
    }

    // Watches and reads the folder open at fd; end() when it cannot be watched.
    Folders::iterator Index(int fd, const Key& key) {
        if (m_folders.size() >= kMaxIndexedFolders)
            Forget(std::min_element(m_folders.begin(), m_folders.end(),
                                    [](const auto& a, const auto& b) {
                                        return a.second.lastLook < b.second.lastLook;
                                    }));
        // The watch goes on the very folder that is open, whatever its path now names.
        const std::string self = "/proc/self/fd/" + std::to_string(fd);
        const int watch = ::inotify_add_watch(m_inotify.Get(), self.c_str(),
                                              IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO |
                                                  IN_DELETE_SELF | IN_ONLYDIR);
        if (watch < 0)
            return m_folders.end();
        if (const auto old = m_watches.find(watch); old != m_watches.end())
            m_folders.erase(old->second); // a watch of a folder gone before its end was read
        // Events from here on are applied after the read; a name both read and reported is
        // kept once, so the index ends as the folder stands.
        const int copy = ::dup(fd);
        std::unique_ptr<DIR, DirCloser> dir(copy >= 0 ? ::fdopendir(copy) : nullptr);
        if (!dir) {
            if (copy >= 0)
                ::close(copy);
            ::inotify_rm_watch(m_inotify.Get(), watch);
            return m_folders.end();
        }
        Folder folder;
        folder.watch = watch;
        ::rewinddir(dir.get());
        while (const dirent* entry = ::readdir(dir.get())) {
            if (!IsDotOrDotDot(entry->d_name))
                Add(folder, entry->d_name);
        }
        m_watches[watch] = key;
        return m_folders.insert_or_assign(key, std::move(folder)).first;
    }

    void Forget(Folders::iterator it) {
        ::inotify_rm_watch(m_inotify.Get(), it->second.watch);
        m_watches.erase(it->second.watch);
        m_folders.erase(it);
    }

    static void Add(Folder& folder, const std::string& name) {
        std::vector<std::string>& same = folder.names[AsciiLower(name)];
        if (std::find(same.begin(), same.end(), name) == same.end())
            same.push_back(name);
    }

    static void Remove(Folder& folder, const std::string& name) {
        const auto it = folder.names.find(AsciiLower(name));
        if (it == folder.names.end())
            return;
        std::erase(it->second, name);
        if (it->second.empty())
            folder.names.erase(it);
    }

    // Applies every queued event.
    void Drain() {
        alignas(inotify_event) char buffer[64 * 1024];
        for (;;) {
            const ssize_t n = ::read(m_inotify.Get(), buffer, sizeof buffer);
            if (n <= 0) {
                if (n < 0 && errno == EINTR)
                    continue;
                return;
            }
            for (ssize_t at = 0; at < n;) {
                const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
                Apply(*event);
                at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
            }
            // A read that left room for one more event of any size emptied the queue.
            if (static_cast<std::size_t>(n) + sizeof(inotify_event) + NAME_MAX + 1 <= sizeof buffer)
                return;
        }
    }

    void Apply(const inotify_event& event) {
        if ((event.mask & IN_Q_OVERFLOW) != 0) {
            // Changes were lost: nothing indexed can be trusted any more.
            while (!m_folders.empty())
                Forget(m_folders.begin());
            return;
        }
        const auto watched = m_watches.find(event.wd);
        if (watched == m_watches.end())
            return;
        const auto it = m_folders.find(watched->second);
        if (it == m_folders.end())
            return;
        if ((event.mask & (IN_IGNORED | IN_DELETE_SELF | IN_UNMOUNT)) != 0) {
            Forget(it);
            return;
        }
        if (event.len == 0)
            return;
        const std::string name(event.name); // NUL-padded to len
        if ((event.mask & (IN_CREATE | IN_MOVED_TO)) != 0)
            Add(it->second, name);
        else if ((event.mask & (IN_DELETE | IN_MOVED_FROM)) != 0)
            Remove(it->second, name);
    }

    std::mutex m_mutex;
    const UniqueFd m_inotify;
    Folders m_folders;
    std::unordered_map<int, Key> m_watches;
    std::uint64_t m_looks = 0;
};

} // namespace

// Shared by every connection thread for the life of the process; it guards itself.
CaseIndex& Index() {
    static CaseIndex index;
    return index;
}

std::optional<std::string> FindEntryIgnoringCase(const std::string& folder,
                                                 const std::string& name) {
    return Index().Find(AT_FDCWD, folder.empty() ? "." : folder.c_str(), name);
}

std::optional<std::string> FindEntryIgnoringCase(int dirFd, const std::string& name) {
    return Index().Find(dirFd, ".", name);
}

} // namespace vdx::os::detail
