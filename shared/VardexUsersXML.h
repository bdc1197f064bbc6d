#pragma once
// "Users.xml": the one list of FTP users both programs share.

#include "VdxTxtUtils.h"

#include <string>
#include <vector>

namespace vdx {

struct TUserXML {
    std::string Name;
    std::string PassWord;  // plain text in memory
    bool Info = false;
    bool TXT = false;
    bool WebTXT = false;
    bool Admin = false;
    bool SkipWebTxtPages = false;
    TAllowStrings Allow;  // not stored in this file

    bool operator==(const TUserXML&) const = default;
};

using TUsersXML = std::vector<TUserXML>;

// Reads and writes Folder + "Users.xml". Folder gets a trailing "/" on every
// Load and Save.
class TVUsersXML {
public:
    std::string Folder;
    TUsersXML Users;

    // A missing file gives an empty list; a file that is not a well-formed XML
    // document throws std::runtime_error (the list is already empty then).
    void Load();
    void Read();
    // Rewrites the whole file atomically; throws vdx::os::FileError when it
    // cannot be written (the old file stays as it was).
    void Save();
};

} // namespace vdx
