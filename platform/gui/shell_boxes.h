#pragma once
// What the shell namespace asks and tells the user, in message boxes (so
// tests script them through the message-box handler); items open through
// OpenDocument (shell_open.h). A transfer's progress shows in a progress
// dialog that stays until the boxes go; a right-button drop asks in a
// pop-up menu at the cursor; files go to the clipboard in three forms
// (shell_data.h).

#include "platform/shell/shell_ui.h"

#include <memory>
#include <string>

class QProgressDialog;
class QWidget;

namespace vdx::gui {

class TShellBoxes final : public shell::ShellUi {
public:
    explicit TShellBoxes(QWidget* parent);
    ~TShellBoxes() override;
    TShellBoxes(const TShellBoxes&) = delete;
    TShellBoxes& operator=(const TShellBoxes&) = delete;

    bool ConfirmTrash(const std::string& name, bool folder) override;
    bool ConfirmTrashItems(std::size_t count) override;
    void TrashFailed(const std::string& name, int error) override;
    void CreateFolderFailed(const std::string& name, int error) override;
    bool Open(const std::string& path) override;
    void ShowProperties(const shell::ItemProperties& properties) override;
    bool TransferProgress(std::uint64_t done, std::uint64_t total,
                          const std::string& name) override;
    void TransferSkipped(const std::vector<std::string>& names) override;
    void TransferFailed(const std::vector<std::pair<std::string, int>>& failures) override;
    std::uint32_t AskDropKind(std::uint32_t allowed) override;
    void SetClipboardFiles(const shell::IdList& parent, std::span<const shell::IdList> items,
                           const std::vector<std::string>& paths, bool cut) override;
    std::optional<std::pair<bool, std::vector<std::string>>> ClipboardFiles() override;
    void ClearClipboardFiles() override;

    // The progress dialog while a transfer shows one, else nullptr.
    QProgressDialog* Progress() const noexcept { return m_progress.get(); }

private:
    void CloseProgress();

    QWidget* m_parent;
    std::unique_ptr<QProgressDialog> m_progress;
};

// The error of a rename the namespace refused (errno error).
void ShowRenameError(const std::string& name, const std::string& newName, int error,
                     QWidget* parent);
// The warning of a folder that could not be made.
void ShowCreateFolderError(const std::string& name, int error, QWidget* parent);

} // namespace vdx::gui
