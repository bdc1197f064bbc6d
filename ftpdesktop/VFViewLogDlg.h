#pragma once
// The log viewer: the whole log file, one line per row, its TAB-separated
// fields in columns.

#include "shared/gui/VdxButtonDlg.h"

namespace vdx {

class TFGlobals;
class TFcTabbedListBox;

class TFViewLogDlg : public TVdButtonDlg {
    Q_OBJECT
public:
    TFViewLogDlg(QWidget* owner, const TFGlobals& globals);

    TFcTabbedListBox* const LogTabbedListBox; // Qt parent-owned

protected:
    // The base captions, then the log file loaded in one update and the tab
    // stops fitted to its fields. Throws vdx::os::FileError when the file
    // cannot be read.
    void FormShow() override;

private:
    void FormCreate();

    const TFGlobals& m_globals;
};

} // namespace vdx
