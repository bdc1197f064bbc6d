// The settings dialog and the main window's Settings command, in-process:
// filling and enabling, the refusals of OK, autostart entries, what a saved
// change does to the running server (an administrator's listing over a real
// FTP login), a failed save, the folder picker and a picture.

#include "ftpdesktop/VFSettingsDlg.h"

#include "controls/buttons/FcBitBtn.h"
#include "controls/buttons/FcRadChk.h"
#include "controls/edits/FcButtonEdit.h"
#include "controls/edits/FcEdit.h"
#include "controls/edits/FcNumericEdit.h"
#include "controls/labels/FcLabel.h"
#include "controls/lists/FcTabbedListBox.h"
#include "controls/panels/FcGroupBox.h"
#include "controls/shell/FcShellDialogs.h"
#include "controls/shell/FcShellTree.h"
#include "ftpdesktop/VFMain.h"
#include "ftpdesktop/VdxVersionInfo.h"
#include "ftpengine/VFGlobals.h"
#include "ftpengine/VdxSysRoutines.h"
#include "platform/gui/message_box.h"
#include "platform/os/autostart.h"

#include "DesktopSupport.h"
#include "RecordedMounts.h"

#include <QApplication>
#include <QCheckBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace vdx {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

// Logs in and prints the name of every entry LIST gives but "." and "..",
// one a line.
constexpr const char* kListClient = R"PY(
import ftplib, sys
ftp = ftplib.FTP()
ftp.connect("127.0.0.1", int(sys.argv[1]), timeout=15)
print("login", ftp.login(sys.argv[2], sys.argv[3])[:3])
names = []
ftp.retrlines("LIST", lambda line: names.append(line.split()[-1]))
print("\n".join(n for n in names if n not in (".", "..")))
ftp.quit()
)PY";

std::string Upper(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return std::toupper(c); });
    return s;
}

class SettingsDlgTest : public testing::Test {
protected:
    SettingsDlgTest()
        : m_boxes([this](const gui::TMessageBoxRequest& r) {
              boxes.push_back(r);
              return gui::mrOk;
          }) {
        root.WriteUsers({test::MakeDesktopUser("anna", "Secret1"),
                         test::MakeDesktopUser("admin", "Root2", true)});
        fs::create_directories(Admin() + "sub");
    }

    void Start(const std::function<void(TSettings&)>& change = {}) {
        port = test::FreePort();
        root.WriteSettings(port, change);
        globals = std::make_unique<TFGlobals>(root.ProgramPath());
    }

    std::string Admin() const { return root.Root() + "admin/"; }
    std::string AutostartFolder() const { return env.Folder() + "etc/autostart"; }
    std::string Entry() const { return AutostartFolder() + "/VdxFtpServer.desktop"; }
    std::string Command() const { return root.ProgramPath(); }

    // Shows dlg modally; act runs once it is up, and whatever act leaves
    // open is cancelled.
    static gui::TModalResult Run(TFSettingsDlg& dlg,
                                 const std::function<void(TFSettingsDlg&)>& act) {
        bool ran = false;
        QTimer::singleShot(0, &dlg, [&] {
            ran = true;
            act(dlg);
            if (dlg.isVisible())
                dlg.BtnCancel->click();
        });
        const gui::TModalResult result = dlg.ShowModal();
        EXPECT_TRUE(ran);
        return result;
    }

    // The Settings command of w; edit changes the dialog, then OK (or Cancel).
    static void SettingsCommand(TFMain& w, const std::function<void(TFSettingsDlg&)>& edit,
                                bool ok = true) {
        bool ran = false;
        QTimer::singleShot(0, [&] {
            auto* dlg = qobject_cast<TFSettingsDlg*>(QApplication::activeModalWidget());
            ASSERT_NE(dlg, nullptr);
            ran = true;
            edit(*dlg);
            (ok ? dlg->BtnOK : dlg->BtnCancel)->click();
            if (dlg->isVisible())
                dlg->BtnCancel->click();
        });
        w.SettingsMenuItem->trigger();
        EXPECT_TRUE(ran);
        EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
        EXPECT_EQ(w.findChild<TFSettingsDlg*>(), nullptr) << "the dialog is released";
    }

