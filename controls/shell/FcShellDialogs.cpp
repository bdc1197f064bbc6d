#include "controls/shell/FcShellDialogs.h"

#include "platform/gui/ansi_text.h"

#include <QGuiApplication>

#include <stdexcept>

namespace vdx {

namespace {

void Put32(std::vector<std::uint8_t>& out, int value) {
    const auto v = static_cast<std::uint32_t>(value);
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

int Get32(std::span<const std::uint8_t> in, std::size_t at) {
    std::uint32_t v = 0;
    for (int i = 0; i < 4; ++i)
        v |= std::uint32_t(in[at + std::size_t(i)]) << (8 * i);
    return static_cast<int>(v);
}

} // namespace

// ---- TFcShellDialog ------------------------------------------------------

TFcShellDialog::TFcShellDialog(QObject* owner) : QObject(owner) {}

TFcShellDialog::~TFcShellDialog() = default;

bool TFcShellDialog::Execute() {
    if (m_executing)
        throw std::runtime_error(ClassName() + " already executing");
    m_executing = true;
    struct Clear {
        bool& flag;
        ~Clear() { flag = false; }
    } clear{m_executing};
    return DoExecute();
}

void TFcShellDialog::DoInitialized() {
    if (OnInitialized)
        OnInitialized(this);
}

void TFcShellDialog::ReadFormPlacement(std::span<const std::uint8_t> stream) {
    if (stream.size() < 18)
        return;
    FormLeft = Get32(stream, 0);
    FormTop = Get32(stream, 4);
    FormWidth = Get32(stream, 8);
    FormHeight = Get32(stream, 12);
    FormWindowState = static_cast<gui::TWindowState>(std::min<int>(stream[16], 2));
    FormPosition = static_cast<gui::TPosition>(std::min<int>(stream[17], 7));
}

void TFcShellDialog::WriteFormPlacement(std::vector<std::uint8_t>& stream) const {
    Put32(stream, FormLeft);
    Put32(stream, FormTop);
    Put32(stream, FormWidth);
    Put32(stream, FormHeight);
    stream.push_back(static_cast<std::uint8_t>(FormWindowState));
    stream.push_back(static_cast<std::uint8_t>(FormPosition));
}

// ---- TFcCustomSelectFolderDialog -----------------------------------------

TFcCustomSelectFolderDialog::TFcCustomSelectFolderDialog(QObject* owner) : TFcShellDialog(owner) {}

TFcCustomSelectFolderDialog::~TFcCustomSelectFolderDialog() = default;

void TFcCustomSelectFolderDialog::SetSelectedPath(const std::string& path) {
    m_selectedFolder.SetPathName(path);
}

std::string TFcCustomSelectFolderDialog::GetSelectedPath() {
    return m_selectedFolder.PathName();
}

void TFcCustomSelectFolderDialog::CheckFormInactive() const {
    if (m_form)
        throw std::runtime_error("TFcSelectFolderDialog form already active");
}

std::unique_ptr<TFcSelectFolderForm> TFcCustomSelectFolderDialog::CreateForm() {
    return std::make_unique<TFcSelectFolderForm>();
}

bool TFcCustomSelectFolderDialog::DoExecute() {
    CheckFormInactive();
    // The hourglass until the form is up; the form shows the normal cursor.
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    struct Cleanup {
        TFcCustomSelectFolderDialog& dialog;
        ~Cleanup() {
            dialog.m_form.reset();
            QGuiApplication::restoreOverrideCursor();
        }
    } cleanup{*this};
    m_form = CreateForm();
    SetupForm(*m_form);
    DoInitialized();
    QGuiApplication::setOverrideCursor(Qt::ArrowCursor);
    gui::TModalResult result = gui::mrNone;
    {
        struct Restore {
            ~Restore() { QGuiApplication::restoreOverrideCursor(); }
        } restore;
        result = m_form->ShowModal();
    }
    ReadBackForm(*m_form);
    return result == gui::mrOk;
}

void TFcCustomSelectFolderDialog::SetupForm(TFcSelectFolderForm& form) {
    form.OnSelChange = OnSelChange;
    form.ShellTree->OnAddItem = OnAddItem;
    form.OnShowEvent = OnFormShow;
    form.OnCloseEvent = OnFormClose;
    form.SetStatusText(StatusText);
    form.SetPosition(FormPosition);
    if (FormPosition == gui::TPosition::poDesigned)
        form.SetFormOrigin(FormLeft, FormTop);
    form.SetFormSize(FormWidth > 0 ? FormWidth : form.FormWidth(),
                     FormHeight > 0 ? FormHeight : form.FormHeight());
    form.SetWindowState(FormWindowState);
    form.SetOptions(Options);
    form.setWindowTitle(gui::AnsiToQString(Title.empty() ? "Browse for Folder" : Title));
    form.SetTreeFrame(FrameColor, FrameStyle, FrameVisible, FramingPreference);
    form.SetButtonStyle(ButtonColor, HotTrack, HighlightColor, HotTrackColor, HotTrackColorType);
    form.SetButtonGlyphs(ShowButtonGlyphs);
    form.SetToolButtonStyle(ToolBtnGradientColorStyle, ToolBtnSelectionColorStart,
                            ToolBtnSelectionColorStop, ToolBtnSelectionFrameColor,
                            ToolBtnVisualStyle);
    // Not filled yet: the form fills the tree when it is shown.
    form.ShellTree->SetBaseFolder(m_baseFolder);
    form.ShellTree->SetSelectedFolder(m_selectedFolder);
}

void TFcCustomSelectFolderDialog::ReadBackForm(TFcSelectFolderForm& form) {
    const TRect normal = form.NormalBounds();
    FormLeft = normal.Left;
    FormTop = normal.Top;
    FormWidth = normal.Width();
    FormHeight = normal.Height();
    FormWindowState = form.WindowState();
    FormPosition = form.Position();
    if (form.ModalResult() == gui::mrOk)
        m_selectedFolder.Assign(&form.ShellTree->SelectedFolder());
}

} // namespace vdx
