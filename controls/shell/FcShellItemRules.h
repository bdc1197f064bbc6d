#pragma once
// What the shell tree and the shell list share of renaming their items in
// place and of filling on their own, over an adapter for the control's items:
//   Item                                   TTreeNode or TListItem
//   Data* DataOf(const Item*) const        the shell data, nullptr for none
//   ShellFolderPtr FolderOf(Data&) const   the folder that holds the item
// An item without shell data is the plain view's: the answers are nullopt.

#include "controls/shell/FcShellUtils.h"
#include "platform/gui/exception_guard.h"
#include "platform/gui/file_name_text.h"

#include <QMetaObject>
#include <QObject>
#include <QString>

#include <optional>
#include <string>

namespace vdx {

// The name the folder gives the item for editing.
template <class A>
std::optional<std::string> ShellEditingName(const A& items, const typename A::Item& item) {
    auto* data = items.DataOf(&item);
    if (!data)
        return std::nullopt;
    const ShellFolderPtr folder = items.FolderOf(*data);
    return GetIdListDisplayName(folder.get(), data->RelativeIdList(),
                                TFcDisplayNameKind::dnkForEditing);
}

// The editor's start text: the editing name as it shows on screen.
template <class A>
std::optional<QString> ShellEditStartText(const A& items, const typename A::Item& item) {
    if (const std::optional<std::string> name = ShellEditingName(items, item))
        return gui::FileNameToQString(*name);
    return std::nullopt;
}

// The typed text as a name: trimmed as the user sees it; an untouched name
// keeps its bytes.
template <class A>
std::optional<std::string> ShellEditedText(const A& items, const typename A::Item& item,
                                           const QString& typed) {
    if (const std::optional<std::string> name = ShellEditingName(items, item))
        return gui::QStringToFileName(typed.trimmed(), *name);
    return std::nullopt;
}

// Whether the folder lets the item be renamed.
template <class A> std::optional<bool> ShellCanRename(const A& items, typename A::Item* item) {
    if (auto* data = items.DataOf(item))
        return data->CanRename();
    return std::nullopt;
}

struct TFcShellRenamed {
    IdList Relative;     // the item's new list in its folder
    std::string Caption; // the name the folder now shows
};

// Renames the item in its folder; renamed is set when it succeeded.
template <class A>
HRESULT ShellRename(const A& items, typename A::Data& data, const std::string& name,
                    TFcShellRenamed& renamed) {
    const ShellFolderPtr folder = items.FolderOf(data);
    const HRESULT hr =
        folder ? folder->SetNameOf(data.RelativeIdList(), name, renamed.Relative) : shell::E_FAIL;
    if (shell::Succeeded(hr))
        renamed.Caption =
            GetIdListDisplayName(folder.get(), renamed.Relative, TFcDisplayNameKind::dnkInFolder);
    return hr;
}

// Fills the control once its owner has set it up: posted, so that what the
// owner sets after creating or loading it counts; fill runs only when
// wanted() still holds then.
template <class Wanted, class Fill> void PostShellFill(QObject& control, Wanted wanted, Fill fill) {
    QMetaObject::invokeMethod(
        &control,
        [wanted, fill] {
            gui::Guard([&] {
                if (wanted())
                    fill();
            });
        },
        Qt::QueuedConnection);
}

} // namespace vdx