    test::IsolatedEnv env;
    test::DesktopRoot root;
    std::vector<gui::TMessageBoxRequest> boxes;
    int port = 0;
    std::unique_ptr<TFGlobals> globals;
    const TVersionInfo versionInfo;

private:
    gui::TScopedMessageBoxHandler m_boxes;
};

TEST_F(SettingsDlgTest, FilledFromTheCopyPlacedAsDesignedAndEnabledByItsBoxes) {
    Start();
    TSettings s = globals->Settings();
    s.Port = 2121;
    s.UseVdxText = true;
    s.UseVdxInfo = false;
    s.AdminRootDir = root.Root() + "admin"; // shown with "/"
    s.UsePasvIP = true;
    s.PasvIP = "192.0.2.7";
    s.UseCustomPortRange = false;
    s.PasvMinPort = 50000;
    s.PasvMaxPort = 50100;
    TFSettingsDlg dlg(nullptr, *globals);
    dlg.Settings = s;
    Run(dlg, [&](TFSettingsDlg& d) {
        EXPECT_EQ(d.windowTitle(), "Settings");
        EXPECT_EQ(d.size(), QSize(426, 426));
        EXPECT_FALSE(d.BtnHelp->isVisible());
        EXPECT_EQ(d.BtnOK->x(), 426 - 161);
        EXPECT_EQ(d.BtnCancel->x(), 426 - 81);
        EXPECT_EQ(d.BtnCancel->text(), "Cancel");

        EXPECT_EQ(d.PortNumericEdit->Text(), "2121");
        EXPECT_TRUE(d.UseVdxTextCheckBox->Checked());
        EXPECT_FALSE(d.UseVdxInfoCheckBox->Checked());
        EXPECT_FALSE(d.AutoRunCheckBox->isChecked());
        EXPECT_EQ(d.AdminButtonEdit->Editor().text().toStdString(), Admin());
        EXPECT_TRUE(d.PasvIPCheckBox->Checked());
        EXPECT_EQ(d.PasvIPEdit->Text(), "192.0.2.7");
        EXPECT_FALSE(d.UseCustomPortRangeCheckBox->Checked());
        EXPECT_EQ(d.PasvMinPortEdit->Text(), "50000");
        EXPECT_EQ(d.PasvMaxPortEdit->Text(), "50100");
        for (TFcNumericEdit* e : {d.PortNumericEdit, d.PasvMinPortEdit, d.PasvMaxPortEdit}) {
            EXPECT_EQ(e->Min(), 0);
            EXPECT_EQ(e->Max(), 65535);
            EXPECT_EQ(e->DisplayFormat(), "0");
        }
        EXPECT_EQ(d.AdminButtonEdit->ButtonWidth(), 15);

        // Captions and places, as (control, parent, caption, left, top).
        struct Place {
            TFcFramedControl* control;
            QWidget* parent;
            const char* caption;
            int left, top;
        };
        for (const Place& p : std::vector<Place>{
                 {d.FcGroupBox1, d.ClientArea(), "FTP Server", 8, 8},
                 {d.FcLabel3, d.FcGroupBox1, "Port", 164, 20},
                 {d.PortNumericEdit, d.FcGroupBox1, "", 164, 36},
                 {d.PassiveGroupBox, d.FcGroupBox1, "Passive mode", 16, 76},
                 {d.PasvIPCheckBox, d.PassiveGroupBox, "Use external IP", 16, 38},
                 {d.FcLabel5, d.PassiveGroupBox, "External IP", 148, 21},
                 {d.PasvIPEdit, d.PassiveGroupBox, "", 148, 36},
                 {d.UseCustomPortRangeCheckBox, d.PassiveGroupBox, "Use custom port range", 16, 86},
                 {d.FcLabel6, d.PassiveGroupBox, "External Port range", 148, 68},
                 {d.PasvMinPortEdit, d.PassiveGroupBox, "", 148, 84},
                 {d.FcLabel2, d.PassiveGroupBox, "-", 220, 86},
                 {d.PasvMaxPortEdit, d.PassiveGroupBox, "", 232, 84},
                 {d.FcLabel1, d.PassiveGroupBox, "1-65535", 307, 86},
                 {d.UseVdxTextCheckBox, d.FcGroupBox1, "Use for VDxText/VDxTxtServer", 32, 218},
                 {d.UseVdxInfoCheckBox, d.FcGroupBox1, "Use for VDxInfo", 32, 242},
                 {d.FcGroupBox2, d.ClientArea(), "", 8, 313},
                 {d.FcLabel4, d.FcGroupBox2, "Admin root folder", 27, 26},
                 {d.AdminButtonEdit, d.FcGroupBox2, "", 159, 23},
             }) {
            EXPECT_EQ(p.control->parentWidget(), p.parent) << p.caption;
            EXPECT_EQ(p.control->Caption(), p.caption);
            EXPECT_EQ(p.control->pos(), QPoint(p.left, p.top)) << p.caption;
        }
        EXPECT_EQ(d.FcGroupBox1->size(), QSize(410, 297));
        EXPECT_EQ(d.PassiveGroupBox->size(), QSize(380, 125));
        EXPECT_EQ(d.FcGroupBox2->geometry().bottom() + 1, 426 - 40 - 8);
        EXPECT_EQ(d.AutoRunCheckBox->parentWidget(), d.FcGroupBox1);
        EXPECT_EQ(d.AutoRunCheckBox->text(), "Run VDxFTPServer at Windows startup");
        EXPECT_EQ(d.AutoRunCheckBox->geometry().topLeft(), QPoint(32, 266));

        d.grab().save(QString::fromUtf8(VDX_DESKTOP_ARTEFACT_DIR "/VdxFtpServer-settings.png"));

        // Each passive editor follows its box.
        EXPECT_TRUE(d.PasvIPEdit->isEnabled());
        EXPECT_FALSE(d.PasvMinPortEdit->isEnabled());
        EXPECT_FALSE(d.PasvMaxPortEdit->isEnabled());
        d.UseCustomPortRangeCheckBox->SetChecked(true);
        EXPECT_TRUE(d.PasvMinPortEdit->isEnabled());
        EXPECT_TRUE(d.PasvMaxPortEdit->isEnabled());
        d.PasvIPCheckBox->SetChecked(false);
        EXPECT_FALSE(d.PasvIPEdit->isEnabled());
        // The product boxes enable nothing.
        d.UseVdxInfoCheckBox->SetChecked(true);
        EXPECT_FALSE(d.PasvIPEdit->isEnabled());
        EXPECT_TRUE(d.PasvMinPortEdit->isEnabled());

        // Enter presses no button.
        QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
        QApplication::sendEvent(&d.PortNumericEdit->Editor(), &enter);
        QApplication::processEvents();
        EXPECT_TRUE(d.isVisible());
    });
    EXPECT_EQ(dlg.Settings, s) << "Cancel takes nothing";
    EXPECT_TRUE(boxes.empty());
}

