#include "VFGlobals.h"

#include "platform/os/ascii.h"
#include "platform/os/paths.h"
#include "shared/VdxNumberText.h"
#include "shared/VdxXmlDoc.h"

#include <algorithm>
#include <charconv>
#include <limits>
#include <string_view>
#include <utility>

namespace vdx {

namespace {

const char* const kSettingsFileName = "Settings.xml";

// Blanks and control characters at both ends go, as the settings reader has
// always trimmed values.
std::string_view TrimControls(std::string_view text) {
    const auto isTrimmed = [](char c) { return static_cast<unsigned char>(c) <= ' '; };
    while (!text.empty() && isTrimmed(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isTrimmed(text.back()))
        text.remove_suffix(1);
    return text;
}

// Reads the settings below element "Settings" over base; a missing element
// gives the setting's default, as does an integer or Boolean that does not
// convert.
class SettingsReader {
public:
    explicit SettingsReader(const XmlNode& settings) : m_settings(settings) {}

    std::optional<std::string> Text(std::string_view name) const {
        const XmlNode* element = m_settings.FindChild(name);
        if (!element)
            return std::nullopt;
        return std::string(TrimControls(element->Text));
    }
    std::string String(std::string_view name, const std::string& fallback) const {
        return Text(name).value_or(fallback);
    }
    int Integer(std::string_view name, int fallback) const {
        const auto text = Text(name);
        return text ? TextToInt(*text).value_or(fallback) : fallback;
    }
    bool Boolean(std::string_view name, bool fallback) const {
        const auto text = Text(name);
        return text ? TextToBool(*text).value_or(fallback) : fallback;
    }

private:
    const XmlNode& m_settings;
};

std::string BoolText(bool value) {
    return value ? "true" : "false";
}

} // namespace

TFGlobals::TFGlobals(const std::string& programPath)
    : AppDir(os::ExtractFilePath(programPath)), ExeName(os::ExtractFileName(programPath)),
      ExeBaseName(os::ChangeFileExt(ExeName, "")),
      BaseDir(os::ExtractFilePath(os::ExcludeTrailingPathDelimiter(AppDir))),
      m_users(os::IncludeTrailingPathDelimiter(AppDir) + "Users.xml") {
    LoadSettings();
    LoadUsers();
}

TSettings TFGlobals::Settings() const {
    std::scoped_lock lock(m_settingsMutex);
    return m_settings;
}

void TFGlobals::SetSettings(const TSettings& settings) {
    std::scoped_lock lock(m_settingsMutex);
    m_settings = settings;
}

std::string TFGlobals::GetLogFileName() const {
    return AppDir + "VdxFtpServer.log";
}

void TFGlobals::LoadSettings() {
    TSettings settings = Settings();
    settings.Port = 21;
    settings.UseVdxText = false;
    settings.UseVdxInfo = false;
    settings.AdminRootDir = BaseDir;

    if (const auto root = LoadXmlFile(AppDir + kSettingsFileName)) {
        if (const XmlNode* element = root->FindChild("Settings")) {
            const SettingsReader read(*element);
            settings.Port = read.Integer("Port", 21);
            settings.UseVdxInfo = read.Boolean("UseVdxInfo", false);
            settings.UseVdxText = read.Boolean("UseVdxText", false);
            settings.AdminRootDir = read.String("AdminRootDir", BaseDir);
            settings.UseCustomPortRange = read.Boolean("UseCustomPortRange", false);
            settings.PasvMinPort = read.Integer("PasvMinPort", 0);
            settings.PasvMaxPort = read.Integer("PasvMaxPort", 0);
            settings.UsePasvIP = read.Boolean("UsePasvIP", false);
            settings.PasvIP = read.String("PasvIP", "");
        }
    }

    settings.VdxInfoRoot = BaseDir;
    settings.VdxTextRoot = BaseDir;
    settings.UsersIniPath = settings.VdxTextRoot + "VdxTxtServer/users/users.ini";
    SetSettings(settings);
}

void TFGlobals::SaveSettings() const {
    const TSettings settings = Settings();
    XmlElement root("Vardex");
    XmlElement& element = root.AddChild("Settings");
    element.AddChild("Port", std::to_string(settings.Port));
    element.AddChild("UseVdxInfo", BoolText(settings.UseVdxInfo));
    element.AddChild("UseVdxText", BoolText(settings.UseVdxText));
    element.AddChild("AdminRootDir", settings.AdminRootDir);
    element.AddChild("UseCustomPortRange", BoolText(settings.UseCustomPortRange));
    element.AddChild("PasvMinPort", std::to_string(settings.PasvMinPort));
    element.AddChild("PasvMaxPort", std::to_string(settings.PasvMaxPort));
    element.AddChild("UsePasvIP", BoolText(settings.UsePasvIP));
    element.AddChild("PasvIP", settings.PasvIP);
    root.SaveToFile(AppDir + kSettingsFileName);
}

std::shared_ptr<const TUsersXML> TUsersCache::Load() {
    std::uint64_t ticket = 0;
    {
        std::scoped_lock lock(m_mutex);
        ticket = ++m_loadsStarted;
    }
    std::optional<std::string> bytes = m_read(m_path);
    {
        std::scoped_lock lock(m_mutex);
        if (bytes && m_table && m_bytes && *m_bytes == *bytes) {
            // This load is the newest word on the file even though it parsed nothing.
            m_tableLoad = std::max(m_tableLoad, ticket);
            return m_table;
        }
    }
    // Parsed outside the lock: a big table must not hold up the other logins.
    auto table =
        std::make_shared<const TUsersXML>(bytes ? ParseUsersXml(m_path, *bytes) : TUsersXML());
    auto key = bytes ? std::make_shared<const std::string>(std::move(*bytes)) : nullptr;
    std::scoped_lock lock(m_mutex);
    // A slower load of an older file must not undo a newer one.
    if (ticket > m_tableLoad) {
        m_table = table;
        m_bytes = std::move(key);
        m_tableLoad = ticket;
    }
    return table;
}

std::shared_ptr<const TUsersXML> TUsersCache::Current() const {
    std::scoped_lock lock(m_mutex);
    return m_table ? m_table : std::make_shared<const TUsersXML>();
}

void TFGlobals::LoadUsers() {
    m_users.Load();
}

std::shared_ptr<const TUsersXML> TFGlobals::Users() const {
    return m_users.Current();
}

namespace {

const TUserXML* FindIn(const TUsersXML& users, const std::string& name) {
    for (const TUserXML& user : users)
        if (os::EqualsIgnoringAsciiCase(user.Name, name))
            return &user;
    return nullptr;
}

} // namespace

std::optional<TUserXML> TFGlobals::FindUser(const std::string& name) const {
    const auto users = Users();
    if (const TUserXML* user = FindIn(*users, name))
        return *user;
    return std::nullopt;
}

bool TFGlobals::CheckLogin(const std::string& userName, const std::string& password) {
    const auto users = m_users.Load();
    // A comment inside "Users" reads as a user without name or password; it
    // must never let an empty login in.
    if (userName.empty())
        return false;
    const TUserXML* user = FindIn(*users, userName);
    return user && user->PassWord == password;
}

} // namespace vdx
