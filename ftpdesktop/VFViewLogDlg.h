#pragma once
// The log viewer: the whole log file, one line per row.

#include "shared/VdxButtonDlg.h"

namespace vdx {

class TFGlobals;
class TFcTabbedListBox;

class TFViewLogDlg : public TVdButtonDlg {
    Q_OBJECT
public:
    TFViewLogDlg(QWidget* owner, const TFGlobals& globals);

    TFcTabbedListBox* const LogTabbedListBox; // Qt parent-owned

protected:
    // The base captions, then the log file loaded in one update, so the
    // fields stand at the list's default tab stops. Throws vdx::os::FileError
    // when the file cannot be read.
    void FormShow() override;

private:
    void FormCreate();

    const TFGlobals& m_globals;
};

} // namespace vdx