TEST_F(SettingsDlgTest, RefusedOkWarnsFocusesTakesNothingAndLeavesAutostartAlone) {
    Start();
    struct Case {
        const char* name;
        std::function<void(TFSettingsDlg&)> change;
        std::string box; // empty: no box
        std::function<TFcCustomEdit*(TFSettingsDlg&)> field;
    };
    const auto port = [](TFSettingsDlg& d) -> TFcCustomEdit* { return d.PortNumericEdit; };
    const auto ip = [](TFSettingsDlg& d) -> TFcCustomEdit* { return d.PasvIPEdit; };
    const auto range = [](TFSettingsDlg& d) -> TFcCustomEdit* { return d.PasvMinPortEdit; };
    const auto folder = [](TFSettingsDlg& d) -> TFcCustomEdit* { return d.AdminButtonEdit; };
    const auto setRange = [](int low, int high) {
        return [low, high](TFSettingsDlg& d) {
            d.UseCustomPortRangeCheckBox->SetChecked(true);
            d.PasvMinPortEdit->SetText(std::to_string(low));
            d.PasvMaxPortEdit->SetText(std::to_string(high));
        };
    };
    const auto setIP = [](const char* text) {
        return [text](TFSettingsDlg& d) {
            d.PasvIPCheckBox->SetChecked(true);
            d.PasvIPEdit->SetText(text);
        };
    };
    const auto setFolder = [](std::string text) {
        return [text](TFSettingsDlg& d) {
            d.AdminButtonEdit->Editor().setText(QString::fromStdString(text));
        };
    };
    const std::vector<Case> cases = {
        {"port 0", [](TFSettingsDlg& d) { d.PortNumericEdit->SetText("0"); }, kPortWarning, port},
        {"port empty", [](TFSettingsDlg& d) { d.PortNumericEdit->SetText(""); }, kPortWarning,
         port},
        {"port first",
         [&](TFSettingsDlg& d) {
             d.PortNumericEdit->SetText("0");
             setIP("x")(d);
             setFolder("/missing")(d);
         },
         kPortWarning, port},
        {"ip three parts", setIP("192.0.2"), kPasvIPWarning, ip},
        {"ip a name", setIP("ftp.example.org"), kPasvIPWarning, ip},
        {"ip empty", setIP(""), kPasvIPWarning, ip},
        {"ip part too big", setIP("192.0.2.256"), kPasvIPWarning, ip},
        {"range from 0", setRange(0, 5000), kPortRangeWarning, range},
        {"range reversed", setRange(6000, 5000), kPortRangeWarning, range},
        {"range of one port", setRange(5000, 5000), kPortRangeWarning, range},
        {"folder missing", setFolder(root.Root() + "missing/"), "", folder},
        {"folder empty", setFolder(""), "", folder},
        {"folder relative", setFolder("admin"), "", folder},
        {"folder is a file", setFolder(root.UsersPath()), "", folder},
        {"drive root", setFolder("C:\\"), "", folder},
    };
    for (const Case& c : cases) {
        boxes.clear();
        TFSettingsDlg dlg(nullptr, *globals);
        dlg.Settings = globals->Settings();
        const TSettings before = dlg.Settings;
        const auto result = Run(dlg, [&](TFSettingsDlg& d) {
            // Ticked, so an OK that went through would write the entry; a
            // product switch, so it would be taken.
            d.AutoRunCheckBox->setChecked(true);
            d.UseVdxInfoCheckBox->SetChecked(false);
            c.change(d);
            d.BtnOK->click();
            QApplication::processEvents();
            EXPECT_TRUE(d.isVisible()) << c.name;
            if (c.box.empty()) {
                EXPECT_TRUE(boxes.empty()) << c.name;
            } else {
                ASSERT_EQ(boxes.size(), 1u) << c.name;
                EXPECT_EQ(boxes[0].Text, c.box) << c.name;
                EXPECT_EQ(boxes[0].Type, gui::TMsgDlgType::mtWarning) << c.name;
                EXPECT_EQ(boxes[0].Buttons, gui::TMsgDlgButtons(gui::TMsgDlgBtn::mbOK));
            }
            EXPECT_EQ(d.focusWidget(), &c.field(d)->Editor()) << c.name;
            EXPECT_EQ(d.Settings, before) << c.name;
        });
        EXPECT_EQ(result, gui::mrCancel) << c.name;
        EXPECT_EQ(dlg.Settings, before) << c.name;
        EXPECT_FALSE(fs::exists(AutostartFolder())) << c.name;
    }
}

