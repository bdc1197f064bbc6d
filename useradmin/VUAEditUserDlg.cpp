#include "useradmin/VUAEditUserDlg.h"

#include "controls/buttons/FcRadChk.h"
#include "controls/labels/FcLabel.h"
#include "controls/panels/FcGroupBox.h"
#include "platform/gui/ansi_text.h"
#include "platform/gui/exception_guard.h"
#include "platform/gui/labeled_edit.h"
#include "platform/gui/message_box.h"
#include "platform/gui/modal_result.h"
#include "platform/os/ascii.h"
#include "shared/VdxMisc.h"
#include "useradmin/VUAGlobals.h"
#include "useradmin/VUAHelpDlg.h"

#include <QPushButton>

#include <algorithm>

namespace vdx {

namespace {

constexpr int kClientWidth = 340;
constexpr int kClientHeight = 347;
constexpr int kPanelHeight = 40;
constexpr int kMargin = 8;

gui::TLabeledEdit* MakeEdit(QWidget* parent, const char* name, const char* caption, int top) {
    auto* edit = new gui::TLabeledEdit(parent);
    edit->setObjectName(QString::fromLatin1(name));
    edit->EditLabel->setText(QString::fromLatin1(caption));
    edit->SetLabelSpacing(10);
    edit->Place(98, top, 121);
    return edit;
}

TFcLabel* MakeNote(QWidget* parent) {
    auto* label = new TFcLabel(parent);
    label->setObjectName(QStringLiteral("FcLabel1"));
    label->BeginLoading();
    label->SetAutoSize(false);
    label->SetWordWrap(true);
    label->SetBorderWidth(1);
    label->SetCaption("Go to the VDxFtpServer settings menu to enable use of VDxText and/or use "
                      "of VDxInfo");
    label->Loaded();
    label->SetBounds(24, 248, 234, 28);
    return label;
}

bool HasControlByte(const std::string& text) {
    return std::any_of(text.begin(), text.end(), [](char c) {
        const auto b = static_cast<unsigned char>(c);
        return b < 0x20 || b == 0x7F;
    });
}

} // namespace

std::optional<std::string> UserNameWarning(const std::string& name, bool exists) {
    if (name.empty())
        return kNoUserNameWarning;
    if (exists)
        return "User " + name + " already exists!";
    // The name is also the user's folder below "transfer": it must stay one
    // name there, not climb out of it nor name the folder itself.
    if (!IsValidUserId(name, false) || HasControlByte(name) || name == "." || name == "..")
        return kUserNameCharactersWarning;
    return std::nullopt;
}

TFEditUserDlg::TFEditUserDlg(QWidget* owner, const TUAGlobals& globals)
    : TVdButtonDlg(owner), FcGroupBox1(new TFcGroupBox(ClientArea())),
      NameEdit(MakeEdit(FcGroupBox1, "NameEdit", "Name", 32)),
      PasswordEdit(MakeEdit(FcGroupBox1, "PasswordEdit", "Password", 72)),
      TxtCheckBox(CreateCheckBox(FcGroupBox1, "TxtCheckBox", "VdxText", 24, 120, 59)),
      SkipWebTxtPagesCheckBox(CreateCheckBox(FcGroupBox1, "SkipWebTxtPagesCheckBox",
                                             "Do not overwrite VDxWebTxt pages", 109, 120, 191)),
      WebTxtCheckBox(CreateCheckBox(FcGroupBox1, "WebTxtCheckBox", "VdxWebText", 24, 144, 82)),
      InfoCheckBox(CreateCheckBox(FcGroupBox1, "InfoCheckBox", "VdxInfo", 24, 180, 56)),
      AdminCheckBox(CreateCheckBox(FcGroupBox1, "AdminCheckBox", "Administrator", 24, 216, 79)),
      FcLabel1(MakeNote(FcGroupBox1)), m_globals(globals) {
    setObjectName(QStringLiteral("FEditUserDlg"));
    setWindowTitle(QStringLiteral("User"));
    setFixedSize(kClientWidth, kClientHeight);
    // The base's panel of 40 pixels, placed for that width now, not when the
    // dialog is first shown; then the form resource's places: Cancel, OK,
    // Help from the left.
    SetPanelHeight(kPanelHeight);
    BtnCancel->move(99, BtnCancel->y());
    BtnOK->move(179, BtnOK->y());
    BtnHelp->move(259, BtnHelp->y());

    FcGroupBox1->setObjectName(QStringLiteral("FcGroupBox1"));
    FcGroupBox1->BeginLoading();
    FcGroupBox1->SetCaption({});
    FcGroupBox1->Loaded();
    FcGroupBox1->setGeometry(kMargin, kMargin, kClientWidth - 2 * kMargin,
                             kClientHeight - kPanelHeight - 2 * kMargin);

    // The tab order of the form resource.
    setTabOrder(NameEdit, PasswordEdit);
    setTabOrder(PasswordEdit, TxtCheckBox);
    setTabOrder(TxtCheckBox, WebTxtCheckBox);
    setTabOrder(WebTxtCheckBox, InfoCheckBox);
    setTabOrder(InfoCheckBox, AdminCheckBox);
    setTabOrder(AdminCheckBox, SkipWebTxtPagesCheckBox);
    // Then the base dialog's buttons in its order.
    setTabOrder(SkipWebTxtPagesCheckBox, BtnHelp);
    setTabOrder(BtnHelp, BtnOK);
    setTabOrder(BtnOK, BtnCancel);

    TxtCheckBox->OnClick = [this](QObject*) { TxtCheckBoxClick(); };
    connect(BtnHelp, &QPushButton::clicked, this, [this] { gui::Guard([&] { BtnHelpClick(); }); });
    FormCreate();
}

void TFEditUserDlg::FormCreate() {
    EditIndex = -1;
}

void TFEditUserDlg::FormShow() {
    TVdButtonDlg::FormShow();
    const TUAGlobals::TSettings& settings = m_globals.Settings;
    TxtCheckBox->setEnabled(settings.UseVdxText);
    InfoCheckBox->setEnabled(settings.UseVdxInfo);
    SkipWebTxtPagesCheckBox->setEnabled(settings.UseVdxText);
    setWindowTitle(IsNew ? QStringLiteral("New User") : QStringLiteral("Edit User"));
    NameEdit->setText(gui::AnsiToQString(User.Name));
    PasswordEdit->setText(gui::AnsiToQString(User.PassWord));
    TxtCheckBox->SetChecked(User.TXT);
    SkipWebTxtPagesCheckBox->SetChecked(User.SkipWebTxtPages);
    InfoCheckBox->SetChecked(User.Info);
    AdminCheckBox->SetChecked(User.Admin);
    WebTxtCheckBox->SetChecked(User.WebTXT);
    UpdateChecks();
    NameEdit->setFocus();
    BtnCancel->setText(QStringLiteral("Cancel"));
}

void TFEditUserDlg::UpdateChecks() {
    const bool txt = TxtCheckBox->Checked();
    const bool enabled = m_globals.Settings.UseVdxText && txt;
    WebTxtCheckBox->setEnabled(enabled);
    SkipWebTxtPagesCheckBox->setEnabled(enabled);
    if (!txt)
        WebTxtCheckBox->SetChecked(false);
}

void TFEditUserDlg::TxtCheckBoxClick() {
    UpdateChecks();
}

bool TFEditUserDlg::NameExists(const std::string& name) const {
    for (std::size_t i = 0; i < Users.size(); ++i)
        if (int(i) != EditIndex && os::EqualsIgnoringAsciiCase(Users[i].Name, name))
            return true;
    return false;
}

void TFEditUserDlg::BtnOKClick() {
    const std::string name(Trim(gui::QStringToAnsi(NameEdit->text())));
    NameEdit->setText(gui::AnsiToQString(name));
    if (const auto warning = UserNameWarning(name, !name.empty() && NameExists(name))) {
        gui::MessageDlg(*warning, gui::TMsgDlgType::mtWarning, gui::TMsgDlgBtn::mbOK, this);
        gui::SetFormModalResult(*this, gui::mrNone);
        NameEdit->setFocus();
        return;
    }
    // Taken into a copy: a failure on the way leaves User as it came in.
    TUserXML edited = User;
    edited.Name = name;
    edited.PassWord = gui::QStringToAnsi(PasswordEdit->text());
    edited.TXT = TxtCheckBox->Checked();
    edited.SkipWebTxtPages = SkipWebTxtPagesCheckBox->Checked();
    edited.WebTXT = WebTxtCheckBox->Checked();
    edited.Info = InfoCheckBox->Checked();
    edited.Admin = AdminCheckBox->Checked();
    User = std::move(edited);
}

void TFEditUserDlg::done(int result) {
    if (result == gui::mrOk) {
        // An error shown by the guard keeps the dialog open as a refused
        // name does: closing with OK would hand the caller values not taken.
        if (!gui::Guard([&] { BtnOKClick(); })) {
            gui::SetFormModalResult(*this, gui::mrNone);
            NameEdit->setFocus();
            return;
        }
        if (gui::FormModalResult(*this) == gui::mrNone)
            return;
    }
    TVdButtonDlg::done(result);
}

void TFEditUserDlg::BtnHelpClick() {
    vdx::ShowHelp(this, m_globals);
}

} // namespace vdx
