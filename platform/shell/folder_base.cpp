#include "platform/os/ascii.h"
#include "platform/shell/folders_internal.h"

#include <algorithm>
#include <cerrno>

namespace vdx::shell::detail {

std::string SortName(ItemBytes item) {
    switch (KindOf(item)) {
    case ItemKind::Root: {
        const auto clsid = RootItemClsid(item);
        return clsid == ComputerClsid() ? "Computer" : clsid == HomeClsid() ? "Home" : "";
    }
    case ItemKind::Volume:
        return VolumeItemMountPoint(item).value_or("");
    case ItemKind::Folder:
    case ItemKind::File:
        return ReadFileItem(item)->Name;
    case ItemKind::None:
        break;
    }
    return {};
}

int CompareItems(ItemBytes a, ItemBytes b) {
    const auto ka = static_cast<int>(KindOf(a)), kb = static_cast<int>(KindOf(b));
    if (ka != kb)
        return ka < kb ? -1 : 1;
    const std::string na = SortName(a), nb = SortName(b);
    const std::string fa = os::AsciiLower(na), fb = os::AsciiLower(nb);
    if (const int c = fa.compare(fb); c != 0)
        return c < 0 ? -1 : 1;
    if (const int c = na.compare(nb); c != 0)
        return c < 0 ? -1 : 1;
    if (ka == static_cast<int>(ItemKind::Root)) // two roots of one name
        return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end()) ? -1
               : std::equal(a.begin(), a.end(), b.begin(), b.end())                 ? 0
                                                                                    : 1;
    return 0;
}

HRESULT FolderBase::BindToObject(const IdList& relative, ShellFolderPtr& folder) {
    folder.reset();
    if (relative.Empty())
        return E_INVALIDARG;
    const ItemBytes first = relative.Item(0);
    if (!IsChildKind(KindOf(first)))
        return E_INVALIDARG;
    ShellFolderPtr child;
    if (const HRESULT hr = BindItem(first, child); Failed(hr))
        return hr;
    if (relative.ItemCount() == 1) {
        folder = std::move(child);
        return S_OK;
    }
    IdList rest;
    for (std::size_t i = 1; i < relative.ItemCount(); ++i)
        rest.Append(relative.Item(i));
    return child->BindToObject(rest, folder);
}

std::optional<int> FolderBase::CompareIDs(const IdList& a, const IdList& b) {
    const std::size_t na = a.ItemCount(), nb = b.ItemCount();
    if ((na > 0 && !IsChildKind(KindOf(a.Item(0)))) || (nb > 0 && !IsChildKind(KindOf(b.Item(0)))))
        return std::nullopt;
    for (std::size_t i = 0; i < na && i < nb; ++i) {
        const ItemBytes ia = a.Item(i), ib = b.Item(i);
        if (KindOf(ia) == ItemKind::None || KindOf(ib) == ItemKind::None)
            return std::nullopt;
        if (const int c = CompareItems(ia, ib); c != 0)
            return c;
    }
    return na == nb ? 0 : na < nb ? -1 : 1;
}

HRESULT FolderBase::GetAttributesOf(std::span<const IdList> items, std::uint32_t& attributes) {
    const std::uint32_t asked = attributes;
    if (items.empty()) { // the folder itself: nothing cached to drop
        attributes = asked & SFGAO_VALIDATE ? 0 : attributes;
        return S_OK;
    }
    std::uint32_t result = asked;
    for (const IdList& item : items) {
        if (item.ItemCount() != 1 || !IsChildKind(KindOf(item.Item(0))))
            return E_INVALIDARG;
        result &= ItemAttributes(item.Item(0), asked);
    }
    attributes = result;
    return S_OK;
}

HRESULT FolderBase::GetDisplayNameOf(const IdList& item, std::uint32_t flags, std::string& name) {
    name.clear();
    if (item.Empty())
        return OwnName(flags, name);
    if (!IsChildKind(KindOf(item.Item(0))))
        return E_INVALIDARG;
    if (item.ItemCount() == 1)
        return ItemName(item.Item(0), flags, name);
    ShellFolderPtr parent;
    if (const HRESULT hr = BindToObject(item.WithoutLast(), parent); Failed(hr))
        return hr;
    return parent->GetDisplayNameOf(item.Last(), flags, name);
}

HRESULT FolderBase::SetNameOf(const IdList& item, std::string_view name, IdList& newItem) {
    if (item.ItemCount() != 1 || !IsChildKind(KindOf(item.Item(0))))
        return E_INVALIDARG;
    return RenameItem(item.Item(0), name, newItem);
}

HRESULT FolderBase::RenameItem(ItemBytes, std::string_view, IdList&) {
    return HResultFromErrno(EPERM);
}

HRESULT FolderBase::GetContextMenu(std::span<const IdList> items, ContextMenuPtr& menu) {
    menu.reset();
    if (items.empty())
        return E_INVALIDARG;
    std::vector<ContextMenuItem> entries;
    for (const IdList& item : items) {
        if (item.ItemCount() != 1 || !IsChildKind(KindOf(item.Item(0))))
            return E_INVALIDARG;
        ContextMenuPtr one;
        if (const HRESULT hr = ItemMenu(item.Item(0), one); Failed(hr))
            return hr;
        entries.push_back({one->Item(), one->Folder(), item});
    }
    menu = std::make_shared<ContextMenu>(AbsoluteList(), std::move(entries));
    return S_OK;
}

} // namespace vdx::shell::detail
