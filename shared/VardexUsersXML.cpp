#include "shared/VardexUsersXML.h"

#include "platform/os/ascii.h"
#include "platform/os/atomic_file.h"
#include "platform/os/paths.h"
#include "shared/VdxMisc.h"
#include "shared/VdxNumberText.h"
#include "shared/VdxXmlDoc.h"

#include <algorithm>
#include <cstdint>
#include <optional>

namespace vdx {

namespace {

constexpr const char* kFileName = kUsersFileName;

// What a table may take. A file of the largest size read holds about 130,000
// users written as the programs write them, some 50 MiB as a table; entries
// of a few bytes each (empty elements, comments) would take far more.
constexpr std::size_t kMaxTableBytes = 128u << 20;

bool FlagValue(std::string_view text) {
    return TextToInt(text) == 1; // anything else, not an integer too, is 0
}

// The fields of one entry, each from the first attribute of its name
// without regard to case, in one pass over the attributes.
TUserXML UserOf(const XmlNode& node) {
    enum Field { Name, PassWord, TXT, WebTXT, Info, Admin, Skip, Fields };
    static constexpr std::string_view kNames[Fields] = {
        "Name", "PassWord", "TXT", "WebTXT", "Info", "Admin", "skipwebtxtpages"};
    const std::string* values[Fields] = {};
    for (const XmlAttribute& a : node.Attributes)
        for (int f = 0; f < Fields; ++f)
            if (!values[f] && os::EqualsIgnoringAsciiCase(a.Name, kNames[f])) {
                values[f] = &a.Value;
                break;
            }
    const auto text = [&](Field f) { return values[f] ? std::string_view(*values[f]) : ""; };
    TUserXML user;
    user.Name = text(Name);
    user.PassWord = ScrambleString(std::string(text(PassWord)), ScrambleKeyNumber);
    user.TXT = FlagValue(text(TXT));
    user.WebTXT = FlagValue(text(WebTXT));
    user.Info = FlagValue(text(Info));
    user.Admin = FlagValue(text(Admin));
    user.SkipWebTxtPages = FlagValue(text(Skip));
    return user;
}

std::string FlagText(bool value) {
    return std::to_string(BoolToInt(value));
}

} // namespace

void TVUsersXML::Load() {
    Read();
}

TUsersXML ParseUsersXml(const std::string& path, std::string_view bytes) {
    // Read as a stream: a table of 130,000 users must not cost a tree of them.
    enum class At { BeforeUsers, InUsers, PastUsers } at = At::BeforeUsers;
    TUsersXML list;
    // Every entry but a text one starts with "<": room for them all at once
    // keeps the table from being copied as it grows.
    list.reserve(
        std::min<std::size_t>(static_cast<std::size_t>(std::count(bytes.begin(), bytes.end(), '<')),
                              kMaxTableBytes / sizeof(TUserXML)));
    std::size_t cost = 0;
    ReadXmlFileNodes(path, bytes, 2, [&](int depth, const XmlNode& node) {
        if (depth == 1) {
            // The root's first child element named "Users" holds the list.
            if (at == At::InUsers)
                at = At::PastUsers;
            else if (at == At::BeforeUsers && node.IsElement() &&
                     os::EqualsIgnoringAsciiCase(node.Name, "Users"))
                at = At::InUsers;
            return;
        }
        if (depth != 2 || at != At::InUsers || node.Kind == XmlNodeKind::BlankText)
            return;
        // Any other node is an entry; one that is not an element has no
        // attributes and gives an empty user.
        TUserXML user = UserOf(node);
        cost += sizeof(TUserXML) + user.Name.size() + user.PassWord.size();
        if (cost > kMaxTableBytes)
            throw XmlParseError("The XML document is too large");
        list.push_back(std::move(user));
    });
    return list;
}

void TVUsersXML::Read() {
    Users.clear();
    Folder = os::IncludeTrailingPathDelimiter(Folder);
    const std::string path = Folder + kFileName;
    if (const std::optional<std::string> bytes = ReadXmlFileBytes(path))
        Users = ParseUsersXml(path, *bytes);
}

std::string FormatUsersXml(const TUsersXML& list) {
    XmlElement root("Vardex");
    if (!list.empty()) {
        XmlElement& users = root.AddChild("Users");
        for (std::size_t i = 0; i < list.size(); ++i) {
            const TUserXML& u = list[i];
            const std::string scrambled = ScrambleString(u.PassWord, ScrambleKeyNumber);
            // Say which user cannot be stored, never what the password holds.
            try {
                XmlEscape(u.Name);
            } catch (const XmlWriteError& e) {
                throw XmlWriteError("The name of user " + std::to_string(i + 1) +
                                    " cannot be stored in \"" + kFileName + "\": " + e.what());
            }
            try {
                XmlEscape(scrambled);
            } catch (const XmlWriteError&) {
                throw XmlWriteError("The password of user \"" + u.Name +
                                    "\" holds a control character and cannot be stored in \"" +
                                    kFileName + "\"");
            }
            users.AddChild("User")
                .AddAttribute("Name", u.Name)
                .AddAttribute("PassWord", scrambled)
                .AddAttribute("TXT", FlagText(u.TXT))
                .AddAttribute("WebTXT", FlagText(u.WebTXT))
                .AddAttribute("Info", FlagText(u.Info))
                .AddAttribute("Admin", FlagText(u.Admin))
                .AddAttribute("skipwebtxtpages", FlagText(u.SkipWebTxtPages));
        }
    }
    return root.Serialize();
}

void TVUsersXML::Save() {
    Folder = os::IncludeTrailingPathDelimiter(Folder);
    os::WriteFileAtomically(Folder + kFileName, FormatUsersXml(Users));
}

} // namespace vdx
