#include "shared/gui/VdxTxtUserPagesDlg.h"

#include "controls/panels/FcPanel.h"
#include "platform/gui/ansi_text.h"
#include "platform/gui/exception_guard.h"
#include "platform/gui/font.h"
#include "platform/gui/labeled_edit.h"
#include "platform/gui/shell_open.h"
#include "shared/VdxMisc.h"

#include <QEvent>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTabBar>
#include <QToolButton>

namespace vdx {

namespace {

constexpr int kClientWidth = 410;
constexpr int kClientHeight = 408;
constexpr int kPanelHeight = 52;
constexpr int kTabHeight = 20;
constexpr int kUserTab = 8;
// Pages 898 and 899 are the teletext server's own: never shown, never granted
// by a set button.
constexpr int kFirstReservedPage = 898;

QFont SansSerif() {
    gui::TFont font;
    font.Name = "MS Sans Serif";
    font.Height = -11;
    return gui::ToQFont(font);
}

QToolButton* SpeedButton(QWidget* parent, const char* caption, int left, int top) {
    auto* button = new QToolButton(parent);
    button->setText(QString::fromLatin1(caption));
    button->setFocusPolicy(Qt::NoFocus);
    button->setGeometry(left, top, 24, 18);
    return button;
}

QLabel* Label(QWidget* parent, const QString& text, int left, int top) {
    auto* label = new QLabel(text, parent);
    label->setTextFormat(Qt::PlainText);
    label->move(left, top);
    label->adjustSize();
    return label;
}

gui::TLabeledEdit* InfoEdit(QWidget* parent, const char* caption, int top) {
    auto* edit = new gui::TLabeledEdit(parent);
    edit->setReadOnly(true);
    QPalette pal = edit->palette();
    pal.setColor(QPalette::Base, gui::ToQColor(gui::clInfoBk));
    edit->setPalette(pal);
    edit->EditLabel->setText(QString::fromLatin1(caption));
    edit->SetLabelSpacing(8);
    edit->Place(150, top, 121);
    return edit;
}

} // namespace

TTxtUserPagesDlg::TTxtUserPagesDlg(QWidget* owner)
    : TVdButtonDlg(owner), TabControl(new QWidget(ClientArea())), Tabs(new QTabBar(TabControl)),
      ButtonGroupBox(new QGroupBox(TabControl)),
      PasswordGroupBox(new QGroupBox(QStringLiteral("Password"), TabControl)),
      UserIdLabeledEdit(InfoEdit(PasswordGroupBox, "User ID", 32)),
      PassWordLabeledEdit(InfoEdit(PasswordGroupBox, "Password", 59)),
      IsAdminLabeledEdit(InfoEdit(PasswordGroupBox, "Is user admin", 86)),
      IsTxtLabeledEdit(InfoEdit(PasswordGroupBox, "Is VDxText user ", 113)),
      IsSkipWebTxtPagesLabeledEdit(InfoEdit(PasswordGroupBox, "Is Skip VDxWebTxt pages", 139)),
      IsWebTxtLabeledEdit(InfoEdit(PasswordGroupBox, "Is VDxWebTxt user", 164)),
      Label3(Label(PasswordGroupBox,
                   QStringLiteral("When user is admin then user can upload control.dat files \n"
                                  "which contain commands for the inserter.\nSee also:"),
                   43, 206)),
      Label1(Label(PasswordGroupBox, QString::fromLatin1(kControlFileDocument), 43, 250)),
      SetSpeedButton(SpeedButton(PnlButton, "Set", 24, 6)),
      ClrSpeedButton(SpeedButton(PnlButton, "Clr", 56, 6)),
      AllPagesLabel(Label(PnlButton, QStringLiteral("All pages"), 92, 8)),
      Label2(Label(PnlButton, QStringLiteral("Green = User has rights"), 24, 27)) {
    setObjectName(QStringLiteral("TxtUserPagesDlg"));
    setWindowTitle(QStringLiteral("User Pages"));
    setFixedSize(kClientWidth, kClientHeight);
    SetPanelHeight(kPanelHeight);
    // The form resource's places: Cancel, OK, Help from the left.
    BtnCancel->move(169, 16);
    BtnOK->move(249, 16);
    BtnHelp->move(329, 16);

    TabControl->setObjectName(QStringLiteral("TabControl"));
    TabControl->setGeometry(0, 0, kClientWidth, kClientHeight - kPanelHeight);
    auto* page = new QFrame(TabControl);
    page->setFrameShape(QFrame::StyledPanel);
    page->setGeometry(0, kTabHeight + 2, TabControl->width(),
                      TabControl->height() - kTabHeight - 2);
    page->lower();
    for (int m = 1; m <= 8; ++m)
        Tabs->addTab(QStringLiteral("Mag %1").arg(m));
    Tabs->addTab(QStringLiteral("User"));
    Tabs->setGeometry(2, 2, TabControl->width() - 4, kTabHeight);
    // Nine tabs as wide as the classic look makes them: all in one row, no
    // scroll buttons.
    Tabs->setUsesScrollButtons(false);
    Tabs->setExpanding(false);
    Tabs->setFocusPolicy(Qt::TabFocus);
    connect(Tabs, &QTabBar::currentChanged, this,
            [this] { gui::Guard([&] { TabControlChange(); }); });

    ButtonGroupBox->setObjectName(QStringLiteral("ButtonGroupBox"));
    ButtonGroupBox->setFont(SansSerif());
    ButtonGroupBox->setGeometry(8, 40, 393, 305);
    PasswordGroupBox->setObjectName(QStringLiteral("PasswordGroupBox"));
    PasswordGroupBox->setFont(SansSerif());
    PasswordGroupBox->setGeometry(24, 61, 393, 313);

    QFont link = Label1->font();
    link.setUnderline(true);
    Label1->setFont(link);
    Label1->adjustSize();
    QPalette pal = Label1->palette();
    pal.setColor(QPalette::WindowText, gui::ToQColor(gui::clBlue));
    Label1->setPalette(pal);
    Label1->setCursor(Qt::PointingHandCursor);
    Label1->installEventFilter(this);

    connect(SetSpeedButton, &QToolButton::clicked, this,
            [this] { gui::Guard([&] { SetSpeedButtonClick(); }); });
    connect(ClrSpeedButton, &QToolButton::clicked, this,
            [this] { gui::Guard([&] { ClrSpeedButtonClick(); }); });
    FormCreate();
}

void TTxtUserPagesDlg::FormCreate() {
    Magazine = 1;
}

bool TTxtUserPagesDlg::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Label1 && event->type() == QEvent::MouseButtonRelease) {
        gui::Guard([&] { Label1Click(); });
        return true;
    }
    return TVdButtonDlg::eventFilter(watched, event);
}

