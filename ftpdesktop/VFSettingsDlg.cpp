#include "ftpdesktop/VFSettingsDlg.h"

#include "controls/buttons/FcRadChk.h"
#include "controls/edits/FcButtonEdit.h"
#include "controls/edits/FcEdit.h"
#include "controls/edits/FcNumericEdit.h"
#include "controls/labels/FcLabel.h"
#include "controls/panels/FcGroupBox.h"
#include "controls/shell/FcShellDialogs.h"
#include "ftpengine/VFGlobals.h"
#include "ftpengine/VdxSysRoutines.h"
#include "platform/gui/exception_guard.h"
#include "platform/gui/file_name_text.h"
#include "platform/gui/message_box.h"
#include "platform/gui/modal_result.h"
#include "platform/os/paths.h"
#include "platform/os/winfile.h"
#include "platform/shell/shell_folder.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>

#include <arpa/inet.h>
#include <cmath>
#include <netinet/in.h>

namespace vdx {

namespace {

constexpr int kClientWidth = 426;
constexpr int kClientHeight = 426;
constexpr int kPanelHeight = 40;
constexpr int kMargin = 8;
constexpr int kGroupHeight = 297;
constexpr int kEditHeight = 21;
constexpr int kMaxPort = 65535;

TFcGroupBox* MakeGroupBox(QWidget* parent, const char* name, const char* caption) {
    auto* box = new TFcGroupBox(parent);
    box->setObjectName(QString::fromLatin1(name));
    box->BeginLoading();
    box->SetCaption(caption);
    box->Loaded();
    return box;
}

TFcLabel* MakeLabel(QWidget* parent, const char* name, const char* caption, int left, int top) {
    auto* label = new TFcLabel(parent);
    label->setObjectName(QString::fromLatin1(name));
    label->BeginLoading();
    label->SetCaption(caption);
    label->Loaded();
    label->move(left, top);
    return label;
}

TFcNumericEdit* MakePortEdit(QWidget* parent, const char* name, int left, int top) {
    auto* edit = new TFcNumericEdit(parent);
    edit->setObjectName(QString::fromLatin1(name));
    edit->BeginLoading();
    edit->SetMax(kMaxPort);
    edit->SetDisplayFormat("0");
    edit->Loaded();
    edit->setGeometry(left, top, 65, kEditHeight);
    return edit;
}

TFcEdit* MakeEdit(QWidget* parent, const char* name, int left, int top, int width) {
    auto* edit = new TFcEdit(parent);
    edit->setObjectName(QString::fromLatin1(name));
    edit->setGeometry(left, top, width, kEditHeight);
    return edit;
}

QCheckBox* MakeAutoRunCheckBox(QWidget* parent) {
    auto* box = new QCheckBox(QStringLiteral("Run VDxFTPServer at Windows startup"), parent);
    box->setObjectName(QStringLiteral("AutoRunCheckBox"));
    box->setGeometry(32, 266, 257, kFormCheckBoxHeight);
    return box;
}

TFcButtonEdit* MakeButtonEdit(QWidget* parent) {
    auto* edit = new TFcButtonEdit(parent);
    edit->setObjectName(QStringLiteral("AdminButtonEdit"));
    edit->BeginLoading();
    edit->SetButtonWidth(15);
    edit->SetAltBtnWidth(15);
    edit->Loaded();
    edit->setGeometry(159, 23, 225, kEditHeight);
    return edit;
}

TFcSelectFolderDialog* MakeFolderDialog(QObject* owner) {
    auto* dialog = new TFcSelectFolderDialog(owner);
    dialog->setObjectName(QStringLiteral("SelectFolderDialog"));
    const shell::IdList computer = shell::ComputerIdList();
    dialog->BaseFolder().SetIdList(&computer);
    return dialog;
}

// What the engine puts into a passive reply: anything else it replaces by
// its own address without a word.
bool IsDottedIPv4(const std::string& text) {
    in_addr address{};
    return ::inet_pton(AF_INET, text.c_str(), &address) == 1;
}

void Warn(QWidget* owner, const char* text) {
    gui::MessageDlg(text, gui::TMsgDlgType::mtWarning, gui::TMsgDlgBtn::mbOK, owner);
}

} // namespace

TFSettingsDlg::TFSettingsDlg(QWidget* owner, const TFGlobals& globals)
    : TVdButtonDlg(owner), FcGroupBox1(MakeGroupBox(ClientArea(), "FcGroupBox1", "FTP Server")),
      FcLabel3(MakeLabel(FcGroupBox1, "FcLabel3", "Port", 164, 20)),
      PortNumericEdit(MakePortEdit(FcGroupBox1, "PortNumericEdit", 164, 36)),
      PassiveGroupBox(MakeGroupBox(FcGroupBox1, "PassiveGroupBox", "Passive mode")),
      PasvIPCheckBox(
          CreateCheckBox(PassiveGroupBox, "PasvIPCheckBox", "Use external IP", 16, 38, 106)),
      FcLabel5(MakeLabel(PassiveGroupBox, "FcLabel5", "External IP", 148, 21)),
      PasvIPEdit(MakeEdit(PassiveGroupBox, "PasvIPEdit", 148, 36, 121)),
      UseCustomPortRangeCheckBox(CreateCheckBox(PassiveGroupBox, "UseCustomPortRangeCheckBox",
                                                "Use custom port range", 16, 86, 126)),
      FcLabel6(MakeLabel(PassiveGroupBox, "FcLabel6", "External Port range", 148, 68)),
      PasvMinPortEdit(MakePortEdit(PassiveGroupBox, "PasvMinPortEdit", 148, 84)),
      FcLabel2(MakeLabel(PassiveGroupBox, "FcLabel2", "-", 220, 86)),
      PasvMaxPortEdit(MakePortEdit(PassiveGroupBox, "PasvMaxPortEdit", 232, 84)),
      FcLabel1(MakeLabel(PassiveGroupBox, "FcLabel1", "1-65535", 307, 86)),
      UseVdxTextCheckBox(CreateCheckBox(FcGroupBox1, "UseVdxTextCheckBox",
                                        "Use for VDxText/VDxTxtServer", 32, 218, 170)),
      UseVdxInfoCheckBox(
          CreateCheckBox(FcGroupBox1, "UseVdxInfoCheckBox", "Use for VDxInfo", 32, 242, 95)),
      AutoRunCheckBox(MakeAutoRunCheckBox(FcGroupBox1)),
      FcGroupBox2(MakeGroupBox(ClientArea(), "FcGroupBox2", "")),
      FcLabel4(MakeLabel(FcGroupBox2, "FcLabel4", "Admin root folder", 27, 26)),
      AdminButtonEdit(MakeButtonEdit(FcGroupBox2)), SelectFolderDialog(MakeFolderDialog(this)),
      m_globals(globals) {
    setObjectName(QStringLiteral("FSettingsDlg"));
    setWindowTitle(QStringLiteral("Settings"));
    setFixedSize(kClientWidth, kClientHeight);
    SetPanelHeight(kPanelHeight);

    const int inner = kClientWidth - 2 * kMargin;
    FcGroupBox1->setGeometry(kMargin, kMargin, inner, kGroupHeight);
    PassiveGroupBox->setGeometry(16, 76, 380, 125);
    const int secondTop = kMargin + kGroupHeight + kMargin;
    FcGroupBox2->setGeometry(kMargin, secondTop, inner,
                             kClientHeight - kPanelHeight - kMargin - secondTop);

    PasvIPCheckBox->OnClick = [this](QObject*) { PassiveCheckBoxClick(); };
    UseCustomPortRangeCheckBox->OnClick = [this](QObject*) { PassiveCheckBoxClick(); };
    UseVdxTextCheckBox->OnClick = [this](QObject*) { UseVdxTextCheckBoxClick(); };
    UseVdxInfoCheckBox->OnClick = [this](QObject*) { UseVdxInfoCheckBoxClick(); };
    AdminButtonEdit->OnButtonClick = [this](QObject*) { AdminButtonEditButtonClick(); };
    FormCreate();
}

TFSettingsDlg::~TFSettingsDlg() = default;

void TFSettingsDlg::FormCreate() {
    SetShowHelp(false);
}

void TFSettingsDlg::FormShow() {
    TVdButtonDlg::FormShow();
    PortNumericEdit->SetValue(Settings.Port);
    UseVdxTextCheckBox->SetChecked(Settings.UseVdxText);
    UseVdxInfoCheckBox->SetChecked(Settings.UseVdxInfo);
    AutoRunCheckBox->setChecked(IsAutoRunSet(AutoRunName(), AutoRunCommand(), true));
    SetAdminFolderText(os::IncludeTrailingPathDelimiter(Settings.AdminRootDir));
    PasvIPCheckBox->SetChecked(Settings.UsePasvIP);
    PasvIPEdit->SetText(Settings.PasvIP);
    UseCustomPortRangeCheckBox->SetChecked(Settings.UseCustomPortRange);
    PasvMinPortEdit->SetValue(Settings.PasvMinPort);
    PasvMaxPortEdit->SetValue(Settings.PasvMaxPort);
    BtnCancel->setText(QStringLiteral("Cancel"));
    UpdateControls();
}

void TFSettingsDlg::UpdateControls() {
    const bool passive = PassiveGroupBox->isEnabled();
    PasvIPEdit->setEnabled(passive && PasvIPCheckBox->Checked());
    const bool range = passive && UseCustomPortRangeCheckBox->Checked();
    PasvMinPortEdit->setEnabled(range);
    PasvMaxPortEdit->setEnabled(range);
}

void TFSettingsDlg::PassiveCheckBoxClick() {
    UpdateControls();
}

void TFSettingsDlg::UseVdxInfoCheckBoxClick() {
    UpdateControls();
}

void TFSettingsDlg::UseVdxTextCheckBoxClick() {
    UpdateControls();
}

std::string TFSettingsDlg::AdminFolderText() const {
    return gui::QStringToFileName(AdminButtonEdit->Editor().text(), m_folderBytes);
}

void TFSettingsDlg::SetAdminFolderText(const std::string& bytes) {
    m_folderBytes = bytes;
    AdminButtonEdit->Editor().setText(gui::FileNameToQString(bytes));
}

void TFSettingsDlg::AdminButtonEditButtonClick() {
    SelectFolderDialog->SetSelectedPath(AdminFolderText());
    if (!SelectFolderDialog->Execute())
        return;
    // The Computer itself names no folder: the edit keeps what it had.
    const std::string path = SelectFolderDialog->GetSelectedPath();
    if (!path.empty())
        SetAdminFolderText(path);
}

bool TFSettingsDlg::IsValidFolder(const std::string& path) {
    return path.starts_with('/') && os::DirectoryExists(path);
}

int TFSettingsDlg::ClampedValue(TFcNumericEdit& edit) {
    bool rejected = false;
    const Extended value = edit.EnforceRange(edit.GetValue(), rejected);
    edit.SetValue(value);
    return int(std::trunc(value));
}

bool TFSettingsDlg::BtnOKClick() {
    const int port = ClampedValue(*PortNumericEdit);
    const int minPort = ClampedValue(*PasvMinPortEdit);
    const int maxPort = ClampedValue(*PasvMaxPortEdit);
    const std::string pasvIP = PasvIPEdit->Text();
    const std::string folder = AdminFolderText();

    // Each check leaves the focus on its field; nothing is taken before all pass.
    if (port < 1) {
        Warn(this, kPortWarning);
        PortNumericEdit->Editor().setFocus();
        return false;
    }
    if (PasvIPCheckBox->Checked() && !IsDottedIPv4(pasvIP)) {
        Warn(this, kPasvIPWarning);
        PasvIPEdit->Editor().setFocus();
        return false;
    }
    if (UseCustomPortRangeCheckBox->Checked() && !(1 <= minPort && minPort < maxPort)) {
        Warn(this, kPortRangeWarning);
        PasvMinPortEdit->Editor().setFocus();
        return false;
    }
    if (!IsValidFolder(folder)) {
        AdminButtonEdit->Editor().setFocus();
        return false;
    }

    Settings.UseVdxText = UseVdxTextCheckBox->Checked();
    Settings.UseVdxInfo = UseVdxInfoCheckBox->Checked();
    Settings.Port = port;
    Settings.AdminRootDir = folder;
    Settings.UsePasvIP = PasvIPCheckBox->Checked();
    Settings.PasvIP = pasvIP;
    Settings.UseCustomPortRange = UseCustomPortRangeCheckBox->Checked();
    Settings.PasvMinPort = minPort;
    Settings.PasvMaxPort = maxPort;
    return true;
}

std::string TFSettingsDlg::AutoRunName() const {
    return m_globals.ExeBaseName;
}

std::string TFSettingsDlg::AutoRunCommand() const {
    return m_globals.AppDir + m_globals.ExeName;
}

void TFSettingsDlg::ApplyAutoRun() {
    const std::string name = AutoRunName();
    const std::string command = AutoRunCommand();
    const bool wanted = AutoRunCheckBox->isChecked();
    if (wanted == IsAutoRunSet(name, command, true))
        return;
    const bool done = SetAutoRun(name, wanted ? command : std::string(), true);
    const char* text = wanted ? (done ? kAutoRunSet : kAutoRunSetError)
                              : (done ? kAutoRunCleared : kAutoRunClearError);
    gui::MessageDlg(text, done ? gui::TMsgDlgType::mtInformation : gui::TMsgDlgType::mtError,
                    gui::TMsgDlgBtn::mbOK, this);
}

void TFSettingsDlg::done(int result) {
    if (result == gui::mrOk) {
        // A refusal, or a box that failed while checking, takes nothing and
        // keeps the dialog open.
        bool taken = false;
        gui::Guard([&] { taken = BtnOKClick(); });
        if (!taken) {
            gui::SetFormModalResult(*this, gui::mrNone);
            return;
        }
        // The settings are taken: a failed autostart write is shown and the
        // dialog still closes with OK.
        gui::Guard([&] { ApplyAutoRun(); });
    }
    TVdButtonDlg::done(result);
}

} // namespace vdx
