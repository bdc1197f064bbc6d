#pragma once
// The FTP data module: holds the FTP component and answers its events.
// Every handler asks the server object through OnAccessQuery for the user's
// root folder (and, where the operation is guarded, for permission), maps the
// FTP path to a disk path below that root, does the file work through the
// Windows-semantics file layer and hands finished log lines to OnLogLine.

#include "ftpengine/VFGlobals.h"
#include "ftpengine/VdxFtpEvents.h"
#include "ftpengine/VdxFtpPaths.h"
#include "ftpengine/VdxReverseLookup.h"
#include "platform/ftp/ftp_server.h"
#include "platform/os/datetime.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vdx {

class TVFTPServerDataModule {
public:
    using TContext = ftp::TIdFTPServerContext;

    // Configures IdFTPServer (replies, system type, MLSx facts, MODE Z) and
    // binds every handler to its event; the FTP component stays off.
    TVFTPServerDataModule();
    // The FTP component's connection threads hold this object's address.
    TVFTPServerDataModule(const TVFTPServerDataModule&) = delete;
    TVFTPServerDataModule& operator=(const TVFTPServerDataModule&) = delete;
    // Switches the FTP component off (closing every connection and joining its
    // thread), then logs Stopped.
    ~TVFTPServerDataModule();

    ftp::TIdFTPServer IdFTPServer;
    std::shared_ptr<ftp::TIdCompressorZLibEx> IdCompressorZLibEx;

    // Set by the server object before the FTP component is switched on.
    TAccessQueryEvent OnAccessQuery;
    TLogLineEvent OnLogLine;

    // Whether the FTP component was last switched on successfully.
    bool Active() const noexcept { return m_active; }
    // The copy taken by ApplySettings.
    const TSettings& Settings() const noexcept { return m_settings; }

    // Switches the FTP component on (listening on DefaultPort on all interfaces) or
    // off. Errors such as a port in use or a port number out of range throw
    // to the caller and log nothing; a successful start logs Started.
    void SetActive(bool value);
    // Keeps a copy of the settings and sets DefaultPort and the passive port
    // range; they take effect at the next start. A custom range whose lowest
    // port is not below the highest, or passive ports outside 0..65535, throw
    // std::invalid_argument (the copy is kept, the FTP component unchanged).
    void ApplySettings(const TSettings& settings);

    // Raises OnAccessQuery for context's connection; returns the permission
    // (false when unassigned) and the root folder in rootDir.
    bool CheckAccess(TFtpEventKind kind, const TContext& context, std::string& rootDir,
                     const std::string& path);
    // Asks OnAccessQuery whether the login is valid; false when unassigned.
    bool QueryLogin(const std::string& userName, const std::string& password,
                    const std::string& peerIP);
    // The root folder of path for context's user.
    std::string QueryRootDir(const TContext& context, const std::string& path);

    // Of a user name and of a detail the log line keeps this many bytes, and
    // "..." where it cut; the login still goes by the whole name.
    static constexpr std::size_t kMaxLoggedFieldBytes = 255;

    // Raises OnLogLine with the five-field line: timestamp, user name, peer
    // address, label of kind, detail, separated by TAB.
    void Log(TFtpEventKind kind, const std::string& userName, const std::string& peerIP,
             const std::string& detail);
    void Log(TFtpEventKind kind, const TContext& context, const std::string& detail);
    // The same without a connection and without detail (Started, Stopped).
    void Log(TFtpEventKind kind);
    // Raises OnLogLine with the two-field line: timestamp, TAB, message.
    void LogException(const std::string& message);

    // The path routines of VdxFtpPaths.h, under the names the handlers and
    // their callers know on this class.
    static std::string NormalizePath(std::string_view path) { return vdx::NormalizePath(path); }
    static std::string StripTrailingDelimiters(std::string_view path) {
        return vdx::StripTrailingDelimiters(path);
    }
    static std::optional<os::RootedPath> DiskPath(const std::string& root,
                                                  std::string_view ftpPath) {
        return vdx::DiskPath(root, ftpPath);
    }
    static os::TDateTime FileTimeToDateTime(os::FileTime fileTime) {
        return vdx::FileTimeToDateTime(fileTime);
    }
    static os::TDateTime ClampedFileTimeToDateTime(os::FileTime fileTime) {
        return vdx::ClampedFileTimeToDateTime(fileTime);
    }
    static os::FileTime DateTimeToFileTime(os::TDateTime value) {
        return vdx::DateTimeToFileTime(value);
    }
    // The last-write time of the file at path (opened for reading while
    // others may read and write), clamped as in listings. Throws
    // vdx::os::FileError when it cannot be opened (missing, a folder ...).
    static os::TDateTime GetFileModifiedTime(const os::RootedPath& path);
    // The full size of the file at path, also while another connection has it
    // open; 0 when it is missing or a folder.
    static std::int64_t GetFileSizeOf(const os::RootedPath& path);
    // A port drawn uniformly from min..max inclusive; min when max <= min (so
    // 0 for an unset range: the system chooses).
    static std::uint16_t RandomPort(std::uint16_t min, std::uint16_t max);

