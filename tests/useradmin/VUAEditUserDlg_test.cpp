#include "useradmin/VUAEditUserDlg.h"

#include "controls/buttons/FcRadChk.h"
#include "platform/gui/labeled_edit.h"
#include "platform/gui/message_box.h"
#include "useradmin/VUAGlobals.h"

#include "UserAdminSupport.h"

#include <QPushButton>

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <stdexcept>
#include <utility>
#include <vector>

namespace vdx {
namespace {

TEST(UserName, WarningsOfOk) {
    const std::string characters = kUserNameCharactersWarning;
    struct Case {
        const char* name;
        bool exists;
        std::optional<std::string> warning;
    };
    const Case cases[] = {
        {"Anna", false, std::nullopt},
        {"", false, "No Username filled in!"},
        {"anna", true, "User anna already exists!"},
        {"Anna Smith", false, characters},
        {"a/b", false, characters},
        {"a\\b", false, characters},
        {"..", false, characters},
        {".", false, characters},
        {"x\ty", false, characters},
        {"x\x7fy", false, characters},
        {"a:b", false, characters},
        {"a|b", false, characters},
        {"a\"b", false, characters},
        {"...", false, std::nullopt},
        {".anna", false, std::nullopt},
        {"J\xf6rg", false, std::nullopt}, // code page 1252
    };
    for (const Case& c : cases)
        EXPECT_EQ(UserNameWarning(c.name, c.exists), c.warning) << c.name;
    EXPECT_EQ(characters, "Username may not contain the following characters: \r/\\:*?\"><| and "
                          "may not contain spaces!");
}

class UserDialog : public ::testing::Test {
protected:
    UserDialog() {
        root.WriteSwitches(true, true);
        Load();
    }
    void Load() { globals = std::make_unique<TUAGlobals>(root.Program()); }
    // A dialog as the main window makes it: for a new user, or editing
    // users[index].
    std::unique_ptr<TFEditUserDlg> Make(const TUsersXML& users, int index = -1) {
        auto dlg = std::make_unique<TFEditUserDlg>(nullptr, *globals);
        dlg->IsNew = index < 0;
        dlg->Users = users;
        dlg->EditIndex = index;
        if (index >= 0)
            dlg->User = users[std::size_t(index)];
        return dlg;
    }
    // Shows dlg modally, runs step once it is up, then clicks OK; a dialog
    // that stays open is cancelled. Returns the modal result.
    gui::TModalResult OkAfter(TFEditUserDlg& dlg, std::function<void(TFEditUserDlg&)> step) {
        QTimer::singleShot(0, &dlg, [&dlg, step] {
            step(dlg);
            dlg.BtnOK->click();
            QTimer::singleShot(0, &dlg, [&dlg] {
                if (dlg.isVisible()) {
                    stayedOpen = true;
                    dlg.BtnCancel->click();
                }
            });
        });
        stayedOpen = false;
        return dlg.ShowModal();
    }
    void CaptureBoxes() {
        boxes.emplace([this](const gui::TMessageBoxRequest& r) {
            shown.push_back(r);
            return gui::mrOk;
        });
    }

