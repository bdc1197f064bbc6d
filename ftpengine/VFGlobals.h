#pragma once
// The FTP server's globals: program folder and install root, the settings
// with their file "Settings.xml", and the users table with the login check.

#include "platform/os/read_file.h"
#include "shared/VardexUsersXML.h"
#include "shared/VdxSettingsXML.h"
#include "shared/VdxXmlDoc.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <exception>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vdx {

// One version of the users file: its users in file order and an index of
// their names, so that finding a user costs the same for ten users or for
// 130,000. Never changes once built.
class TUsersTable {
public:
    explicit TUsersTable(TUsersXML users = {});

    const TUsersXML& Users() const { return m_users; }
    // The first user in file order whose Name equals name without regard to
    // ASCII case; nullptr when there is none.
    const TUserXML* Find(std::string_view name) const;

private:
    TUsersXML m_users;
    // Open addressing on the folded name: 1 + the index of the first user of
    // that name, 0 for a free slot. Twice as many slots as users, at least.
    // Not a node-based map: a node per user doubled the peak memory of a big
    // file replaced under concurrent logins.
    std::vector<std::uint32_t> m_slots;
};

// The users table of the logins, one per version of the file. A file whose
// version (device, inode, size, modification and change times) is the one
// last read is not read again; a load that finds another version waits while
// a read is running and takes that read's result when it is of the version it
// found, or whose read of the file began after the load did; otherwise it
// reads the file itself, and every load waiting then takes that read.
// Reads run one at a time, so a file replaced faster than it can be parsed
// costs one parse at a time, not one per login. Thread-safe; a table never
// changes once handed out.
class TUsersCache {
public:
    // path is the file; errors name it as shownName (clients see them).
    TUsersCache(std::string path, std::string shownName)
        : m_path(std::move(path)), m_shownName(std::move(shownName)) {}
    TUsersCache(const TUsersCache&) = delete;
    TUsersCache& operator=(const TUsersCache&) = delete;

    // The table of the file as it is now (empty when there is no file); it
    // becomes the current table unless a load that began later has set one.
    // A file that cannot be read or parsed throws (XmlParseError or
    // vdx::os::FileError) and leaves an empty current table: nobody logs in
    // and nobody has rights until the file is good again. A damaged version is
    // not parsed again; its error is thrown again.
    std::shared_ptr<const TUsersXML> Load();
    // The current table; an empty one before the first load.
    std::shared_ptr<const TUsersXML> Current() const;
    // Load and Current with the name index.
    std::shared_ptr<const TUsersTable> LoadTable();
    std::shared_ptr<const TUsersTable> CurrentTable() const;
    // How often the file was read and parsed.
    std::uint64_t Reads() const;

private:
    struct Loaded {
        // The version read; nullopt when no later load may take the result
        // (no file, a read that failed, a file that changed while read).
        std::optional<os::FileIdentity> Version;
        std::shared_ptr<const TUsersTable> Table; // nullptr with Error
        std::exception_ptr Error;
        // The loads numbered up to this one began before the file was looked
        // at, so the result is the file as it was during each of them.
        std::uint64_t ReadFrom = 0;
    };
    Loaded ReadAndParse() const;
    // Makes loaded current unless a load that began later is current already.
    void Install(const Loaded& loaded, std::uint64_t load);
    static std::shared_ptr<const TUsersTable> Result(const Loaded& loaded);

    const std::string m_path;
    const std::string m_shownName;
    mutable std::mutex m_mutex;
    std::condition_variable m_readDone;
    Loaded m_current;
    std::uint64_t m_currentLoad = 0;           // the number of the load behind m_current
    std::uint64_t m_loadsBegun = 0;            // loads that read, or found no file
    std::atomic<std::uint64_t> m_arrivals = 0; // numbers every load as it begins
    bool m_reading = false;
    std::uint64_t m_reads = 0;
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

    // Replaces the users table by the table of AppDir + "Users.xml" as it is
    // now (a missing file gives an empty table). Throws for a file that cannot
    // be read or parsed, naming it "Users.xml"; the table is then empty.
    void LoadUsers();
    // The table of the latest load; it never changes once handed out.
    std::shared_ptr<const TUsersXML> Users() const;
    // The first user whose Name equals name without regard to ASCII case,
    // from the table as last loaded; nullopt when there is none.
    std::optional<TUserXML> FindUser(const std::string& name) const;
    // Loads "Users.xml" as LoadUsers does, then the first user whose Name
    // equals userName without regard to ASCII case when that user has this
    // password, byte for byte; nullopt otherwise. An empty user name is
    // always refused. Throws as LoadUsers does.
    std::optional<TUserXML> CheckLogin(const std::string& userName, const std::string& password);

private:
    mutable std::mutex m_settingsMutex;
    TSettings m_settings;
    TUsersCache m_users;
};

} // namespace vdx