TEST_F(SettingsDlgTest, OkTakesEveryFieldAsTheEditorsHoldThem) {
    Start();
    fs::create_directories(root.Root() + "Admin2");
    TFSettingsDlg dlg(nullptr, *globals);
    dlg.Settings = globals->Settings();
    const TSettings before = dlg.Settings;
    const auto result = Run(dlg, [&](TFSettingsDlg& d) {
        // Beyond the range and still in the editor: OK takes the clamped value.
        d.PortNumericEdit->SetText("70000");
        d.UseVdxTextCheckBox->SetChecked(false);
        d.UseVdxInfoCheckBox->SetChecked(false);
        // Found without regard to case, kept as typed.
        d.AdminButtonEdit->Editor().setText(QString::fromStdString(root.Root() + "ADMIN2"));
        d.PasvIPCheckBox->SetChecked(true);
        d.PasvIPEdit->SetText("203.0.113.9");
        d.UseCustomPortRangeCheckBox->SetChecked(true);
        d.PasvMinPortEdit->SetText("50000");
        d.PasvMaxPortEdit->SetText("50100");
        d.BtnOK->click();
        EXPECT_EQ(d.PortNumericEdit->Text(), "65535");
    });
    ASSERT_EQ(result, gui::mrOk);
    TSettings want = before;
    want.Port = 65535;
    want.UseVdxText = false;
    want.UseVdxInfo = false;
    want.AdminRootDir = root.Root() + "ADMIN2";
    want.UsePasvIP = true;
    want.PasvIP = "203.0.113.9";
    want.UseCustomPortRange = true;
    want.PasvMinPort = 50000;
    want.PasvMaxPort = 50100;
    EXPECT_EQ(dlg.Settings, want);
    EXPECT_TRUE(boxes.empty());

    // Unticked boxes skip their checks; the values are still taken.
    TFSettingsDlg again(nullptr, *globals);
    again.Settings = before;
    ASSERT_EQ(Run(again,
                  [](TFSettingsDlg& d) {
                      d.PasvIPCheckBox->SetChecked(false);
                      d.PasvIPEdit->SetText("not an address");
                      d.UseCustomPortRangeCheckBox->SetChecked(false);
                      d.PasvMinPortEdit->SetText("6000");
                      d.PasvMaxPortEdit->SetText("5000");
                      d.BtnOK->click();
                  }),
              gui::mrOk);
    EXPECT_EQ(again.Settings.PasvIP, "not an address");
    EXPECT_EQ(again.Settings.PasvMinPort, 6000);
    EXPECT_EQ(again.Settings.PasvMaxPort, 5000);
    EXPECT_EQ(again.Settings.AdminRootDir, before.AdminRootDir);
    EXPECT_TRUE(boxes.empty());
}

