#pragma once
// A read-only viewer of a rich-text file, close-only.

#include "shared/gui/VdxButtonDlg.h"

#include <string>

class QTextEdit;

namespace vdx {

class TFcPanel;

class TVViewTextDlg : public TVdButtonDlg {
    Q_OBJECT
public:
    explicit TVViewTextDlg(QWidget* owner = nullptr);

    TFcPanel* const FcPanel1;      // Qt parent-owned
    QTextEdit* const TextRichEdit; // read-only
    std::string FileName;          // the file last loaded

    // Shows the file as rich text. Throws vdx::os::FileError when it is
    // missing or cannot be read (the viewer is then left as it was).
    void LoadFile(const std::string& path);

private:
    void FormCreate();
};

} // namespace vdx
