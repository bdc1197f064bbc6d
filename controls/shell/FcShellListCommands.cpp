// The shell list's commands: opening, verbs, the items' context menu,
// renaming in place, the default keys, the wheel, change notification,
// device changes; drag and drop is in FcShellListDragDrop.cpp.

#include "controls/buttons/FcButton.h"
#include "controls/shell/FcChangeHandler.h"
#include "controls/shell/FcShellDragDrop.h"
#include "controls/shell/FcShellKeys.h"
#include "controls/shell/FcShellList.h"
#include "controls/shell/FcShellSendTo.h"
#include "platform/gui/exception_guard.h"
#include "platform/gui/file_name_text.h"
#include "platform/gui/key_dispatcher.h"
#include "platform/gui/shell_boxes.h"
#include "platform/gui/shell_menu.h"
#include "platform/os/winfile.h"
#include "platform/shell/mounts.h"

#include <QAbstractItemView>
#include <QDialog>
#include <QMimeData>
#include <QPushButton>
#include <QTimer>

namespace vdx {

namespace {

constexpr std::uint32_t kNotifyFileAndDirName = 3;

} // namespace

QWidget* TFcCustomShellList::OwnerWindow() {
    return OwnerFormHandle(this);
}

bool TFcCustomShellList::NetworkFolder() const {
    const std::string path = m_currentFolder ? m_currentFolder->Path() : std::string();
    if (path.empty())
        return false;
    const shell::Volume* volume = shell::VolumeOfPath(shell::CurrentVolumes(), path);
    return volume && volume->Network;
}

// Opening.

bool TFcCustomShellList::DoItemOpen() {
    bool handled = false;
    if (OnItemOpen)
        OnItemOpen(this, handled);
    return !handled;
}

void TFcCustomShellList::RunDefaultCommand(const shell::ContextMenu& menu) {
    for (const shell::ContextMenuCommand& command : menu.Commands(shell::CMF_EXPLORE))
        if (command.Default) {
            InvokeContextMenuCommand(OwnerWindow(), menu, command.Offset);
            return;
        }
}

void TFcCustomShellList::OpenItem(TListItem* item) {
    FlushPendingFollow(true);
    TFcShellListData* data = ItemData(item);
    if (!data) {
        DoItemOpen();
        return;
    }
    const TFcHourglass hourglass;
    // A link to a folder is a folder item too; it opens where it points.
    if (data->IsShortcut()) {
        TLinkData link;
        link.NoUserInterface = true;
        if (shell::Succeeded(ResolveShortcut(data->PathName(), link, false)) &&
            os::DirectoryExists(link.Path)) {
            std::optional<IdList> target;
            if (shell::Succeeded(ParsePathToIdList(link.Path, target)) && target)
                OpenFolder(*target);
            return;
        }
    }
    if (data->IsFolder()) {
        OpenFolder(IdList(data->AbsoluteIdList()));
        return;
    }
    if (!DoItemOpen())
        return;
    ContextMenuPtr menu;
    if (shell::Succeeded(GetListItemUIObject(item, menu)) && menu)
        RunDefaultCommand(*menu);
}

void TFcCustomShellList::OpenSelection() {
    if (SelectedItemCount() < 2) {
        if (TListItem* selected = Selected())
            OpenItem(selected);
        return;
    }
    if (!DoItemOpen())
        return;
    ContextMenuPtr menu;
    if (shell::Succeeded(GetSelectionUIObject(menu)) && menu)
        RunDefaultCommand(*menu);
}

void TFcCustomShellList::OpenFolder(const IdList& list) {
    if (m_options.Contains(TFcShellListOption::sloNoFolderNavigation))
        return;
    const IdList target = list; // list may live in an item about to go
    SetSelected(nullptr);
    Items().Clear();
    if (m_shellTree)
        m_shellTree->SelectedFolder().SetIdList(&target);
    else
        m_folder.SetIdList(&target);
}

void TFcCustomShellList::GoUp(int levels) {
    if (m_options.Contains(TFcShellListOption::sloNoFolderNavigation))
        return;
    if (m_shellTree) {
        m_shellTree->GoUp(levels);
        return;
    }
    const IdList* list = m_folder.IdList();
    if (!list || list->ItemCount() == 0)
        return;
    const std::size_t n = list->ItemCount();
    const IdList up = list->First(n > std::size_t(levels) ? n - std::size_t(levels) : 0);
    m_folder.SetIdList(&up);
}

// Verbs.

HRESULT TFcCustomShellList::GetSelectionUIObject(ContextMenuPtr& menu) {
    const std::vector<IdList> lists = SelectedLists();
    if (lists.empty() || !m_currentFolder)
        return shell::E_FAIL;
    return m_currentFolder->GetContextMenu(lists, menu);
}

HRESULT TFcCustomShellList::GetListItemUIObject(TListItem* item, ContextMenuPtr& menu) {
    TFcShellListData* data = ItemData(item);
    if (!data || !m_currentFolder)
        return shell::E_INVALIDARG;
    const IdList relative = data->RelativeIdList();
    return m_currentFolder->GetContextMenu({&relative, 1}, menu);
}

HRESULT TFcCustomShellList::InvokeVerbOnSelection(const std::string& verb) {
    ContextMenuPtr menu;
    if (const HRESULT hr = GetSelectionUIObject(menu); shell::Failed(hr) || !menu)
        return shell::Failed(hr) ? hr : shell::E_FAIL;
    QPointer<QWidget> alive(this);
    const HRESULT hr = InvokeContextMenuCommand(OwnerWindow(), *menu, verb);
    // Other machines' changes raise no events: look again now.
    if (alive && NetworkFolder())
        RefreshList();
    return hr;
}

void TFcCustomShellList::InvokeFolderVerb(const std::string& verb) {
    ContextMenuPtr menu;
    OleCheck(GetUIObjectOfIdList(m_currentList, menu));
    if (!menu)
        OleCheck(shell::E_FAIL);
    OleCheck(InvokeContextMenuCommand(OwnerWindow(), *menu, verb));
}

// The context menu.

void TFcCustomShellList::DoListItemContextMenu(TListItem* item, TPoint& pos,
                                               gui::TPopupMenu*& menu) {
    TFcCustomListView::DoListItemContextMenu(item, pos, menu);
    if (m_options.Contains(TFcShellListOption::sloContextMenus) && !m_dragging) {
        ShowShellContextMenu(pos);
        menu = nullptr;
    }
}

void TFcCustomShellList::ShowShellContextMenu(TPoint pos) {
    const std::vector<IdList> lists = SelectedLists();
    if (lists.empty() || !m_currentFolder)
        return;
    std::uint32_t flags = shell::CMF_EXPLORE;
    if (TFcShellListData* focused = ItemData(ItemFocused());
        focused && !focused->PathName().empty() && !ReadOnly())
        flags |= shell::CMF_CANRENAME;
    ContextMenuPtr menu;
    std::vector<gui::TShellMenuEntry> entries;
    if (shell::Failed(BuildContextMenu(*m_currentFolder, lists, menu, entries, flags, 1000)))
        return;
    QPointer<QWidget> alive(this);
    m_currentMenu = menu;
    const int command = gui::TrackShellMenu(
        this, entries, ClientToScreen(pos),
        [&](int id) {
            if (alive)
                HandleContextMenuSelect(id, menu.get(), this, OnPopupHint);
        },
        [&](std::vector<gui::TShellMenuEntry>& popup) {
            HandleContextInitMenuPopup(popup, menu.get(), SendToList());
        });
    if (!alive)
        return;
    m_currentMenu.reset();
    if (command == 1000 + static_cast<int>(shell::kCommandRename)) {
        if (TListItem* focused = ItemFocused())
            focused->EditCaption();
        return;
    }
    if (command >= 1 && command < 1000) {
        // A Send To entry: the selection is copied into it.
        const std::vector<std::string>& names = SendToList().Names();
        if (static_cast<std::size_t>(command - 1) < names.size()) {
            const std::string name = names[static_cast<std::size_t>(command - 1)];
            const TDataObject_shlv object(m_currentList, lists);
            DropOnSendToEntry(name, *object.MimeData(), OwnerWindow());
        }
        return;
    }
    if (command >= 1000) {
        InvokeContextMenuCommand(OwnerWindow(), *menu, static_cast<unsigned>(command - 1000));
        if (alive && NetworkFolder())
            RefreshList();
    }
}

// Renaming.

std::string TFcCustomShellList::EditingName(const TListItem& item) const {
    TFcShellListData* data = ItemData(&item);
    if (!data)
        return item.Caption();
    return GetIdListDisplayName(m_currentFolder.get(), data->RelativeIdList(),
                                TFcDisplayNameKind::dnkForEditing);
}

QString TFcCustomShellList::EditStartText(const TListItem& item) const {
    if (!ItemData(&item))
        return TFcCustomListView::EditStartText(item);
    return gui::FileNameToQString(EditingName(item));
}

std::string TFcCustomShellList::EditedText(const TListItem& item, const QString& typed) const {
    if (!ItemData(&item))
        return TFcCustomListView::EditedText(item, typed);
    // Trimmed as the user sees it; an untouched name keeps its bytes.
    return gui::QStringToFileName(typed.trimmed(), EditingName(item));
}

bool TFcCustomShellList::CanEdit(TListItem* item) {
    TFcShellListData* data = ItemData(item);
    if (!data)
        return TFcCustomListView::CanEdit(item);
    return data->CanRename() && TFcCustomListView::CanEdit(item);
}

void TFcCustomShellList::Edit(TListItem* item, const std::optional<std::string>& text) {
    TFcShellListData* data = ItemData(item);
    if (!text || !data) {
        TFcCustomListView::Edit(item, text);
        RefreshWhenPending();
        return;
    }
    std::string name = *text;
    if (OnEdited)
        OnEdited(Sender(), item, name);
    {
        const TFcHourglass hourglass;
        m_suppressNextChange = true;
        IdList renamed;
        const HRESULT hr = m_currentFolder
                               ? m_currentFolder->SetNameOf(data->RelativeIdList(), name, renamed)
                               : shell::E_FAIL;
        if (shell::Succeeded(hr)) {
            item->SetCaption(GetIdListDisplayName(m_currentFolder.get(), renamed,
                                                  TFcDisplayNameKind::dnkInFolder));
            data->SetRelativeIdList(renamed);
        } else {
            m_suppressNextChange = false;
            gui::ShowRenameError(data->DisplayName(), name, shell::ErrnoOf(hr), OwnerWindow());
        }
    }
    RefreshWhenPending();
}

void TFcCustomShellList::RefreshWhenPending() {
    if (!m_pendingRefresh)
        return;
    // The editor is still closing: the refresh runs after it.
    m_pendingRefresh = false;
    QMetaObject::invokeMethod(
        this, [this] { gui::Guard([this] { RefreshList(); }); }, Qt::QueuedConnection);
}

void TFcCustomShellList::PostEditName(const std::string& name) {
    m_editName = name;
    QMetaObject::invokeMethod(
        this,
        [this] {
            gui::Guard([this] {
                for (int i = 0; i < Items().Count(); ++i) {
                    TListItem* item = Items().Item(i);
                    if (TFcShellListData* data = ItemData(item);
                        data && data->DisplayName() == m_editName) {
                        SetItemFocused(item);
                        item->EditCaption();
                        return;
                    }
                }
            });
        },
        Qt::QueuedConnection);
}

// Keys and the mouse.

bool TFcCustomShellList::EnterOpens() const {
    // A folder always opens; a document gives Enter to the form's default
    // button when there is one: ours as the dialog keys find it, or a
    // dialog's own.
    if (TFcShellListData* data = ItemData(Selected()); data && data->IsFolder())
        return true;
    if (gui::OfferToControls(*window(), [](gui::TDialogKeyTarget& target) {
            const auto* button = dynamic_cast<const TFcButton*>(&target);
            return button && button->ActiveDefault() && button->CanFocus();
        }))
        return false;
    const auto* dialog = qobject_cast<const QDialog*>(window());
    if (!dialog)
        return true;
    for (const QPushButton* button : dialog->findChildren<QPushButton*>())
        if (button->isDefault() && button->isVisible())
            return false;
    return true;
}

void TFcCustomShellList::KeyDown(int& key, Qt::KeyboardModifiers shift) {
    TFcCustomListView::KeyDown(key, shift);
    if (key == 0 || IsEditing() || !m_options.Contains(TFcShellListOption::sloDefaultKeyHandling))
        return;
    const TShortCut shortcut = ShortCutOf(key, shift);
    const bool plain = (shift & ~Qt::KeypadModifier) == Qt::NoModifier;
    const int saved = std::exchange(key, 0);
    QPointer<QWidget> alive(this);
    if (shortcut == DefaultKey(TFcDefaultKey::SelectAll)) {
        Items().BeginUpdate();
        View().selectAll();
        Items().EndUpdate();
    } else if (shortcut == DefaultKey(TFcDefaultKey::Refresh)) {
        Fill();
    } else if (shortcut == DefaultKey(TFcDefaultKey::Copy)) {
        InvokeVerbOnSelection("copy");
    } else if (shortcut == DefaultKey(TFcDefaultKey::Cut)) {
        InvokeVerbOnSelection("cut");
    } else if (shortcut == DefaultKey(TFcDefaultKey::Paste)) {
        InvokeFolderVerb("paste");
        if (alive)
            RefreshList();
    } else if (shortcut == DefaultKey(TFcDefaultKey::Rename)) {
        if (TListItem* focused = ItemFocused())
            focused->EditCaption();
    } else if (shortcut == DefaultKey(TFcDefaultKey::Delete) ||
               (shortcut & ~scShift) == DefaultKey(TFcDefaultKey::Delete)) {
        InvokeVerbOnSelection("delete");
        if (alive)
            RefreshList();
    } else if (plain && saved == Qt::Key_Backspace) {
        GoUp(1);
    } else if (plain && (saved == Qt::Key_Return || saved == Qt::Key_Enter) && EnterOpens()) {
        OpenSelection();
    } else {
        key = saved; // not ours: the default handling (or the dialog) has it
    }
}

void TFcCustomShellList::DoubleClicked(TPoint) {
    OpenSelection();
}

bool TFcCustomShellList::DoMouseWheelDown(Qt::KeyboardModifiers shift, TPoint mousePos) {
    if (TFcCustomListView::DoMouseWheelDown(shift, mousePos))
        return true;
    const int bar = ViewStyle() == gui::TViewStyle::vsList ? SB_HORZ : SB_VERT;
    return WheelScroll(View(), bar, SB_LINEDOWN, SB_PAGEDOWN);
}

bool TFcCustomShellList::DoMouseWheelUp(Qt::KeyboardModifiers shift, TPoint mousePos) {
    if (TFcCustomListView::DoMouseWheelUp(shift, mousePos))
        return true;
    const int bar = ViewStyle() == gui::TViewStyle::vsList ? SB_HORZ : SB_VERT;
    return WheelScroll(View(), bar, SB_LINEUP, SB_PAGEUP);
}

// Change notification and devices.

void TFcCustomShellList::WatchFolder() {
    m_refreshTimer->stop();
    if (!m_changeThread)
        m_changeThread = std::make_unique<TChangeHandlerThread>(this, WM_FCSHELLCHANGE);
    else
        m_changeThread->RemoveAllWatches();
    const std::string path = m_currentFolder ? m_currentFolder->Path() : std::string();
    if (!path.empty()) {
        int index = 0;
        m_changeThread->AddWatch(path, kNotifyFileAndDirName, index, false);
    }
}

bool TFcCustomShellList::event(QEvent* e) {
    if (e->type() == TFcShellChangeEvent::Type()) {
        if (m_suppressNextChange || m_dragging)
            m_suppressNextChange = false;
        else
            m_refreshTimer->start(View().hasFocus() ? 400 : 2000);
        return true;
    }
    return TFcCustomListView::event(e);
}

void TFcCustomShellList::DeviceChanged(TFcDeviceChangeMessage& msg) {
    if (msg.WParam != DBT_DEVICEARRIVAL && msg.WParam != DBT_DEVICEREMOVECOMPLETE)
        return;
    ValidateComputerFolder();
    DisableComputerFolderValidation();
    struct Enable {
        ~Enable() { EnableComputerFolderValidation(); }
    } enable;
    if (IdListToCsidl(m_currentList) == 17) // the Computer
        Fill();
}

} // namespace vdx
