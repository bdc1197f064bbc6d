#pragma once
// A temporary install root with the server's folder and its files.

#include "shared/VardexUsersXML.h"

#include "TempDir.h"

#include <filesystem>
#include <string>

namespace vdx::test {

class InstallRoot {
public:
    InstallRoot() { std::filesystem::create_directories(AppDir()); }

    std::string Root() const { return m_dir.Folder(); }
    std::string AppDir() const { return Root() + "VdxFtpServer/"; }
    std::string ProgramPath() const { return AppDir() + "VdxFtpServer"; }
    std::string SettingsPath() const { return AppDir() + "Settings.xml"; }
    std::string UsersPath() const { return AppDir() + "Users.xml"; }
    std::string LogPath() const { return AppDir() + "VdxFtpServer.log"; }

    void WriteUsers(const TUsersXML& users) const {
        TVUsersXML file;
        file.Folder = AppDir();
        file.Users = users;
        file.Save();
    }

private:
    TempDir m_dir;
};

inline TUserXML MakeUser(std::string name, std::string password) {
    TUserXML user;
    user.Name = std::move(name);
    user.PassWord = std::move(password);
    return user;
}

} // namespace vdx::test