void TTxtUserPagesDlg::FormShow() {
    TVdButtonDlg::FormShow();
    PasswordGroupBox->hide();
    ButtonGroupBox->show();
    for (std::size_t m = 0; m < 8; ++m) {
        // A string that does not parse keeps the pages read before the
        // fault; it is written again only on OK.
        try {
            ParseAllowString(AllowStrings[m], PageFlags[m]);
        } catch (const EConvertError&) {
        }
    }
    BuildPageGrid();
    int tab = Magazine - 1;
    if (Magazine < 1 || Magazine > 8) {
        Magazine = 1;
        tab = kUserTab;
        {
            const QSignalBlocker quiet(Tabs);
            Tabs->setCurrentIndex(tab);
        }
        TabControlChange();
    } else {
        const QSignalBlocker quiet(Tabs);
        Tabs->setCurrentIndex(tab);
    }
    ButtonGroupBox->setTitle(gui::AnsiToQString(GroupCaption(tab + 1)));
    UserIdLabeledEdit->setText(gui::AnsiToQString(UserName));
    PassWordLabeledEdit->setText(gui::AnsiToQString(UserPassWord));
    IsAdminLabeledEdit->setText(gui::AnsiToQString(YesNoText(IsAdmin)));
    IsTxtLabeledEdit->setText(gui::AnsiToQString(YesNoText(IsTxt)));
    IsWebTxtLabeledEdit->setText(gui::AnsiToQString(YesNoText(IsWebTxt)));
    IsSkipWebTxtPagesLabeledEdit->setText(gui::AnsiToQString(YesNoText(IsSkipWebTxtPages)));
    ShowMagazine();
    BtnCancel->setText(QStringLiteral("Cancel"));
}

std::string TTxtUserPagesDlg::GroupCaption(int magazine) const {
    return "Pages of user " + UserName + ",  magazine " + std::to_string(magazine);
}

void TTxtUserPagesDlg::BuildPageGrid() {
    if (!Cells.empty())
        return;
    for (int i = 0; i <= 10; ++i) {
        const int y = 24 + 26 * i;
        QToolButton* set = SpeedButton(ButtonGroupBox, "Set", 16, y);
        QToolButton* clr = SpeedButton(ButtonGroupBox, "Clr", 48, y);
        connect(set, &QToolButton::clicked, this,
                [this, i] { gui::Guard([&] { RowSetClick(i); }); });
        connect(clr, &QToolButton::clicked, this,
                [this, i] { gui::Guard([&] { RowClrClick(i); }); });
        set->show();
        clr->show();
        SetButtons.push_back(set);
        ClrButtons.push_back(clr);
        if (i == 10)
            break;
        for (int j = 0; j < 10; ++j) {
            auto* cell = new TFcPanel(ButtonGroupBox);
            cell->SetBounds(82 + 30 * j, y, 24, 18);
            cell->SetBorderOuter(TFrameStyleEx::fsNone);
            cell->SetBorderInner(TFrameStyleEx::fsNone);
            cell->SetBorderColor(gui::clBlack);
            cell->SetBorderWidth(1);
            PaintCell(*cell, false);
            cell->OnClick = [this, cell](QObject*) { CellClick(*cell); };
            cell->show();
            Cells.push_back(cell);
        }
    }
    AllPagesOfMagazineLabel =
        Label(ButtonGroupBox, QStringLiteral("All pages of magazine"), 84, 286);
    AllPagesOfMagazineLabel->show();
}

