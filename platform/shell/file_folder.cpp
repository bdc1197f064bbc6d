// Folders of the file system: a volume's root, the folders below it, Home.

#include "platform/os/winfile.h"
#include "platform/shell/folders_internal.h"
#include "platform/shell/mounts.h"
#include "platform/shell/special_folders.h"

#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

namespace vdx::shell::detail {

namespace {

bool IsHiddenName(std::string_view name) {
    return !name.empty() && name.front() == '.';
}

// Files no Windows program could have are left out, as FindFiles does.
bool IsListable(mode_t mode) {
    return S_ISDIR(mode) || S_ISREG(mode);
}

FileItemFacts Facts(const std::string& name, const struct stat& st, bool folder) {
    FileItemFacts f;
    f.Folder = folder;
    f.Name = name;
    f.Size = folder ? 0 : static_cast<std::uint64_t>(st.st_size);
    f.LastWrite = os::TimespecToFileTime(st.st_mtim);
    f.Attributes = folder ? os::FILE_ATTRIBUTE_DIRECTORY : os::FILE_ATTRIBUTE_ARCHIVE;
    if (!(st.st_mode & S_IWUSR))
        f.Attributes |= os::FILE_ATTRIBUTE_READONLY;
    if (IsHiddenName(name))
        f.Attributes |= os::FILE_ATTRIBUTE_HIDDEN;
    return f;
}

bool IsMountPoint(const std::string& folder, const std::string& path, const struct stat& st) {
    struct stat up {};
    if (::stat(folder.c_str(), &up) == 0 && up.st_dev != st.st_dev)
        return true;
    for (const Volume& v : CurrentVolumes())
        if (v.MountPoint == path)
            return true;
    return false;
}

bool ValidNewName(std::string_view name) {
    return !name.empty() && name != "." && name != ".." &&
           name.find_first_of(std::string_view("/\0", 2)) == std::string_view::npos;
}

class FileFolder final : public FolderBase {
public:
    FileFolder(std::string path, IdList absolute, bool network)
        : m_path(std::move(path)), m_absolute(std::move(absolute)), m_network(network) {}

    const IdList& AbsoluteList() const override { return m_absolute; }
    std::string Path() const override { return m_path; }

    HRESULT ParseDisplayName(std::string_view name, IdList& relative) override {
        return ParseBelow(m_path, name, relative);
    }

