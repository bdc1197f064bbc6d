#pragma once
// What the shell namespace asks and tells the user, in message boxes (so
// tests script them through the message-box handler); items open through
// OpenDocument (shell_open.h).

#include "platform/shell/shell_ui.h"

#include <string>

class QWidget;

namespace vdx::gui {

class TShellBoxes final : public shell::ShellUi {
public:
    explicit TShellBoxes(QWidget* parent) : m_parent(parent) {}

    bool ConfirmTrash(const std::string& name, bool folder) override;
    void TrashFailed(const std::string& name, int error) override;
    void CreateFolderFailed(const std::string& name, int error) override;
    bool Open(const std::string& path) override;
    void ShowProperties(const shell::ItemProperties& properties) override;

private:
    QWidget* m_parent;
};

// The error of a rename the namespace refused (errno error).
void ShowRenameError(const std::string& name, const std::string& newName, int error,
                     QWidget* parent);
// The warning of a folder that could not be made.
void ShowCreateFolderError(const std::string& name, int error, QWidget* parent);

} // namespace vdx::gui