TEST_F(SettingsDlgTest, AutostartEntryFollowsTheBox) {
    Start();
    enum class State { Absent, This, OtherCase, Other, Unwritable };
    struct Case {
        const char* name;
        State entry;
        bool ticked;
        const char* box; // nullptr: none
        bool error;
        bool entryAfter; // an entry with this program's command (any case)
    };
    const std::vector<Case> cases = {
        {"absent, ticked", State::Absent, true, kAutoRunSet, false, true},
        {"absent, unticked", State::Absent, false, nullptr, false, false},
        {"this, ticked", State::This, true, nullptr, false, true},
        {"this, unticked", State::This, false, kAutoRunCleared, false, false},
        {"other case, ticked", State::OtherCase, true, nullptr, false, true},
        {"other case, unticked", State::OtherCase, false, kAutoRunCleared, false, false},
        {"other command, ticked", State::Other, true, kAutoRunSet, false, true},
        {"other command, unticked", State::Other, false, nullptr, false, false},
        {"unwritable, ticked", State::Unwritable, true, kAutoRunSetError, true, false},
        {"unwritable, unticked", State::Unwritable, false, nullptr, false, false},
    };
    const std::string other = "/opt/elsewhere/VdxFtpServer";
    for (const Case& c : cases) {
        fs::remove_all(AutostartFolder());
        switch (c.entry) {
        case State::Absent:
            break;
        case State::This:
            ASSERT_TRUE(SetAutoRun("VdxFtpServer", Command(), true));
            break;
        case State::OtherCase:
            ASSERT_TRUE(SetAutoRun("VdxFtpServer", Upper(Command()), true));
            break;
        case State::Other:
            ASSERT_TRUE(SetAutoRun("VdxFtpServer", other, true));
            break;
        case State::Unwritable:
            fs::create_directories(env.Folder() + "etc");
            test::WriteFileBytes(AutostartFolder(), "not a folder");
            break;
        }
        const std::string entryBefore =
            fs::is_regular_file(Entry()) ? test::ReadFileBytes(Entry()) : std::string();
        for (int round = 0; round < 2; ++round) {
            boxes.clear();
            TFSettingsDlg dlg(nullptr, *globals);
            dlg.Settings = globals->Settings();
            bool shownChecked = false;
            const auto result = Run(dlg, [&](TFSettingsDlg& d) {
                shownChecked = d.AutoRunCheckBox->isChecked();
                d.AutoRunCheckBox->setChecked(c.ticked);
                d.PortNumericEdit->SetText("2121");
                d.BtnOK->click();
            });
            // A failed write still takes the settings.
            ASSERT_EQ(result, gui::mrOk) << c.name;
            EXPECT_EQ(dlg.Settings.Port, 2121) << c.name;
            if (round == 0) {
                EXPECT_EQ(shownChecked, c.entry == State::This || c.entry == State::OtherCase)
                    << c.name;
                if (c.box) {
                    ASSERT_EQ(boxes.size(), 1u) << c.name;
                    EXPECT_EQ(boxes[0].Text, c.box) << c.name;
                    EXPECT_EQ(boxes[0].Type,
                              c.error ? gui::TMsgDlgType::mtError : gui::TMsgDlgType::mtInformation)
                        << c.name;
                    EXPECT_EQ(boxes[0].Buttons, gui::TMsgDlgButtons(gui::TMsgDlgBtn::mbOK));
                } else {
                    EXPECT_TRUE(boxes.empty()) << c.name;
                }
            } else if (!c.error) {
                EXPECT_TRUE(boxes.empty()) << c.name << ": a second OK shows nothing";
            }
        }
        EXPECT_EQ(IsAutoRunSet("VdxFtpServer", Command(), true), c.entryAfter) << c.name;
        if (c.entry == State::Unwritable) {
            EXPECT_EQ(test::ReadFileBytes(AutostartFolder()), "not a folder") << c.name;
        } else if (!c.box) {
            EXPECT_EQ(fs::is_regular_file(Entry()) ? test::ReadFileBytes(Entry()) : std::string(),
                      entryBefore)
                << c.name << ": left alone";
        } else if (c.entryAfter) {
            EXPECT_EQ(os::detail::CommandOfDesktopEntry(test::ReadFileBytes(Entry())), Command())
                << c.name;
        } else {
            EXPECT_FALSE(fs::exists(Entry())) << c.name;
        }
    }
}

