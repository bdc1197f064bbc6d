#include "controls/shell/FcShellUtils.h"

#include "platform/gui/shell_icons.h"
#include "platform/gui/system_facts.h"
#include "platform/os/ascii.h"
#include "platform/os/paths.h"
#include "platform/shell/mounts.h"
#include "platform/shell/special_folders.h"

#include <QMimeDatabase>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace vdx {

namespace {

// Version 6.0 of comctl32 and shell32, as the platform reports them.
constexpr std::uint64_t kVersion60 = 0x0006000000000000ull;
// The most strings FormatStrPos takes.
constexpr std::size_t kMaxFormatStrings = 50;

int g_validationSuppressed = 0;

std::uint32_t Flags(TFcDisplayNameKind kind) {
    return static_cast<std::uint32_t>(kind);
}

gui::TShellIconRequest IconOf(const IdList& list, bool open) {
    using T = QAbstractFileIconProvider;
    const std::size_t n = list.ItemCount();
    if (n == 0)
        return {"user-desktop", T::Desktop};
    const shell::ItemBytes last = list.LastItem();
    switch (shell::KindOf(last)) {
    case shell::ItemKind::Root:
        return shell::RootItemClsid(last) == shell::ComputerClsid()
                   ? gui::TShellIconRequest{"computer", T::Computer}
                   : gui::TShellIconRequest{"user-home", T::Folder};
    case shell::ItemKind::Volume: {
        const std::string mount = *shell::VolumeItemMountPoint(last);
        for (const shell::Volume& v : shell::CurrentVolumes()) {
            if (v.MountPoint != mount)
                continue;
            if (v.Network)
                return {"folder-remote", T::Network};
            if (v.Removable)
                return {"drive-removable-media", T::Drive};
        }
        return {"drive-harddisk", T::Drive};
    }
    case shell::ItemKind::Folder:
        return {open ? "folder-open" : "folder", T::Folder};
    case shell::ItemKind::File: {
        const QMimeType type = QMimeDatabase().mimeTypeForFile(
            QString::fromUtf8(shell::ReadFileItem(last)->Name), QMimeDatabase::MatchExtension);
        const std::string name = type.iconName().toStdString();
        return {name.empty() ? "text-x-generic" : name, T::File};
    }
    case shell::ItemKind::None:
        break;
    }
    return {"text-x-generic", T::File};
}

// The parsing name of path's target for a link's relative target.
std::string Absolute(const std::string& linkPath, const std::string& target) {
    if (!target.empty() && target.front() == '/')
        return target;
    return os::ExtractFilePath(linkPath) + target;
}

} // namespace

EOleSysError::EOleSysError(HRESULT code)
    : std::runtime_error(shell::HResultMessage(code)), m_code(code) {}

void OleCheck(HRESULT code) {
    if (shell::Failed(code))
        throw EOleSysError(code);
}

bool IsWindowsNT() {
    return gui::PlatformVersion().NT;
}

bool GetDllFileVersion(std::string_view fileName, std::uint64_t& version) {
    version = 0;
    const std::string name = os::AsciiLower(fileName);
    if (name != "comctl32.dll" && name != "shell32.dll")
        return false;
    version = kVersion60;
    return true;
}

std::uint64_t ComCtlVersion() {
    return kVersion60;
}

std::uint64_t ShellDllVersion() {
    return kVersion60;
}

HRESULT GetDesktopFolder(ShellFolderPtr& folder) {
    folder = shell::GetDesktopFolder();
    return shell::S_OK;
}

HRESULT GetIdListFolder(const IdList* list, ShellFolderPtr& folder) {
    folder = shell::GetDesktopFolder();
    if (!list || list->Empty())
        return shell::S_OK;
    ShellFolderPtr bound;
    const HRESULT hr = folder->BindToObject(*list, bound);
    folder = std::move(bound);
    return hr;
}

HRESULT ParsePathToIdList(std::string_view path, std::optional<IdList>& list) {
    list.reset();
    IdList parsed;
    const HRESULT hr = shell::ParsePath(path, parsed);
    if (shell::Succeeded(hr))
        list = std::move(parsed);
    return hr;
}

std::string IdListToPath(const IdList* list) {
    return shell::PathOfIdList(list ? *list : IdList());
}

HRESULT GetSpecialFolderIdList(int csidl, std::optional<IdList>& list) {
    list.reset();
    csidl &= 0x7F;
    switch (csidl) {
    case shell::CSIDL_DESKTOP:
        list = IdList();
        return shell::S_OK;
    case shell::CSIDL_DRIVES:
        list = shell::ComputerIdList();
        return shell::S_OK;
    case shell::CSIDL_PROFILE:
        if (shell::HomePath().empty())
            return shell::E_FAIL;
        list = shell::HomeIdList();
        return shell::S_OK;
    default: {
        const std::string path = shell::SpecialFolderPath(csidl);
        if (path.empty())
            return shell::E_INVALIDARG;
        return ParsePathToIdList(path, list);
    }
    }
}

std::string SpecialFolderPath(int csidl) {
    std::optional<IdList> list;
    if (shell::Failed(GetSpecialFolderIdList(csidl, list)))
        return {};
    return IdListToPath(&*list);
}

int IdListIconIndex(const IdList* list, std::uint32_t flags) {
    const IdList& l = list ? *list : IdList();
    return gui::ShellImageList((flags & SHGFI_SMALLICON) ? 0 : 1)
        .IndexOf(IconOf(l, (flags & SHGFI_OPENICON) != 0));
}

int IdListToCsidl(const IdList& list) {
    for (int csidl = 0; csidl < 50; ++csidl) {
        std::optional<IdList> special;
        if (shell::Succeeded(GetSpecialFolderIdList(csidl, special)) &&
            CompareIdLists(&list, &*special) == 0)
            return csidl;
    }
    return 50;
}