void TTxtUserPagesDlg::FreePageGrid() {
    for (TFcPanel* cell : Cells)
        delete cell;
    for (QToolButton* button : SetButtons)
        delete button;
    for (QToolButton* button : ClrButtons)
        delete button;
    delete AllPagesOfMagazineLabel;
    Cells.clear();
    SetButtons.clear();
    ClrButtons.clear();
    AllPagesOfMagazineLabel = nullptr;
}

void TTxtUserPagesDlg::ShowMagazine() {
    for (int i = 0; i < int(Cells.size()); ++i) {
        TFcPanel& cell = *Cells[std::size_t(i)];
        const int page = Magazine * 100 + i;
        PaintCell(cell, PageFlags[std::size_t(Magazine - 1)][std::size_t(i)]);
        cell.SetCaption(std::to_string(page));
        cell.setVisible(page < kFirstReservedPage);
    }
}

void TTxtUserPagesDlg::StoreMagazine() {
    for (int i = 0; i < int(Cells.size()); ++i)
        PageFlags[std::size_t(Magazine - 1)][std::size_t(i)] = Granted(*Cells[std::size_t(i)]);
}

void TTxtUserPagesDlg::PaintCell(TFcPanel& cell, bool granted) {
    TFont font = cell.Font();
    font.Color = granted ? gui::clWhite : gui::clBlack;
    cell.SetFont(font);
    cell.SetColor(granted ? gui::clGreen : gui::clBtnFace);
}

bool TTxtUserPagesDlg::Granted(const TFcPanel& cell) {
    return cell.Color() == gui::clGreen;
}

void TTxtUserPagesDlg::CellClick(TFcPanel& cell) {
    PaintCell(cell, !Granted(cell));
}

void TTxtUserPagesDlg::SetRow(int row) {
    for (int i = 0; i < 10; ++i)
        if (Magazine * 100 + row * 10 + i < kFirstReservedPage)
            PaintCell(*Cells[std::size_t(row * 10 + i)], true);
}

void TTxtUserPagesDlg::ClearRow(int row) {
    for (int i = 0; i < 10; ++i)
        PaintCell(*Cells[std::size_t(row * 10 + i)], false);
}

void TTxtUserPagesDlg::RowSetClick(int tag) {
    for (int r = 0; r < 10; ++r)
        if (tag > 9 || r == tag)
            SetRow(r);
}

void TTxtUserPagesDlg::RowClrClick(int tag) {
    for (int r = 0; r < 10; ++r)
        if (tag > 9 || r == tag)
            ClearRow(r);
}

void TTxtUserPagesDlg::SetSpeedButtonClick() {
    for (int r = 0; r < 10; ++r)
        SetRow(r);
    for (std::size_t m = 0; m < 8; ++m)
        for (int p = 0; p < 100; ++p)
            if ((int(m) + 1) * 100 + p < kFirstReservedPage)
                PageFlags[m][std::size_t(p)] = true;
}

void TTxtUserPagesDlg::ClrSpeedButtonClick() {
    for (int r = 0; r < 10; ++r)
        ClearRow(r);
    for (TPageFlags& flags : PageFlags)
        flags.fill(false);
}

void TTxtUserPagesDlg::ShowPanelButtons(bool visible) {
    SetSpeedButton->setVisible(visible);
    ClrSpeedButton->setVisible(visible);
    AllPagesLabel->setVisible(visible);
}

void TTxtUserPagesDlg::TabControlChange() {
    const int tab = Tabs->currentIndex();
    if (tab == kUserTab) {
        PasswordGroupBox->setGeometry(ButtonGroupBox->x(), ButtonGroupBox->y(),
                                      PasswordGroupBox->width(), ButtonGroupBox->height());
        ButtonGroupBox->hide();
        PasswordGroupBox->show();
        ShowPanelButtons(false);
        return;
    }
    if (tab < 0 || tab > 7)
        return;
    PasswordGroupBox->hide();
    ButtonGroupBox->show();
    ButtonGroupBox->setTitle(gui::AnsiToQString(GroupCaption(tab + 1)));
    StoreMagazine();
    Magazine = tab + 1;
    ShowPanelButtons(true);
    ShowMagazine();
}

void TTxtUserPagesDlg::BtnOKClick() {
    StoreMagazine();
    for (std::size_t m = 0; m < 8; ++m)
        AllowStrings[m] = FormatAllowString(PageFlags[m]);
}

void TTxtUserPagesDlg::Label1Click() {
    gui::OpenDocument(kControlFileDocument);
}

void TTxtUserPagesDlg::done(int result) {
    // OK takes the board before the close frees it.
    if (result == gui::mrOk && !Cells.empty())
        BtnOKClick();
    FreePageGrid();
    TVdButtonDlg::done(result);
}

} // namespace vdx