TEST_F(SettingsDlgTest, PickerPutsTheChosenFolderIntoTheEdit) {
    test::RecordedMounts mounts(test::MountLine(1, "/", "/dev/sda1"));
    Start();
    const auto nodeOfPath = [](TFcShellTree& tree, const std::string& path) -> TTreeNode* {
        for (TTreeNode* n = tree.Items().GetFirstNode(); n; n = n->GetNext())
            if (TFcShellTreeData* d = tree.NodeData(n); d && d->PathName() == path)
                return n;
        return nullptr;
    };
    struct Case {
        const char* name;
        std::function<void(TFcSelectFolderForm&)> step;
        std::string edit; // afterwards
    };
    const std::string start = Admin() + "sub/";
    const std::vector<Case> cases = {
        {"parent chosen",
         [&](TFcSelectFolderForm& form) {
             EXPECT_EQ(form.ShellTree->SelectedPathName(), Admin() + "sub");
             EXPECT_EQ(form.ShellTree->Items().GetFirstNode()->Text(), "Computer");
             form.ShellTree->SetSelected(nodeOfPath(*form.ShellTree, root.Root() + "admin"));
             form.btnOk->Click();
         },
         root.Root() + "admin"},
        {"cancel",
         [&](TFcSelectFolderForm& form) {
             form.ShellTree->SetSelected(nodeOfPath(*form.ShellTree, root.Root() + "admin"));
             form.btnCancel->Click();
         },
         start},
        {"computer",
         [](TFcSelectFolderForm& form) {
             form.ShellTree->SetSelected(form.ShellTree->Items().GetFirstNode());
             form.btnOk->Click();
         },
         start},
    };
    for (const Case& c : cases) {
        TFSettingsDlg dlg(nullptr, *globals);
        dlg.Settings = globals->Settings();
        dlg.Settings.AdminRootDir = start;
        bool stepped = false;
        dlg.SelectFolderDialog->OnFormShow = [&](QObject* sender) {
            auto* form = static_cast<TFcSelectFolderForm*>(sender);
            QTimer::singleShot(0, form, [&, form] {
                stepped = true;
                c.step(*form);
            });
        };
        std::string after;
        Run(dlg, [&](TFSettingsDlg& d) {
            // F4 in the edit is its button.
            QKeyEvent f4(QEvent::KeyPress, Qt::Key_F4, Qt::NoModifier);
            QApplication::sendEvent(&d.AdminButtonEdit->Editor(), &f4);
            after = d.AdminFolderText();
        });
        EXPECT_TRUE(stepped) << c.name;
        EXPECT_EQ(after, c.edit) << c.name;
    }
    EXPECT_TRUE(boxes.empty());
}

