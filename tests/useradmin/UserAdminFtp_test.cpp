// End to end: a teletext user added in the user administration window logs
// in to the FTP server (the headless test host) with the new password and
// uploads into the folder the window made. Python's ftplib is the client,
// over 127.0.0.1 only.

#include "controls/buttons/FcButton.h"
#include "controls/buttons/FcRadChk.h"
#include "platform/gui/labeled_edit.h"
#include "useradmin/VUAEditUserDlg.h"
#include "useradmin/VUAGlobals.h"
#include "useradmin/VUAMainForm.h"

#include "ChildProcess.h"
#include "UserAdminSupport.h"

#include <QPushButton>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace vdx {
namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

// Logs in, stores one file and reads the reply codes; prints one line per
// step. Bounded by the client's timeout.
constexpr const char* kClient = R"PY(
import ftplib, io, sys
port, user, password, path = int(sys.argv[1]), sys.argv[2], sys.argv[3], sys.argv[4]
ftp = ftplib.FTP()
ftp.connect("127.0.0.1", port, timeout=15)
try:
    ftp.login(user, "wrong" + password)
    print("wrong password accepted")
except ftplib.error_perm as e:
    print("wrong password", str(e)[:3])
ftp.close()
ftp = ftplib.FTP()
ftp.connect("127.0.0.1", port, timeout=15)
print("login", ftp.login(user, password)[:3])
print("store", ftp.storbinary("STOR " + path, io.BytesIO(b"teletext page\r\n"))[:3])
ftp.quit()
)PY";

TEST(UserAdminFtp, ANewTeletextUserLogsInAndUploadsIntoItsFolder) {
    test::AdminInstall root;
    root.WriteSwitches(true, true);
    root.WriteUsers({test::AdminUser("Anna", true)});
    TUAGlobals globals(root.Program());
    TUAMainForm form(globals);
    form.show();

    bool filled = false;
    test::OnNextModal([&](QWidget* modal) {
        auto* dlg = qobject_cast<TFEditUserDlg*>(modal);
        ASSERT_NE(dlg, nullptr);
        filled = true;
        dlg->NameEdit->setText(QStringLiteral(" Carl "));
        dlg->PasswordEdit->setText(QStringLiteral("N3w pass!"));
        dlg->TxtCheckBox->SetChecked(true);
        dlg->BtnOK->click();
    });
    form.NewUserButton->Click();
    ASSERT_TRUE(filled);
    ASSERT_EQ(form.Users().size(), 2u);
    EXPECT_EQ(form.UsersStringGrid->Cells(0, 2), "Carl");
    EXPECT_TRUE(fs::is_directory(root.Transfer() + "Carl"));
    EXPECT_EQ(test::ReadFileBytes(root.IniPath()), "[Anna]\r\n[Carl]\r\n");

    const std::string hostOutput = root.Root() + "host.txt";
    test::Child host(VDX_FTP_TESTHOST, hostOutput, {root.AppDir()});
    ASSERT_TRUE(host.Started());
    int port = 0;
    ASSERT_TRUE(test::WaitFor(
        [&] {
            const std::string out = test::ReadFileBytes(hostOutput);
            const auto at = out.find("PORT ");
            if (at == std::string::npos || out.find('\n', at) == std::string::npos)
                return false;
            port = std::stoi(out.substr(at + 5));
            return true;
        },
        20s))
        << test::ReadFileBytes(hostOutput);

    const std::string clientOutput = root.Root() + "client.txt";
    test::Child client(VDX_PYTHON, clientOutput,
                       {"-c", kClient, std::to_string(port), "Carl", "N3w pass!",
                        "/VdxTxtServer/transfer/Carl/p100.tti"});
    ASSERT_TRUE(client.Started());
    EXPECT_EQ(client.WaitExit(60s), 0) << test::ReadFileBytes(clientOutput);
    EXPECT_EQ(test::ReadFileBytes(clientOutput), "wrong password 530\nlogin 230\nstore 226\n");
    EXPECT_EQ(test::ReadFileBytes(root.Transfer() + "Carl/p100.tti"), "teletext page\r\n");

    host.Signal(SIGTERM);
    EXPECT_EQ(host.WaitExit(20s), 0) << test::ReadFileBytes(hostOutput);
}

} // namespace
} // namespace vdx