    test::AdminInstall root;
    std::unique_ptr<TUAGlobals> globals;
    std::vector<gui::TMessageBoxRequest> shown;
    std::optional<gui::TScopedMessageBoxHandler> boxes;
    static inline bool stayedOpen = false;
};

TEST_F(UserDialog, OkTrimsTheNameAndWarnsOrTakesTheValues) {
    CaptureBoxes();
    const TUsersXML users = {test::AdminUser("Anna", true), test::AdminUser("Bob", false)};
    struct Case {
        const char* name;
        int index; // -1: new user
        const char* typed;
        const char* warning; // nullptr: accepted
        const char* shownName;
    };
    const Case cases[] = {
        {"blanks around a new name", -1, "  Carl  ", nullptr, "Carl"},
        {"a taken name in another case", -1, "anna", "User anna already exists!", "anna"},
        {"editing keeps its own name", 0, "Anna", nullptr, "Anna"},
        {"editing takes another's name", 0, " BOB ", "User BOB already exists!", "BOB"},
        {"only blanks", -1, "   ", kNoUserNameWarning, ""},
        {"an inner blank, trimmed first", -1, "  Anna Smith ", kUserNameCharactersWarning,
         "Anna Smith"},
        {"the parent folder", -1, "..", kUserNameCharactersWarning, ".."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        shown.clear();
        const auto dlg = Make(users, c.index);
        const gui::TModalResult result = OkAfter(*dlg, [&](TFEditUserDlg& d) {
            d.NameEdit->setText(QString::fromLatin1(c.typed));
            d.PasswordEdit->setText(QString());
        });
        EXPECT_EQ(dlg->NameEdit->text().toStdString(), c.shownName);
        if (c.warning) {
            EXPECT_TRUE(stayedOpen);
            EXPECT_EQ(result, gui::mrCancel);
            ASSERT_EQ(shown.size(), 1u);
            EXPECT_EQ(shown[0].Text, c.warning);
            EXPECT_EQ(shown[0].Type, gui::TMsgDlgType::mtWarning);
            EXPECT_EQ(shown[0].Buttons, gui::TMsgDlgBtn::mbOK);
        } else {
            EXPECT_FALSE(stayedOpen);
            EXPECT_EQ(result, gui::mrOk);
            EXPECT_TRUE(shown.empty());
            EXPECT_EQ(dlg->User.Name, c.shownName);
            EXPECT_EQ(dlg->User.PassWord, "") << "an empty password is accepted";
        }
    }
}

TEST_F(UserDialog, AnErrorInOkKeepsTheDialogOpenAndTheUserAsItWas) {
    // The warning box itself fails once; the error box that follows works.
    bool failed = false;
    boxes.emplace([&](const gui::TMessageBoxRequest& r) {
        shown.push_back(r);
        if (r.Type == gui::TMsgDlgType::mtWarning && !std::exchange(failed, true))
            throw std::runtime_error("No box today");
        return gui::mrOk;
    });
    TUserXML anna = test::AdminUser("Anna", true);
    anna.Allow[3] = "05..07;";
    const auto dlg = Make({anna, test::AdminUser("Bob", false)}, 0);
    bool openAfterError = false;
    TUserXML afterError;
    QTimer::singleShot(0, dlg.get(), [&] {
        dlg->NameEdit->setText(QStringLiteral("bob"));
        dlg->PasswordEdit->setText(QStringLiteral("changed"));
        dlg->AdminCheckBox->SetChecked(true);
        dlg->BtnOK->click();
        QTimer::singleShot(0, dlg.get(), [&] {
            openAfterError = dlg->isVisible();
            afterError = dlg->User;
            dlg->NameEdit->setText(QStringLiteral("Anne"));
            dlg->BtnOK->click();
        });
    });
    EXPECT_EQ(dlg->ShowModal(), gui::mrOk);
    EXPECT_TRUE(openAfterError);
    EXPECT_EQ(afterError, anna) << "nothing taken";
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[1].Type, gui::TMsgDlgType::mtError);
    EXPECT_EQ(shown[1].Text, "No box today.");
    // Once OK succeeds the values are taken, the page rights kept.
    EXPECT_EQ(dlg->User.Name, "Anne");
    EXPECT_EQ(dlg->User.PassWord, "changed");
    EXPECT_TRUE(dlg->User.Admin);
    EXPECT_EQ(dlg->User.Allow, anna.Allow);
}

TEST_F(UserDialog, SwitchesAndTheTeletextBoxDecideTheOtherBoxes) {
    struct Case {
        const char* name;
        bool useVdxText;
        bool useVdxInfo;
        TUserXML user;
        bool txtEnabled, webEnabled, skipEnabled, infoEnabled;
        TUserXML stored; // after OK without a change
    };
    const auto user = [](bool txt, bool web, bool skip, bool info, bool admin) {
        TUserXML u = test::AdminUser("Anna", txt, web);
        u.SkipWebTxtPages = skip;
        u.Info = info;
        u.Admin = admin;
        return u;
    };
    const Case cases[] = {
        {"both switches on", true, true, user(true, true, true, true, true), true, true, true, true,
         user(true, true, true, true, true)},
        {"teletext off: the flags stay as they are", false, true,
         user(true, true, true, false, false), false, false, false, true,
         user(true, true, true, false, false)},
        {"teletext off and no teletext user: web-teletext cleared", false, true,
         user(false, true, false, false, false), false, false, false, true,
         user(false, false, false, false, false)},
        {"info off: its flag stays", true, false, user(false, false, false, true, false), true,
         false, false, false, user(false, false, false, true, false)},
        {"no teletext user: web-teletext cleared", true, true, user(false, true, true, false, true),
         true, false, false, true, user(false, false, true, false, true)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        root.WriteSwitches(c.useVdxText, c.useVdxInfo);
        Load();
        const auto dlg = Make({c.user}, 0);
        OkAfter(*dlg, [&](TFEditUserDlg& d) {
            EXPECT_EQ(d.TxtCheckBox->isEnabled(), c.txtEnabled);
            EXPECT_EQ(d.WebTxtCheckBox->isEnabled(), c.webEnabled);
            EXPECT_EQ(d.SkipWebTxtPagesCheckBox->isEnabled(), c.skipEnabled);
            EXPECT_EQ(d.InfoCheckBox->isEnabled(), c.infoEnabled);
            EXPECT_TRUE(d.AdminCheckBox->isEnabled());
            EXPECT_EQ(d.InfoCheckBox->Checked(), c.user.Info) << "shown also when disabled";
        });
        EXPECT_FALSE(stayedOpen);
        EXPECT_EQ(dlg->User, c.stored);
    }
}

TEST_F(UserDialog, UncheckingTeletextClearsWebTeletextAndKeepsSkip) {
    TUserXML anna = test::AdminUser("Anna", true, true);
    anna.SkipWebTxtPages = true;
    const auto dlg = Make({anna}, 0);
    OkAfter(*dlg, [](TFEditUserDlg& d) {
        EXPECT_EQ(d.windowTitle(), "Edit User");
        EXPECT_TRUE(d.WebTxtCheckBox->isEnabled());
        d.TxtCheckBox->SetChecked(false);
        EXPECT_FALSE(d.WebTxtCheckBox->Checked());
        EXPECT_FALSE(d.WebTxtCheckBox->isEnabled());
        EXPECT_FALSE(d.SkipWebTxtPagesCheckBox->isEnabled());
        EXPECT_TRUE(d.SkipWebTxtPagesCheckBox->Checked());
    });
    EXPECT_FALSE(dlg->User.TXT);
    EXPECT_FALSE(dlg->User.WebTXT);
    EXPECT_TRUE(dlg->User.SkipWebTxtPages);
}

TEST_F(UserDialog, LayoutAndCaptions) {
    CaptureBoxes();
    const auto dlg = Make({});
    OkAfter(*dlg, [this](TFEditUserDlg& d) {
        // No manual beside the program: its file error, and the dialog stays.
        d.BtnHelp->click();
        ASSERT_EQ(shown.size(), 1u);
        EXPECT_NE(shown[0].Text.find("VdxUserAdmin.rtf"), std::string::npos) << shown[0].Text;
        EXPECT_TRUE(d.isVisible());
        EXPECT_EQ(d.windowTitle(), "New User");
        EXPECT_EQ(d.size(), QSize(340, 347));
        EXPECT_EQ(d.BtnCancel->x(), 99);
        EXPECT_EQ(d.BtnOK->x(), 179);
        EXPECT_EQ(d.BtnHelp->x(), 259);
        EXPECT_TRUE(d.BtnHelp->isVisible());
        EXPECT_EQ(d.BtnCancel->text(), "Cancel");
        EXPECT_EQ(d.NameEdit->EditLabel->text(), "Name");
        EXPECT_EQ(d.PasswordEdit->EditLabel->text(), "Password");
        EXPECT_EQ(d.NameEdit->geometry(), QRect(98, 32, 121, d.NameEdit->height()));
        EXPECT_EQ(d.NameEdit->EditLabel->geometry().right() + 1 + 10, 98);
        EXPECT_EQ(d.TxtCheckBox->Caption(), "VdxText");
        EXPECT_EQ(d.SkipWebTxtPagesCheckBox->Caption(), "Do not overwrite VDxWebTxt pages");
        EXPECT_EQ(d.WebTxtCheckBox->Caption(), "VdxWebText");
        EXPECT_EQ(d.InfoCheckBox->Caption(), "VdxInfo");
        EXPECT_EQ(d.AdminCheckBox->Caption(), "Administrator");
        EXPECT_EQ(d.focusWidget(), d.NameEdit);
        d.NameEdit->setText(QStringLiteral("Carl"));
        d.PasswordEdit->setText(QStringLiteral("Secret 1 "));
        d.TxtCheckBox->SetChecked(true);
        d.grab().save(QStringLiteral(VDX_USERADMIN_ARTEFACT_DIR "/VdxUserAdmin-user.png"));
    });
    EXPECT_EQ(dlg->User.PassWord, "Secret 1 ") << "the password as typed";
    EXPECT_TRUE(dlg->User.TXT);
}

} // namespace
} // namespace vdx
