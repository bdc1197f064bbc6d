// The desktop, the namespace's root, with the Computer and Home below it.

#include "platform/shell/folders_internal.h"
#include "platform/shell/special_folders.h"

#include <cerrno>

namespace vdx::shell {

const Clsid& ComputerClsid() {
    static const Clsid clsid = *ClsidFromString("{20D04FE0-3AEA-1069-A2D8-08002B30309D}");
    return clsid;
}

const Clsid& HomeClsid() {
    static const Clsid clsid = *ClsidFromString("{59031A47-3F72-44A7-89C5-5595FE6B30EE}");
    return clsid;
}

IdList ComputerIdList() {
    return IdList::FromItem(MakeRootItem(kComputerSortByte, ComputerClsid()));
}

IdList HomeIdList() {
    return IdList::FromItem(MakeRootItem(kHomeSortByte, HomeClsid()));
}

namespace detail {

namespace {

enum class Root { None, Computer, Home };

Root RootOf(ItemBytes item) {
    const auto clsid = RootItemClsid(item);
    if (clsid == ComputerClsid())
        return Root::Computer;
    if (clsid == HomeClsid())
        return Root::Home;
    return Root::None;
}

std::string DesktopPath() {
    const std::string path = SpecialFolderPath(CSIDL_DESKTOP);
    return path.size() > 1 ? path.substr(0, path.size() - 1) : path;
}

class DesktopFolder final : public FolderBase {
public:
    const IdList& AbsoluteList() const override { return m_absolute; }
    std::string Path() const override { return DesktopPath(); }

    HRESULT ParseDisplayName(std::string_view name, IdList& relative) override {
        relative = IdList();
        if (name.starts_with("::")) {
            const auto clsid = ClsidFromString(name.substr(2));
            if (clsid == ComputerClsid())
                relative = ComputerIdList();
            else if (clsid == HomeClsid())
                relative = HomeIdList();
            else
                return E_INVALIDARG;
            return S_OK;
        }
        IdList below;
        if (const HRESULT hr = MakeComputerFolder()->ParseDisplayName(name, below); Failed(hr))
            return hr;
        relative = ComputerIdList() + below;
        return S_OK;
    }

    HRESULT EnumObjects(std::uint32_t flags, std::vector<IdList>& items) override {
        items.clear();
        if (!(flags & SHCONTF_FOLDERS))
            return S_OK;
        items.push_back(ComputerIdList());
        if (!HomePath().empty())
            items.push_back(HomeIdList());
        return S_OK;
    }

protected:
    bool IsChildKind(ItemKind kind) const override { return kind == ItemKind::Root; }

    HRESULT BindItem(ItemBytes item, ShellFolderPtr& folder) override {
        switch (RootOf(item)) {
        case Root::Computer:
            folder = MakeComputerFolder();
            return S_OK;
        case Root::Home: {
            const std::string home = HomePath();
            struct stat st {};
            if (home.empty() || ::stat(home.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
                return HResultFromErrno(ENOENT);
            folder = MakeFileFolder(home, HomeIdList(), false);
            return S_OK;
        }
        case Root::None:
            break;
        }
        return E_INVALIDARG;
    }

    std::uint32_t ItemAttributes(ItemBytes item, std::uint32_t asked) override {
        switch (RootOf(item)) {
        case Root::Computer:
            return (SFGAO_FOLDER | SFGAO_FILESYSANCESTOR | SFGAO_HASSUBFOLDER |
                    SFGAO_HASPROPSHEET) &
                   asked;
        case Root::Home: {
            std::uint32_t a = SFGAO_FOLDER | SFGAO_FILESYSTEM | SFGAO_FILESYSANCESTOR |
                              SFGAO_HASPROPSHEET | SFGAO_DROPTARGET | SFGAO_CANLINK;
            if ((asked & SFGAO_HASSUBFOLDER) && HasSubfolder(HomePath()))
                a |= SFGAO_HASSUBFOLDER;
            return a & asked;
        }
        case Root::None:
            break;
        }
        return 0;
    }

    HRESULT ItemName(ItemBytes item, std::uint32_t flags, std::string& name) override {
        const Root root = RootOf(item);
        if (root == Root::None)
            return E_INVALIDARG;
        if (flags & SHGDN_FORPARSING)
            name = "::" + ClsidToString(*RootItemClsid(item));
        else
            name = root == Root::Computer ? "Computer" : "Home";
        return S_OK;
    }

    HRESULT OwnName(std::uint32_t flags, std::string& name) override {
        name = flags & SHGDN_FORPARSING ? DesktopPath() : "Desktop";
        return S_OK;
    }

    HRESULT ItemMenu(ItemBytes item, ContextMenuPtr& menu) override {
        const Root root = RootOf(item);
        if (root == Root::None)
            return E_INVALIDARG;
        ItemProperties p;
        ItemName(item, SHGDN_NORMAL, p.Name);
        p.Path = root == Root::Home ? HomePath() : std::string();
        p.Kind = root == Root::Home ? "Folder" : "System Folder";
        p.Attributes = ItemAttributes(item, 0xFFFFFFFFu & ~SFGAO_HASSUBFOLDER);
        menu = std::make_shared<ContextMenu>(std::move(p), true);
        return S_OK;
    }

private:
    IdList m_absolute;
};

} // namespace

} // namespace detail

ShellFolderPtr GetDesktopFolder() {
    return std::make_shared<detail::DesktopFolder>();
}

HRESULT ParsePath(std::string_view path, IdList& list) {
    list = IdList();
    if (path.empty())
        return E_INVALIDARG;
    return GetDesktopFolder()->ParseDisplayName(path, list);
}

std::string PathOfIdList(const IdList& list) {
    const std::size_t n = list.ItemCount();
    if (n == 0)
        return detail::DesktopPath();
    const ItemBytes first = list.Item(0);
    if (KindOf(first) != ItemKind::Root)
        return {};
    std::string path;
    std::size_t i = 1;
    if (detail::RootOf(first) == detail::Root::Home) {
        path = HomePath();
        if (path.empty())
            return {};
    } else if (detail::RootOf(first) == detail::Root::Computer) {
        if (n == 1)
            return {};
        const auto mount = VolumeItemMountPoint(list.Item(1));
        if (!mount)
            return {};
        path = *mount;
        i = 2;
    } else {
        return {};
    }
    for (; i < n; ++i) {
        const auto facts = ReadFileItem(list.Item(i));
        if (!facts)
            return {};
        path = detail::ChildPath(path, facts->Name);
        if (path.size() > kMaxPathBytes)
            return {};
    }
    return path;
}

} // namespace vdx::shell
