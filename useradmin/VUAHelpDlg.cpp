#include "useradmin/VUAHelpDlg.h"

#include "platform/os/paths.h"
#include "useradmin/VUAGlobals.h"

#include <memory>

namespace vdx {

TUAHelpDlg::TUAHelpDlg(QWidget* owner) : TVViewTextDlg(owner) {
    setObjectName(QStringLiteral("UAHelpDlg"));
    setWindowTitle(QStringLiteral("Vardex User Admin Help"));
}

std::string HelpFileName(const TUAGlobals& globals) {
    return globals.AppDir + os::ChangeFileExt(globals.ExeName, ".rtf");
}

void ShowHelp(QWidget* owner, const TUAGlobals& globals) {
    const auto dialog = std::make_unique<TUAHelpDlg>(owner);
    dialog->LoadFile(HelpFileName(globals));
    dialog->ShowModal();
}

} // namespace vdx
