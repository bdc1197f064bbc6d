#include "shared/gui/VdxButtonDlg.h"

#include "platform/gui/ansi_text.h"
#include "platform/gui/color.h"
#include "platform/gui/exception_guard.h"
#include "platform/gui/font.h"
#include "platform/gui/modal_result.h"
#include "shared/VdxLanguage.h"

#include <QPalette>
#include <QPushButton>
#include <QShowEvent>

#include <algorithm>
#include <utility>

namespace vdx {

namespace {

constexpr int kClientWidth = 388;
constexpr int kClientHeight = 246;
constexpr int kButtonWidth = 72;
constexpr int kButtonHeight = 25;
constexpr int kButtonTop = 8;
// Left edges from the panel's right edge: 9 pixels margin, 80 per button.
constexpr int kRightmost = 81;
constexpr int kSecond = 161;
constexpr int kThird = 241;

// Qt makes push buttons in a dialog press on Enter by themselves; these
// dialogs have no default button.
QPushButton* MakeButton(QWidget* panel, const char* caption, int designLeft) {
    auto* button = new QPushButton(QString::fromLatin1(caption), panel);
    button->setAutoDefault(false);
    button->setDefault(false);
    button->setGeometry(designLeft, kButtonTop, kButtonWidth, kButtonHeight);
    return button;
}

void MoveLeft(QPushButton* button, int left) {
    button->move(left, button->y());
}

} // namespace

TVdButtonDlg::TVdButtonDlg(QWidget* owner)
    : QDialog(owner), PnlButton(new QWidget(this)), BtnOK(MakeButton(PnlButton, "OK", 147)),
      BtnCancel(MakeButton(PnlButton, "Cancel", 227)), BtnHelp(MakeButton(PnlButton, "Help", 307)),
      m_clientArea(new QWidget(this)) {
    setObjectName(QStringLiteral("VdButtonDlg"));
    setWindowTitle(QStringLiteral("Button Dlg"));
    gui::TFont font;
    font.Name = "MS Sans Serif";
    font.Height = -11;
    setFont(gui::ToQFont(font));
    QPalette pal = palette();
    pal.setColor(QPalette::Window, gui::ToQColor(gui::clBtnFace));
    setPalette(pal);

    PnlButton->setObjectName(QStringLiteral("PnlButton"));
    BtnOK->setObjectName(QStringLiteral("BtnOK"));
    BtnCancel->setObjectName(QStringLiteral("BtnCancel"));
    BtnHelp->setObjectName(QStringLiteral("BtnHelp"));
    PnlButton->setGeometry(0, kClientHeight - m_panelHeight, kClientWidth, m_panelHeight);
    m_panelWidth = kClientWidth;
    // A dialog border: the user cannot resize it; a derived dialog sets its
    // own fixed size.
    setFixedSize(kClientWidth, kClientHeight);
    AlignPanels();

    setTabOrder(BtnHelp, BtnOK);
    setTabOrder(BtnOK, BtnCancel);
    // The buttons close at once (derived dialogs check in done), and leave
    // their result as the form's modal result.
    connect(BtnOK, &QPushButton::clicked, this, [this] {
        gui::SetFormModalResult(*this, gui::mrOk);
        done(gui::mrOk);
    });
    connect(BtnCancel, &QPushButton::clicked, this, [this] {
        gui::SetFormModalResult(*this, gui::mrCancel);
        done(gui::mrCancel);
    });
    FormCreate();
}

void TVdButtonDlg::SetPanelHeight(int value) {
    m_panelHeight = std::max(0, value);
    AlignPanels();
}

void TVdButtonDlg::FormCreate() {
    m_showHelp = true;
    m_closeOnly = false;
}

void TVdButtonDlg::FormShow() {
    BtnCancel->setText(gui::AnsiToQString(LanguageText(TLanguageText::Cancel)));
    BtnHelp->setText(gui::AnsiToQString(LanguageText(TLanguageText::Help)));
}

void TVdButtonDlg::SetCloseOnly(bool value) {
    m_closeOnly = value;
    ArrangeButtons();
}

void TVdButtonDlg::SetShowHelp(bool value) {
    m_showHelp = value;
    ArrangeButtons();
}

void TVdButtonDlg::ArrangeButtons() {
    AlignPanels();
    const int w = PnlButton->width();
    const QString closeText = gui::AnsiToQString(LanguageText(TLanguageText::Close));
    if (m_showHelp) {
        MoveLeft(BtnHelp, w - kRightmost);
        BtnHelp->show();
        if (m_closeOnly) {
            BtnOK->setText(closeText);
            MoveLeft(BtnOK, w - kSecond);
            BtnCancel->hide();
        } else {
            BtnOK->setText(QStringLiteral("OK"));
            MoveLeft(BtnOK, w - kThird);
            MoveLeft(BtnCancel, w - kSecond);
            BtnCancel->show();
        }
    } else {
        BtnHelp->hide();
        if (m_closeOnly) {
            BtnOK->setText(closeText);
            MoveLeft(BtnOK, w - kRightmost);
            BtnCancel->hide();
        } else {
            BtnOK->setText(QStringLiteral("OK"));
            MoveLeft(BtnOK, w - kSecond);
            MoveLeft(BtnCancel, w - kRightmost);
            BtnCancel->show();
        }
    }
}

gui::TModalResult TVdButtonDlg::ShowModal() {
    gui::SetFormModalResult(*this, gui::mrNone);
    FormShow();
    m_showStepDone = true;
    const int result = exec();
    m_showStepDone = false;
    return result;
}

void TVdButtonDlg::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // A spontaneous show is the window manager restoring the dialog.
    if (event->spontaneous() || std::exchange(m_showStepDone, false))
        return;
    gui::Guard([this] { FormShow(); });
}

void TVdButtonDlg::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    AlignPanels();
}

void TVdButtonDlg::reject() {
    gui::SetFormModalResult(*this, gui::mrCancel);
    done(gui::mrCancel);
}

void TVdButtonDlg::AlignPanels() {
    const int w = width();
    const int h = height();
    PnlButton->setGeometry(0, h - m_panelHeight, w, m_panelHeight);
    m_clientArea->setGeometry(0, 0, w, std::max(0, h - m_panelHeight));
    const int dx = w - m_panelWidth;
    if (dx == 0)
        return;
    m_panelWidth = w;
    for (QPushButton* button : {BtnOK, BtnCancel, BtnHelp})
        button->move(button->x() + dx, button->y());
}

} // namespace vdx
