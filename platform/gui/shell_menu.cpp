#include "platform/gui/shell_menu.h"

#include "platform/gui/ansi_text.h"

#include <QAction>
#include <QMenu>

#include <utility>

namespace vdx::gui {

namespace {

TShellMenuHandler& Handler() {
    static TShellMenuHandler handler;
    return handler;
}

} // namespace

int TrackShellMenu(QWidget* owner, const std::vector<TShellMenuEntry>& entries, TPoint screenPos,
                   const TShellMenuHighlight& highlight) {
    if (Handler())
        return Handler()(entries, screenPos);
    QMenu menu(owner);
    for (const TShellMenuEntry& e : entries) {
        QAction* action = menu.addAction(AnsiToQString(e.Caption));
        action->setData(e.Id);
        if (e.Default) {
            QFont bold = action->font();
            bold.setBold(true);
            action->setFont(bold);
        }
    }
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
