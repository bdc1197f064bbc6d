#include "controls/shell/FcShellListData.h"

#include "controls/shell/FcShellHelpers.h"
#include "controls/shell/FcShellList.h"
#include "platform/os/datetime.h"
#include "platform/os/winfile.h"
#include "platform/shell/mounts.h"

#include <QDateTime>
#include <QLocale>
#include <QMimeDatabase>

#include <algorithm>
#include <array>

namespace vdx {

namespace {

// The Computer's columns; the last is not shown by default.
struct TColumnInfo {
    const char* Caption;
    int Fmt;
    int CxChar;
    bool OnByDefault;
};
constexpr std::array<TColumnInfo, 5> kComputerColumns{{{"Name", LVCFMT_LEFT, 20, true},
                                                       {"Type", LVCFMT_LEFT, 12, true},
                                                       {"Total Size", LVCFMT_RIGHT, 12, true},
                                                       {"Free Space", LVCFMT_RIGHT, 12, true},
                                                       {"File System", LVCFMT_LEFT, 10, false}}};

std::string SpaceText(std::uint64_t bytes) {
    return QLocale()
        .formattedDataSize(qint64(bytes), 1, QLocale::DataSizeTraditionalFormat)
        .toStdString();
}

// The volumes of the Computer by their items.
class TComputerDetails final : public IShellFolder2 {
public:
    explicit TComputerDetails(IdList computer) : m_computer(std::move(computer)) {}

    HRESULT GetDefaultColumnState(int column, std::uint32_t& state) override {
        if (column < 0 || std::size_t(column) >= kComputerColumns.size())
            return shell::E_INVALIDARG;
        state = kComputerColumns[std::size_t(column)].OnByDefault ? SHCOLSTATE_ONBYDEFAULT : 0;
        return shell::S_OK;
    }

    HRESULT GetDetailsOf(const IdList* item, int column, TShellDetails& details) override {
        if (column < 0 || std::size_t(column) >= kComputerColumns.size())
            return shell::E_INVALIDARG;
        const TColumnInfo& info = kComputerColumns[std::size_t(column)];
        details.Fmt = info.Fmt;
        details.CxChar = info.CxChar;
        if (!item) {
            details.Text = info.Caption;
            return shell::S_OK;
        }
        const Facts facts = FactsOf(*item);
        details.Text.clear();
        switch (column) {
        case 0:
            details.Text = facts.Name;
            break;
        case 1:
            details.Text = facts.Type;
            break;
        case 2:
            if (facts.Total)
                details.Text = SpaceText(*facts.Total);
            break;
        case 3:
            if (facts.Free)
                details.Text = SpaceText(*facts.Free);
            break;
        default:
            details.Text = facts.FsType;
            break;
        }
        return shell::S_OK;
    }

    std::optional<int> CompareIDs(int column, const IdList& a, const IdList& b) override {
        const Facts fa = FactsOf(a), fb = FactsOf(b);
        auto order = [](const auto& x, const auto& y) { return x < y ? -1 : y < x ? 1 : 0; };
        switch (column) {
        case 1:
            return order(fa.Type, fb.Type);
        case 2:
            return order(fa.Total, fb.Total);
        case 3:
            return order(fa.Free, fb.Free);
        case 4:
            return order(fa.FsType, fb.FsType);
        default:
            return order(fa.Name, fb.Name);
        }
    }

private:
    struct Facts {
        std::string Name, Type, FsType;
        std::optional<std::uint64_t> Total, Free;
    };

    Facts FactsOf(const IdList& item) const {
        Facts f;
        const IdList absolute = ConcatIdLists(&m_computer, &item);
        f.Name = AbsoluteIdListDisplayName(absolute);
        const std::string path = shell::PathOfIdList(absolute);
        const shell::Volume* volume = shell::VolumeOfPath(shell::CurrentVolumes(), path);
        if (!volume || volume->MountPoint != path)
            return f;
        f.FsType = volume->FsType;
        f.Type = volume->Network     ? "Network Drive"
                 : volume->Removable ? "Removable Disk"
                                     : "Local Disk";
        // A network server may not answer: its volume is never asked.
        std::uint64_t total = 0, free = 0;
        if (!volume->Network && shell::VolumeSpace(path, total, free)) {
            f.Total = total;
            f.Free = free;
        }
        return f;
    }

