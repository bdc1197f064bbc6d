// The shell tree's commands: renaming in place, the new folder, verbs, the
// items' context menu, the default keys, change notification and device
// changes.

#include "controls/shell/FcShellItemRules.h"
#include "controls/shell/FcShellKeys.h"
#include "controls/shell/FcShellList.h"
#include "controls/shell/FcShellSendTo.h"
#include "controls/shell/FcShellTree.h"
#include "platform/gui/exception_guard.h"
#include "platform/gui/file_name_text.h"
#include "platform/gui/shell_boxes.h"
#include "platform/gui/shell_menu.h"
#include "platform/shell/context_menu.h"
#include "platform/shell/mounts.h"

#include <QMimeData>
#include <QPointer>
#include <QTimer>
#include <QTreeView>

namespace vdx {

namespace {

// Drops the cached lists and folders of every node below node.
void ResetBelow(const TFcCustomShellTree& tree, TTreeNode* node) {
    for (int i = 0; i < node->Count(); ++i) {
        TTreeNode* child = node->Item(i);
        if (TFcShellTreeData* data = tree.NodeData(child))
            data->ResetCache();
        ResetBelow(tree, child);
    }
}

// The tree's nodes for the rename rules: each in its parent's folder.
struct TShellTreeNodes {
    using Item = TTreeNode;
    using Data = TFcShellTreeData;
    const TFcCustomShellTree& Tree;
    Data* DataOf(const Item* node) const { return Tree.NodeData(node); }
    ShellFolderPtr FolderOf(Data& data) const { return data.ParentFolder(); }
};

} // namespace

// Renaming.

QString TFcCustomShellTree::EditStartText(const TTreeNode& node) const {
    if (std::optional<QString> text = ShellEditStartText(TShellTreeNodes{*this}, node))
        return *std::move(text);
    return TFcCustomTreeView::EditStartText(node);
}

std::string TFcCustomShellTree::EditedText(const TTreeNode& node, const QString& typed) const {
    if (std::optional<std::string> name = ShellEditedText(TShellTreeNodes{*this}, node, typed))
        return *std::move(name);
    return TFcCustomTreeView::EditedText(node, typed);
}

bool TFcCustomShellTree::CanEdit(TTreeNode* node) {
    const std::optional<bool> rename = ShellCanRename(TShellTreeNodes{*this}, node);
    return rename.value_or(true) && TFcCustomTreeView::CanEdit(node);
}

void TFcCustomShellTree::Edit(TTreeNode* node, const std::optional<std::string>& text) {
    TFcShellTreeData* data = NodeData(node);
    if (!text || !data) {
        TFcCustomTreeView::Edit(node, text);
        return;
    }
    std::string name = *text;
    if (OnEdited)
        OnEdited(this, node, name);
    QPointer<QWidget> alive(this);
    {
        const TFcHourglass hourglass;
        m_suppressNextChange = true;
        const TRaised busy(m_busy);
        TFcShellRenamed renamed;
        const HRESULT hr = ShellRename(TShellTreeNodes{*this}, *data, name, renamed);
        if (shell::Succeeded(hr)) {
            ResetBelow(*this, node);
            node->SetText(renamed.Caption);
            data->ReplaceRelativeIdList(renamed.Relative);
            // SelectedFolder and the linked list follow the selection, which
            // the rename moved when it lies at or below the node.
            if (TTreeNode* selected = Selected();
                selected && (selected == node || selected->HasAsParent(node)))
                if (TFcShellTreeData* sd = NodeData(selected)) {
                    m_selectedFolder.SetIdList(&sd->AbsoluteIdList());
                    if (m_shellList)
                        m_shellList->Folder().SetIdList(&sd->AbsoluteIdList());
                }
            SortChildren(node->Parent());
        } else {
            // Nothing changed on disk, so the next change is someone else's.
            m_suppressNextChange = false;
            gui::ShowRenameError(node->Text(), name, shell::ErrnoOf(hr), OwnerWindow());
        }
    }
    if (alive && m_pendingRefresh) {
        m_pendingRefresh = false;
        RefreshTree();
    }
}

// Commands.

bool TFcCustomShellTree::CreateNewFolder() {
    const std::string path = SelectedPathName();
    if (path.empty())
        return false; // a virtual folder: nowhere to make it
    m_suppressNextChange = true;
    std::string name;
    QPointer<QWidget> alive(this);
    if (!CreateNewFolderIn(path, name, OwnerWindow()) || !alive)
        return false;
    // No waiting: the namespace reads the disk.
    RefreshTree();
    TTreeNode* selected = Selected();
    if (!selected)
        return true;
    FillNodeIfNeeded(selected);
    selected->Expand(false);
    for (int i = 0; i < selected->Count(); ++i) {
        if (selected->Item(i)->Text() == name) {
            selected->Item(i)->EditText();
            break;
        }
    }
    return true;
}

HRESULT TFcCustomShellTree::InvokeVerb(TTreeNode* node, const std::string& verb) {
    TFcShellTreeData* data = NodeData(node);
    if (!data || !data->ParentData())
        return shell::S_FALSE;
    const ShellFolderPtr parent = data->ParentFolder();
    if (!parent)
        OleCheck(shell::E_FAIL);
    ContextMenuPtr menu;
    const IdList item = data->RelativeIdList();
    OleCheck(parent->GetContextMenu({&item, 1}, menu));
    QPointer<QWidget> alive(this);
    const HRESULT hr = InvokeContextMenuCommand(OwnerWindow(), *menu, verb);
    if (alive)
        RefreshTree();
    return hr;
}

void TFcCustomShellTree::SendToCommand(TTreeNode* node, int index) {
    const std::vector<std::string>& names = SendToList().Names();
    if (index < 0 || static_cast<std::size_t>(index) >= names.size())
        return;
    const std::string name = names[static_cast<std::size_t>(index)];
    const TDataObject_shtv object(*this, node);
    DropOnSendToEntry(name, *object.MimeData(), OwnerWindow());
}

// The context menu.

void TFcCustomShellTree::DoNodeContextMenu(TTreeNode* node, TPoint& pos, gui::TPopupMenu*& menu) {
    TFcCustomTreeView::DoNodeContextMenu(node, pos, menu);
    if (m_options.Contains(TFcShellTreeOption::stoContextMenus) && node) {
        ShowShellContextMenu(node, pos);
        menu = nullptr;
    }
}

void TFcCustomShellTree::ShowShellContextMenu(TTreeNode* node, TPoint pos) {
    TFcShellTreeData* data = NodeData(node);
    if (!data)
        return;
    const ShellFolderPtr parent = data->ParentFolder();
    if (!parent || data->AbsoluteIdList().Empty())
        return;
    ContextMenuPtr menu;
    std::vector<gui::TShellMenuEntry> entries;
    std::uint32_t flags = shell::CMF_EXPLORE;
    // The root is never renamed in place: its menu does not offer it.
    if (!ReadOnly() && data->ParentData())
        flags |= shell::CMF_CANRENAME;
    const IdList item = data->RelativeIdList();
    if (shell::Failed(BuildContextMenu(*parent, {&item, 1}, menu, entries, flags, 1000)))
        return;
    QPointer<QWidget> alive(this);
    int command = 0;
    {
        // The nodes stay while the menu refers to them.
        m_dragOrMenu = true;
        m_currentMenu = menu;
        struct Done {
            TFcCustomShellTree* tree;
            QPointer<QWidget>& alive;
            ~Done() {
                if (alive) {
                    tree->m_dragOrMenu = false;
                    tree->m_currentMenu.reset();
                }
            }
        } done{this, alive};
        command = gui::TrackShellMenu(
            this, entries, ClientToScreen(pos),
            [&](int id) {
                if (alive)
                    HandleContextMenuSelect(id, menu.get(), this, OnPopupHint);
            },
            [&](std::vector<gui::TShellMenuEntry>& popup) {
                HandleContextInitMenuPopup(popup, menu.get(), SendToList());
            });
        if (!alive || !HasNode(node))
            return;
        if (command == 1000 + static_cast<int>(shell::kCommandRename)) {
            node->EditText();
            return;
        }
        if (command >= 1 && command < 1000) {
            SendToCommand(node, command - 1);
            return;
        }
        if (command >= 1000)
            InvokeContextMenuCommand(OwnerWindow(), *menu, static_cast<unsigned>(command - 1000));
    }
    // The command ran: refreshed now that no menu holds the nodes.
    if (alive && command >= 1000)
        RefreshTree();
}

// Keys.

void TFcCustomShellTree::KeyDown(int& key, Qt::KeyboardModifiers shift) {
    TFcCustomTreeView::KeyDown(key, shift);
    if (key == 0 || IsEditing() || !m_options.Contains(TFcShellTreeOption::stoDefaultKeyHandling))
        return;
    const TShortCut shortcut = ShortCutOf(key, shift);
    const int saved = std::exchange(key, 0);
    QPointer<QWidget> alive(this);
    TTreeNode* selected = Selected();
    if (shortcut == DefaultKey(TFcDefaultKey::Rename)) {
        if (selected)
            selected->EditText();
    } else if (shortcut == DefaultKey(TFcDefaultKey::Refresh)) {
        RefreshTree();
    } else if (shortcut == DefaultKey(TFcDefaultKey::Cut)) {
        InvokeVerb(selected, "cut");
    } else if (shortcut == DefaultKey(TFcDefaultKey::Copy)) {
        InvokeVerb(selected, "copy");
    } else if (shortcut == DefaultKey(TFcDefaultKey::Paste)) {
        InvokeVerb(selected, "paste");
        if (alive)
            RefreshTree();
    } else if (shortcut == DefaultKey(TFcDefaultKey::Delete) ||
               (shortcut & ~scShift) == DefaultKey(TFcDefaultKey::Delete)) {
        InvokeVerb(selected, "delete");
        if (alive)
            RefreshTree();
    } else {
        key = saved; // not ours: the default handling has it
    }
}

// Change notification.

void TFcCustomShellTree::StartChangeNotification() {
    WatchDrive({});
    for (const shell::Volume& volume : shell::CurrentVolumes())
        if (shell::IsWatchedVolume(volume))
            WatchDrive(volume.MountPoint);
}

void TFcCustomShellTree::WatchDrive(const std::string& path) {
    if (path.empty()) {
        if (m_changeThread)
            m_changeThread->RemoveAllWatches();
        m_watchedVolumes.clear();
        return;
    }
    const shell::Volume* volume = shell::VolumeOfPath(shell::CurrentVolumes(), path);
    if (!volume)
        return;
    for (const auto& [mountPoint, slot] : m_watchedVolumes)
        if (mountPoint == volume->MountPoint)
            return;
    if (!m_changeThread)
        m_changeThread = std::make_unique<TChangeHandlerThread>(this, WM_FCSHELLCHANGE);
    std::uint32_t filter = shell::FILE_NOTIFY_CHANGE_DIR_NAME;
    if (m_options.Contains(TFcShellTreeOption::stoIncludeNonFolders))
        filter |= shell::FILE_NOTIFY_CHANGE_FILE_NAME;
    int slot = -1;
    if (!m_changeThread->AddWatch(volume->MountPoint, filter, slot, true))
        return;
    m_watchedVolumes.emplace_back(volume->MountPoint, slot);
    // Nodes filled before the watch began.
    for (TTreeNode* n = Items().GetFirstNode(); n; n = n->GetNext())
        if (n->Count() > 0 || !n->Parent())
            WatchNodeFolder(n);
}

void TFcCustomShellTree::WatchNodeFolder(TTreeNode* node) {
    TFcShellTreeData* data = NodeData(node);
    if (!m_changeThread || m_watchedVolumes.empty() || !data)
        return;
    const std::string path = data->PathName();
    const shell::Volume* volume =
        path.empty() ? nullptr : shell::VolumeOfPath(shell::CurrentVolumes(), path);
    if (!volume)
        return; // a virtual folder
    for (const auto& [mountPoint, slot] : m_watchedVolumes)
        if (mountPoint == volume->MountPoint)
            m_changeThread->AddSubtreeFolder(slot, path);
}

bool TFcCustomShellTree::event(QEvent* event) {
    if (event->type() != TFcShellChangeEvent::Type())
        return TFcCustomTreeView::event(event);
    if (static_cast<TFcShellChangeEvent*>(event)->Msg == WM_FCSHELLCHANGE)
        ShellChanged();
    return true;
}

void TFcCustomShellTree::ShellChanged() {
    // Our own rename or new folder, or a menu whose handlers hold the nodes.
    if (m_suppressNextChange || m_dragOrMenu) {
        m_suppressNextChange = false;
        return;
    }
    const bool focused = hasFocus() || View().hasFocus();
    m_timerTag = 2;
    m_refreshTimer->start(focused ? 400 : 2000);
}

// Devices.

void TFcCustomShellTree::DeviceChanged(TFcDeviceChangeMessage& msg) {
    if (msg.WParam != DBT_DEVICEARRIVAL && msg.WParam != DBT_DEVICEREMOVECOMPLETE)
        return;
    ValidateComputerFolder();
    DisableComputerFolderValidation();
    struct Enable {
        ~Enable() { EnableComputerFolderValidation(); }
    } enable;
    RefreshTree();
}

} // namespace vdx
