#pragma once
// The page-rights editor as this program opens it, with its help.

#include "shared/gui/VdxTxtUserPagesDlg.h"

namespace vdx {

class TUAGlobals;

class TUATxtUserPagesDlg : public TTxtUserPagesDlg {
    Q_OBJECT
public:
    TUATxtUserPagesDlg(QWidget* owner, const TUAGlobals& globals);

    void BtnHelpClick();

private:
    const TUAGlobals& m_globals;
};

} // namespace vdx
