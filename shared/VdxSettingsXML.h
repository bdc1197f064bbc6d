#pragma once
// "Settings.xml": the FTP server's settings file. The FTP server reads and
// writes it whole; the user administration program reads its two product
// switches.

#include <string>

namespace vdx {

// The file's name in the FTP server's program folder.
inline constexpr const char* kSettingsFileName = "Settings.xml";

// The FTP server's settings, copied by value.
struct TSettings {
    int Port = 21;
    bool UseVdxInfo = false;
    bool UseVdxText = false;
    std::string VdxInfoRoot;  // not stored; BaseDir after every load
    std::string VdxTextRoot;  // not stored; BaseDir after every load
    std::string UsersIniPath; // not stored; VdxTextRoot + "VdxTxtServer/users/users.ini"
    std::string AdminRootDir; // used as stored: no "/" is added
    bool UseCustomPortRange = false;
    int PasvMinPort = 0;
    int PasvMaxPort = 0;
    bool UsePasvIP = false;
    std::string PasvIP; // as typed

    bool operator==(const TSettings&) const = default;
};

// The settings read from the file at path over current: Port, UseVdxInfo,
// UseVdxText and AdminRootDir are reset to their defaults (AdminRootDir to
// baseDir) and every stored setting is taken from the file when it exists;
// the other stored settings keep their values when the file or an element is
// missing. The two roots become baseDir and UsersIniPath follows them.
// Throws XmlParseError or vdx::os::FileError for a file that cannot be read.
TSettings LoadSettingsXml(const std::string& path, const std::string& baseDir, TSettings current);
// Rewrites the file at path atomically with all nine stored settings.
// Throws vdx::os::FileError or XmlWriteError; the old file then stays as it was.
void SaveSettingsXml(const std::string& path, const TSettings& settings);

// The product switches of the file at path, read as LoadSettingsXml reads
// them: False when the file, its "Settings" element or the switch is missing
// or does not convert. Throws as LoadSettingsXml does.
struct TProductSwitches {
    bool UseVdxInfo = false;
    bool UseVdxText = false;

    bool operator==(const TProductSwitches&) const = default;
};
TProductSwitches ReadProductSwitches(const std::string& path);

} // namespace vdx
