#include "useradmin/VUAGlobals.h"

#include "platform/os/paths.h"
#include "platform/os/read_file.h"
#include "shared/VdxSettingsXML.h"
#include "useradmin/UAUsersIni.h"

#include <optional>

namespace vdx {

namespace {

// "users.ini" is a few lines per user; anything far larger is not it.
constexpr std::size_t kMaxUsersIniBytes = 16u << 20;

} // namespace

TUAGlobals::TUAGlobals(const std::string& programPath) {
    AppDir = os::ExtractFilePath(programPath);
    ExeName = os::ExtractFileName(programPath);
    ExeBaseName = os::ChangeFileExt(ExeName, "");
    Settings.BaseDir = os::ExtractFilePath(os::ExcludeTrailingPathDelimiter(AppDir));
    Settings.VdxInfoDir = Settings.BaseDir + "VdxInfo/";
    Settings.VdxTxtServerDir = Settings.BaseDir + "VdxTxtServer/";
    Settings.UsersIniPath = Settings.BaseDir + "VdxTxtServer/users/" + kUsersIniName;
    Settings.FtpServerDir = Settings.BaseDir + "VdxFtpServer/";
    Settings.TransferDir = Settings.VdxTxtServerDir + "transfer/";
    ReadSettings();
    LoadUsers();
}

void TUAGlobals::ReadSettings() {
    Settings.UseVdxInfo = false;
    Settings.UseVdxText = false;
    const TProductSwitches switches =
        ReadProductSwitches(Settings.FtpServerDir + kSettingsFileName);
    Settings.UseVdxInfo = switches.UseVdxInfo;
    Settings.UseVdxText = switches.UseVdxText;
}

void TUAGlobals::LoadUsers() {
    TVUsersXML file;
    file.Folder = Settings.FtpServerDir;
    file.Load();
    Users = std::move(file.Users);
    ReadPageRights();
}

void TUAGlobals::ReadPageRights() {
    const std::optional<std::string> text =
        os::ReadFileBytes(Settings.UsersIniPath, kMaxUsersIniBytes);
    if (!text)
        return;
    const TUsersIniRights rights(*text);
    for (TUserXML& user : Users)
        user.Allow = rights.PageRights(user.Name);
}

void TUAGlobals::SaveUsers() const {
    TVUsersXML file;
    file.Folder = Settings.FtpServerDir;
    file.Users = Users;
    file.Save();
}

} // namespace vdx
