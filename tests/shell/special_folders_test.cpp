#include "platform/shell/special_folders.h"

#include "IsolatedEnv.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace vdx::shell {
namespace {

TEST(SpecialFoldersTest, UsualPlacesWithoutUserDirs) {
    test::IsolatedEnv env;
    const std::string home = env.Folder() + "home/";
    EXPECT_EQ(SpecialFolderPath(CSIDL_PERSONAL), home + "Documents/");
    EXPECT_EQ(SpecialFolderPath(CSIDL_DESKTOP), home + "Desktop/");
    EXPECT_EQ(SpecialFolderPath(CSIDL_DESKTOPDIRECTORY), home + "Desktop/");
    EXPECT_EQ(SpecialFolderPath(CSIDL_MYPICTURES), home + "Pictures/");
    EXPECT_EQ(SpecialFolderPath(CSIDL_PROFILE), home);
    EXPECT_EQ(SpecialFolderPath(CSIDL_STARTUP), env.Folder() + "config/autostart/");
    EXPECT_EQ(SpecialFolderPath(CSIDL_APPDATA), env.Folder() + "config/");
    EXPECT_EQ(SpecialFolderPath(CSIDL_LOCAL_APPDATA), env.Folder() + "data/");
    EXPECT_EQ(SpecialFolderPath(CSIDL_SENDTO), env.Folder() + "data/vardex/SendTo/");
    EXPECT_EQ(SpecialFolderPath(CSIDL_COMMON_APPDATA), env.Folder() + "etc/");
    EXPECT_EQ(SpecialFolderPath(CSIDL_DRIVES), "");
    EXPECT_EQ(SpecialFolderPath(99), "");
}

TEST(SpecialFoldersTest, UserDirsFileNamesTheUserFolders) {
    test::IsolatedEnv env;
    std::filesystem::create_directories(env.Folder() + "config");
    test::WriteFileBytes(env.Folder() + "config/user-dirs.dirs",
                         "# written by xdg-user-dirs-update\n"
                         "XDG_DESKTOP_DIR=\"$HOME/Schreibtisch\"\n"
                         "XDG_DOCUMENTS_DIR=\"/srv/docs\"\n"
                         "XDG_MUSIC_DIR=relative\n"
                         "XDG_VIDEOS_DIR=\"$HOMEBREW/x\"\n"
                         "XDG_TEMPLATES_DIR=\"$HOME/Vor\\\"lagen\"\n"
                         "XDG_PICTURES_DIR=\"$HOME/Bilder\"\n"
                         "XDG_PICTURES_DIR=\"$HOME/Fotos\"\n");
    const std::string home = env.Folder() + "home/";
    EXPECT_EQ(SpecialFolderPath(CSIDL_DESKTOP), home + "Schreibtisch/");
    EXPECT_EQ(SpecialFolderPath(CSIDL_PERSONAL), "/srv/docs/");
    EXPECT_EQ(SpecialFolderPath(CSIDL_MYMUSIC), home + "Music/");  // not a quoted path
    EXPECT_EQ(SpecialFolderPath(CSIDL_MYVIDEO), home + "Videos/"); // not $HOME
    EXPECT_EQ(SpecialFolderPath(CSIDL_TEMPLATES), home + "Vor\"lagen/");
    EXPECT_EQ(SpecialFolderPath(CSIDL_MYPICTURES), home + "Fotos/"); // the last line counts
}

} // namespace
} // namespace vdx::shell
