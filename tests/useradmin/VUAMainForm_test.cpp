#include "useradmin/VUAMainForm.h"

#include "controls/buttons/FcButton.h"
#include "controls/buttons/FcRadChk.h"
#include "controls/panels/FcPanel.h"
#include "platform/gui/color.h"
#include "platform/gui/labeled_edit.h"
#include "platform/gui/message_box.h"
#include "useradmin/UAUsersIni.h"
#include "useradmin/VUAEditUserDlg.h"
#include "useradmin/VUAGlobals.h"
#include "useradmin/VUAHelpDlg.h"
#include "useradmin/VUATxtUserPagesDlg.h"

#include "UserAdminSupport.h"

#include <QImage>
#include <QPushButton>
#include <QTabBar>

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace vdx {
namespace {

namespace fs = std::filesystem;

class MainForm : public ::testing::Test {
protected:
    // The form on the users written so far.
    TUAMainForm& Open() {
        globals = std::make_unique<TUAGlobals>(root.Program());
        form = std::make_unique<TUAMainForm>(*globals);
        return *form;
    }
    // The client point in the middle of a cell.
    QPoint CellCentre(int col, int row) const {
        const TRect r = form->UsersStringGrid->CellRect(col, row);
        return QPoint((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2) +
               form->UsersStringGrid->contentsRect().topLeft();
    }
    std::vector<std::string> GridNames() const {
        std::vector<std::string> names;
        for (int r = 1; r < form->UsersStringGrid->RowCount(); ++r)
            names.push_back(form->UsersStringGrid->Cells(0, r));
        return names;
    }
    // Every box answers answer; the texts and types shown are kept.
    void AnswerBoxes(gui::TModalResult answer) {
        boxes.reset();
        boxes.emplace([this, answer](const gui::TMessageBoxRequest& r) {
            shown.push_back(r);
            return answer;
        });
    }

    test::AdminInstall root;
    std::unique_ptr<TUAGlobals> globals;
    std::unique_ptr<TUAMainForm> form;
    std::vector<gui::TMessageBoxRequest> shown;
    std::optional<gui::TScopedMessageBoxHandler> boxes;
};

TEST_F(MainForm, WindowColumnsAndRowsAsDesigned) {
    TUserXML anna = test::AdminUser("Anna", true, true);
    anna.Admin = true;
    TUserXML bob = test::AdminUser("Bob", false);
    bob.Info = true;
    bob.SkipWebTxtPages = true;
    root.WriteUsers({anna, bob, test::AdminUser("Carl", true)});
    test::WriteFileBytes(root.IniPath(), "[Anna]\r\nmag1=00..99;\r\nmag5=10..19;\r\n");
    TUAMainForm& w = Open();

    EXPECT_EQ(w.windowTitle(), "Vardex User Admin");
    EXPECT_EQ(w.size(), QSize(804, 428));
    EXPECT_EQ(w.minimumSize(), w.maximumSize()) << "not resizable";
    const TFcStringGrid& grid = *w.UsersStringGrid;
    const char* headers[] = {"User ID", "Password", "Adm",   "Txt",   "Skip",
                             "Web",     "Info",     "Mag 1", "Mag 2", "Mag 3",
                             "Mag 4",   "Mag 5",    "Mag 6", "Mag 7", "Mag 8"};
    ASSERT_EQ(grid.ColCount(), 15);
    for (int c = 0; c < 15; ++c) {
        EXPECT_EQ(grid.Cells(c, 0), headers[c]);
        EXPECT_EQ(grid.ColWidths(c), c < 2 ? 80 : 34) << c;
    }
    EXPECT_EQ(grid.FixedCols(), 0);
    EXPECT_EQ(grid.FixedRows(), 1);
    EXPECT_TRUE(grid.Options().Contains(TGridOption::goRowSelect));
    EXPECT_EQ(w.UsersStringGrid->geometry(), QRect(8, 8, 641, 371));
    EXPECT_EQ(w.FcPanel3->geometry(), QRect(657, 0, 147, 387));
    EXPECT_EQ(w.FcPanel1->geometry(), QRect(0, 387, 804, 41));
    struct Button {
        TFcButton* button;
        const char* caption;
        QRect place;
    };
    for (const Button& b :
         {Button{w.HelpButton, "Help", QRect(22, 8, 75, 25)},
          Button{w.CloseButton, "Close", QRect(102, 8, 75, 25)},
          Button{w.NewUserButton, "New User", QRect(4, 8, 133, 25)},
          Button{w.EditUserButton, "Edit User", QRect(4, 40, 133, 25)},
          Button{w.EditTxtPageNumbersButton, "Edit TXT Page Numbers", QRect(4, 72, 133, 25)},
          Button{w.DeleteUserButton, "Delete User", QRect(4, 104, 133, 25)}}) {
        EXPECT_EQ(b.button->Caption(), b.caption);
        EXPECT_EQ(b.button->geometry(), b.place) << b.caption;
        EXPECT_TRUE(b.button->isEnabled()) << b.caption;
    }
    EXPECT_EQ(w.FcPanel4->geometry(), QRect(619, 0, 185, 41));

    ASSERT_EQ(grid.RowCount(), 4);
    const std::vector<std::string> row1 = {"Anna", "pw", "Yes", "Yes",   "", "Yes", "", "   100",
                                           "",     "",   "",    "   10", "", "",    ""};
    const std::vector<std::string> row2 = {"Bob", "pw", "", "", "Yes", "", "Yes", "",
                                           "",    "",   "", "", "",    "", ""};
    for (int c = 0; c < 15; ++c) {
        EXPECT_EQ(grid.Cells(c, 1), row1[std::size_t(c)]) << c;
        EXPECT_EQ(grid.Cells(c, 2), row2[std::size_t(c)]) << c;
    }
    w.show();
    w.grab().save(QStringLiteral(VDX_USERADMIN_ARTEFACT_DIR "/VdxUserAdmin-main.png"));
}

TEST_F(MainForm, PageCountsOfStringsThatDoNotParse) {
    struct Case {
        const char* allow;
        const char* shown;
    };
    const Case cases[] = {
        {"", ""},      {"05..07,20;", "   4"}, {"01,05..;", "   1"}, // the pages before the fault
        {"05..;", ""}, {"00..99;", "   100"},  {"20,20;", "   1"},
    };
    for (const Case& c : cases) {
        TUserXML u = test::AdminUser("Anna", true);
        u.Allow[2] = c.allow;
        EXPECT_EQ(TUAMainForm::CellText(u, 9), c.shown) << c.allow;
    }
}

TEST_F(MainForm, CellsArePaintedByColumnAndCurrentRow) {
    TUserXML anna = test::AdminUser("Anna", true);
    anna.Admin = true;
    TUserXML bob = test::AdminUser("Bob", true);
    bob.Admin = true;
    root.WriteUsers({anna, bob});
    test::WriteFileBytes(root.IniPath(), "[Bob]\r\nmag5=10..19;\r\n");
    TUAMainForm& w = Open();
    w.show();
    ASSERT_EQ(w.UsersStringGrid->Row(), 1);
    const QImage image = w.UsersStringGrid->grab().toImage();
    const QPoint origin = w.UsersStringGrid->contentsRect().topLeft();
    const auto colorAt = [&](int x, int y) {
        return gui::FromQColor(image.pixelColor(origin + QPoint(x, y)));
    };
    const auto cell = [&](int col, int row) { return w.UsersStringGrid->CellRect(col, row); };
    const auto inkOf = [&](const TRect& r, gui::TColor background) {
        QRect ink;
        for (int y = r.Top; y < r.Bottom; ++y)
            for (int x = r.Left; x < r.Right; ++x)
                if (colorAt(x, y) != gui::ColorToRGB(background))
                    ink = ink.united(QRect(x, y, 1, 1));
        return ink;
    };
    const auto onlyColors = [&](const TRect& r, std::vector<gui::TColor> allowed) {
        for (int y = r.Top; y < r.Bottom; ++y)
            for (int x = r.Left; x < r.Right; ++x) {
                bool ok = false;
                for (gui::TColor a : allowed)
                    ok = ok || colorAt(x, y) == gui::ColorToRGB(a);
                if (!ok)
                    return false;
            }
        return true;
    };

    // The current row: every cell on the menu highlight, text in white.
    const TRect name1 = cell(0, 1);
    EXPECT_EQ(colorAt(name1.Right - 2, name1.Top + 1), gui::ColorToRGB(gui::clMenuHighlight));
    // Another row: names and flags on the info colour, magazines on aqua.
    const TRect name2 = cell(0, 2);
    EXPECT_EQ(colorAt(name2.Right - 2, name2.Top + 1), gui::ColorToRGB(gui::clInfoBk));
    const TRect mag5 = cell(11, 2);
    EXPECT_EQ(colorAt(mag5.Left + 1, mag5.Top + 1), gui::ColorToRGB(gui::clAqua));
    // A flag shows a red check mark and no word.
    const TRect adm2 = cell(2, 2);
    EXPECT_TRUE(onlyColors(adm2, {gui::clInfoBk, gui::clRed}));
    const QRect mark = inkOf(adm2, gui::clInfoBk);
    ASSERT_FALSE(mark.isEmpty());
    EXPECT_EQ(mark.width(), 9);
    EXPECT_LE(std::abs((mark.left() - adm2.Left) - (adm2.Right - 1 - mark.right())), 1);
    const TRect adm1 = cell(2, 1);
    EXPECT_TRUE(onlyColors(adm1, {gui::clMenuHighlight, gui::clRed}));
    // The count "10" is centred in its cell.
    const QRect count = inkOf(mag5, gui::clAqua);
    ASSERT_FALSE(count.isEmpty());
    EXPECT_LE(std::abs((count.left() - mag5.Left) - (mag5.Right - 1 - count.right())), 2);
    // An empty flag cell stays plain.
    EXPECT_TRUE(onlyColors(cell(4, 2), {gui::clInfoBk}));
}

TEST_F(MainForm, NoUsersShowOneEmptyRowAndDoubleClicksOpenNothing) {
    TUAMainForm& w = Open();
    w.show();
    EXPECT_EQ(w.UsersStringGrid->RowCount(), 2);
    EXPECT_EQ(w.UsersStringGrid->Row(), 1);
    for (int c = 0; c < 15; ++c)
        EXPECT_EQ(w.UsersStringGrid->Cells(c, 1), "");
    EXPECT_TRUE(w.NewUserButton->isEnabled());
    EXPECT_FALSE(w.EditUserButton->isEnabled());
    EXPECT_FALSE(w.DeleteUserButton->isEnabled());
    EXPECT_FALSE(w.EditTxtPageNumbersButton->isEnabled());
    const auto opened = test::OnNextModal([](QWidget* modal) {
        EXPECT_EQ(modal, nullptr);
        if (modal)
            modal->close();
    });
    test::DoubleClickAt(*w.UsersStringGrid, CellCentre(9, 1));
    w.EditPages(3);
    QApplication::processEvents();
    EXPECT_TRUE(*opened);
}

TEST_F(MainForm, DoubleClicksOpenTheUserOrThePagesOfTheirMagazine) {
    root.WriteUsers({test::AdminUser("Anna", true), test::AdminUser("Bob", true)});
    TUAMainForm& w = Open();
    w.show();
    struct Case {
        const char* name;
        int col;
        int row;      // -1: below the last row
        int magazine; // 0: nothing opens
        const char* user;
    };
    const Case cases[] = {
        {"header", 9, 0, 0, ""},           {"below the last row", 9, -1, 0, ""},
        {"Mag 3 of Bob", 9, 2, 3, "Bob"},  {"Mag 1 of Anna", 7, 1, 1, "Anna"},
        {"Mag 8 of Bob", 14, 2, 8, "Bob"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        int magazine = 0;
        std::string user;
        const auto ran = test::OnNextModal([&](QWidget* modal) {
            if (auto* dlg = qobject_cast<TUATxtUserPagesDlg*>(modal)) {
                magazine = dlg->Tabs->currentIndex() + 1;
                user = dlg->UserName;
                dlg->BtnCancel->click();
            } else if (auto* edit = qobject_cast<TFEditUserDlg*>(modal)) {
                magazine = -1;
                user = edit->NameEdit->text().toStdString();
                EXPECT_EQ(edit->windowTitle(), "Edit User");
                edit->BtnCancel->click();
            } else if (modal) {
                modal->close();
            }
        });
        QPoint at = CellCentre(c.col, c.row < 0 ? 2 : c.row);
        if (c.row < 0)
            at.ry() += 40;
        test::DoubleClickAt(*w.UsersStringGrid, at);
        QApplication::processEvents();
        ASSERT_TRUE(*ran);
        EXPECT_EQ(magazine, c.magazine);
        EXPECT_EQ(user, c.user);
        if (c.row < 0) {
            EXPECT_EQ(w.MouseRow(), -1);
            EXPECT_EQ(w.MouseCol(), -1);
        }
    }
    EXPECT_FALSE(fs::exists(root.IniPath())) << "Cancel writes nothing";
}

TEST_F(MainForm, NewAndEditRunTheChainAndAFailedChainIsWrittenByTheNextOne) {
    root.WriteSwitches(true, true);
    root.WriteUsers({test::AdminUser("Anna", true)});
    TUAMainForm& w = Open();
    w.show();
    AnswerBoxes(gui::mrOk);
    fs::remove_all(root.Root() + "VdxTxtServer/users");
    const std::string xml = test::ReadFileBytes(root.UsersPath());

    test::OnNextModal([](QWidget* modal) {
        auto* dlg = qobject_cast<TFEditUserDlg*>(modal);
        ASSERT_NE(dlg, nullptr);
        EXPECT_EQ(dlg->windowTitle(), "New User");
        EXPECT_EQ(dlg->NameEdit->text(), "");
        dlg->NameEdit->setText(QStringLiteral("Web"));
        dlg->TxtCheckBox->SetChecked(true);
        dlg->WebTxtCheckBox->SetChecked(true);
        dlg->BtnOK->click();
    });
    w.NewUserButton->Click();
    ASSERT_EQ(shown.size(), 1u) << "the chain's error";
    EXPECT_NE(shown[0].Text.find("users.ini"), std::string::npos) << shown[0].Text;
    EXPECT_EQ(test::ReadFileBytes(root.UsersPath()), xml);
    EXPECT_FALSE(fs::exists(root.Transfer() + "Web"));
    EXPECT_EQ(GridNames(), (std::vector<std::string>{"Anna", "Web"}));

    // Editing Anna once "users/" is back writes Web too.
    fs::create_directories(root.Root() + "VdxTxtServer/users");
    shown.clear();
    w.UsersStringGrid->SetRow(1);
    test::OnNextModal([](QWidget* modal) {
        auto* dlg = qobject_cast<TFEditUserDlg*>(modal);
        ASSERT_NE(dlg, nullptr);
        EXPECT_EQ(dlg->NameEdit->text(), "Anna");
        dlg->PasswordEdit->setText(QStringLiteral("new"));
        dlg->BtnOK->click();
    });
    w.EditUserButton->Click();
    EXPECT_TRUE(shown.empty());
    EXPECT_EQ(test::ReadFileBytes(root.IniPath()), "[Anna]\r\n[Web]\r\npassword=\r\n");
    TVUsersXML file;
    file.Folder = root.AppDir();
    file.Load();
    ASSERT_EQ(file.Users.size(), 2u);
    EXPECT_EQ(file.Users[0].PassWord, "new");
    EXPECT_EQ(file.Users[1].Name, "Web");
    EXPECT_TRUE(fs::is_directory(root.Transfer() + "Web"));
    EXPECT_EQ(w.UsersStringGrid->Cells(1, 1), "new");

    // Cancel changes nothing.
    const std::string ini = test::ReadFileBytes(root.IniPath());
    test::OnNextModal([](QWidget* modal) {
        auto* dlg = qobject_cast<TFEditUserDlg*>(modal);
        ASSERT_NE(dlg, nullptr);
        dlg->NameEdit->setText(QStringLiteral("Zed"));
        dlg->BtnCancel->click();
    });
    w.NewUserButton->Click();
    EXPECT_EQ(w.Users().size(), 2u);
    EXPECT_EQ(test::ReadFileBytes(root.IniPath()), ini);
}

TEST_F(MainForm, PagesEditorOkWritesUsersIniOnlyAndKeepsOtherStrings) {
    root.WriteUsers({test::AdminUser("Anna", true), test::AdminUser("Bob", true)});
    // Lines the reader must pass over, and strings that do not parse.
    test::WriteFileBytes(root.IniPath(), "garbage\r\n[Anna\r\n; mag1=00..99;\r\n[anna]\r\n"
                                         "mag1 = 01,05..;\r\nmag2=77\r\n[Bob]\nmag4=05..;\n");
    TUAMainForm& w = Open();
    w.show();
    EXPECT_EQ(w.UsersStringGrid->Cells(7, 1), "   1");
    EXPECT_EQ(w.UsersStringGrid->Cells(8, 1), "   1");
    EXPECT_EQ(w.UsersStringGrid->Cells(10, 2), "");
    const std::string xml = test::ReadFileBytes(root.UsersPath());

    w.UsersStringGrid->SetRow(1);
    test::OnNextModal([](QWidget* modal) {
        auto* dlg = qobject_cast<TUATxtUserPagesDlg*>(modal);
        ASSERT_NE(dlg, nullptr);
        EXPECT_EQ(dlg->Tabs->currentIndex(), 0);
        EXPECT_EQ(TTxtUserPagesDlg::Granted(*dlg->Cells[1]), true);
        dlg->BtnOK->click();
    });
    w.EditTxtPageNumbersButtonClick();
    EXPECT_EQ(test::ReadFileBytes(root.UsersPath()), xml);
    // Anna's strings as the editor formats them; Bob's as they were.
    EXPECT_EQ(test::ReadFileBytes(root.IniPath()),
              "[Anna]\r\nmag1=01;\r\nmag2=77;\r\n[Bob]\r\nmag4=05..;\r\n");
    EXPECT_EQ(w.Users()[0].Allow[0], "01;");
    EXPECT_TRUE(fs::is_directory(root.Transfer() + "Anna"));
    EXPECT_TRUE(fs::is_directory(root.Transfer() + "Bob"));
    EXPECT_TRUE(globals->Users[0].Allow[0] == "01,05..;") << "the globals keep what was read";
}

TEST_F(MainForm, DeleteAsksAndRewritesFilesAndGrid) {
    root.WriteUsers({test::AdminUser("Anna", true), test::AdminUser("Bob", true),
                     test::AdminUser("Carl", true)});
    TUAMainForm& w = Open();
    w.show();
    const std::string xml = test::ReadFileBytes(root.UsersPath());

    AnswerBoxes(gui::mrCancel);
    w.UsersStringGrid->SetRow(2);
    w.DeleteUserButtonClick();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].Text, "Remove user Bob?");
    EXPECT_EQ(shown[0].Type, gui::TMsgDlgType::mtConfirmation);
    EXPECT_EQ(shown[0].Buttons, gui::mbOKCancel);
    EXPECT_EQ(test::ReadFileBytes(root.UsersPath()), xml);
    EXPECT_FALSE(fs::exists(root.IniPath()));
    EXPECT_EQ(GridNames(), (std::vector<std::string>{"Anna", "Bob", "Carl"}));

    AnswerBoxes(gui::mrOk);
    w.DeleteUserButton->Click();
    EXPECT_EQ(GridNames(), (std::vector<std::string>{"Anna", "Carl"}));
    EXPECT_EQ(test::ReadFileBytes(root.IniPath()), "[Anna]\r\n[Carl]\r\n");
    TVUsersXML file;
    file.Folder = root.AppDir();
    file.Load();
    ASSERT_EQ(file.Users.size(), 2u);
    EXPECT_EQ(file.Users[1].Name, "Carl");
    EXPECT_EQ(globals->Users, file.Users);
    EXPECT_EQ(w.UsersStringGrid->Row(), 2);

    // The last row: the current row moves up, never below the first.
    w.DeleteUserButtonClick();
    EXPECT_EQ(GridNames(), std::vector<std::string>{"Anna"});
    EXPECT_EQ(w.UsersStringGrid->Row(), 1);
    w.DeleteUserButtonClick();
    EXPECT_EQ(w.UsersStringGrid->RowCount(), 2);
    EXPECT_EQ(w.UsersStringGrid->Row(), 1);
    EXPECT_EQ(GridNames(), std::vector<std::string>{""});
    EXPECT_EQ(test::ReadFileBytes(root.IniPath()), "");
    EXPECT_TRUE(w.Users().empty());
    EXPECT_FALSE(w.DeleteUserButton->isEnabled());
    EXPECT_FALSE(w.EditUserButton->isEnabled());
    EXPECT_TRUE(w.NewUserButton->isEnabled());
    // Nothing left to remove: no question.
    shown.clear();
    w.DeleteUserButtonClick();
    EXPECT_TRUE(shown.empty());
}

TEST_F(MainForm, AFailedChainShowsItsErrorAndTheNextChainWritesTheChange) {
    root.WriteUsers({test::AdminUser("Anna", true), test::AdminUser("Bob", true)});
    TUAMainForm& w = Open();
    w.show();
    const std::string xml = test::ReadFileBytes(root.UsersPath());
    fs::remove_all(root.Root() + "VdxTxtServer/users");

    AnswerBoxes(gui::mrOk);
    w.UsersStringGrid->SetRow(2);
    w.DeleteUserButtonClick();
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[1].Buttons, gui::TMsgDlgBtn::mbOK);
    EXPECT_NE(shown[1].Text.find("users.ini"), std::string::npos) << shown[1].Text;
    EXPECT_EQ(test::ReadFileBytes(root.UsersPath()), xml) << "neither file changed";
    EXPECT_FALSE(fs::exists(root.Root() + "VdxTxtServer/users"));
    // Grid and working copy hold the change.
    EXPECT_EQ(GridNames(), std::vector<std::string>{"Anna"});
    EXPECT_EQ(w.UsersStringGrid->Row(), 1);

    fs::create_directories(root.Root() + "VdxTxtServer/users");
    shown.clear();
    w.UsersStringGrid->SetRow(1);
    test::OnNextModal([](QWidget* modal) {
        auto* dlg = qobject_cast<TUATxtUserPagesDlg*>(modal);
        ASSERT_NE(dlg, nullptr);
        dlg->BtnOK->click();
    });
    w.EditPages(1);
    EXPECT_TRUE(shown.empty());
    EXPECT_EQ(test::ReadFileBytes(root.IniPath()), "[Anna]\r\n");
}

TEST_F(MainForm, AfterAFailedChainThePagesEditorWritesBothFilesToo) {
    // Each way a chain can fail: before either file is replaced, or once
    // "Users.xml" is and "users.ini" cannot be (an immutable file).
    struct Case {
        const char* what;
        std::function<void(const test::AdminInstall&)> breakIt;
        std::function<void(const test::AdminInstall&, const std::string&)> mend;
        bool xmlChanged;
    };
    const Case cases[] = {
        {"users folder missing",
         [](const test::AdminInstall& r) { fs::remove_all(r.Root() + "VdxTxtServer/users"); },
         [](const test::AdminInstall& r, const std::string&) {
             fs::create_directories(r.Root() + "VdxTxtServer/users");
         },
         false},
        {"users.ini not replaceable",
         [](const test::AdminInstall& r) {
             fs::remove(r.IniPath());
             fs::create_directory(r.IniPath());
         },
         [](const test::AdminInstall& r, const std::string& ini) {
             fs::remove(r.IniPath());
             test::WriteFileBytes(r.IniPath(), ini);
         },
         true},
    };
    const TUsersXML three = {test::AdminUser("Anna", true), test::AdminUser("Bob", true),
                             test::AdminUser("Carl", true)};
    const TUsersXML two = {three[0], three[2]};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        root.WriteUsers(three);
        const std::string xml3 = test::ReadFileBytes(root.UsersPath());
        const std::string ini3 = "[Anna]\r\n[Bob]\r\n[Carl]\r\n";
        test::WriteFileBytes(root.IniPath(), ini3);
        for (const char* name : {"Anna", "Bob", "Carl"})
            fs::create_directories(root.Transfer() + name);
        TUAMainForm& w = Open();
        w.show();

        c.breakIt(root);
        AnswerBoxes(gui::mrOk);
        w.UsersStringGrid->SetRow(2);
        w.DeleteUserButton->Click();
        ASSERT_EQ(shown.size(), 2u);
        EXPECT_NE(shown[1].Text.find("users.ini"), std::string::npos) << shown[1].Text;
        EXPECT_EQ(test::ReadFileBytes(root.UsersPath()), c.xmlChanged ? FormatUsersXml(two) : xml3);
        EXPECT_TRUE(fs::is_directory(root.Transfer() + "Bob")) << "the folders come last";

        // The folder back, then only a page right changes: Bob goes from both
        // files and loses his folder together.
        c.mend(root, ini3);
        shown.clear();
        w.UsersStringGrid->SetRow(1);
        test::OnNextModal([](QWidget* modal) {
            auto* dlg = qobject_cast<TUATxtUserPagesDlg*>(modal);
            ASSERT_NE(dlg, nullptr);
            TTxtUserPagesDlg::PaintCell(*dlg->Cells[1], true);
            dlg->BtnOK->click();
        });
        w.EditTxtPageNumbersButton->Click();
        EXPECT_TRUE(shown.empty());
        EXPECT_EQ(test::ReadFileBytes(root.UsersPath()), FormatUsersXml(two));
        EXPECT_EQ(test::ReadFileBytes(root.IniPath()), "[Anna]\r\nmag1=01;\r\n[Carl]\r\n");
        EXPECT_FALSE(fs::exists(root.Transfer() + "Bob"));
        EXPECT_EQ(globals->Users, w.Users());

        // Both written: the editor is back to "users.ini" alone, so a
        // "Users.xml" that cannot be replaced does not stop it.
        fs::remove(root.UsersPath());
        fs::create_directory(root.UsersPath());
        test::OnNextModal([](QWidget* modal) {
            auto* dlg = qobject_cast<TUATxtUserPagesDlg*>(modal);
            ASSERT_NE(dlg, nullptr);
            dlg->BtnOK->click();
        });
        w.EditTxtPageNumbersButton->Click();
        EXPECT_TRUE(shown.empty());
        EXPECT_EQ(test::ReadFileBytes(root.IniPath()), "[Anna]\r\nmag1=01;\r\n[Carl]\r\n");

        form.reset();
        fs::remove_all(root.UsersPath());
        fs::remove_all(root.Transfer());
        fs::create_directories(root.Transfer());
    }
}