TEST_F(SettingsDlgTest, FolderNamesKeepTheirBytesUnlessEdited) {
    // A folder whose name is not UTF-8 is shown by the one rule and goes
    // back as its bytes when left alone.
    const std::string odd = root.Root() + "caf\xE9";
    fs::create_directories(odd);
    Start([&](TSettings& s) { s.AdminRootDir = odd; });
    TFSettingsDlg dlg(nullptr, *globals);
    dlg.Settings = globals->Settings();
    ASSERT_EQ(Run(dlg,
                  [&](TFSettingsDlg& d) {
                      EXPECT_EQ(d.AdminButtonEdit->Editor().text(),
                                QString::fromStdString(root.Root()) + QStringLiteral("caf\u00E9/"));
                      d.BtnOK->click();
                  }),
              gui::mrOk);
    EXPECT_EQ(dlg.Settings.AdminRootDir, odd + "/");
}

TEST_F(SettingsDlgTest, SettingsCommandSavesFirstAndTellsWhenARestartIsNeeded) {
    // Passive values stored but switched off, so ticking alone is a valid change.
    const auto setup = [](TSettings& s) {
        s.PasvMinPort = 50000;
        s.PasvMaxPort = 50100;
        s.PasvIP = "203.0.113.9";
    };
    fs::create_directories(root.Root() + "admin-new");
    test::WriteFileBytes(root.Root() + "admin-new/new-marker.txt", "x");
    struct Case {
        const char* name;
        std::function<void(TFSettingsDlg&)> edit;
        bool notice;
        std::function<void(TSettings&)> expected;
    };
    const std::vector<Case> cases = {
        {"custom range only",
         [](TFSettingsDlg& d) { d.UseCustomPortRangeCheckBox->SetChecked(true); }, true,
         [](TSettings& s) { s.UseCustomPortRange = true; }},
        {"external address only", [](TFSettingsDlg& d) { d.PasvIPCheckBox->SetChecked(true); },
         true, [](TSettings& s) { s.UsePasvIP = true; }},
        {"port only", [](TFSettingsDlg& d) { d.PortNumericEdit->SetText("2121"); }, true,
         [](TSettings& s) { s.Port = 2121; }},
        {"product switch only", [](TFSettingsDlg& d) { d.UseVdxInfoCheckBox->SetChecked(false); },
         false, [](TSettings& s) { s.UseVdxInfo = false; }},
        {"admin folder only",
         [&](TFSettingsDlg& d) {
             d.AdminButtonEdit->Editor().setText(QString::fromStdString(root.Root() + "admin-new"));
         },
         false, [&](TSettings& s) { s.AdminRootDir = root.Root() + "admin-new"; }},
    };
    for (const Case& c : cases) {
        boxes.clear();
        Start(setup);
        TFMain w(*globals, versionInfo);
        w.show();
        ASSERT_TRUE(test::WaitUntil(
            [&] { return test::CountLabel(w.LogTabbedListBox->Items().Values(), "Started") > 0; }));
        ASSERT_TRUE(w.SettingsMenuItem->isEnabled());
        TSettings expected = globals->Settings();
        c.expected(expected);
        SettingsCommand(w, c.edit);
        EXPECT_EQ(globals->Settings(), expected) << c.name;
        EXPECT_EQ(TFGlobals(root.ProgramPath()).Settings(), expected) << c.name << ": saved";
        if (c.notice) {
            ASSERT_EQ(boxes.size(), 1u) << c.name;
            EXPECT_EQ(boxes[0].Text, "Restart the VdxFTPserver before changes will take effect.");
            EXPECT_EQ(boxes[0].Type, gui::TMsgDlgType::mtInformation);
        } else {
            EXPECT_TRUE(boxes.empty()) << c.name;
        }
        if (std::string(c.name) != "admin folder only")
            continue;
        // The running server lists the new root to the administrator's next request.
        QProcess client;
        client.start(QStringLiteral(VDX_PYTHON),
                     {QStringLiteral("-c"), QString::fromUtf8(kListClient), QString::number(port),
                      QStringLiteral("admin"), QStringLiteral("Root2")});
        ASSERT_TRUE(client.waitForFinished(30000));
        const std::string out = client.readAllStandardOutput().toStdString();
        EXPECT_EQ(client.exitCode(), 0) << client.readAllStandardError().toStdString();
        EXPECT_EQ(out, "login 230\nnew-marker.txt\n");
    }
}

