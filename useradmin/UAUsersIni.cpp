#include "useradmin/UAUsersIni.h"

#include "platform/os/ascii.h"
#include "shared/VdxMisc.h"

namespace vdx {

namespace {

constexpr std::string_view kLineEnd = "\r\n";

bool HoldsLineBreak(std::string_view text) {
    return text.find_first_of("\r\n") != std::string_view::npos;
}

// The name as a message can show it: line breaks as blanks.
std::string Shown(std::string name) {
    for (char& c : name)
        if (c == '\r' || c == '\n')
            c = ' ';
    return name;
}

} // namespace

std::string FormatUsersIni(const TUsersXML& users) {
    std::string out;
    for (const TUserXML& user : users) {
        if (HoldsLineBreak(user.Name))
            throw EUsersIniError("The name of user \"" + Shown(user.Name) +
                                 "\" holds a line break and cannot be stored in \"" +
                                 kUsersIniName + "\".");
        if (user.WebTXT && HoldsLineBreak(user.PassWord))
            throw EUsersIniError("The password of user \"" + user.Name +
                                 "\" holds a line break and cannot be stored in \"" +
                                 kUsersIniName + "\".");
        out += "[" + user.Name + "]";
        out += kLineEnd;
        if (user.Admin) {
            out += "system=1";
            out += kLineEnd;
        }
        if (user.WebTXT) {
            out += "password=" + user.PassWord;
            out += kLineEnd;
        }
        if (user.SkipWebTxtPages) {
            out += "skipwebtxtpages=1";
            out += kLineEnd;
        }
        for (std::size_t n = 0; n < user.Allow.size(); ++n) {
            const std::string& allow = user.Allow[n];
            if (allow.empty())
                continue;
            if (HoldsLineBreak(allow))
                throw EUsersIniError("The page rights of user \"" + user.Name +
                                     "\" hold a line break and cannot be stored in \"" +
                                     kUsersIniName + "\".");
            out += "mag" + std::to_string(n + 1) + "=" + allow;
            out += kLineEnd;
        }
    }
    return out;
}

TUsersIniRights::TUsersIniRights(std::string_view text) {
    Section* current = nullptr;
    while (!text.empty()) {
        const std::size_t end = text.find_first_of("\r\n");
        std::string_view line = text.substr(0, end);
        if (end == std::string_view::npos) {
            text = {};
        } else {
            const bool crlf = text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n';
            text.remove_prefix(end + (crlf ? 2 : 1));
        }
        line = Trim(line);
        if (line.empty() || line.front() == ';')
            continue;
        if (line.front() == '[' && line.back() == ']') {
            current = &m_sections.emplace_back();
            current->name = std::string(Trim(line.substr(1, line.size() - 2)));
            continue;
        }
        const std::size_t equals = line.find('=');
        if (!current || equals == std::string_view::npos)
            continue;
        current->entries.push_back({std::string(Trim(line.substr(0, equals))),
                                    std::string(Trim(line.substr(equals + 1)))});
    }
}

TAllowStrings TUsersIniRights::PageRights(std::string_view name) const {
    const Section* found = nullptr;
    for (const Section& section : m_sections)
        if (section.name == name) {
            found = &section;
            break;
        }
    if (!found)
        for (const Section& section : m_sections)
            if (os::EqualsIgnoringAsciiCase(section.name, name)) {
                found = &section;
                break;
            }
    TAllowStrings rights;
    if (!found)
        return rights;
    for (std::size_t n = 0; n < rights.size(); ++n) {
        const std::string key = "mag" + std::to_string(n + 1);
        for (const Entry& entry : found->entries)
            if (os::EqualsIgnoringAsciiCase(entry.key, key)) {
                rights[n] = entry.value;
                break;
            }
    }
    return rights;
}

} // namespace vdx