    HRESULT EnumObjects(std::uint32_t flags, std::vector<IdList>& items) override {
        items.clear();
        DIR* dir = ::opendir(m_path.c_str());
        if (!dir)
            return HResultFromErrno(errno);
        const int fd = ::dirfd(dir);
        while (const dirent* e = ::readdir(dir)) {
            const std::string name = e->d_name;
            if (name == "." || name == "..")
                continue;
            if (IsHiddenName(name) && !(flags & SHCONTF_INCLUDEHIDDEN))
                continue;
            if (ChildPath(m_path, name).size() > kMaxPathBytes || name.size() > kMaxNameBytes)
                continue; // a path that cannot be named is not listed
            struct stat st {};
            if (::fstatat(fd, name.c_str(), &st, 0) != 0 &&
                ::fstatat(fd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0)
                continue; // gone meanwhile
            if (!IsListable(st.st_mode) && !S_ISLNK(st.st_mode))
                continue;
            const bool folder = S_ISDIR(st.st_mode);
            if (!(flags & (folder ? SHCONTF_FOLDERS : SHCONTF_NONFOLDERS)))
                continue;
            items.push_back(IdList::FromItem(MakeFileItem(Facts(name, st, folder))));
        }
        ::closedir(dir);
        return S_OK;
    }

protected:
    bool IsChildKind(ItemKind kind) const override {
        return kind == ItemKind::Folder || kind == ItemKind::File;
    }

    HRESULT BindItem(ItemBytes item, ShellFolderPtr& folder) override {
        const auto facts = ReadFileItem(item);
        const std::string path = ChildPath(m_path, facts->Name);
        if (path.size() > kMaxPathBytes)
            return HResultFromErrno(ENAMETOOLONG);
        struct stat st {};
        if (::stat(path.c_str(), &st) != 0)
            return HResultFromErrno(errno);
        if (!S_ISDIR(st.st_mode))
            return HResultFromErrno(ENOTDIR);
        folder = MakeFileFolder(path, m_absolute + IdList::FromItem(item), m_network);
        return S_OK;
    }

    std::uint32_t ItemAttributes(ItemBytes item, std::uint32_t asked) override {
        const auto facts = ReadFileItem(item);
        return FileAttributes(m_path, ChildPath(m_path, facts->Name), m_network, asked, &*facts);
    }

    HRESULT ItemName(ItemBytes item, std::uint32_t flags, std::string& name) override {
        const std::string own = ReadFileItem(item)->Name;
        if ((flags & SHGDN_FORPARSING) && !(flags & SHGDN_INFOLDER)) {
            name = ChildPath(m_path, own);
            if (name.size() > kMaxPathBytes) {
                name.clear();
                return HResultFromErrno(ENAMETOOLONG);
            }
            return S_OK;
        }
        name = own;
        return S_OK;
    }

    HRESULT OwnName(std::uint32_t flags, std::string& name) override {
        if (flags & SHGDN_FORPARSING)
            name = m_path;
        else
            name = m_path == "/" ? m_path : m_path.substr(m_path.rfind('/') + 1);
        return S_OK;
    }

    HRESULT RenameItem(ItemBytes item, std::string_view newName, IdList& newItem) override {
        const auto facts = ReadFileItem(item);
        if (!ValidNewName(newName))
            return HResultFromErrno(EINVAL);
        const std::string from = ChildPath(m_path, facts->Name);
        const std::string to = ChildPath(m_path, newName);
        if (newName.size() > kMaxNameBytes || to.size() > kMaxPathBytes)
            return HResultFromErrno(ENAMETOOLONG);
        if (from != to && !os::MoveFile(from, to))
            return HResultFromErrno(errno);
        const auto made = ItemOfEntry(m_path, std::string(newName));
        if (!made)
            return HResultFromErrno(ENOENT);
        newItem = IdList::FromItem(*made);
        return S_OK;
    }

    HRESULT ItemMenu(ItemBytes item, ContextMenuPtr& menu) override {
        const auto facts = ReadFileItem(item);
        const std::string path = ChildPath(m_path, facts->Name);
        const std::uint32_t attributes =
            FileAttributes(m_path, path, m_network, 0xFFFFFFFFu & ~SFGAO_HASSUBFOLDER, &*facts);
        menu = FileMenu(facts->Name, path, attributes, (attributes & SFGAO_FOLDER) != 0);
        return S_OK;
    }

private:
    std::string m_path;
    IdList m_absolute;
    bool m_network;
};

} // namespace

std::string ChildPath(const std::string& folder, std::string_view name) {
    std::string path = folder == "/" ? std::string() : folder;
    path += '/';
    path += name;
    return path;
}

std::optional<std::vector<std::uint8_t>> ItemOfEntry(const std::string& folder,
                                                     const std::string& name) {
    const std::string path = ChildPath(folder, name);
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 && ::lstat(path.c_str(), &st) != 0)
        return std::nullopt;
    return MakeFileItem(Facts(name, st, S_ISDIR(st.st_mode)));
}

HRESULT ParseBelow(const std::string& folder, std::string_view relative, IdList& items) {
    items = IdList();
    std::vector<std::string> components;
    std::size_t pos = 0;
    while (pos <= relative.size()) {
        const std::size_t end = std::min(relative.find('/', pos), relative.size());
        const std::string_view c = relative.substr(pos, end - pos);
        pos = end + 1;
        if (c.empty())
            continue;
        if (c == "." || c == ".." || c.find('\0') != std::string_view::npos)
            return E_INVALIDARG;
        components.emplace_back(c);
    }
    std::string joined = folder;
    for (const std::string& c : components)
        joined = ChildPath(joined, c);
    if (joined.size() > kMaxPathBytes)
        return HResultFromErrno(ENAMETOOLONG);
    // The folder exists as given, so the resolved path starts with it.
    const std::string resolved = components.empty() ? joined : os::ResolveCase(joined);
    std::string current = folder;
    std::size_t at = folder == "/" ? 1 : folder.size() + 1;
    for (std::size_t i = 0; i < components.size(); ++i) {
        const std::size_t end = std::min(resolved.find('/', at), resolved.size());
        const std::string name = resolved.substr(at, end - at);
        at = end + 1;
        const auto item = ItemOfEntry(current, name);
        if (!item)
            return HResultFromErrno(ENOENT);
        if (i + 1 < components.size() && KindOf(*item) != ItemKind::Folder)
            return HResultFromErrno(ENOTDIR);
        items.Append(*item);
        current = ChildPath(current, name);
    }
    return S_OK;
}

bool HasSubfolder(const std::string& path) {
    DIR* dir = ::opendir(path.c_str());
    if (!dir)
        return false;
    bool found = false;
    const int fd = ::dirfd(dir);
    while (const dirent* e = ::readdir(dir)) {
        const std::string_view name = e->d_name;
        if (name == "." || name == "..")
            continue;
        if (e->d_type == DT_DIR) {
            found = true;
            break;
        }
        if (e->d_type == DT_LNK || e->d_type == DT_UNKNOWN) {
            struct stat st {};
            if (::fstatat(fd, e->d_name, &st, 0) == 0 && S_ISDIR(st.st_mode)) {
                found = true;
                break;
            }
        }
    }
    ::closedir(dir);
    return found;
}

std::uint32_t FileAttributes(const std::string& parent, const std::string& path, bool network,
                             std::uint32_t asked, const FileItemFacts* fallback) {
    std::uint32_t a = SFGAO_FILESYSTEM | SFGAO_CANCOPY | SFGAO_CANLINK | SFGAO_HASPROPSHEET;
    struct stat own {};
    struct stat st {};
    const bool exists = ::lstat(path.c_str(), &own) == 0;
    bool folder = fallback && fallback->Folder;
    if (exists) {
        if (S_ISLNK(own.st_mode))
            a |= SFGAO_LINK;
        st = own;
        if (S_ISLNK(own.st_mode) && ::stat(path.c_str(), &st) != 0)
            st = own;
        folder = S_ISDIR(st.st_mode);
        if (!(st.st_mode & S_IWUSR))
            a |= SFGAO_READONLY;
    } else if (fallback && (fallback->Attributes & os::FILE_ATTRIBUTE_READONLY)) {
        a |= SFGAO_READONLY;
    }
    a |= folder ? SFGAO_FOLDER | SFGAO_FILESYSANCESTOR | SFGAO_DROPTARGET : SFGAO_STREAM;
    const std::string name = path.substr(path.rfind('/') + 1);
    if (IsHiddenName(name))
        a |= SFGAO_HIDDEN;
    if (folder && (asked & SFGAO_HASSUBFOLDER) && (network || HasSubfolder(path)))
        a |= SFGAO_HASSUBFOLDER;
    if (exists && ::access(parent.c_str(), W_OK) == 0 && path != HomePath() &&
        !IsMountPoint(parent, path, own))
        a |= SFGAO_CANRENAME | SFGAO_CANDELETE | SFGAO_CANMOVE;
    return a & asked;
}

ContextMenuPtr FileMenu(std::string name, std::string path, std::uint32_t attributes, bool folder) {
    ItemProperties p;
    p.Name = std::move(name);
    p.Path = std::move(path);
    p.Kind = folder ? "Folder" : "File";
    p.Attributes = attributes;
    struct stat st {};
    if (::lstat(p.Path.c_str(), &st) == 0) {
        if (S_ISLNK(st.st_mode)) {
            char target[4096];
            const ssize_t n = ::readlink(p.Path.c_str(), target, sizeof target);
            if (n > 0)
                p.LinkTarget.assign(target, std::size_t(n));
            ::stat(p.Path.c_str(), &st);
        }
        p.Size = folder ? 0 : std::uint64_t(st.st_size);
        p.LastWrite = os::TimespecToFileTime(st.st_mtim);
    }
    return std::make_shared<ContextMenu>(std::move(p), folder);
}

ShellFolderPtr MakeFileFolder(std::string path, IdList absolute, bool network) {
    return std::make_shared<FileFolder>(std::move(path), std::move(absolute), network);
}

} // namespace vdx::shell::detail
