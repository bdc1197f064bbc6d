#include "platform/gui/shell_boxes.h"

#include "platform/gui/file_name_text.h"
#include "platform/gui/message_box.h"
#include "platform/gui/shell_open.h"
#include "platform/os/datetime.h"
#include "platform/os/file_error.h"
#include "platform/shell/shell_folder.h"

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

} // namespace

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
