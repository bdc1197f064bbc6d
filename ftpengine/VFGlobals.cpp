#include "ftpengine/VFGlobals.h"

#include "platform/os/ascii.h"
#include "platform/os/file_error.h"
#include "platform/os/paths.h"
#include "shared/VdxXmlDoc.h"

#include <cerrno>
#include <utility>

namespace vdx {

TFGlobals::TFGlobals(const std::string& programPath)
    : AppDir(os::ExtractFilePath(programPath)), ExeName(os::ExtractFileName(programPath)),
      ExeBaseName(os::ChangeFileExt(ExeName, "")),
      BaseDir(os::ExtractFilePath(os::ExcludeTrailingPathDelimiter(AppDir))),
      m_users(os::IncludeTrailingPathDelimiter(AppDir) + kUsersFileName, kUsersFileName) {
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

namespace {

std::shared_ptr<const TUsersXML> EmptyTable() {
    return std::make_shared<const TUsersXML>();
}

} // namespace

std::shared_ptr<const TUsersXML> TUsersCache::Load() {
    std::optional<os::FileVersion> now;
    try {
        now = os::StatFileVersion(m_path, m_shownName);
    } catch (...) {
        std::scoped_lock lock(m_mutex);
        Install({std::nullopt, nullptr, std::current_exception()}, ++m_loadsBegun);
        throw;
    }
    std::unique_lock lock(m_mutex);
    if (!now) {
        const Loaded none{std::nullopt, EmptyTable(), nullptr};
        Install(none, ++m_loadsBegun);
        return none.Table;
    }
    const std::uint64_t arrived = m_loadsBegun;
    for (;;) {
        // The version found, or a read that began after this load did: either
        // is the file as it is now.
        if ((m_current.Version && *m_current.Version == *now) || m_currentLoad > arrived)
            return Result(m_current);
        if (!m_reading)
            break;
        m_readDone.wait(lock);
    }
    m_reading = true;
    ++m_reads;
    const std::uint64_t load = ++m_loadsBegun;
    lock.unlock();
    // Read and parsed outside the lock: the current table stays at hand for FindUser.
    const Loaded loaded = ReadAndParse();
    lock.lock();
    m_reading = false;
    Install(loaded, load);
    lock.unlock();
    m_readDone.notify_all();
    return Result(loaded);
}

TUsersCache::Loaded TUsersCache::ReadAndParse() const {
    std::optional<os::VersionedBytes> read;
    try {
        read = os::ReadFileBytesVersioned(m_path, kMaxXmlDocumentBytes, m_shownName);
    } catch (const os::FileError& e) {
        // Whether a read fails may change without the file changing (no
        // descriptor left, say): the next load tries again.
        if (e.Error() != EFBIG)
            return {std::nullopt, nullptr, std::current_exception()};
        return {std::nullopt, nullptr,
                std::make_exception_ptr(
                    XmlParseError("\"" + m_shownName +
                                  "\" is not a readable XML file: The XML document is too large"))};
    } catch (...) {
        return {std::nullopt, nullptr, std::current_exception()};
    }
    if (!read) // gone since it was looked at
        return {std::nullopt, EmptyTable(), nullptr};
    try {
        auto table = std::make_shared<const TUsersXML>(ParseUsersXml(m_shownName, read->Bytes));
        return {read->Version, std::move(table), nullptr};
    } catch (...) {
        // A damaged version stays damaged: it is not parsed again.
        return {read->Version, nullptr, std::current_exception()};
    }
}

void TUsersCache::Install(const Loaded& loaded, std::uint64_t load) {
    // A slower load that began earlier must not undo a later one.
    if (load > m_currentLoad) {
        m_current = loaded;
        m_currentLoad = load;
    }
}

std::shared_ptr<const TUsersXML> TUsersCache::Result(const Loaded& loaded) {
    if (loaded.Error)
        std::rethrow_exception(loaded.Error);
    return loaded.Table;
}

std::shared_ptr<const TUsersXML> TUsersCache::Current() const {
    std::scoped_lock lock(m_mutex);
    return m_current.Table ? m_current.Table : EmptyTable();
}

std::uint64_t TUsersCache::Reads() const {
    std::scoped_lock lock(m_mutex);
    return m_reads;
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