std::string GetIdListDisplayName(shell::ShellFolder* folder, const IdList& item,
                                 TFcDisplayNameKind kind) {
    ShellFolderPtr desktop;
    if (!folder) {
        desktop = shell::GetDesktopFolder();
        folder = desktop.get();
    }
    std::string name;
    if (shell::Failed(folder->GetDisplayNameOf(item, Flags(kind), name)))
        name.clear();
    return name;
}

std::string AbsoluteIdListDisplayName(const IdList& list) {
    const ShellFolderPtr desktop = shell::GetDesktopFolder();
    if (list.ItemCount() <= 1)
        return GetIdListDisplayName(desktop.get(), list, TFcDisplayNameKind::dnkInFolder);
    ShellFolderPtr parent;
    OleCheck(desktop->BindToObject(list.WithoutLast(), parent));
    return GetIdListDisplayName(parent.get(), list.Last(), TFcDisplayNameKind::dnkInFolder);
}

std::string EnsureTrailingChar(std::string_view text, char ch) {
    std::string result(text);
    // Code page 1252 and UTF-8 have no lead bytes that could be taken for ch.
    if (!result.empty() && result.back() != ch)
        result += ch;
    return result;
}

std::size_t IdListSize(const IdList* list) {
    return list ? list->Size() : 0;
}

int CompareIdLists(const IdList* a, const IdList* b) {
    if (!a && !b)
        return 0;
    if (!a || !b)
        return -1;
    if (a->Empty() && b->Empty())
        return 0;
    if (a->Empty() || b->Empty())
        return -1;
    const std::optional<int> order = shell::GetDesktopFolder()->CompareIDs(*a, *b);
    return order ? *order : kCompareFailed;
}

int CompareIdListBytes(const IdList* a, const IdList* b) {
    const std::size_t sa = IdListSize(a), sb = IdListSize(b);
    const std::size_t common = std::min(sa, sb);
    for (std::size_t i = 0; i < common; ++i) {
        const int d = int(a->Bytes()[i]) - int(b->Bytes()[i]);
        if (d != 0)
            return d;
    }
    return static_cast<int>(sa) - static_cast<int>(sb);
}

IdList ConcatIdLists(const IdList* a, const IdList* b) {
    return (a ? *a : IdList()) + (b ? *b : IdList());
}

IdList CopyIdList(const IdList* list) {
    return list ? *list : IdList();
}

gui::TCustomImageList& SystemImageList(int size) {
    return gui::ShellImageList(size).List();
}

HRESULT ResolveShortcut(const std::string& fileName, TLinkData& link, bool getIdList) {
    std::string target(PATH_MAX, '\0');
    const ssize_t n = ::readlink(fileName.c_str(), target.data(), target.size());
    if (n < 0)
        return shell::HResultFromErrno(errno);
    if (static_cast<std::size_t>(n) >= target.size())
        return shell::HResultFromErrno(ENAMETOOLONG);
    target.resize(static_cast<std::size_t>(n));
    link.Path = Absolute(fileName, target);
    link.Description.clear();
    link.Arguments.clear();
    link.IconLocation.clear();
    link.IconIndex = 0;
    link.WorkingDirectory = os::ExcludeTrailingPathDelimiter(os::ExtractFilePath(link.Path));
    link.ShowCommand = 1;
    link.HotKey = 0;
    link.FindData = os::FindFile(link.Path);
    link.ValidFields = 63;
    link.TargetIdList.reset();
    if (getIdList) {
        IdList list;
        const HRESULT hr = shell::ParsePath(link.Path, list);
        if (shell::Failed(hr))
            return hr;
        link.TargetIdList = std::move(list);
    }
    return shell::S_OK;
}

bool IsShortcutFile(const std::string& fileName) {
    struct stat st {};
    return !fileName.empty() && ::lstat(fileName.c_str(), &st) == 0 && S_ISLNK(st.st_mode);
}

void ValidateComputerFolder() {
    if (g_validationSuppressed != 0)
        return;
    shell::RefreshVolumes();
}

void DisableComputerFolderValidation() {
    ++g_validationSuppressed;
}

void EnableComputerFolderValidation() {
    --g_validationSuppressed;
}

std::string FormatStrPos(std::string_view format, std::span<const std::string> args) {
    if (format.empty())
        return {};
    if (args.size() > kMaxFormatStrings)
        throw std::runtime_error("FormatStrPos: Too many substitution strings");
    std::string out;
    for (std::size_t i = 0; i < format.size(); ++i) {
        if (format[i] != '%' || i + 1 >= format.size()) {
            out += format[i];
            continue;
        }
        const char c = format[i + 1];
        if (c >= '1' && c <= '9') {
            std::size_t j = i + 1;
            std::size_t number = 0;
            while (j < format.size() && j < i + 3 && format[j] >= '0' && format[j] <= '9')
                number = number * 10 + std::size_t(format[j++] - '0');
            if (number <= args.size())
                out += args[number - 1];
            else
                out.append(format.substr(i, j - i)); // no string for it: kept as written
            i = j - 1;
        } else if (c == '0') {
            break;
        } else if (c == 'n') {
            out += "\r\n";
            ++i;
        } else if (c == 't') {
            out += '\t';
            ++i;
        } else {
            out += c; // "%%", "%.", "%!" ...
            ++i;
        }
    }
    return out;
}

bool IsNetDriveConnected(std::string_view mountPoint) {
    for (const shell::Volume& v : shell::CurrentVolumes())
        if (v.Network && v.MountPoint == mountPoint)
            return true;
    return false;
}

} // namespace vdx
