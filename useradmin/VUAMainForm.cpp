#include "useradmin/VUAMainForm.h"

#include "controls/buttons/FcButton.h"
#include "controls/panels/FcPanel.h"
#include "platform/gui/color.h"
#include "platform/gui/exception_guard.h"
#include "platform/gui/font.h"
#include "platform/gui/message_box.h"
#include "platform/gui/text_layout.h"
#include "shared/VdxMisc.h"
#include "shared/VdxTxtUtils.h"
#include "shared/gui/VdxCheckMark.h"
#include "useradmin/UASaveChain.h"
#include "useradmin/UATransferFolders.h"
#include "useradmin/VUAEditUserDlg.h"
#include "useradmin/VUAGlobals.h"
#include "useradmin/VUAHelpDlg.h"
#include "useradmin/VUATxtUserPagesDlg.h"

#include <QGuiApplication>
#include <QPalette>
#include <QScreen>
#include <QShowEvent>

#include <memory>

namespace vdx {

namespace {

constexpr int kClientHeight = 428;
constexpr int kBottomPanelHeight = 41;
constexpr int kCloseHelpPanelWidth = 185;
constexpr int kUserButtonsPanelWidth = 147;
constexpr int kGridMargin = 8;

gui::TFont Tahoma() {
    gui::TFont font;
    font.Name = "Tahoma";
    font.Height = -11;
    return font;
}

TFcPanel* MakePanel(QWidget* parent, const char* name) {
    auto* panel = new TFcPanel(parent);
    panel->setObjectName(QString::fromLatin1(name));
    panel->BeginLoading();
    panel->SetBorderOuter(TFrameStyleEx::fsNone);
    panel->SetCaption({});
    panel->SetFont(Tahoma());
    panel->Loaded();
    return panel;
}

TFcButton* MakeButton(QWidget* parent, const char* name, const char* caption, int left, int top,
                      int width = 75) {
    auto* button = new TFcButton(parent);
    button->setObjectName(QString::fromLatin1(name));
    button->BeginLoading();
    button->SetCaption(caption);
    button->SetFont(Tahoma());
    button->Loaded();
    button->setGeometry(left, top, width, 25);
    return button;
}

struct TColumn {
    int width;
    const char* caption;
};
constexpr TColumn kColumns[kUserGridColumns] = {
    {80, "User ID"}, {80, "Password"}, {34, "Adm"},   {34, "Txt"},   {34, "Skip"},
    {34, "Web"},     {34, "Info"},     {34, "Mag 1"}, {34, "Mag 2"}, {34, "Mag 3"},
    {34, "Mag 4"},   {34, "Mag 5"},    {34, "Mag 6"}, {34, "Mag 7"}, {34, "Mag 8"}};

// The pages a string grants; one that does not parse counts what was read
// before the fault.
int PageCount(const std::string& allow) {
    TPageFlags flags{};
    try {
        ParseAllowString(allow, flags);
    } catch (const EConvertError&) {
    }
    return CountAllowed(flags);
}

} // namespace

TUAMainForm::TUAMainForm(TUAGlobals& globals, QWidget* parent)
    : QWidget(parent), FcPanel1(MakePanel(this, "FcPanel1")),
      FcPanel4(MakePanel(FcPanel1, "FcPanel4")),
      HelpButton(MakeButton(FcPanel4, "HelpButton", "Help", 22, 8)),
      CloseButton(MakeButton(FcPanel4, "CloseButton", "Close", 102, 8)),
      FcPanel3(MakePanel(this, "FcPanel3")),
      NewUserButton(MakeButton(FcPanel3, "NewUserButton", "New User", 4, 8, 133)),
      EditUserButton(MakeButton(FcPanel3, "EditUserButton", "Edit User", 4, 40, 133)),
      EditTxtPageNumbersButton(
          MakeButton(FcPanel3, "EditTxtPageNumbersButton", "Edit TXT Page Numbers", 4, 72, 133)),
      DeleteUserButton(MakeButton(FcPanel3, "DeleteUserButton", "Delete User", 4, 104, 133)),
      FcPanel2(MakePanel(this, "FcPanel2")), UsersStringGrid(new TFcStringGrid(FcPanel2)),
      m_globals(globals) {
    setObjectName(QStringLiteral("UAMainForm"));
    setWindowTitle(QStringLiteral("Vardex User Admin"));
    // A single border with the system menu and the minimize box only.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    setFont(gui::ToQFont(Tahoma()));
    QPalette pal = palette();
    pal.setColor(QPalette::Window, gui::ToQColor(gui::clBtnFace));
    setPalette(pal);
    setAutoFillBackground(true);

    UsersStringGrid->setObjectName(QStringLiteral("UsersStringGrid"));
    UsersStringGrid->BeginLoading();
    UsersStringGrid->SetFont(Tahoma());
    UsersStringGrid->SetColCount(kUserGridColumns);
    UsersStringGrid->SetRowCount(2);
    UsersStringGrid->SetFixedCols(0);
    UsersStringGrid->SetFixedRows(1);
    UsersStringGrid->SetOptions(TGridOption::goFixedVertLine | TGridOption::goFixedHorzLine |
                                TGridOption::goVertLine | TGridOption::goHorzLine |
                                TGridOption::goRowSelect);
    UsersStringGrid->Loaded();
    UsersStringGrid->OnDrawCell = [this](QObject* sender, TCanvas& canvas, int col, int row,
                                         TRect rect, TGridDrawState state) {
        UsersStringGridDrawCell(sender, canvas, col, row, rect, state);
    };
    UsersStringGrid->OnMouseDown = [this](QObject* sender, Qt::MouseButton button,
                                          Qt::KeyboardModifiers shift, int x, int y) {
        UsersStringGridMouseDown(sender, button, shift, x, y);
    };
    UsersStringGrid->OnDblClick = [this](QObject* sender) { UsersStringGridDblClick(sender); };

    const auto command = [this](void (TUAMainForm::*handler)()) {
        return [this, handler](QObject*) { gui::Guard([this, handler] { (this->*handler)(); }); };
    };
    HelpButton->OnClick = command(&TUAMainForm::HelpButtonClick);
    CloseButton->OnClick = command(&TUAMainForm::CloseButtonClick);
    NewUserButton->OnClick = command(&TUAMainForm::NewUserButtonClick);
    EditUserButton->OnClick = command(&TUAMainForm::EditUserButtonClick);
    EditTxtPageNumbersButton->OnClick = command(&TUAMainForm::EditTxtPageNumbersButtonClick);
    DeleteUserButton->OnClick = command(&TUAMainForm::DeleteUserButtonClick);
    // The tab order of the form resource, panel by panel.
    setTabOrder(NewUserButton, EditUserButton);
    setTabOrder(EditUserButton, DeleteUserButton);
    setTabOrder(DeleteUserButton, EditTxtPageNumbersButton);
    setTabOrder(HelpButton, CloseButton);

    FormCreate();
}

TUAMainForm::~TUAMainForm() = default;

void TUAMainForm::FormCreate() {
    m_mouseRow = -1;
    m_mouseCol = -1;
    UsersStringGrid->SetColCount(kUserGridColumns);
    int sum = 0;
    for (int c = 0; c < kUserGridColumns; ++c)
        AddColumn(c, kColumns[c].width, sum, kColumns[c].caption);
    const int clientWidth = sum + 40 + kUserButtonsPanelWidth;
    setFixedSize(clientWidth, kClientHeight);

    // The places the panels' alignment gives them at that size.
    const int top = kClientHeight - kBottomPanelHeight;
    FcPanel1->setGeometry(0, top, clientWidth, kBottomPanelHeight);
    FcPanel4->setGeometry(clientWidth - kCloseHelpPanelWidth, 0, kCloseHelpPanelWidth,
                          kBottomPanelHeight);
    FcPanel3->setGeometry(clientWidth - kUserButtonsPanelWidth, 0, kUserButtonsPanelWidth, top);
    FcPanel2->setGeometry(0, 0, clientWidth - kUserButtonsPanelWidth, top);
    UsersStringGrid->setGeometry(kGridMargin, kGridMargin, FcPanel2->width() - 2 * kGridMargin,
                                 FcPanel2->height() - 2 * kGridMargin);

    m_users = m_globals.Users;
    FillGrid();
    UpdateButtons();
}

void TUAMainForm::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (event->spontaneous() || std::exchange(m_placed, true))
        return;
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect r = frameGeometry();
        r.moveCenter(screen->availableGeometry().center());
        move(r.topLeft());
    }
}