TEST_F(MainForm, HelpShowsTheManualOrTheFileErrorAndCloseEndsTheWindow) {
    TUAMainForm& w = Open();
    w.show();
    AnswerBoxes(gui::mrOk);
    const auto none = test::OnNextModal([](QWidget* modal) {
        EXPECT_EQ(modal, nullptr);
        if (modal)
            modal->close();
    });
    w.HelpButton->Click();
    QApplication::processEvents();
    EXPECT_TRUE(*none);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_NE(shown[0].Text.find("VdxUserAdmin.rtf"), std::string::npos) << shown[0].Text;

    fs::copy_file(VDX_HELP_FILE, root.Root() + "VdxUserAdmin/VdxUserAdmin.rtf");
    std::string title;
    test::OnNextModal([&](QWidget* modal) {
        auto* dlg = qobject_cast<TUAHelpDlg*>(modal);
        ASSERT_NE(dlg, nullptr);
        title = dlg->windowTitle().toStdString();
        dlg->BtnOK->click();
    });
    w.HelpButton->Click();
    EXPECT_EQ(title, "Vardex User Admin Help");
    EXPECT_EQ(shown.size(), 1u);

    w.CloseButton->Click();
    EXPECT_FALSE(w.isVisible());
}

} // namespace
} // namespace vdx
