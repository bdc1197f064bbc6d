#pragma once
// "Users.xml": the one list of FTP users both programs share.

#include "shared/VdxTxtUtils.h"

#include <string>
#include <string_view>
#include <vector>

namespace vdx {

// The file's name in the FTP server's program folder.
inline constexpr const char* kUsersFileName = "Users.xml";

struct TUserXML {
    std::string Name;
    std::string PassWord; // plain text in memory
    bool Info = false;
    bool TXT = false;
    bool WebTXT = false;
    bool Admin = false;
    bool SkipWebTxtPages = false;
    TAllowStrings Allow; // not stored in this file

    bool operator==(const TUserXML&) const = default;
};

using TUsersXML = std::vector<TUserXML>;

// The users in bytes, the content of a "Users.xml" read from path (named in
// errors). Throws XmlParseError as TVUsersXML::Load does.
TUsersXML ParseUsersXml(const std::string& path, std::string_view bytes);

// The whole file for users, as Save writes it. Throws XmlWriteError when a
// name or scrambled password holds a control byte XML cannot store.
std::string FormatUsersXml(const TUsersXML& users);

// Reads and writes Folder + "Users.xml". Folder gets a trailing "/" on every
// Load and Save.
class TVUsersXML {
public:
    std::string Folder;
    TUsersXML Users;

    // A missing file (or a folder of that name) gives an empty list; a file
    // that cannot be read, is too large, is not a well-formed XML document or
    // has a DOCTYPE throws std::runtime_error (XmlParseError or
    // vdx::os::FileError; the list is already empty then).
    void Load();
    void Read();
    // Rewrites the whole file atomically; throws vdx::os::FileError when it
    // cannot be written, XmlWriteError when a name or scrambled password holds
    // a control byte XML cannot store (the old file stays as it was either way).
    void Save();
};

} // namespace vdx