    // The FTP component's events. Paths come absolute and confined below "/".
    void IdFTPServerUserLogin(TContext& context, const std::string& userName,
                              const std::string& password, bool& authenticated);
    void IdFTPServerAfterUserLogin(TContext& context);
    void IdFTPServerChangeDirectory(TContext& context, std::string& directory);
    void IdFTPServerListDirectory(TContext& context, const std::string& path,
                                  ftp::TIdFTPListOutput& listing, const std::string& cmd,
                                  const std::string& switches);
    void IdFTPServerMLST(TContext& context, const std::string& path,
                         ftp::TIdFTPListOutput& listing);
    void IdFTPServerStoreFile(TContext& context, const std::string& fileName, bool append,
                              std::unique_ptr<ftp::TStream>& stream);
    void IdFTPServerRetrieveFile(TContext& context, const std::string& fileName,
                                 std::unique_ptr<ftp::TStream>& stream);
    void IdFTPServerDeleteFile(TContext& context, const std::string& pathName);
    void IdFTPServerMakeDirectory(TContext& context, std::string& directory);
    void IdFTPServerRemoveDirectory(TContext& context, std::string& directory);
    void IdFTPServerRenameFile(TContext& context, const std::string& renameFromFile,
                               const std::string& renameToFile);
    void IdFTPServerCombineFiles(TContext& context, const std::string& targetFileName,
                                 const std::vector<std::string>& parts);
    void IdFTPServerCRCFile(TContext& context, const std::string& fileName,
                            std::unique_ptr<ftp::TStream>& stream);
    void IdFTPServerDisconnect(TContext& context);
    void IdFTPServerException(TContext* context, const std::exception& exception);
    void IdFTPServerGetFileSize(TContext& context, const std::string& fileName,
                                std::int64_t& fileSize);
    void IdFTPServerGetFileDate(TContext& context, const std::string& fileName,
                                os::TDateTime& fileDate);
    void IdFTPServerSetModifiedTime(TContext& context, const std::string& fileName,
                                    os::TDateTime& fileTime);
    void IdFTPServerSetCreationTime(TContext& context, const std::string& fileName,
                                    os::TDateTime& fileTime);
    void IdFTPServerSiteUTIME(TContext& context, const std::string& fileName,
                              os::TDateTime& lastAccessTime, os::TDateTime& lastModTime,
                              os::TDateTime& createDate, bool& authorized);
    void IdFTPServerSetATTRIB(TContext& context, std::uint32_t& attributes,
                              const std::string& fileName, bool& authorized);
    void IdFTPServerFileExistCheck(TContext& context, const std::string& pathName, bool& exists);
    void IdFTPServerStat(TContext& context, std::vector<std::string>& statusInfo);
    void IdFTPServerPASVBeforeBind(TContext& context, std::string& ip, std::uint16_t& port,
                                   ftp::TIdIPVersion ipVersion);
    void IdFTPServerPASVReply(TContext& context, std::string& ip, std::uint16_t& port,
                              ftp::TIdIPVersion ipVersion);

private:
    // The answer to one access query: the permission for kind and where path
    // lies on disk below the root that came with it (nullopt: it cannot exist).
    struct TAccess {
        bool allowed = false;
        std::optional<os::RootedPath> disk;
    };
    // Asks OnAccessQuery for kind on path and maps path below the root it gave.
    TAccess Ask(TFtpEventKind kind, const TContext& context, const std::string& path);
    // The same for a handler that refuses with 550 "Permission denied.":
    // throws that refusal when kind is not allowed, else gives the disk path.
    std::optional<os::RootedPath> AskOrRefuse(TFtpEventKind kind, const TContext& context,
                                              const std::string& path);
    // Where path lies on disk below the user's root; no permission is asked.
    std::optional<os::RootedPath> RootedDiskPath(const TContext& context, const std::string& path);
    // How a permitted delete of a part of COMB went.
    enum class TPartDelete { Done, Refused, LeftChanged };
    // Deletes a part that COMB copied, as DELE would, but only while it is still
    // the file as it was copied (identity).
    TPartDelete DeleteCopiedPart(TContext& context, const std::string& part,
                                 const os::FileIdentity& identity);

    bool m_active = false;
    bool m_portValid = true; // Port of the settings fits a port number
    TSettings m_settings;
    // Used by the connection threads, which the destructor ends first.
    TReverseLookup m_reverseLookup;
};

} // namespace vdx