void TUAMainForm::AddColumn(int index, int width, int& sum, const std::string& caption) {
    UsersStringGrid->SetCells(index, 0, caption);
    UsersStringGrid->SetColWidths(index, width);
    sum += width + 1;
}

void TUAMainForm::UpdateButtons() {
    const bool any = !m_users.empty();
    EditUserButton->setEnabled(any);
    DeleteUserButton->setEnabled(any);
    EditTxtPageNumbersButton->setEnabled(any);
    NewUserButton->setEnabled(true);
}

std::string TUAMainForm::CellText(const TUserXML& user, int col) {
    switch (col) {
    case 0:
        return user.Name;
    case 1:
        return user.PassWord;
    case 2:
        return user.Admin ? BoolToYes(true) : std::string();
    case 3:
        return user.TXT ? BoolToYes(true) : std::string();
    case 4:
        return user.SkipWebTxtPages ? BoolToYes(true) : std::string();
    case 5:
        return user.WebTXT ? BoolToYes(true) : std::string();
    case 6:
        return user.Info ? BoolToYes(true) : std::string();
    default:
        break;
    }
    if (col < kFirstMagazineColumn || col >= kUserGridColumns)
        return {};
    const int count = PageCount(user.Allow[std::size_t(col - kFirstMagazineColumn)]);
    return count == 0 ? std::string() : "   " + std::to_string(count);
}