TEST_F(SettingsDlgTest, CancelWritesNothingAndOkWritesTheWholeFile) {
    Start();
    const std::string before = test::ReadFileBytes(root.SettingsPath());
    TFMain w(*globals, versionInfo);
    const TSettings live = globals->Settings();
    SettingsCommand(
        w, [](TFSettingsDlg& d) { d.PortNumericEdit->SetText("2121"); }, false);
    EXPECT_EQ(test::ReadFileBytes(root.SettingsPath()), before);
    EXPECT_EQ(globals->Settings(), live);
    EXPECT_TRUE(boxes.empty());

    fs::create_directories(root.Root() + "a&b");
    SettingsCommand(w, [&](TFSettingsDlg& d) {
        d.PortNumericEdit->SetText("2121");
        d.UseVdxTextCheckBox->SetChecked(false);
        d.AdminButtonEdit->Editor().setText(QString::fromStdString(root.Root() + "a&b/"));
        d.PasvIPCheckBox->SetChecked(true);
        d.PasvIPEdit->SetText("192.0.2.1");
        d.UseCustomPortRangeCheckBox->SetChecked(true);
        d.PasvMinPortEdit->SetText("50000");
        d.PasvMaxPortEdit->SetText("50100");
    });
    EXPECT_EQ(test::ReadFileBytes(root.SettingsPath()),
              "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<Vardex>\r\n\t<Settings>\r\n"
              "\t\t<Port>2121</Port>\r\n"
              "\t\t<UseVdxInfo>true</UseVdxInfo>\r\n"
              "\t\t<UseVdxText>false</UseVdxText>\r\n"
              "\t\t<AdminRootDir>" +
                  root.Root() +
                  "a&amp;b/</AdminRootDir>\r\n"
                  "\t\t<UseCustomPortRange>true</UseCustomPortRange>\r\n"
                  "\t\t<PasvMinPort>50000</PasvMinPort>\r\n"
                  "\t\t<PasvMaxPort>50100</PasvMaxPort>\r\n"
                  "\t\t<UsePasvIP>true</UsePasvIP>\r\n"
                  "\t\t<PasvIP>192.0.2.1</PasvIP>\r\n"
                  "\t</Settings>\r\n</Vardex>\r\n");
}

TEST_F(SettingsDlgTest, FailedSaveKeepsTheLiveSettingsAndTheFile) {
    Start();
    fs::remove(root.SettingsPath());
    fs::create_directory(root.SettingsPath());
    TFMain w(*globals, versionInfo);
    const TSettings live = globals->Settings();
    SettingsCommand(w, [](TFSettingsDlg& d) { d.PortNumericEdit->SetText("2121"); });
    ASSERT_EQ(boxes.size(), 1u) << "an error box, no restart notice";
    EXPECT_EQ(boxes[0].Type, gui::TMsgDlgType::mtError);
    EXPECT_NE(boxes[0].Text.find("Settings.xml"), std::string::npos) << boxes[0].Text;
    EXPECT_EQ(globals->Settings(), live);
    EXPECT_TRUE(fs::is_directory(root.SettingsPath()));
    EXPECT_TRUE(fs::is_empty(root.SettingsPath()));
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(root.AppDir()))
        names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"Settings.xml", "Users.xml"}))
        << "nothing left behind";
}

} // namespace
} // namespace vdx
