#include "platform/gui/message_box.h"

#include "platform/gui/ansi_text.h"

#include <QCoreApplication>
#include <QMessageBox>
#include <QPushButton>

#include <array>
#include <optional>
#include <utility>
#include <vector>

namespace vdx::gui {

namespace {

// GUI thread only, as every box.
TMessageBoxHandler& Handler() {
    static TMessageBoxHandler handler;
    return handler;
}

std::optional<std::string>& Title() {
    static std::optional<std::string> title;
    return title;
}

struct ButtonInfo {
    TMsgDlgBtn Button;
    QMessageBox::StandardButton Standard;
    TModalResult Result;
};
constexpr std::array<ButtonInfo, 12> kButtons = {{
    {TMsgDlgBtn::mbYes, QMessageBox::Yes, mrYes},
    {TMsgDlgBtn::mbNo, QMessageBox::No, mrNo},
    {TMsgDlgBtn::mbOK, QMessageBox::Ok, mrOk},
    {TMsgDlgBtn::mbCancel, QMessageBox::Cancel, mrCancel},
    {TMsgDlgBtn::mbAbort, QMessageBox::Abort, mrAbort},
    {TMsgDlgBtn::mbRetry, QMessageBox::Retry, mrRetry},
    {TMsgDlgBtn::mbIgnore, QMessageBox::Ignore, mrIgnore},
    {TMsgDlgBtn::mbAll, QMessageBox::NoButton, mrAll}, // no standard button: "All"
    {TMsgDlgBtn::mbNoToAll, QMessageBox::NoToAll, mrNoToAll},
    {TMsgDlgBtn::mbYesToAll, QMessageBox::YesToAll, mrYesToAll},
    {TMsgDlgBtn::mbHelp, QMessageBox::Help, mrHelp},
    {TMsgDlgBtn::mbClose, QMessageBox::Close, mrClose},
}};

// The answer to a box closed without a button: Cancel, else No, else the
// only button there is.
TModalResult EscapeResult(TMsgDlgButtons buttons) {
    if (buttons.Contains(TMsgDlgBtn::mbCancel))
        return mrCancel;
    if (buttons.Contains(TMsgDlgBtn::mbNo))
        return mrNo;
    if (buttons == TMsgDlgButtons(TMsgDlgBtn::mbOK))
        return mrOk;
    return mrCancel;
}

// Texts break lines with CR (as the platform's boxes read it), LF or CR LF;
// QLabel breaks on LF only, and only some styles wrap at a lone CR.
QString BoxText(const std::string& text) {
    QString shown = AnsiToQString(text);
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    shown.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return shown;
}

TModalResult ShowOnScreen(const TMessageBoxRequest& r) {
    QMessageBox box(r.Parent);
    switch (r.Type) {
    case TMsgDlgType::mtWarning:
        box.setIcon(QMessageBox::Warning);
        break;
    case TMsgDlgType::mtError:
        box.setIcon(QMessageBox::Critical);
        break;
    case TMsgDlgType::mtInformation:
        box.setIcon(QMessageBox::Information);
        break;
    case TMsgDlgType::mtConfirmation:
        box.setIcon(QMessageBox::Question);
        break;
    case TMsgDlgType::mtCustom:
        box.setIcon(QMessageBox::NoIcon);
        break;
    }
    box.setWindowTitle(AnsiToQString(r.Caption));
    box.setText(BoxText(r.Text));
    std::vector<std::pair<QAbstractButton*, TModalResult>> shown;
    for (const ButtonInfo& b : kButtons) {
        if (!r.Buttons.Contains(b.Button))
            continue;
        QAbstractButton* button = b.Standard == QMessageBox::NoButton
                                      ? box.addButton(QStringLiteral("&All"), QMessageBox::YesRole)
                                      : box.addButton(b.Standard);
        shown.emplace_back(button, b.Result);
    }
    if (shown.empty())
        shown.emplace_back(box.addButton(QMessageBox::Ok), mrOk);
    const std::size_t def = r.DefaultButton >= 0 && std::size_t(r.DefaultButton) < shown.size()
                                ? std::size_t(r.DefaultButton)
                                : 0;
    if (auto* push = qobject_cast<QPushButton*>(shown[def].first))
        box.setDefaultButton(push);
    box.exec();
    for (const auto& [button, result] : shown)
        if (box.clickedButton() == button)
            return result;
    return EscapeResult(r.Buttons);
}

TModalResult Show(const TMessageBoxRequest& r) {
    if (Handler())
        return Handler()(r);
    return ShowOnScreen(r);
}

} // namespace

TMessageBoxHandler SetMessageBoxHandler(TMessageBoxHandler handler) {
    return std::exchange(Handler(), std::move(handler));
}

std::string ApplicationTitle() {
    if (Title())
        return *Title();
    return QStringToAnsi(QCoreApplication::applicationName());
}

void SetApplicationTitle(const std::string& title) {
    Title() = title;
}

std::string MessageDlgCaption(TMsgDlgType type) {
    switch (type) {
    case TMsgDlgType::mtWarning:
        return "Warning";
    case TMsgDlgType::mtError:
        return "Error";
    case TMsgDlgType::mtInformation:
        return "Information";
    case TMsgDlgType::mtConfirmation:
        return "Confirm";
    case TMsgDlgType::mtCustom:
        break;
    }
    return ApplicationTitle();
}

TModalResult MessageDlg(const std::string& text, TMsgDlgType type, TMsgDlgButtons buttons,
                        QWidget* parent) {
    TMessageBoxRequest r;
    r.Caption = MessageDlgCaption(type);
    r.Text = text;
    r.Type = type;
    r.Buttons = buttons;
    // The default button: OK, else Yes, else the first one shown.
    int index = 0;
    int okIndex = -1, yesIndex = -1;
    for (const ButtonInfo& b : kButtons) {
        if (!buttons.Contains(b.Button))
            continue;
        if (b.Button == TMsgDlgBtn::mbOK)
            okIndex = index;
        if (b.Button == TMsgDlgBtn::mbYes)
            yesIndex = index;
        ++index;
    }
    r.DefaultButton = okIndex >= 0 ? okIndex : (yesIndex >= 0 ? yesIndex : 0);
    r.Parent = parent;
    return Show(r);
}

TModalResult ApplicationMessageBox(const std::string& text, const std::string& caption,
                                   unsigned flags, QWidget* parent) {
    TMessageBoxRequest r;
    r.Caption = caption.empty() ? ApplicationTitle() : caption;
    r.Text = text;
    switch (flags & 0xF0) {
    case MB_ICONERROR:
        r.Type = TMsgDlgType::mtError;
        break;
    case MB_ICONQUESTION:
        r.Type = TMsgDlgType::mtConfirmation;
        break;
    case MB_ICONWARNING:
        r.Type = TMsgDlgType::mtWarning;
        break;
    case MB_ICONINFORMATION:
        r.Type = TMsgDlgType::mtInformation;
        break;
    default:
        r.Type = TMsgDlgType::mtCustom;
        break;
    }
    using B = TMsgDlgBtn;
    switch (flags & 0x0F) {
    case MB_OKCANCEL:
        r.Buttons = B::mbOK | B::mbCancel;
        break;
    case MB_ABORTRETRYIGNORE:
        r.Buttons = B::mbAbort | B::mbRetry | B::mbIgnore;
        break;
    case MB_YESNOCANCEL:
        r.Buttons = B::mbYes | B::mbNo | B::mbCancel;
        break;
    case MB_YESNO:
        r.Buttons = B::mbYes | B::mbNo;
        break;
    case MB_RETRYCANCEL:
        r.Buttons = B::mbRetry | B::mbCancel;
        break;
    default:
        r.Buttons = B::mbOK;
        break;
    }
    r.DefaultButton = (flags & MB_DEFBUTTON3) ? 2 : (flags & MB_DEFBUTTON2) ? 1 : 0;
    r.Parent = parent;
    return Show(r);
}

} // namespace vdx::gui
