#include "shared/gui/VdxViewTextDlg.h"

#include "controls/panels/FcPanel.h"
#include "platform/gui/rtf_reader.h"
#include "platform/os/file_error.h"
#include "platform/os/read_file.h"

#include <QPushButton>
#include <QTextCursor>
#include <QTextEdit>
#include <QVBoxLayout>

#include <cerrno>
#include <optional>

namespace vdx {

namespace {

constexpr int kClientWidth = 589;
constexpr int kClientHeight = 588;
constexpr int kMargin = 8;

} // namespace

TVViewTextDlg::TVViewTextDlg(QWidget* owner)
    : TVdButtonDlg(owner), FcPanel1(new TFcPanel(ClientArea())),
      TextRichEdit(new QTextEdit(FcPanel1)) {
    setObjectName(QStringLiteral("VViewTextDlg"));
    setWindowTitle(QStringLiteral("VViewTextDlg"));
    setFixedSize(kClientWidth, kClientHeight);

    FcPanel1->setObjectName(QStringLiteral("FcPanel1"));
    FcPanel1->SetBorderOuter(TFrameStyleEx::fsFlat);
    FcPanel1->SetColor(gui::clWindow);
    auto* outer = new QVBoxLayout(ClientArea());
    outer->setContentsMargins(kMargin, kMargin, kMargin, kMargin);
    outer->addWidget(FcPanel1);

    TextRichEdit->setObjectName(QStringLiteral("TextRichEdit"));
    TextRichEdit->setReadOnly(true);
    TextRichEdit->setFrameShape(QFrame::NoFrame);
    TextRichEdit->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    auto* inner = new QVBoxLayout(FcPanel1);
    inner->setContentsMargins(kMargin, kMargin, kMargin, kMargin);
    inner->addWidget(TextRichEdit);
    setTabOrder(TextRichEdit, BtnOK);

    FormCreate();
}

void TVViewTextDlg::FormCreate() {
    SetCloseOnly(true);
    SetShowHelp(false);
}

void TVViewTextDlg::LoadFile(const std::string& path) {
    const std::optional<std::string> text = os::ReadFileBytes(path, gui::kMaxRtfBytes);
    if (!text)
        throw os::FileError("Cannot open file \"" + path + "\". " + os::SysErrorMessage(ENOENT),
                            ENOENT);
    FileName = path;
    gui::ReadRtf(*text, *TextRichEdit->document());
    TextRichEdit->moveCursor(QTextCursor::Start); // opens at the top
}

} // namespace vdx
