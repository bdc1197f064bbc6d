#include "platform/gui/shell_menu.h"

#include "platform/gui/ansi_text.h"
#include "platform/gui/file_name_text.h"

#include <QAction>
#include <QMenu>

#include <memory>
#include <utility>

namespace vdx::gui {

namespace {

TShellMenuHandler& Handler() {
    static TShellMenuHandler handler;
    return handler;
}

void InitAll(std::vector<TShellMenuEntry>& entries, const TShellMenuInitPopup& initPopup) {
    for (TShellMenuEntry& e : entries) {
        if (e.SubMenu.empty())
            continue;
        initPopup(e.SubMenu);
        InitAll(e.SubMenu, initPopup);
    }
}

QString CaptionOf(const TShellMenuEntry& e) {
    if (!e.FileName)
        return AnsiToQString(e.Caption);
    return FileNameToQString(e.Caption).replace(QLatin1Char('&'), QStringLiteral("&&"));
}

void AddEntries(QMenu& menu, const std::vector<TShellMenuEntry>& entries,
                const TShellMenuInitPopup& initPopup);

// A submenu whose entries are its own copy, filled again each time it opens.
void AddSubMenu(QMenu& menu, const TShellMenuEntry& e, const TShellMenuInitPopup& initPopup) {
    QMenu* sub = menu.addMenu(CaptionOf(e));
    sub->setEnabled(e.Enabled);
    auto entries = std::make_shared<std::vector<TShellMenuEntry>>(e.SubMenu);
    AddEntries(*sub, *entries, initPopup);
    if (!initPopup)
        return;
    QObject::connect(sub, &QMenu::aboutToShow, sub, [sub, entries, initPopup] {
        initPopup(*entries);
        sub->clear();
        AddEntries(*sub, *entries, initPopup);
    });
}

void AddEntries(QMenu& menu, const std::vector<TShellMenuEntry>& entries,
                const TShellMenuInitPopup& initPopup) {
    for (const TShellMenuEntry& e : entries) {
        if (!e.SubMenu.empty()) {
            AddSubMenu(menu, e, initPopup);
            continue;
        }
        QAction* action = menu.addAction(CaptionOf(e));
        action->setData(e.Id);
        action->setEnabled(e.Enabled);
        if (e.Default) {
            QFont bold = action->font();
            bold.setBold(true);
            action->setFont(bold);
        }
    }
}

} // namespace

int TrackShellMenu(QWidget* owner, const std::vector<TShellMenuEntry>& entries, TPoint screenPos,
                   const TShellMenuHighlight& highlight, const TShellMenuInitPopup& initPopup) {
    if (Handler()) {
        std::vector<TShellMenuEntry> shown = entries;
        if (initPopup)
            InitAll(shown, initPopup);
        return Handler()(shown, screenPos);
    }
    QMenu menu(owner);
    AddEntries(menu, entries, initPopup);
    if (highlight)
        QObject::connect(&menu, &QMenu::hovered, &menu,
                         [&highlight](QAction* a) { highlight(a ? a->data().toInt() : 0); });
    const QAction* chosen = menu.exec(ToQPoint(screenPos));
    return chosen ? chosen->data().toInt() : 0;
}

TShellMenuHandler SetShellMenuHandler(TShellMenuHandler handler) {
    return std::exchange(Handler(), std::move(handler));
}

} // namespace vdx::gui
