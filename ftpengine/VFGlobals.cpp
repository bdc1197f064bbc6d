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

std::shared_ptr<const TUsersTable> EmptyTable() {
    return std::make_shared<const TUsersTable>();
}

// FNV-1a over the name as folded to lower case.
std::size_t FoldedHash(std::string_view name) {
    std::uint64_t hash = 14695981039346656037u;
    for (char c : name)
        hash = (hash ^ static_cast<unsigned char>(os::AsciiLower(c))) * 1099511628211u;
    return static_cast<std::size_t>(hash);
}

// The table as handed to callers that need no index.
std::shared_ptr<const TUsersXML> UsersOf(std::shared_ptr<const TUsersTable> table) {
    const TUsersXML* users = &table->Users();
    return {std::move(table), users};
}

} // namespace

TUsersTable::TUsersTable(TUsersXML users) : m_users(std::move(users)) {
    std::size_t slots = 16;
    while (slots < 2 * m_users.size())
        slots *= 2;
    m_slots.assign(slots, 0);
    const std::size_t mask = slots - 1;
    for (std::size_t i = 0; i < m_users.size(); ++i) {
        const std::string& name = m_users[i].Name;
        for (std::size_t at = FoldedHash(name) & mask;; at = (at + 1) & mask) {
            if (m_slots[at] == 0) {
                m_slots[at] = static_cast<std::uint32_t>(i + 1);
                break;
            }
            // A later user of the same name is never found: the first one is.
            if (os::EqualsIgnoringAsciiCase(m_users[m_slots[at] - 1].Name, name))
                break;
        }
    }
}

const TUserXML* TUsersTable::Find(std::string_view name) const {
    const std::size_t mask = m_slots.size() - 1;
    for (std::size_t at = FoldedHash(name) & mask; m_slots[at] != 0; at = (at + 1) & mask) {
        const TUserXML& user = m_users[m_slots[at] - 1];
        if (os::EqualsIgnoringAsciiCase(user.Name, name))
            return &user;
    }
    return nullptr;
}

std::shared_ptr<const TUsersXML> TUsersCache::Load() {
    return UsersOf(LoadTable());
}

std::shared_ptr<const TUsersXML> TUsersCache::Current() const {
    return UsersOf(CurrentTable());
}

std::shared_ptr<const TUsersTable> TUsersCache::LoadTable() {
    const std::uint64_t arrived = ++m_arrivals;
    std::optional<os::FileIdentity> now;
    try {
        now = os::StatFileVersion(m_path, m_shownName);
    } catch (...) {
        std::scoped_lock lock(m_mutex);
        Install({std::nullopt, nullptr, std::current_exception(), arrived}, ++m_loadsBegun);
        throw;
    }
    std::unique_lock lock(m_mutex);
    if (!now) {
        const Loaded none{std::nullopt, EmptyTable(), nullptr, arrived};
        Install(none, ++m_loadsBegun);
        return none.Table;
    }
    for (;;) {
        // The version found, or a read that began after this load did: either
        // is the file as it is during this load. A login thus waits for at
        // most the read running and one more, which all waiting logins share.
        if ((m_current.Version && *m_current.Version == *now) || m_current.ReadFrom >= arrived)
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
    const std::uint64_t readFrom = m_arrivals.load();
    std::optional<os::VersionedBytes> read;
    try {
        read = os::ReadFileBytesVersioned(m_path, kMaxXmlDocumentBytes, m_shownName);
    } catch (const os::FileError& e) {
        // Whether a read fails may change without the file changing (no
        // descriptor left, say): the next load tries again.
        if (e.Error() != EFBIG)
            return {std::nullopt, nullptr, std::current_exception(), readFrom};
        return {std::nullopt, nullptr,
                std::make_exception_ptr(
                    XmlParseError("\"" + m_shownName +
                                  "\" is not a readable XML file: The XML document is too large")),
                readFrom};
    } catch (...) {
        return {std::nullopt, nullptr, std::current_exception(), readFrom};
    }
    if (!read) // gone since it was looked at
        return {std::nullopt, EmptyTable(), nullptr, readFrom};
    try {
        auto table = std::make_shared<const TUsersTable>(ParseUsersXml(m_shownName, read->Bytes));
        return {read->Version, std::move(table), nullptr, readFrom};
    } catch (...) {
        // A damaged version stays damaged: it is not parsed again.
        return {read->Version, nullptr, std::current_exception(), readFrom};
    }
}

void TUsersCache::Install(const Loaded& loaded, std::uint64_t load) {
    // A slower load that began earlier must not undo a later one.
    if (load > m_currentLoad) {
        m_current = loaded;
        m_currentLoad = load;
    }
}

std::shared_ptr<const TUsersTable> TUsersCache::Result(const Loaded& loaded) {
    if (loaded.Error)
        std::rethrow_exception(loaded.Error);
    return loaded.Table;
}

std::shared_ptr<const TUsersTable> TUsersCache::CurrentTable() const {
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

std::optional<TUserXML> TFGlobals::FindUser(const std::string& name) const {
    const auto users = m_users.CurrentTable();
    if (const TUserXML* user = users->Find(name))
        return *user;
    return std::nullopt;
}

std::optional<TUserXML> TFGlobals::CheckLogin(const std::string& userName,
                                              const std::string& password) {
    const auto users = m_users.LoadTable();
    // A comment inside "Users" reads as a user without name or password; it
    // must never let an empty login in.
    if (userName.empty())
        return std::nullopt;
    const TUserXML* user = users->Find(userName);
    if (!user || user->PassWord != password)
        return std::nullopt;
    return *user;
}

} // namespace vdx
