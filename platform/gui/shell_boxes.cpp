#include "platform/gui/shell_boxes.h"

#include "platform/gui/file_name_text.h"
#include "platform/gui/message_box.h"
#include "platform/gui/popup_menu.h"
#include "platform/gui/shell_open.h"
#include "platform/os/datetime.h"
#include "platform/os/file_error.h"
#include "platform/shell/file_transfer.h"
#include "platform/shell/shell_data.h"
#include "platform/shell/shell_folder.h"

#include <QClipboard>
#include <QCoreApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QMimeData>
#include <QProgressDialog>

#include <cerrno>
#include <cstdio>

namespace vdx::gui {

namespace {

std::string Quoted(const std::string& name) {
    return "'" + FileNameToAnsi(name) + "'";
}

std::string Modified(os::FileTime time) {
    const timespec ts = os::FileTimeToTimespec(time);
    std::tm local{};
    ::localtime_r(&ts.tv_sec, &local);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
    return text;
}

// The most names one box lists; the rest are counted.
constexpr std::size_t kMaxNamesListed = 20;

std::string NameList(const std::vector<std::string>& lines) {
    std::string text;
    for (std::size_t i = 0; i < lines.size() && i < kMaxNamesListed; ++i)
        text += "\r" + lines[i];
    if (lines.size() > kMaxNamesListed)
        text += "\r... and " + std::to_string(lines.size() - kMaxNamesListed) + " more";
    return text;
}

QByteArray Bytes(std::string_view text) {
    return QByteArray(text.data(), qsizetype(text.size()));
}

} // namespace

TShellBoxes::TShellBoxes(QWidget* parent) : m_parent(parent) {}

TShellBoxes::~TShellBoxes() = default;

bool TShellBoxes::ConfirmTrashItems(std::size_t count) {
    return MessageDlg("Are you sure you want to move these " + std::to_string(count) +
                          " items to the Trash?",
                      TMsgDlgType::mtConfirmation, mbYesNo, m_parent) == mrYes;
}

bool TShellBoxes::TransferProgress(std::uint64_t done, std::uint64_t total,
                                   const std::string& name) {
    if (!m_progress) {
        m_progress = std::make_unique<QProgressDialog>(m_parent);
        m_progress->setWindowTitle(QStringLiteral("Copying..."));
        m_progress->setCancelButtonText(QStringLiteral("Cancel"));
        m_progress->setMinimumDuration(0);
        m_progress->setAutoClose(false);
        m_progress->setAutoReset(false);
        m_progress->setWindowModality(Qt::WindowModal);
    }
    // Whole thousandths: the dialog counts in int.
    const int permille = total == 0 ? 0 : int(std::min<std::uint64_t>(done, total) * 1000 / total);
    m_progress->setRange(0, total == 0 ? 0 : 1000);
    m_progress->setValue(permille);
    m_progress->setLabelText(QString::fromStdString(FileNameToAnsi(name)));
    if (!m_progress->isVisible())
        m_progress->show();
    QCoreApplication::processEvents(); // lets Cancel be clicked
    return !m_progress->wasCanceled();
}

void TShellBoxes::CloseProgress() {
    m_progress.reset();
}

void TShellBoxes::TransferSkipped(const std::vector<std::string>& names) {
    CloseProgress();
    std::vector<std::string> lines;
    for (const std::string& n : names)
        lines.push_back(Quoted(n));
    MessageDlg("These items were not transferred: the folder already holds items of the same "
               "names. Nothing was overwritten.\r" +
                   NameList(lines),
               TMsgDlgType::mtWarning, TMsgDlgBtn::mbOK, m_parent);
}

void TShellBoxes::TransferFailed(const std::vector<std::pair<std::string, int>>& failures) {
    CloseProgress();
    std::vector<std::string> lines;
    for (const auto& [name, error] : failures) {
        const std::string reason = error == EINVAL ? std::string("A folder cannot go into itself.")
                                                   : os::SysErrorMessage(error);
        lines.push_back(Quoted(name) + ": " + reason);
    }
    MessageDlg("These items could not be transferred:\r" + NameList(lines), TMsgDlgType::mtError,
               TMsgDlgBtn::mbOK, m_parent);
}

std::uint32_t TShellBoxes::AskDropKind(std::uint32_t allowed) {
    CloseProgress();
    std::uint32_t chosen = shell::DROPEFFECT_NONE;
    TPopupMenu menu;
    const auto add = [&](const char* caption, std::uint32_t effect) {
        TMenuItem* item = menu.Add(caption, [&chosen, effect](QObject*) { chosen = effect; });
        item->Enabled = effect == shell::DROPEFFECT_NONE || (allowed & effect) != 0;
    };
    add("&Copy Here", shell::DROPEFFECT_COPY);
    add("&Move Here", shell::DROPEFFECT_MOVE);
    add("Create &Link Here", shell::DROPEFFECT_LINK);
    menu.Add("-");
    add("Cancel", shell::DROPEFFECT_NONE);
    const QPoint at = QCursor::pos();
    menu.Popup(at.x(), at.y());
    return chosen & allowed;
}

void TShellBoxes::SetClipboardFiles(const shell::IdList& parent,
                                    std::span<const shell::IdList> items,
                                    const std::vector<std::string>& paths, bool cut) {
    auto data = std::make_unique<QMimeData>();
    if (!items.empty()) {
        const std::vector<std::uint8_t> block = shell::BuildIdListArray(parent, items);
        data->setData(
            shell::kIdListArrayMime,
            QByteArray(reinterpret_cast<const char*>(block.data()), qsizetype(block.size())));
    }
    data->setData(shell::kUriListMime, Bytes(shell::BuildUriList(paths)));
    data->setData(shell::kGnomeCopiedFilesMime, Bytes(shell::BuildGnomeCopiedFiles(paths, cut)));
    QGuiApplication::clipboard()->setMimeData(data.release()); // the clipboard takes it
}

std::optional<std::pair<bool, std::vector<std::string>>> TShellBoxes::ClipboardFiles() {
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    if (!data)
        return std::nullopt;
    if (data->hasFormat(shell::kGnomeCopiedFilesMime)) {
        const QByteArray bytes = data->data(shell::kGnomeCopiedFilesMime);
        if (auto files =
                shell::ParseGnomeCopiedFiles({bytes.constData(), std::size_t(bytes.size())}))
            return files;
    }
    if (data->hasFormat(shell::kUriListMime)) {
        const QByteArray bytes = data->data(shell::kUriListMime);
        std::vector<std::string> paths =
            shell::ParseUriList({bytes.constData(), std::size_t(bytes.size())});
        if (!paths.empty())
            return std::pair{false, std::move(paths)};
    }
    return std::nullopt;
}

void TShellBoxes::ClearClipboardFiles() {
    QGuiApplication::clipboard()->clear();
}

bool TShellBoxes::ConfirmTrash(const std::string& name, bool folder) {
    const std::string text = std::string("Are you sure you want to move the ") +
                             (folder ? "folder " : "file ") + Quoted(name) +
                             " and all its contents to the Trash?";
    return MessageDlg(folder ? text
                             : "Are you sure you want to move " + Quoted(name) + " to the Trash?",
                      TMsgDlgType::mtConfirmation, mbYesNo, m_parent) == mrYes;
}

void TShellBoxes::TrashFailed(const std::string& name, int error) {
    const std::string reason =
        error == EXDEV ? "No Trash on its file system takes it." : os::SysErrorMessage(error);
    MessageDlg("Cannot move " + Quoted(name) + " to the Trash. Nothing was deleted.\r\r" + reason,
               TMsgDlgType::mtError, TMsgDlgBtn::mbOK, m_parent);
}

void TShellBoxes::CreateFolderFailed(const std::string& name, int error) {
    ShowCreateFolderError(name, error, m_parent);
}

bool TShellBoxes::Open(const std::string& path) {
    return OpenDocument(path);
}

void TShellBoxes::ShowProperties(const shell::ItemProperties& p) {
    std::string text = "Name: " + FileNameToAnsi(p.Name) + "\rType: " + p.Kind;
    if (!p.Path.empty())
        text += "\rLocation: " + FileNameToAnsi(p.Path);
    if (p.Kind == "File")
        text += "\rSize: " + std::to_string(p.Size) + " bytes";
    if (p.LastWrite != 0)
        text += "\rModified: " + Modified(p.LastWrite);
    if (!p.LinkTarget.empty())
        text += "\rLink to: " + FileNameToAnsi(p.LinkTarget);
    std::string attributes;
    if (p.Attributes & shell::SFGAO_READONLY)
        attributes += "Read-only";
    if (p.Attributes & shell::SFGAO_HIDDEN)
        attributes += attributes.empty() ? "Hidden" : ", Hidden";
    if (!attributes.empty())
        text += "\rAttributes: " + attributes;
    MessageDlg(text, TMsgDlgType::mtInformation, TMsgDlgBtn::mbOK, m_parent);
}

void ShowRenameError(const std::string& name, const std::string& newName, int error,
                     QWidget* parent) {
    std::string reason;
    if (error == EINVAL)
        reason = "A name cannot be empty, \".\" or \"..\", nor hold \"/\".";
    else if (error == EEXIST)
        reason = "There is already an item named " + Quoted(newName) + ".";
    else
        reason = os::SysErrorMessage(error);
    MessageDlg("Cannot rename " + Quoted(name) + ".\r\r" + reason, TMsgDlgType::mtError,
               TMsgDlgBtn::mbOK, parent);
}

void ShowCreateFolderError(const std::string& name, int error, QWidget* parent) {
    MessageDlg("Unable to create the folder " + Quoted(name) + "\n\n" + os::SysErrorMessage(error),
               TMsgDlgType::mtWarning, TMsgDlgBtn::mbOK, parent);
}

} // namespace vdx::gui
