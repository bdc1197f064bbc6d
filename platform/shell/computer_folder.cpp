// The Computer: the volumes of the mount table.

#include "platform/os/winfile.h"
#include "platform/shell/folders_internal.h"
#include "platform/shell/mounts.h"

#include <cerrno>
#include <unistd.h>

namespace vdx::shell::detail {

namespace {

const Volume* FindVolume(std::string_view mountPoint) {
    for (const Volume& v : CurrentVolumes())
        if (v.MountPoint == mountPoint)
            return &v;
    return nullptr;
}

// The path with its empty components and a trailing "/" dropped; nullopt
// for "." or ".." components.
std::optional<std::string> Normalised(std::string_view path) {
    std::string out;
    std::size_t pos = 1;
    while (pos <= path.size()) {
        const std::size_t end = std::min(path.find('/', pos), path.size());
        const std::string_view c = path.substr(pos, end - pos);
        pos = end + 1;
        if (c.empty())
            continue;
        if (c == "." || c == "..")
            return std::nullopt;
        out += '/';
        out += c;
    }
    return out.empty() ? std::string("/") : out;
}

class ComputerFolder final : public FolderBase {
public:
    ComputerFolder() : m_absolute(ComputerIdList()) {}

    const IdList& AbsoluteList() const override { return m_absolute; }
    std::string Path() const override { return {}; }

    HRESULT ParseDisplayName(std::string_view name, IdList& relative) override {
        relative = IdList();
        if (name.empty() || name.front() != '/' || name.find('\0') != std::string_view::npos)
            return E_INVALIDARG;
        if (name.size() > kMaxPathBytes)
            return HResultFromErrno(ENAMETOOLONG);
        const std::optional<std::string> path = Normalised(name);
        if (!path)
            return E_INVALIDARG;
        // The deepest volume of the path as the disk spells it.
        const std::string resolved = os::ResolveCase(*path);
        const Volume* volume = VolumeOfPath(CurrentVolumes(), resolved);
        if (!volume)
            return HResultFromErrno(ENOENT);
        struct stat st {};
        if (::stat(volume->MountPoint.c_str(), &st) != 0)
            return HResultFromErrno(errno);
        IdList below;
        const std::string rest =
            resolved.substr(volume->MountPoint == "/" ? 1 : volume->MountPoint.size());
        if (const HRESULT hr = ParseBelow(volume->MountPoint, rest, below); Failed(hr))
            return hr;
        relative = IdList::FromItem(MakeVolumeItem(volume->MountPoint)) + below;
        return S_OK;
    }

    HRESULT EnumObjects(std::uint32_t flags, std::vector<IdList>& items) override {
        items.clear();
        if (!(flags & SHCONTF_FOLDERS))
            return S_OK;
        for (const Volume& v : CurrentVolumes())
            items.push_back(IdList::FromItem(MakeVolumeItem(v.MountPoint)));
        return S_OK;
    }

protected:
    bool IsChildKind(ItemKind kind) const override { return kind == ItemKind::Volume; }

    HRESULT BindItem(ItemBytes item, ShellFolderPtr& folder) override {
        const std::string mount = *VolumeItemMountPoint(item);
        const Volume* v = FindVolume(mount);
        if (!v)
            return HResultFromErrno(ENOENT); // no longer mounted
        struct stat st {};
        if (::stat(mount.c_str(), &st) != 0)
            return HResultFromErrno(errno);
        folder = MakeFileFolder(mount, m_absolute + IdList::FromItem(item), v->Network);
        return S_OK;
    }

    std::uint32_t ItemAttributes(ItemBytes item, std::uint32_t asked) override {
        const std::string mount = *VolumeItemMountPoint(item);
        const Volume* v = FindVolume(mount);
        std::uint32_t a = SFGAO_FOLDER | SFGAO_FILESYSTEM | SFGAO_FILESYSANCESTOR |
                          SFGAO_HASPROPSHEET | SFGAO_DROPTARGET | SFGAO_CANLINK;
        if (v && v->Removable)
            a |= SFGAO_REMOVABLE;
        struct stat st {};
        if (::stat(mount.c_str(), &st) == 0 && !(st.st_mode & S_IWUSR))
            a |= SFGAO_READONLY;
        if ((asked & SFGAO_HASSUBFOLDER) && ((v && v->Network) || HasSubfolder(mount)))
            a |= SFGAO_HASSUBFOLDER;
        return a & asked;
    }

    HRESULT ItemName(ItemBytes item, std::uint32_t flags, std::string& name) override {
        const std::string mount = *VolumeItemMountPoint(item);
        if (flags & SHGDN_FORPARSING) {
            name = mount;
            return S_OK;
        }
        if (const Volume* v = FindVolume(mount)) {
            name = VolumeDisplayName(*v);
        } else {
            Volume gone;
            gone.MountPoint = mount;
            name = VolumeDisplayName(gone);
        }
        return S_OK;
    }

    HRESULT OwnName(std::uint32_t flags, std::string& name) override {
        name = flags & SHGDN_FORPARSING ? "::" + ClsidToString(ComputerClsid()) : "Computer";
        return S_OK;
    }

    HRESULT ItemMenu(ItemBytes item, ContextMenuPtr& menu) override {
        ItemProperties p;
        ItemName(item, SHGDN_NORMAL, p.Name);
        p.Path = *VolumeItemMountPoint(item);
        p.Kind = "Volume";
        p.Attributes = ItemAttributes(item, 0xFFFFFFFFu & ~SFGAO_HASSUBFOLDER);
        menu = std::make_shared<ContextMenu>(std::move(p), true);
        return S_OK;
    }

private:
    IdList m_absolute;
};

} // namespace

ShellFolderPtr MakeComputerFolder() {
    return std::make_shared<ComputerFolder>();
}

} // namespace vdx::shell::detail
