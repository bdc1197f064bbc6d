#pragma once
// The program's help: its manual beside the program, in the rich-text viewer.

#include "shared/gui/VdxViewTextDlg.h"

#include <string>

namespace vdx {

class TUAGlobals;

class TUAHelpDlg : public TVViewTextDlg {
    Q_OBJECT
public:
    explicit TUAHelpDlg(QWidget* owner = nullptr);
};

// AppDir + the program's name with ".rtf".
std::string HelpFileName(const TUAGlobals& globals);

// Shows the help modally, owned by owner. Throws vdx::os::FileError before
// anything is shown when the file is missing or cannot be read.
void ShowHelp(QWidget* owner, const TUAGlobals& globals);

} // namespace vdx
