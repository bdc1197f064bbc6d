#pragma once
// "users.ini": the teletext server's users file. Written whole from the users
// table; read back here only for the page rights (mag1 to mag8).

#include "shared/VardexUsersXML.h"
#include "shared/VdxTxtUtils.h"

#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace vdx {

inline constexpr const char* kUsersIniName = "users.ini";

// A user whose name or written password would break the file's lines.
class EUsersIniError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The file's bytes: per user in list order "[" Name "]", "system=1" with
// Admin, "password=" + PassWord with WebTXT, "skipwebtxtpages=1" with
// SkipWebTxtPages, then "magN=" + Allow[N] for the strings that are not empty;
// every line ends in CR LF. Throws EUsersIniError, naming the user, when a
// written value holds CR or LF.
std::string FormatUsersIni(const TUsersXML& users);

// The file as the in-memory ini file of the class library reads it: lines
// trimmed, empty lines and lines starting with ";" skipped, section names and
// the blanks around the first "=" trimmed; CR LF, LF or CR end a line.
class TUsersIniRights {
public:
    explicit TUsersIniRights(std::string_view text);

    // mag1 to mag8 of the user's section: the one spelt exactly like name,
    // else the first equal without regard to case; keys without regard to
    // case, the first of each. Empty strings where there is no such key.
    TAllowStrings PageRights(std::string_view name) const;

private:
    struct Entry {
        std::string key;
        std::string value;
    };
    struct Section {
        std::string name;
        std::vector<Entry> entries;
    };
    std::vector<Section> m_sections;
};

} // namespace vdx
