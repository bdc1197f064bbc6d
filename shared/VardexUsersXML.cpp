#include "shared/VardexUsersXML.h"

#include "platform/os/atomic_file.h"
#include "platform/os/paths.h"
#include "shared/VdxMisc.h"
#include "shared/VdxNumberText.h"
#include "shared/VdxXmlDoc.h"

#include <cstdint>
#include <optional>

namespace vdx {

namespace {

constexpr const char* kFileName = kUsersFileName;

bool FlagValue(const XmlNode& node, const char* name) {
    const std::optional<std::string> text = node.Attribute(name);
    return text && TextToInt(*text) == 1; // anything else, not an integer too, is 0
}

std::string FlagText(bool value) {
    return std::to_string(BoolToInt(value));
}

} // namespace

void TVUsersXML::Load() {
    Read();
}

TUsersXML ParseUsersXml(const std::string& path, std::string_view bytes) {
    const XmlNode root = ParseXmlFile(path, bytes);
    const XmlNode* users = root.FindChild("Users");
    if (!users)
        return {};

    TUsersXML list;
    for (const XmlNode& node : users->Children) {
        if (node.Kind == XmlNodeKind::BlankText)
            continue;
        // Any other node is an entry; one that is not an element has no
        // attributes and gives an empty user.
        TUserXML user;
        user.Name = node.Attribute("Name").value_or("");
        user.PassWord = ScrambleString(node.Attribute("PassWord").value_or(""), ScrambleKeyNumber);
        user.TXT = FlagValue(node, "TXT");
        user.WebTXT = FlagValue(node, "WebTXT");
        user.Info = FlagValue(node, "Info");
        user.Admin = FlagValue(node, "Admin");
        user.SkipWebTxtPages = FlagValue(node, "skipwebtxtpages");
        list.push_back(std::move(user));
    }
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
