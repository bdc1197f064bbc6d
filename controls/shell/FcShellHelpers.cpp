#include "controls/shell/FcShellHelpers.h"

#include "controls/shell/FcShellSendTo.h"
#include "platform/gui/shell_boxes.h"
#include "platform/os/ascii.h"
#include "platform/os/file_error.h"
#include "platform/shell/new_folder.h"
#include "platform/shell/special_folders.h"

#include <QAbstractScrollArea>
#include <QApplication>
#include <QGuiApplication>
#include <QScrollBar>
#include <QStyleHints>
#include <QWidget>

#include <chrono>
#include <stdexcept>
#include <thread>
#include <unistd.h>

namespace vdx {

bool IsFolderItem(std::uint32_t attributes, bool compressedAsFolders) {
    if (!(attributes & shell::SFGAO_FOLDER))
        return false;
    if (compressedAsFolders)
        return true;
    return !(ShellDllVersion() >= 0x0006000000000000ull && (attributes & shell::SFGAO_STREAM));
}

HRESULT SplitIdList(const IdList& given, ShellFolderPtr& parentFolder, IdList& parentList,
                    IdList& itemList) {
    parentFolder.reset();
    parentList = IdList();
    itemList = IdList();
    IdList list = given;
    if (list.Empty()) {
        std::optional<IdList> desktop;
        if (const HRESULT hr = ParsePathToIdList(SpecialFolderPath(shell::CSIDL_DESKTOP), desktop);
            shell::Failed(hr))
            return hr;
        list = *desktop;
    }
    if (list.ItemCount() == 1) {
        parentFolder = shell::GetDesktopFolder();
        itemList = list;
        return shell::S_OK;
    }
    parentList = list.WithoutLast();
    itemList = list.Last();
    return GetIdListFolder(&parentList, parentFolder);
}

HRESULT GetUIObjectOfIdList(const IdList& list, ContextMenuPtr& menu) {
    menu.reset();
    ShellFolderPtr parent;
    IdList parentList, item;
    if (const HRESULT hr = SplitIdList(list, parent, parentList, item); shell::Failed(hr))
        return hr;
    return parent->GetContextMenu({&item, 1}, menu);
}

HRESULT GetDesktopParentAndItem(IdList& parentList, IdList& itemList) {
    parentList = IdList();
    itemList = IdList();
    std::optional<IdList> desktop;
    if (shell::Succeeded(ParsePathToIdList(SpecialFolderPath(shell::CSIDL_DESKTOP), desktop)) &&
        !desktop->Empty()) {
        parentList = desktop->WithoutLast();
        itemList = desktop->Last();
    }
    return shell::S_OK;
}

HRESULT BuildContextMenu(shell::ShellFolder& folder, std::span<const IdList> items,
                         ContextMenuPtr& menu, std::vector<gui::TShellMenuEntry>& entries,
                         std::uint32_t flags, int firstId) {
    entries.clear();
    if (const HRESULT hr = folder.GetContextMenu(items, menu); shell::Failed(hr))
        return hr;
    const bool sendTo = !menu->Item().Path.empty();
    bool sendToPlaced = false;
    for (const shell::ContextMenuCommand& c : menu->Commands(flags)) {
        // Send To follows the commands that open or make things.
        if (sendTo && !sendToPlaced && c.Offset >= shell::kCommandDelete) {
            entries.push_back(SendToMenuEntry());
            sendToPlaced = true;
        }
        gui::TShellMenuEntry e;
        e.Id = firstId + static_cast<int>(c.Offset);
        e.Caption = c.Caption;
        e.Default = c.Default;
        entries.push_back(std::move(e));
    }
    if (sendTo && !sendToPlaced)
        entries.push_back(SendToMenuEntry());
    return shell::S_OK;
}

std::optional<unsigned> FindVerbCommand(const shell::ContextMenu& menu, std::string_view verb) {
    for (const shell::ContextMenuCommand& c : menu.Commands(shell::CMF_EXPLORE))
        if (os::EqualsIgnoringAsciiCase(c.Verb, verb))
            return c.Offset;
    return std::nullopt;
}

HRESULT InvokeContextMenuCommand(QWidget* owner, const shell::ContextMenu& menu, unsigned command) {
    gui::TShellBoxes boxes(owner);
    return menu.Invoke(command, boxes);
}

HRESULT InvokeContextMenuCommand(QWidget* owner, const shell::ContextMenu& menu,
                                 std::string_view verb) {
    // An absent verb does nothing: offset 0 is "open", not "none".
    const std::optional<unsigned> offset = FindVerbCommand(menu, verb);
    if (!offset)
        return shell::S_FALSE;
    return InvokeContextMenuCommand(owner, menu, *offset);
}

void HandleContextMenuSelect(int id, const shell::ContextMenu* menu, QObject* sender,
                             const TFcShPopupHintEvent& hint) {
    if (!menu || !hint)
        return;
    std::string text;
    if (id >= 1000)
        text = menu->HelpText(static_cast<unsigned>(id - 1000)).value_or("");
    hint(sender, text);
}

QWidget* OwnerFormHandle(QWidget* control) {
    return control ? control->window() : nullptr;
}

bool CreateNewFolderIn(const std::string& given, std::string& name, QWidget* owner) {
    std::string path = given;
    if (path.empty()) {
        char cwd[4096];
        if (::getcwd(cwd, sizeof cwd))
            path = cwd;
    }
    path = EnsureTrailingChar(path, '/');
    const auto longName = [](int n) {
        return n == 1 ? std::string("New Folder") : "New Folder (" + std::to_string(n) + ")";
    };
    const auto shortName = [](int n) {
        return n == 1 ? std::string("fldr") : "fldr" + std::to_string(n);
    };
    for (const auto& nameOf :
         {std::function<std::string(int)>(longName), std::function<std::string(int)>(shortName)}) {
        const shell::NewFolderResult made = shell::CreateFolderWithFreeName(path, nameOf, 50);
        if (made.Created) {
            name = made.Name;
            return true;
        }
        if (made.Error != EEXIST) {
            // Shown once: a second series of names would fail alike.
            gui::ShowCreateFolderError(made.Name, made.Error, owner);
            return false;
        }
    }
    gui::ShowCreateFolderError("New Folder", EEXIST, owner);
    return false;
}

TFcHourglass::TFcHourglass() {
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
}

TFcHourglass::~TFcHourglass() {
    QGuiApplication::restoreOverrideCursor();
}

void SleepWithHourglass(int milliseconds) {
    const TFcHourglass hourglass;
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

bool ScrollByLine(QAbstractScrollArea& control, int bar, int code) {
    QScrollBar* b = bar == SB_HORZ ? control.horizontalScrollBar() : control.verticalScrollBar();
    if (!b || b->maximum() - b->minimum() <= 0)
        return false;
    const int before = b->value();
    switch (code) {
    case SB_LINEUP:
        b->triggerAction(QAbstractSlider::SliderSingleStepSub);
        break;
    case SB_LINEDOWN:
        b->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        break;
    case SB_PAGEUP:
        b->triggerAction(QAbstractSlider::SliderPageStepSub);
        break;
    case SB_PAGEDOWN:
        b->triggerAction(QAbstractSlider::SliderPageStepAdd);
        break;
    default:
        break;
    }
    return b->value() != before;
}

bool WheelScroll(QAbstractScrollArea& control, int bar, int lineCode, int pageCode) {
    const int lines = QApplication::wheelScrollLines();
    if (lines < 0) {
        ScrollByLine(control, bar, pageCode);
        return true;
    }
    const int steps = bar == SB_HORZ ? 1 : lines;
    for (int i = 0; i < steps; ++i)
        ScrollByLine(control, bar, lineCode);
    return true;
}

void RaiseSysError(int error) {
    throw std::runtime_error(os::SysErrorMessage(error));
}

} // namespace vdx