void TUAMainForm::FillGrid() {
    if (m_users.empty()) {
        UsersStringGrid->SetRowCount(2);
        for (int c = 0; c < kUserGridColumns; ++c)
            UsersStringGrid->SetCells(c, 1, {});
    } else {
        UsersStringGrid->SetRowCount(int(m_users.size()) + 1);
        for (std::size_t i = 0; i < m_users.size(); ++i)
            for (int c = 0; c < kUserGridColumns; ++c)
                UsersStringGrid->SetCells(c, int(i) + 1, CellText(m_users[i], c));
    }
    UsersStringGrid->update();
}

bool TUAMainForm::UserExists(const std::string& name) const {
    return vdx::UserExists(m_users, name);
}

void TUAMainForm::SaveChain() {
    m_chainPending = !gui::Guard([&] { SaveUsersAndRights(m_globals, m_users); });
    FillGrid();
    UpdateButtons();
}

void TUAMainForm::SavePagesChain() {
    // Page rights alone would bring "users.ini" and the folders to a users
    // table that "Users.xml" does not hold: the FTP server would still let in
    // a user the teletext server no longer knows.
    if (m_chainPending) {
        SaveChain();
        return;
    }
    gui::Guard([&] { SavePageRights(m_globals, m_users); });
    FillGrid();
}

void TUAMainForm::NewUserButtonClick() {
    {
        const auto dlg = std::make_unique<TFEditUserDlg>(this, m_globals);
        dlg->IsNew = true;
        dlg->User = TUserXML{};
        dlg->Users = m_users;
        if (dlg->ShowModal() == gui::mrOk) {
            m_users.push_back(dlg->User);
            SaveChain();
        }
    }
    UpdateButtons();
}

void TUAMainForm::EditUserButtonClick() {
    const int i = UsersStringGrid->Row() - 1;
    if (i < 0 || std::size_t(i) >= m_users.size())
        return;
    const auto dlg = std::make_unique<TFEditUserDlg>(this, m_globals);
    dlg->IsNew = false;
    dlg->User = m_users[std::size_t(i)];
    dlg->EditIndex = i;
    dlg->Users = m_users;
    if (dlg->ShowModal() != gui::mrOk)
        return;
    m_users[std::size_t(i)] = dlg->User;
    SaveChain();
}

