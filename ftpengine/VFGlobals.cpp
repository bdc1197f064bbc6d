#include "ftpengine/VFGlobals.h"

#include "platform/os/ascii.h"
#include "platform/os/paths.h"
#include "shared/VdxXmlDoc.h"

#include <algorithm>
#include <utility>

namespace vdx {

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
    SetSettings(LoadSettingsXml(AppDir + kSettingsFileName, BaseDir, Settings()));
}

void TFGlobals::SaveSettings() const {
    SaveSettings(Settings());
}

void TFGlobals::SaveSettings(const TSettings& settings) const {
    SaveSettingsXml(AppDir + kSettingsFileName, settings);
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
