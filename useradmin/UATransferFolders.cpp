#include "useradmin/UATransferFolders.h"

#include "platform/os/ascii.h"
#include "platform/os/unique_fd.h"
#include "platform/os/winfile.h"
#include "shared/VdxMisc.h"

#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace vdx {

namespace {

// The entries of the folder open at fd but "." and "..", in the file system's
// order.
std::vector<std::string> ListEntries(int fd) {
    std::vector<std::string> names;
    const int copy = ::dup(fd);
    if (copy < 0)
        return names;
    const std::unique_ptr<DIR, int (*)(DIR*)> dir(::fdopendir(copy), ::closedir);
    if (!dir) {
        ::close(copy);
        return names;
    }
    while (const dirent* entry = ::readdir(dir.get())) {
        const std::string_view name = entry->d_name;
        if (name != "." && name != "..")
            names.emplace_back(name);
    }
    return names;
}

// A name that stays one folder inside transfer/: no separator of either
// system, no control byte, not "." or "..".
bool IsOneComponent(std::string_view name) {
    if (name.empty() || name == "." || name == "..")
        return false;
    for (const char c : name)
        if (c == '/' || c == '\\' || static_cast<unsigned char>(c) < ' ' || c == '\x7f')
            return false;
    return true;
}

} // namespace

bool UserExists(const TUsersXML& users, std::string_view name) {
    for (const TUserXML& user : users)
        if (os::EqualsIgnoringAsciiCase(user.Name, name))
            return true;
    return false;
}

void SyncTransferFolders(const std::string& transferDir, const TUsersXML& users) {
    bool needed = false;
    for (const TUserXML& user : users)
        needed = needed || ((user.TXT || user.WebTXT) && IsOneComponent(user.Name));
    if (needed)
        os::ForceDirectories(transferDir);

    const os::UniqueFd folder(::open(transferDir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!folder)
        return;
    std::vector<std::string> entries = ListEntries(folder.Get());
    std::vector<std::string> kept;
    for (const std::string& name : entries) {
        const std::string_view trimmed = Trim(name);
        // Dot-names are not listed as folder entries: they stay.
        if (name.front() == '.' || trimmed.empty() || UserExists(users, trimmed) ||
            os::EqualsIgnoringAsciiCase(trimmed, kRestoreZipFolder)) {
            kept.push_back(name);
            continue;
        }
        // Empty folders only; a link or file fails with ENOTDIR and stays.
        if (::unlinkat(folder.Get(), name.c_str(), AT_REMOVEDIR) != 0)
            kept.push_back(name);
    }

    for (const TUserXML& user : users) {
        if (!(user.TXT || user.WebTXT) || !IsOneComponent(user.Name))
            continue;
        bool present = false;
        for (const std::string& name : kept)
            present = present || os::EqualsIgnoringAsciiCase(name, user.Name);
        if (present)
            continue;
        if (::mkdirat(folder.Get(), user.Name.c_str(), 0777) == 0 || errno == EEXIST)
            kept.push_back(user.Name);
    }
}

} // namespace vdx
