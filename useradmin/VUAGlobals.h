#pragma once
// The user administration program's state as read at start: its paths below
// the install root, the FTP server's two product switches and the users table
// with their page rights.

#include "shared/VardexUsersXML.h"

#include <string>

namespace vdx {

class TUAGlobals {
public:
    // Switches and the paths derived from the install root; every folder
    // ends in "/".
    struct TSettings {
        bool UseVdxInfo = false;
        bool UseVdxText = false;
        std::string BaseDir;    // the parent of AppDir
        std::string VdxInfoDir; // nothing reads it
        std::string VdxTxtServerDir;
        std::string UsersIniPath; // VdxTxtServer/users/users.ini
        std::string FtpServerDir; // holds "Users.xml" and "Settings.xml"
        std::string TransferDir;  // VdxTxtServer/transfer/: the upload folders
    };

    TUsersXML Users;
    std::string AppDir;
    TSettings Settings;
    std::string ExeName;
    std::string ExeBaseName;

    // Paths from the program's full path, then ReadSettings and LoadUsers.
    // Throws vdx::os::FileError or XmlParseError for a file that exists but
    // cannot be read.
    explicit TUAGlobals(const std::string& programPath);

    // Both switches from "Settings.xml"; False when it or they are missing.
    void ReadSettings();
    // "Users.xml" (none: no users), then ReadPageRights.
    void LoadUsers();
    // Allow of every user from "users.ini" when it exists.
    void ReadPageRights();
    // Rewrites "Users.xml" from Users.
    void SaveUsers() const;
};

} // namespace vdx
