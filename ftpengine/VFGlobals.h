#pragma once
// The FTP server's globals: program folder and install root, the settings
// with their file "Settings.xml", and the users table with the login check.

#include "shared/VardexUsersXML.h"
#include "shared/VdxSettingsXML.h"
#include "shared/VdxXmlDoc.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

namespace vdx {

// The users table of the logins, keyed by the exact bytes it was parsed from:
// bytes equal to the current table's give that table, other bytes are parsed
// once. Thread-safe; a table never changes once handed out.
class TUsersCache {
public:
    // The bytes of the file at path in one read: nullopt when there is no
    // file; throws when it cannot be read.
    using Reader = std::function<std::optional<std::string>(const std::string& path)>;

    explicit TUsersCache(std::string path, Reader read = ReadXmlFileBytes)
        : m_path(std::move(path)), m_read(std::move(read)) {}

    // Reads the file once and returns the table of exactly those bytes (empty
    // when there is no file). It becomes the current table unless a load that
    // started later has set one already. Throws what the read or the parse
    // throws; the current table then stays.
    std::shared_ptr<const TUsersXML> Load();
    // The current table; an empty one before the first load.
    std::shared_ptr<const TUsersXML> Current() const;

private:
    const std::string m_path;
    const Reader m_read;
    mutable std::mutex m_mutex;
    std::shared_ptr<const TUsersXML> m_table;
    std::shared_ptr<const std::string> m_bytes; // behind m_table; nullptr: no file
    // Loads overlap on connection threads: each takes a number before it
    // reads, and a table never replaces one from a load that started later.
    std::uint64_t m_loadsStarted = 0;
    std::uint64_t m_tableLoad = 0;
};

// One per program. Settings and the users table are read by the connection
// threads while the GUI thread or another connection replaces them; both are
// handed out as copies or immutable snapshots, never shared while changing.
class TFGlobals {
public:
    // programPath is the full path of the program file (the program passes
    // vdx::os::ProgramPath()). Loads the settings and the users; throws when
    // an existing "Settings.xml" or "Users.xml" cannot be read.
    explicit TFGlobals(const std::string& programPath);
    // Connection threads keep references to this object.
    TFGlobals(const TFGlobals&) = delete;
    TFGlobals& operator=(const TFGlobals&) = delete;

    const std::string AppDir;      // folder of the program file, with "/"
    const std::string ExeName;     // file name of the program
    const std::string ExeBaseName; // ExeName without its extension
    const std::string BaseDir;     // install root: the parent of AppDir, with "/"

    // A copy of the live settings.
    TSettings Settings() const;
    void SetSettings(const TSettings& settings);

    // AppDir + "VdxFtpServer.log".
    std::string GetLogFileName() const;

    // Resets Port, UseVdxInfo, UseVdxText and AdminRootDir to their defaults
    // and reads AppDir + "Settings.xml" when it exists; the other stored
    // settings keep their values when the file or an element is missing.
    // Throws XmlParseError or FileError for a file that cannot be read; the
    // live settings are then unchanged.
    void LoadSettings();
    // Rewrites AppDir + "Settings.xml" atomically from the live settings.
    // Throws FileError or XmlWriteError; the old file then stays as it was.
    void SaveSettings() const;
    // The same for settings that are not live yet: the caller makes them
    // live once the file holds them.
    void SaveSettings(const TSettings& settings) const;

    // Replaces the users table by a fresh read of AppDir + "Users.xml" (a
    // missing file gives an empty table). Throws for a damaged file; the old
    // table then stays in force.
    void LoadUsers();
    // The table of the latest load; it never changes once handed out.
    std::shared_ptr<const TUsersXML> Users() const;
    // The first user whose Name equals name without regard to ASCII case,
    // from the table as last loaded; nullopt when there is none.
    std::optional<TUserXML> FindUser(const std::string& name) const;
    // Rereads "Users.xml", then true exactly when the first user whose Name
    // equals userName without regard to ASCII case has this password, byte
    // for byte. An empty user name is always refused. Throws when the file
    // cannot be read.
    bool CheckLogin(const std::string& userName, const std::string& password);

private:
    mutable std::mutex m_settingsMutex;
    TSettings m_settings;
    TUsersCache m_users;
};

} // namespace vdx