    IdList m_computer;
};

} // namespace

// Details.

HRESULT TShellFolder2ToShellDetailsAdapter::GetDetailsOf(const IdList* item, int column,
                                                         TShellDetails& details) {
    std::uint32_t state = 0;
    if (shell::Failed(m_folder->GetDefaultColumnState(column, state)) ||
        (state & SHCOLSTATE_ONBYDEFAULT))
        return m_folder->GetDetailsOf(item, column, details);
    return shell::E_INVALIDARG;
}

HRESULT TShellFolder2ToShellDetailsAdapter::ColumnClick(int) {
    return shell::E_NOTIMPL;
}

ShellFolder2Ptr FolderDetailsSource(const shell::ShellFolder& folder) {
    if (folder.AbsoluteList() == shell::ComputerIdList())
        return std::make_shared<TComputerDetails>(folder.AbsoluteList());
    return nullptr;
}

ShellDetailsPtr GetShellDetails(const ShellFolderPtr& folder) {
    if (!folder)
        return nullptr;
    ShellFolder2Ptr source = FolderDetailsSource(*folder);
    TShellDetails first;
    if (source && shell::Succeeded(source->GetDetailsOf(nullptr, 0, first)))
        return std::make_shared<TShellFolder2ToShellDetailsAdapter>(std::move(source));
    return nullptr;
}

// Default texts.

std::string SizeText(std::uint64_t bytes) {
    const std::uint64_t kb = bytes / 1024 + (bytes % 1024 ? 1 : 0);
    return QLocale().toString(qulonglong(kb)).toStdString() + "KB";
}

TFcDefaultDetails DefaultDetailTexts(const IdList& absolute, std::uint32_t attributes) {
    TFcDefaultDetails d;
    const std::string path = IdListToPath(&absolute);
    bool directory = attributes & shell::SFGAO_FOLDER;
    if (path.size() > 1) {
        if (const std::optional<os::FindData> found = os::FindFile(path)) {
            directory = found->attributes & os::FILE_ATTRIBUTE_DIRECTORY;
            if (!directory) {
                d.Bytes = found->size;
                d.Size = SizeText(found->size);
            }
            const os::FileTime time =
                found->times.lastWrite != 0 ? found->times.lastWrite : found->times.creation;
            const timespec ts = os::FileTimeToTimespec(time);
            d.ModifiedSeconds = std::int64_t(ts.tv_sec);
            const QDateTime local = QDateTime::fromSecsSinceEpoch(ts.tv_sec);
            const QLocale locale;
            d.Modified = (locale.toString(local.date(), QLocale::ShortFormat) + " " +
                          locale.toString(local.time(), QLocale::ShortFormat))
                             .toStdString();
        }
    }
    if (!(attributes & shell::SFGAO_FILESYSTEM)) {
        d.Type = "System Folder";
    } else if (directory) {
        d.Type = "File folder";
    } else {
        const std::size_t slash = path.find_last_of('/');
        const QString name =
            QString::fromUtf8(slash == std::string::npos ? path : path.substr(slash + 1));
        d.Type = QMimeDatabase()
                     .mimeTypeForFile(name, QMimeDatabase::MatchExtension)
                     .comment()
                     .toStdString();
    }
    return d;
}

// The item data.

void TFcShellListData::SetRelativeIdList(IdList list) {
    m_relative = std::move(list);
    InvalidateCache();
}

void TFcShellListData::InvalidateCache() {
    m_absolute.reset();
    m_displayName.reset();
    m_details.reset();
    m_icon.reset();
}

int TFcShellListData::IconIndex() {
    if (!m_icon)
        m_icon = IdListIconIndex(&AbsoluteIdList(), SHGFI_SMALLICON);
    return *m_icon;
}

const IdList& TFcShellListData::AbsoluteIdList() {
    if (!m_absolute)
        m_absolute = ConcatIdLists(&m_owner->FolderIdList(), &m_relative);
    return *m_absolute;
}

bool TFcShellListData::IsFolder() const {
    return IsFolderItem(m_attributes, m_owner->Options().Contains(
                                          TFcShellListOption::sloCompressedFoldersAsFolders));
}

bool TFcShellListData::CanRename() {
    const ShellFolderPtr folder = m_owner->CurrentFolder();
    std::uint32_t attributes = shell::SFGAO_CANRENAME;
    return folder && shell::Succeeded(folder->GetAttributesOf({&m_relative, 1}, attributes)) &&
           (attributes & shell::SFGAO_CANRENAME);
}

bool TFcShellListData::IsShortcut() {
    return IsShortcutFile(PathName());
}

const std::string& TFcShellListData::DisplayName() {
    if (!m_displayName)
        m_displayName = GetIdListDisplayName(m_owner->CurrentFolder().get(), m_relative,
                                             TFcDisplayNameKind::dnkNormal);
    return *m_displayName;
}

std::string TFcShellListData::PathName() {
    return IdListToPath(&AbsoluteIdList());
}

const TFcDefaultDetails& TFcShellListData::DefaultDetails() {
    if (!m_details)
        m_details = DefaultDetailTexts(AbsoluteIdList(), m_attributes);
    return *m_details;
}

std::string TFcShellListData::DetailText(int column) {
    if (column == 0)
        return {};
    if (const ShellDetailsPtr details = m_owner->ShellDetails()) {
        TShellDetails d;
        return shell::Succeeded(details->GetDetailsOf(&m_relative, column, d)) ? d.Text
                                                                               : std::string();
    }
    const TFcDefaultDetails& d = DefaultDetails();
    switch (column) {
    case 1:
        return d.Size;
    case 2:
        return d.Type;
    case 3:
        return d.Modified;
    default:
        return {};
    }
}

} // namespace vdx
