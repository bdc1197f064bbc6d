#include "useradmin/VUATxtUserPagesDlg.h"

#include "platform/gui/exception_guard.h"
#include "useradmin/VUAHelpDlg.h"

#include <QPushButton>

namespace vdx {

TUATxtUserPagesDlg::TUATxtUserPagesDlg(QWidget* owner, const TUAGlobals& globals)
    : TTxtUserPagesDlg(owner), m_globals(globals) {
    setObjectName(QStringLiteral("UATxtUserPagesDlg"));
    setWindowTitle(QStringLiteral("Edit User Teletext Page Numbers"));
    connect(BtnHelp, &QPushButton::clicked, this, [this] { gui::Guard([&] { BtnHelpClick(); }); });
}

void TUATxtUserPagesDlg::BtnHelpClick() {
    vdx::ShowHelp(this, m_globals);
}

} // namespace vdx