void TUAMainForm::DeleteUserButtonClick() {
    const int r = UsersStringGrid->Row();
    if (r >= 1 && std::size_t(r) <= m_users.size()) {
        const std::string question = "Remove user " + m_users[std::size_t(r - 1)].Name + "?";
        if (gui::MessageDlg(question, gui::TMsgDlgType::mtConfirmation, gui::mbOKCancel, this) ==
            gui::mrOk) {
            m_users.erase(m_users.begin() + (r - 1));
            SaveChain();
        }
    }
    UpdateButtons();
}

void TUAMainForm::EditTxtPageNumbersButtonClick() {
    EditPages(1);
}

void TUAMainForm::EditPages(int magazine) {
    if (m_users.empty())
        return;
    const int i = UsersStringGrid->Row() - 1;
    if (i < 0 || std::size_t(i) >= m_users.size())
        return;
    TUserXML& user = m_users[std::size_t(i)];
    const auto dlg = std::make_unique<TUATxtUserPagesDlg>(this, m_globals);
    dlg->Magazine = magazine;
    dlg->UserName = user.Name;
    dlg->UserPassWord = user.PassWord;
    dlg->IsAdmin = user.Admin;
    dlg->IsTxt = user.TXT;
    dlg->IsWebTxt = user.WebTXT;
    dlg->IsSkipWebTxtPages = user.SkipWebTxtPages;
    dlg->AllowStrings = user.Allow;
    if (dlg->ShowModal() != gui::mrOk)
        return;
    user.Allow = dlg->AllowStrings;
    // Page rights live only in "users.ini": "Users.xml" stays as it is
    // unless an earlier change has yet to reach it.
    SavePagesChain();
}

void TUAMainForm::HelpButtonClick() {
    ShowHelp(this, m_globals);
}

void TUAMainForm::CloseButtonClick() {
    close();
}

void TUAMainForm::UsersStringGridMouseDown(QObject*, Qt::MouseButton, Qt::KeyboardModifiers, int x,
                                           int y) {
    UsersStringGrid->MouseToCell(x, y, m_mouseCol, m_mouseRow);
}

void TUAMainForm::UsersStringGridDblClick(QObject*) {
    if (m_users.empty() || m_mouseRow <= 0)
        return;
    if (m_mouseCol >= 0 && m_mouseCol < kFirstMagazineColumn)
        EditUserButtonClick();
    else if (m_mouseCol >= kFirstMagazineColumn && m_mouseCol < kUserGridColumns)
        EditPages(m_mouseCol - (kFirstMagazineColumn - 1));
}

void TUAMainForm::UsersStringGridDrawCell(QObject*, TCanvas& canvas, int col, int row, TRect rect,
                                          TGridDrawState) {
    if (row < 1)
        return; // the header keeps the grid's own drawing
    std::string text(Trim(UsersStringGrid->Cells(col, row)));
    TColor background = gui::clWhite;
    TColor textColor = gui::clBlack;
    int offset = 0;
    if (col < kFirstMagazineColumn) {
        background = gui::clInfoBk;
        offset = 2;
    } else {
        background = gui::clAqua;
        offset = (rect.Width() - canvas.TextWidth(text)) / 2;
    }
    if (row == UsersStringGrid->Row()) {
        background = gui::clMenuHighlight;
        textColor = gui::clWhite;
    }
    canvas.Brush.SetColor(background);
    canvas.FillRect(rect);
    canvas.Font.Color = textColor;
    // A value wider than its column shows the whole characters it holds.
    if (offset >= 0)
        text.resize(gui::FittingLength(text, rect.Width() - offset, canvas.Measurer()));
    canvas.TextOut(rect.Left + offset, rect.Top + 2, text);
    if (col >= kFirstFlagColumn && col <= kLastFlagColumn && text == BoolToYes(true))
        DrawCheckMark(canvas, rect, gui::clRed);
}

} // namespace vdx
