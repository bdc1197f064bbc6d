#include "useradmin/VUATxtUserPagesDlg.h"

#include "controls/panels/FcPanel.h"
#include "platform/gui/labeled_edit.h"
#include "platform/gui/shell_open.h"
#include "useradmin/VUAGlobals.h"

#include "InstallRoot.h"

#include <QCoreApplication>
#include <QGroupBox>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QTabBar>
#include <QToolButton>

#include <gtest/gtest.h>

#include <filesystem>

namespace vdx {
namespace {

TFcPanel& CellOf(TTxtUserPagesDlg& dlg, int page) {
    return *dlg.Cells[std::size_t(page % 100)];
}

void ClickCell(TFcPanel& cell) {
    cell.Click();
}

class PagesDialog : public ::testing::Test {
protected:
    PagesDialog() {
        std::filesystem::create_directories(root.Root() + "VdxUserAdmin");
        globals = std::make_unique<TUAGlobals>(root.Root() + "VdxUserAdmin/VdxUserAdmin");
        dlg = std::make_unique<TUATxtUserPagesDlg>(nullptr, *globals);
        dlg->UserName = "Anna";
        dlg->UserPassWord = "pw";
        dlg->IsTxt = true;
    }
    // Up as a modal window, so its buttons close it.
    void Show() {
        dlg->setModal(true);
        dlg->show();
    }
    // OK, and the close it makes once the click is done: the strings as the
    // caller reads them.
    TAllowStrings Ok() {
        dlg->BtnOK->click();
        QCoreApplication::processEvents();
        return dlg->AllowStrings;
    }
    test::InstallRoot root;
    std::unique_ptr<TUAGlobals> globals;
    std::unique_ptr<TUATxtUserPagesDlg> dlg;
};

TEST_F(PagesDialog, StartMagazineShowsItsGrantedPages) {
    dlg->AllowStrings[1] = "05..07,20;";
    dlg->Magazine = 2;
    Show();
    EXPECT_EQ(dlg->Tabs->currentIndex(), 1);
    EXPECT_EQ(dlg->ButtonGroupBox->title(), "Pages of user Anna,  magazine 2");
    EXPECT_EQ(dlg->windowTitle(), "Edit User Teletext Page Numbers");
    ASSERT_EQ(dlg->Cells.size(), 100u);
    for (int p = 200; p < 300; ++p) {
        const bool granted = (p >= 205 && p <= 207) || p == 220;
        EXPECT_EQ(TTxtUserPagesDlg::Granted(CellOf(*dlg, p)), granted) << p;
        EXPECT_EQ(CellOf(*dlg, p).Caption(), std::to_string(p));
    }
    EXPECT_EQ(dlg->BtnCancel->text(), "Cancel");
    EXPECT_EQ(dlg->BtnCancel->x(), 169);
    EXPECT_EQ(dlg->BtnOK->x(), 249);
    EXPECT_EQ(dlg->BtnHelp->x(), 329);
    EXPECT_EQ(dlg->SetButtons.size(), 11u);
    EXPECT_EQ(dlg->SetButtons[10]->y(), 284);
    dlg->grab().save(QStringLiteral(VDX_USERADMIN_ARTEFACT_DIR "/VdxUserAdmin-pages.png"));
}

TEST_F(PagesDialog, EditingSequences) {
    struct Case {
        const char* what;
        std::function<void(TTxtUserPagesDlg&)> edit;
        TAllowStrings expected;
    };
    TAllowStrings allSet;
    for (int m = 0; m < 7; ++m)
        allSet[std::size_t(m)] = "00..99;";
    allSet[7] = "00..97;";
    TAllowStrings row9;
    row9[2] = "01;";
    row9[7] = "90..97;";
    TAllowStrings kept301;
    kept301[2] = "01;";
    const Case cases[] = {
        {"panel Set, then OK", [](TTxtUserPagesDlg& d) { d.SetSpeedButton->click(); }, allSet},
        {"panel Clr, then OK", [](TTxtUserPagesDlg& d) { d.ClrSpeedButton->click(); }, {}},
        {"row 9 of magazine 8 grants 890 to 897",
         [](TTxtUserPagesDlg& d) {
             d.Tabs->setCurrentIndex(7);
             d.SetButtons[9]->click();
         },
         row9},
        {"a cell clicked twice is as it was",
         [](TTxtUserPagesDlg& d) {
             d.Tabs->setCurrentIndex(2);
             ClickCell(*d.Cells[1]);
             ClickCell(*d.Cells[1]);
         },
         kept301},
    };
    for (const Case& c : cases) {
        dlg = std::make_unique<TUATxtUserPagesDlg>(nullptr, *globals);
        dlg->AllowStrings[2] = "01;";
        Show();
        c.edit(*dlg);
        EXPECT_EQ(Ok(), c.expected) << c.what;
        EXPECT_TRUE(dlg->Cells.empty()) << "the close frees the board";
    }
}

TEST_F(PagesDialog, MagazinesKeepTheirEditsAcrossTabsAndCancelReturnsNothing) {
    Show();
    ClickCell(*dlg->Cells[3]);
    dlg->Tabs->setCurrentIndex(1);
    EXPECT_FALSE(TTxtUserPagesDlg::Granted(*dlg->Cells[3]));
    dlg->Tabs->setCurrentIndex(0);
    EXPECT_TRUE(TTxtUserPagesDlg::Granted(*dlg->Cells[3]));
    dlg->BtnCancel->click();
    EXPECT_EQ(dlg->AllowStrings, TAllowStrings{});
}

TEST_F(PagesDialog, ReservedPagesAndTheUserTab) {
    dlg->AllowStrings[7] = "98,99;";
    dlg->Magazine = 9;
    Show();
    EXPECT_EQ(dlg->Tabs->currentIndex(), 8);
    EXPECT_TRUE(dlg->ButtonGroupBox->isHidden());
    EXPECT_FALSE(dlg->PasswordGroupBox->isHidden());
    EXPECT_EQ(dlg->PasswordGroupBox->y(), dlg->ButtonGroupBox->y());
    EXPECT_TRUE(dlg->SetSpeedButton->isHidden());
    EXPECT_EQ(dlg->IsTxtLabeledEdit->text(), "Yes");
    EXPECT_EQ(dlg->IsAdminLabeledEdit->text(), "No");
    EXPECT_EQ(dlg->UserIdLabeledEdit->text(), "Anna");
    EXPECT_EQ(dlg->Magazine, 1);

    dlg->Tabs->setCurrentIndex(7);
    EXPECT_TRUE(dlg->Cells[98]->isHidden());
    EXPECT_TRUE(dlg->Cells[99]->isHidden());
    EXPECT_TRUE(TTxtUserPagesDlg::Granted(*dlg->Cells[98])); // a grant that came in stays
    dlg->SetButtons[10]->click();
    TAllowStrings expected;
    expected[7] = "00..99;";
    EXPECT_EQ(Ok(), expected);
}

TEST_F(PagesDialog, AStringThatDoesNotParseShowsWhatCameBeforeTheFault) {
    dlg->AllowStrings[0] = "03,05..;";
    Show();
    EXPECT_TRUE(TTxtUserPagesDlg::Granted(*dlg->Cells[3]));
    dlg->BtnCancel->click();
    EXPECT_EQ(dlg->AllowStrings[0], "03,05..;"); // rewritten only on OK
}

TEST_F(PagesDialog, TheLinkOpensTheDocument) {
    std::string opened;
    const gui::OpenDocumentHook hook([&](const std::string& address) {
        opened = address;
        return true;
    });
    Show();
    dlg->Tabs->setCurrentIndex(8);
    QMouseEvent release(QEvent::MouseButtonRelease, QPointF(2, 2), QPointF(2, 2), Qt::LeftButton,
                        Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(dlg->Label1, &release);
    EXPECT_EQ(opened, kControlFileDocument);
    EXPECT_EQ(dlg->Label1->text().toStdString(), kControlFileDocument);
}

} // namespace
} // namespace vdx
