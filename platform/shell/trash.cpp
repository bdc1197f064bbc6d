#include "platform/shell/trash.h"

#include "platform/os/paths.h"
#include "platform/os/unique_fd.h"
#include "platform/shell/idlist.h"
#include "platform/shell/special_folders.h"

#include <cerrno>
#include <cstdio>
#include <ctime>
#include <fcntl.h>
#include <optional>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

namespace vdx::shell {

namespace {

// The most numbered names tried for one item in the trash.
constexpr int kMaxTrashNames = 10000;

std::string Parent(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == 0 || slash == std::string::npos ? std::string("/") : path.substr(0, slash);
}

// The device of path, or of the nearest folder above it that exists.
std::optional<dev_t> DeviceOf(std::string path) {
    for (;;) {
        struct stat st {};
        if (::stat(path.c_str(), &st) == 0)
            return st.st_dev;
        if (path == "/" || path.empty())
            return std::nullopt;
        path = Parent(path);
    }
}

// Every missing folder of path made with mode 0700.
bool MakeFolders(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0)
        return S_ISDIR(st.st_mode) || (errno = ENOTDIR, false);
    if (errno != ENOENT)
        return false;
    if (path != "/" && !MakeFolders(Parent(path)))
        return false;
    return ::mkdir(path.c_str(), 0700) == 0 || errno == EEXIST;
}

// A folder that is ours: no link, a folder, owned by us.
bool OwnFolder(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::getuid();
}

// The top folder of the file system path lies on.
std::string TopDir(const std::string& path, dev_t device) {
    std::string top = path;
    while (top != "/") {
        const std::string up = Parent(top);
        struct stat st {};
        if (::stat(up.c_str(), &st) != 0 || st.st_dev != device)
            break;
        top = up;
    }
    return top;
}

// The volume trash of topdir that may be used, made when needed.
std::optional<std::string> VolumeTrash(const std::string& top) {
    const std::string base = top == "/" ? std::string() : top;
    const std::string uid = std::to_string(::getuid());
    struct stat st {};
    const std::string shared = base + "/.Trash";
    if (::lstat(shared.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && (st.st_mode & S_ISVTX)) {
        const std::string mine = shared + "/" + uid;
        if ((::mkdir(mine.c_str(), 0700) == 0 || errno == EEXIST) && OwnFolder(mine))
            return mine;
    }
    const std::string own = base + "/.Trash-" + uid;
    if ((::mkdir(own.c_str(), 0700) == 0 || errno == EEXIST) && OwnFolder(own))
        return own;
    return std::nullopt;
}

// RFC 2396 escaping of a path, "/" kept.
std::string EscapePath(std::string_view path) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : path) {
        const bool keep = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                          (c >= '0' && c <= '9') ||
                          std::string_view("-_.!~*'()/").find(char(c)) != std::string_view::npos;
        if (keep) {
            out += char(c);
        } else {
            out += '%';
            out += kHex[c >> 4];
            out += kHex[c & 15];
        }
    }
    return out;
}

std::string DeletionDate() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    ::localtime_r(&now, &local);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &local);
    return text;
}

bool WriteAll(int fd, const std::string& text) {
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

// Moves path into trash (its "files" and "info" made as needed); recorded
// is the path the info file records. 0 or the errno.
int MoveInto(const std::string& trash, const std::string& path, const std::string& recorded,
             std::string* trashedAs) {
    const std::string files = trash + "/files", info = trash + "/info";
    if (!MakeFolders(files) || !MakeFolders(info))
        return errno ? errno : EACCES;
    std::string base = os::ExtractFileName(path);
    // The info file's name holds the base, a number and ".trashinfo".
    constexpr std::size_t kRoom = kMaxNameBytes - 10 - 6;
    if (base.size() > kRoom)
        base.resize(kRoom);
    const std::string content =
        "[Trash Info]\nPath=" + EscapePath(recorded) + "\nDeletionDate=" + DeletionDate() + "\n";
    for (int n = 1; n <= kMaxTrashNames; ++n) {
        const std::string name = n == 1 ? base : base + "." + std::to_string(n);
        const std::string infoFile = info + "/" + name + ".trashinfo";
        os::UniqueFd fd(::open(infoFile.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
        if (!fd) {
            if (errno == EEXIST)
                continue;
            return errno;
        }
        const std::string target = files + "/" + name;
        struct stat st {};
        if (::lstat(target.c_str(), &st) == 0) { // left behind by another program
            ::unlink(infoFile.c_str());
            continue;
        }
        if (!WriteAll(fd.Get(), content)) {
            const int error = errno ? errno : EIO;
            ::unlink(infoFile.c_str());
            return error;
        }
        fd.Reset();
        if (::rename(path.c_str(), target.c_str()) != 0) {
            const int error = errno;
            ::unlink(infoFile.c_str());
            return error;
        }
        if (trashedAs)
            *trashedAs = target;
        return 0;
    }
    return EEXIST;
}

} // namespace

std::string HomeTrashPath() {
    const std::string data = SpecialFolderPath(CSIDL_LOCAL_APPDATA);
    return data.empty() ? std::string() : data + "Trash";
}

int MoveToTrash(const std::string& given, std::string* trashedAs) {
    if (given.empty() || given.front() != '/')
        return EINVAL;
    const std::string path = given.size() > 1 ? os::ExcludeTrailingPathDelimiter(given) : given;
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0)
        return errno;
    if (path == "/" || path == HomePath())
        return EBUSY;
    struct stat parent {};
    if (::stat(Parent(path).c_str(), &parent) != 0)
        return errno;
    if (parent.st_dev != st.st_dev)
        return EBUSY; // a mount point
    const std::string home = HomeTrashPath();
    if (path == home || path.starts_with(home + "/"))
        return EBUSY;

    if (!home.empty()) {
        if (const auto device = DeviceOf(home); device && *device == st.st_dev)
            return MoveInto(home, path, path, trashedAs);
    }
    const std::string top = TopDir(path, st.st_dev);
    const std::optional<std::string> trash = VolumeTrash(top);
    if (!trash)
        return EXDEV;
    const std::string relative = top == "/" ? path.substr(1) : path.substr(top.size() + 1);
    const int error = MoveInto(*trash, path, relative, trashedAs);
    return error == EACCES || error == EPERM || error == EROFS ? EXDEV : error;
}

} // namespace vdx::shell
