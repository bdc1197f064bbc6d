#include "ftpengine/VdxFTPServerDataModule.h"

#include "ftpengine/VdxSysRoutines.h"
#include "platform/ftp/reply.h"
#include "platform/os/datetime.h"
#include "platform/os/paths.h"
#include "platform/os/winfile.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <netdb.h>
#include <netinet/in.h>
#include <random>
#include <stdexcept>
#include <sys/socket.h>
#include <thread>
#include <utility>

namespace vdx {

namespace {

using ftp::TIdFTPListOutputItem;
using ftp::TStream;

// Bytes copied at a time when combining files.
constexpr std::size_t kCombineBufferSize = 256 * 1024;

constexpr std::string_view kPermissionDenied = "Permission denied.";

// Binds a member function of the data module to an event of the component.
template <auto Method> auto Bind(TVFTPServerDataModule* self) {
    return [self](auto&&... args) { (self->*Method)(std::forward<decltype(args)>(args)...); };
}

bool HasWildcard(std::string_view name) {
    return name.find_first_of("*?") != std::string_view::npos;
}

void FillItem(TIdFTPListOutputItem& item, const os::FindData& data) {
    const bool folder = (data.attributes & os::FILE_ATTRIBUTE_DIRECTORY) != 0;
    const bool readOnly = (data.attributes & os::FILE_ATTRIBUTE_READONLY) != 0;
    item.FileName = data.name;
    item.Size = static_cast<std::int64_t>(data.size);
    item.NumberBlocks = (item.Size + 1023) / 1024;
    item.ModifiedDate = ClampedFileTimeToDateTime(data.times.lastWrite);
    item.CreationDate = ClampedFileTimeToDateTime(data.times.creation);
    item.LastAccessDate = ClampedFileTimeToDateTime(data.times.lastAccess);
    item.WinAttribute = data.attributes;
    item.ItemType = folder ? ftp::TIdDirItemType::ditDirectory : ftp::TIdDirItemType::ditFile;
    const char* permissions = folder ? (readOnly ? "r-x" : "rwx") : (readOnly ? "r--" : "rw-");
    item.UnixOwnerPermissions = permissions;
    item.UnixGroupPermissions = permissions;
    item.UnixOthersPermissions = permissions;
}

// Appends text as one field: a TAB in it (a client may send one in a user
// name or a path) would shift the fields after it and could forge a line.
void AppendField(std::string& line, std::string_view text) {
    for (const char c : text)
        line += c == '\t' ? ' ' : c;
}

// The client chooses its user name and paths; the log keeps their beginning
// and marks the cut, so one request cannot swell the file and the window.
void AppendClientField(std::string& line, std::string_view text) {
    AppendField(line, text.substr(0, TVFTPServerDataModule::kMaxLoggedFieldBytes));
    if (text.size() > TVFTPServerDataModule::kMaxLoggedFieldBytes)
        line += "...";
}

// 550 with the system's reason: the path cannot exist below the user's root.
[[noreturn]] void ThrowMissing() {
    throw os::FileError(os::SysErrorMessage(ENOENT), ENOENT);
}

// A path that a link stands in the way of names nothing the user can act on:
// a command on it did nothing and must not be answered or logged as done.
void ThrowMissingWhereBlocked(const std::optional<os::RootedPath>& disk) {
    if (disk && os::BlockedByLink(*disk))
        ThrowMissing();
}

// The name of the file that COMB writes to, opened exclusively at its end;
// created tells whether this open made it.
os::File OpenCombineTarget(const os::RootedPath& target, bool& created) {
    for (int attempt = 0;; ++attempt) {
        if (auto file = os::File::TryOpen(target, os::Access::ReadWrite, os::Share::None,
                                          os::Disposition::OpenExisting)) {
            created = false;
            return std::move(*file);
        }
        if (errno != ENOENT || attempt == 8)
            break;
        if (auto file = os::File::TryOpen(target, os::Access::ReadWrite, os::Share::None,
                                          os::Disposition::CreateNew)) {
            created = true;
            return std::move(*file);
        }
        if (errno != EEXIST) // made by another meanwhile: open that one
            break;
    }
    // The reason, as the open that failed gives it.
    return os::File::Open(target, os::Access::ReadWrite, os::Share::None,
                          os::Disposition::OpenAlways);
}

// 550 "Permission denied." for a command the user has no right to.
[[noreturn]] void RefusePermission() {
    throw ftp::EFTPReplyError(ftp::Code(ftp::Reply::FileUnavailable),
                              std::string(kPermissionDenied));
}

// The file or folder at disk, opened for setting its times (nobody else may
// have it open). Throws vdx::os::FileError when that fails.
os::File OpenForTimes(const std::optional<os::RootedPath>& disk) {
    if (!disk)
        ThrowMissing();
    return os::File::Open(*disk, os::Access::ReadWrite, os::Share::None,
                          os::Disposition::OpenExisting, true);
}

// A time the client gave, as a file time; 0 stays "not given". A time the DOS
// form cannot hold is refused rather than stored as a time of 1601.
std::optional<os::FileTime> GivenTime(os::TDateTime value) {
    if (value == 0)
        return std::nullopt;
    const os::FileTime fileTime = DateTimeToFileTime(value);
    if (fileTime == 0)
        throw ftp::EFTPReplyError(ftp::Code(ftp::Reply::ArgumentSyntaxError),
                                  "Date/time outside 1980 to 2107.");
    return fileTime;
}

void SetTimesOrThrow(os::File& file, std::optional<os::FileTime> lastWrite,
                     std::optional<os::FileTime> lastAccess, std::optional<os::FileTime> creation) {
    if (!file.SetTimes(lastWrite, lastAccess, creation))
        throw std::runtime_error("File Operation Aborted");
}

// The host name of a numeric address, or the address itself when the lookup
// fails, takes longer than its timeout or finds every lookup thread busy.
std::string HostNameOf(TReverseLookup& lookup, const std::string& ip) {
    return lookup.HostName(ip);
}

std::uint16_t PassivePort(int port, const char* name) {
    if (port < 0 || port > 65535)
        throw std::invalid_argument(std::string(name) + " " + std::to_string(port) +
                                    " is not a port number.");
    return static_cast<std::uint16_t>(port);
}

} // namespace

// ---- Machinery ----------------------------------------------------------------------------

TVFTPServerDataModule::TVFTPServerDataModule()
    : IdCompressorZLibEx(std::make_shared<ftp::TIdCompressorZLibEx>()) {
    using M = TVFTPServerDataModule;
    ftp::TIdFTPServer& s = IdFTPServer;
    // Port 21, the reply texts, the system type and no anonymous logins are the
    // component's own defaults (TIdFTPServerOptions): clients see those.
    s.MLSDFacts = {ftp::TIdMLSDAttr::mlsdFileCreationTime, ftp::TIdMLSDAttr::mlsdFileLastAccessTime,
                   ftp::TIdMLSDAttr::mlsdWin32Attributes};
    s.Compressor = IdCompressorZLibEx;

    s.OnUserLogin = Bind<&M::IdFTPServerUserLogin>(this);
    s.OnAfterUserLogin = Bind<&M::IdFTPServerAfterUserLogin>(this);
    s.OnChangeDirectory = Bind<&M::IdFTPServerChangeDirectory>(this);
    s.OnListDirectory = Bind<&M::IdFTPServerListDirectory>(this);
    s.OnMLST = Bind<&M::IdFTPServerMLST>(this);
    s.OnStoreFile = Bind<&M::IdFTPServerStoreFile>(this);
    s.OnRetrieveFile = Bind<&M::IdFTPServerRetrieveFile>(this);
    s.OnDeleteFile = Bind<&M::IdFTPServerDeleteFile>(this);
    s.OnMakeDirectory = Bind<&M::IdFTPServerMakeDirectory>(this);
    s.OnRemoveDirectory = Bind<&M::IdFTPServerRemoveDirectory>(this);
    s.OnRenameFile = Bind<&M::IdFTPServerRenameFile>(this);
    s.OnCombineFiles = Bind<&M::IdFTPServerCombineFiles>(this);
    s.OnCRCFile = Bind<&M::IdFTPServerCRCFile>(this);
    s.OnDisconnect = Bind<&M::IdFTPServerDisconnect>(this);
    s.OnException = Bind<&M::IdFTPServerException>(this);
    s.OnGetFileSize = Bind<&M::IdFTPServerGetFileSize>(this);
    s.OnGetFileDate = Bind<&M::IdFTPServerGetFileDate>(this);
    s.OnSetModifiedTime = Bind<&M::IdFTPServerSetModifiedTime>(this);
    s.OnSetCreationTime = Bind<&M::IdFTPServerSetCreationTime>(this);
    s.OnSiteUTIME = Bind<&M::IdFTPServerSiteUTIME>(this);
    s.OnSetATTRIB = Bind<&M::IdFTPServerSetATTRIB>(this);
    s.OnFileExistCheck = Bind<&M::IdFTPServerFileExistCheck>(this);
    s.OnStat = Bind<&M::IdFTPServerStat>(this);
    s.OnPASVBeforeBind = Bind<&M::IdFTPServerPASVBeforeBind>(this);
    s.OnPASVReply = Bind<&M::IdFTPServerPASVReply>(this);
}

TVFTPServerDataModule::~TVFTPServerDataModule() {
    IdFTPServer.SetActive(false);
    m_active = false;
    // A destructor cannot report a log write that failed; the program is
    // ending and the line has nowhere else to go.
    try {
        Log(TFtpEventKind::Stopped);
    } catch (...) {
    }
}

void TVFTPServerDataModule::SetActive(bool value) {
    if (value && !m_portValid)
        throw std::invalid_argument("Port " + std::to_string(m_settings.Port) +
                                    " is not a port number.");
    IdFTPServer.SetActive(value);
    m_active = value;
    if (value)
        Log(TFtpEventKind::Started);
}

void TVFTPServerDataModule::ApplySettings(const TSettings& settings) {
    m_settings = settings;
    m_portValid = settings.Port >= 0 && settings.Port <= 65535;
    if (m_portValid)
        IdFTPServer.DefaultPort = static_cast<std::uint16_t>(settings.Port);
    IdFTPServer.SetPASVBoundPortMin(0);
    IdFTPServer.SetPASVBoundPortMax(0);
    if (settings.UseCustomPortRange) {
        IdFTPServer.DefaultDataPort = 0;
        IdFTPServer.SetPASVBoundPortMin(PassivePort(settings.PasvMinPort, "PasvMinPort"));
        IdFTPServer.SetPASVBoundPortMax(PassivePort(settings.PasvMaxPort, "PasvMaxPort"));
    }
}

bool TVFTPServerDataModule::CheckAccess(TFtpEventKind kind, const TContext& context,
                                        std::string& rootDir, const std::string& path) {
    bool allowed = false;
    if (OnAccessQuery)
        OnAccessQuery(kind, rootDir, allowed, path, context.PeerIP, context.Password,
                      context.UserName);
    return allowed;
}

bool TVFTPServerDataModule::QueryLogin(const std::string& userName, const std::string& password,
                                       const std::string& peerIP) {
    std::string rootDir;
    bool allowed = false;
    if (OnAccessQuery)
        OnAccessQuery(TFtpEventKind::Login, rootDir, allowed, std::string(), peerIP, password,
                      userName);
    return allowed;
}

std::string TVFTPServerDataModule::QueryRootDir(const TContext& context, const std::string& path) {
    std::string rootDir;
    CheckAccess(TFtpEventKind::RootDir, context, rootDir, path);
    return rootDir;
}

void TVFTPServerDataModule::Log(TFtpEventKind kind, const std::string& userName,
                                const std::string& peerIP, const std::string& detail) {
    if (!OnLogLine)
        return;
    std::string line = DateTimeToLogStr(os::Now());
    line += '\t';
    AppendClientField(line, userName);
    line += '\t';
    AppendField(line, peerIP);
    line += '\t';
    line += FtpEventLabel(kind);
    line += '\t';
    AppendClientField(line, detail);
    OnLogLine(line);
}

void TVFTPServerDataModule::Log(TFtpEventKind kind, const TContext& context,
                                const std::string& detail) {
    Log(kind, context.UserName, context.PeerIP, detail);
}

void TVFTPServerDataModule::Log(TFtpEventKind kind) {
    Log(kind, {}, {}, {});
}

void TVFTPServerDataModule::LogException(const std::string& message) {
    if (!OnLogLine)
        return;
    std::string line = DateTimeToLogStr(os::Now());
    line += '\t';
    AppendField(line, message);
    OnLogLine(line);
}

os::TDateTime TVFTPServerDataModule::GetFileModifiedTime(const os::RootedPath& path) {
    const os::File file =
        os::File::Open(path, os::Access::Read, os::Share::ReadWrite, os::Disposition::OpenExisting);
    return ClampedFileTimeToDateTime(file.Times().lastWrite);
}

std::int64_t TVFTPServerDataModule::GetFileSizeOf(const os::RootedPath& path) {
    // Read from the folder entry, not through an open: a file that another
    // connection is uploading or downloading (both open it exclusively) still
    // has its size, where an open would fail and report 0.
    const auto data = os::FindFile(path);
    if (!data || (data->attributes & os::FILE_ATTRIBUTE_DIRECTORY) != 0)
        return 0;
    return static_cast<std::int64_t>(data->size);
}

std::uint16_t TVFTPServerDataModule::RandomPort(std::uint16_t min, std::uint16_t max) {
    // One generator per connection thread: no shared state between connections.
    thread_local std::mt19937 generator{std::random_device{}()};
    return ftp::DrawPassivePort(min, max, generator);
}

// How a handler answers a user without the right, and a path that cannot
// exist below the user's root (the FTP component's replies in quotes):
//
//   command                    right asked     not allowed                 no such path
//   STOR, STOU, APPE           Write           no stream: 550 "Requested   the same
//   RETR                       Read            action aborted: ..."
//   DELE                       Delete          answered as done, no log    done, logged
//   MKD / RMD                  MkDir / RmDir   answered as done, no log    done, Error logged
//   RNFR+RNTO                  Delete, both    550 "Permission denied."    550 with the reason
//   MFMT, MFCT,                Write           (AskOrRefuse)               (ThrowMissing)
//   MDTM with a time
//   COMB                       Write, parts    as above                    as above
//                              Read, Delete
//   XCRC, XMD5, XSHA...        Read            as above                    as above
//   SITE UTIME                 Write           authorized false: 550       550 with the reason
//                                              "Permission denied."
//   SITE ATTRIB                Write           as SITE UTIME               550 "File not found."
//
// Every other handler asks only for the root (RootedDiskPath): a path that
// cannot exist there is missing. A DELE, MKD or RMD that failed because a link
// stands in the way acted on nothing the user can reach: 550 with the reason,
// and no Delete line (ThrowMissingWhereBlocked).

TVFTPServerDataModule::TAccess
TVFTPServerDataModule::Ask(TFtpEventKind kind, const TContext& context, const std::string& path) {
    std::string root;
    TAccess access;
    access.allowed = CheckAccess(kind, context, root, path);
    access.disk = DiskPath(root, path);
    return access;
}

std::optional<os::RootedPath> TVFTPServerDataModule::AskOrRefuse(TFtpEventKind kind,
                                                                 const TContext& context,
                                                                 const std::string& path) {
    TAccess access = Ask(kind, context, path);
    if (!access.allowed)
        RefusePermission();
    return std::move(access.disk);
}

std::optional<os::RootedPath> TVFTPServerDataModule::RootedDiskPath(const TContext& context,
                                                                    const std::string& path) {
    return DiskPath(QueryRootDir(context, path), path);
}

// ---- Login, folders and listings ------------------------------------------------------------

void TVFTPServerDataModule::IdFTPServerUserLogin(TContext& context, const std::string& userName,
                                                 const std::string& password, bool& authenticated) {
    try {
        authenticated = QueryLogin(userName, password, context.PeerIP);
    } catch (...) {
        // A users file that cannot be read refuses the login; it is still an attempt.
        authenticated = false;
        Log(TFtpEventKind::Login, context, "FAILED");
        throw;
    }
    Log(TFtpEventKind::Login, context, authenticated ? "OK" : "FAILED");
}

void TVFTPServerDataModule::IdFTPServerAfterUserLogin(TContext& context) {
    // assign() rather than = "/": GCC 12 warns falsely (-Wrestrict) on the latter.
    context.CurrentDir.assign(1, '/');
    context.HomeDir.assign(1, '/');
}

void TVFTPServerDataModule::IdFTPServerChangeDirectory(TContext& context, std::string& directory) {
    const auto disk = RootedDiskPath(context, directory);
    if (disk && os::DirectoryExists(*disk))
        return;
    const std::string message = "Directory " + directory + " not found";
    Log(TFtpEventKind::Error, context, message);
    directory = context.CurrentDir;
    // The folder stays as it was, and the client is told: a client that took a success here
    // would store its next files in the wrong folder, or never create the one it asked for.
    throw ftp::EFTPReplyError(ftp::Code(ftp::Reply::FileUnavailable), message);
}

void TVFTPServerDataModule::IdFTPServerListDirectory(TContext& context, const std::string& path,
                                                     ftp::TIdFTPListOutput& listing,
                                                     const std::string& /*cmd*/,
                                                     const std::string& switches) {
    const std::string root = QueryRootDir(context, path);
    if (switches.find('s') != std::string::npos)
        listing.Switches += 's';
    if (const auto base = DiskPath(root, context.HomeDir + path)) {
        const os::RootedPath pattern{base->root,
                                     base->path + (os::DirectoryExists(*base) ? "/*.*" : "*.*")};
        for (const os::FindData& data : os::FindFiles(pattern))
            FillItem(listing.Add(), data);
    }
    Log(TFtpEventKind::Dirlist, context, path);
}

void TVFTPServerDataModule::IdFTPServerMLST(TContext& context, const std::string& path,
                                            ftp::TIdFTPListOutput& listing) {
    const auto disk = RootedDiskPath(context, path);
    if (!disk)
        ThrowMissing();
    const os::RootedPath p{disk->root, StripTrailingDelimiters(disk->path)};
    std::optional<os::FindData> found;
    if (HasWildcard(os::ExtractFileName(p.path))) {
        auto matches = os::FindFiles(p);
        if (!matches.empty())
            found = std::move(matches.front());
    } else {
        found = os::FindFile(p);
    }
    if (!found)
        ThrowMissing();
    TIdFTPListOutputItem& item = listing.Add();
    FillItem(item, *found);
    item.FileName = StripTrailingDelimiters(NormalizePath(context.HomeDir + path));
    if (item.FileName.empty())
        item.FileName = "/";
}

// ---- Transfers --------------------------------------------------------------------------------

void TVFTPServerDataModule::IdFTPServerStoreFile(TContext& context, const std::string& fileName,
                                                 bool append, std::unique_ptr<TStream>& stream) {
    const TAccess access = Ask(TFtpEventKind::Write, context, fileName);
    if (!access.allowed || !access.disk)
        return;
    const os::RootedPath& disk = *access.disk;
    // A STOR after REST resumes the file: the FTP component cuts it at the offset
    // and writes on from there, so it must not be emptied first.
    const bool resume = !append && context.RestartPos > 0;
    os::File file = os::File::Open(disk, os::Access::Write, os::Share::None,
                                   append || resume ? os::Disposition::OpenExisting
                                                    : os::Disposition::OpenAlways);
    stream = std::make_unique<ftp::TFileStream>(std::move(file));
    Log(TFtpEventKind::Write, context, fileName);
}

void TVFTPServerDataModule::IdFTPServerRetrieveFile(TContext& context, const std::string& fileName,
                                                    std::unique_ptr<TStream>& stream) {
    const TAccess access = Ask(TFtpEventKind::Read, context, fileName);
    if (!access.allowed || !access.disk)
        return;
    const os::RootedPath& disk = *access.disk;
    stream = std::make_unique<ftp::TFileStream>(
        os::File::Open(disk, os::Access::Read, os::Share::None, os::Disposition::OpenExisting));
    Log(TFtpEventKind::Read, context, fileName);
}

void TVFTPServerDataModule::IdFTPServerDeleteFile(TContext& context, const std::string& pathName) {
    const TAccess access = Ask(TFtpEventKind::Delete, context, pathName);
    if (!access.allowed)
        return;
    if (access.disk && !os::DeleteFile(*access.disk))
        ThrowMissingWhereBlocked(access.disk); // else answered as done; the attempt is logged
    Log(TFtpEventKind::Delete, context, pathName);
}

void TVFTPServerDataModule::IdFTPServerMakeDirectory(TContext& context, std::string& directory) {
    const TAccess access = Ask(TFtpEventKind::MkDir, context, directory);
    if (!access.allowed)
        return;
    if (access.disk && os::ForceDirectories(*access.disk)) {
        Log(TFtpEventKind::MkDir, context, directory);
        return;
    }
    Log(TFtpEventKind::Error, context, "Unable to create directory " + directory);
    ThrowMissingWhereBlocked(access.disk);
}

void TVFTPServerDataModule::IdFTPServerRemoveDirectory(TContext& context, std::string& directory) {
    const TAccess access = Ask(TFtpEventKind::RmDir, context, directory);
    if (!access.allowed)
        return;
    if (access.disk && os::RemoveDir(*access.disk)) {
        Log(TFtpEventKind::RmDir, context, directory);
        return;
    }
    Log(TFtpEventKind::Error, context, "Unable to remove directory " + directory);
    ThrowMissingWhereBlocked(access.disk);
}

void TVFTPServerDataModule::IdFTPServerRenameFile(TContext& context,
                                                  const std::string& renameFromFile,
                                                  const std::string& renameToFile) {
    // A rename takes one name away and puts another in place: both take the
    // right to delete, each below the root of its own path, so a rename
    // carries nothing into or out of a tree the user may not write, and an
    // upload area itself stays where it is.
    const auto from = AskOrRefuse(TFtpEventKind::Delete, context, renameFromFile);
    const auto to = AskOrRefuse(TFtpEventKind::Delete, context, renameToFile);
    if (!from || !to)
        ThrowMissing();
    if (!os::MoveFile(*from, *to)) {
        const int error = errno;
        throw ftp::EFTPReplyError(ftp::Code(ftp::Reply::FileUnavailable),
                                  os::SysErrorMessage(error));
    }
}

void TVFTPServerDataModule::IdFTPServerCombineFiles(TContext& context,
                                                    const std::string& targetFileName,
                                                    const std::vector<std::string>& parts) {
    const auto target = AskOrRefuse(TFtpEventKind::Write, context, targetFileName);
    // Every part readable and there before the target is touched; they are
    // opened one at a time, so a COMB of many parts holds two descriptors.
    std::vector<os::RootedPath> sources;
    sources.reserve(parts.size());
    for (const std::string& part : parts) {
        const auto disk = AskOrRefuse(TFtpEventKind::Read, context, part);
        if (!disk || !target)
            ThrowMissing();
        if (!os::FileExists(*disk))
            os::File::Open(*disk, os::Access::Read, os::Share::Read,
                           os::Disposition::OpenExisting); // throws the reason
        sources.push_back(*disk);
    }
    if (!target)
        ThrowMissing();
    // Each part as it was copied, so that only that file is deleted.
    std::vector<os::FileIdentity> copied;
    copied.reserve(sources.size());
    {
        bool created = false;
        os::File out = OpenCombineTarget(*target, created);
        const std::int64_t start = out.Seek(0, SEEK_END);
        try {
            std::vector<char> buffer(kCombineBufferSize);
            for (const os::RootedPath& disk : sources) {
                os::File source = os::File::Open(disk, os::Access::Read, os::Share::Read,
                                                 os::Disposition::OpenExisting);
                while (const std::size_t n = source.Read(buffer.data(), buffer.size()))
                    out.WriteAll(buffer.data(), n);
                copied.push_back(source.Identity());
            }
        } catch (...) {
            // A part that vanished or is held meanwhile: the target is put back as it was.
            try {
                out.Truncate(start);
                if (created) {
                    const os::FileIdentity empty = out.Identity();
                    out.Close();
                    os::DeleteFileIfUnchanged(*target, empty);
                }
            } catch (const os::FileError&) {
            }
            throw;
        }
    }
    std::vector<std::string> left;
    for (std::size_t i = 0; i < parts.size(); ++i) {
        if (DeleteCopiedPart(context, parts[i], copied[i]) == TPartDelete::LeftChanged)
            left.push_back(parts[i]);
    }
    if (!left.empty()) {
        // Combined all the same: a client that took this for a failure and sent
        // the COMB again would append the parts twice.
        std::string text = "File Operation Successful; changed meanwhile, not deleted: " + left[0];
        if (left.size() > 1)
            text += " and " + std::to_string(left.size() - 1) + " more";
        throw ftp::EFTPReplyError(ftp::Code(ftp::Reply::FileActionOk), text);
    }
}

TVFTPServerDataModule::TPartDelete
TVFTPServerDataModule::DeleteCopiedPart(TContext& context, const std::string& part,
                                        const os::FileIdentity& identity) {
    const TAccess access = Ask(TFtpEventKind::Delete, context, part);
    if (!access.allowed)
        return TPartDelete::Refused;
    if (access.disk && !os::DeleteFileIfUnchanged(*access.disk, identity)) {
        // Written or replaced since it was copied (another session's upload,
        // perhaps still running): what it holds now is not in the target.
        if (errno == ESTALE || errno == EBUSY)
            return TPartDelete::LeftChanged;
    }
    Log(TFtpEventKind::Delete, context, part);
    return TPartDelete::Done;
}

void TVFTPServerDataModule::IdFTPServerCRCFile(TContext& context, const std::string& fileName,
                                               std::unique_ptr<TStream>& stream) {
    // A checksum over a chosen range reads the file byte by byte: it takes the
    // right to read.
    const auto disk = AskOrRefuse(TFtpEventKind::Read, context, fileName);
    if (!disk)
        ThrowMissing();
    stream = std::make_unique<ftp::TFileStream>(
        os::File::Open(*disk, os::Access::Read, os::Share::None, os::Disposition::OpenExisting));
}

void TVFTPServerDataModule::IdFTPServerDisconnect(TContext& /*context*/) {}

void TVFTPServerDataModule::IdFTPServerException(TContext* /*context*/,
                                                 const std::exception& exception) {
    LogException(exception.what());
}

// ---- File facts, times and attributes --------------------------------------------------------

void TVFTPServerDataModule::IdFTPServerGetFileSize(TContext& context, const std::string& fileName,
                                                   std::int64_t& fileSize) {
    const auto disk = RootedDiskPath(context, fileName);
    fileSize = disk && os::FileExists(*disk) ? GetFileSizeOf(*disk) : -1;
}

void TVFTPServerDataModule::IdFTPServerGetFileDate(TContext& context, const std::string& fileName,
                                                   os::TDateTime& fileDate) {
    const auto disk = RootedDiskPath(context, fileName);
    if (!disk)
        ThrowMissing();
    fileDate = GetFileModifiedTime(*disk);
}

void TVFTPServerDataModule::IdFTPServerSetModifiedTime(TContext& context,
                                                       const std::string& fileName,
                                                       os::TDateTime& fileTime) {
    os::File file = OpenForTimes(AskOrRefuse(TFtpEventKind::Write, context, fileName));
    SetTimesOrThrow(file, GivenTime(fileTime), std::nullopt, std::nullopt);
    try {
        fileTime = ClampedFileTimeToDateTime(file.Times().lastWrite);
    } catch (const os::FileError&) {
    }
}

void TVFTPServerDataModule::IdFTPServerSetCreationTime(TContext& context,
                                                       const std::string& fileName,
                                                       os::TDateTime& fileTime) {
    os::File file = OpenForTimes(AskOrRefuse(TFtpEventKind::Write, context, fileName));
    // Linux keeps no settable creation time: the request changes nothing and
    // the reply tells the time the file really has.
    SetTimesOrThrow(file, std::nullopt, std::nullopt, GivenTime(fileTime));
    try {
        fileTime = ClampedFileTimeToDateTime(file.Times().creation);
    } catch (const os::FileError&) {
    }
}

void TVFTPServerDataModule::IdFTPServerSiteUTIME(TContext& context, const std::string& fileName,
                                                 os::TDateTime& lastAccessTime,
                                                 os::TDateTime& lastModTime,
                                                 os::TDateTime& createDate, bool& authorized) {
    const TAccess access = Ask(TFtpEventKind::Write, context, fileName);
    if (!access.allowed) {
        authorized = false;
        return;
    }
    os::File file = OpenForTimes(access.disk);
    SetTimesOrThrow(file, GivenTime(lastModTime), GivenTime(lastAccessTime), GivenTime(createDate));
    try {
        const os::FileTimes times = file.Times();
        lastModTime = ClampedFileTimeToDateTime(times.lastWrite);
        createDate = ClampedFileTimeToDateTime(times.creation);
        lastAccessTime = ClampedFileTimeToDateTime(times.lastAccess);
    } catch (const os::FileError&) {
    }
}

void TVFTPServerDataModule::IdFTPServerSetATTRIB(TContext& context, std::uint32_t& attributes,
                                                 const std::string& fileName, bool& authorized) {
    const TAccess access = Ask(TFtpEventKind::Write, context, fileName);
    if (!access.allowed) {
        authorized = false;
        return;
    }
    if (!access.disk) {
        attributes = os::INVALID_FILE_ATTRIBUTES;
        return;
    }
    os::SetFileAttributes(*access.disk, attributes); // the reply tells what the file now has
    attributes = os::GetFileAttributes(*access.disk);
}

void TVFTPServerDataModule::IdFTPServerFileExistCheck(TContext& context,
                                                      const std::string& pathName, bool& exists) {
    const auto disk = RootedDiskPath(context, pathName);
    exists = disk && os::FileExists(*disk);
}

void TVFTPServerDataModule::IdFTPServerStat(TContext& context,
                                            std::vector<std::string>& statusInfo) {
    using ftp::TIdFTPDataStructure;
    statusInfo.push_back("Connected to " + HostNameOf(m_reverseLookup, context.PeerIP));
    statusInfo.push_back("Logged in as " + context.UserName);
    const char* type = context.DataType == ftp::TIdFTPTransferType::ftASCII ? "ASCII" : "BINARY";
    const char* structure = context.DataStruct == TIdFTPDataStructure::dsFile     ? "File"
                            : context.DataStruct == TIdFTPDataStructure::dsRecord ? "Record"
                                                                                  : "Page";
    const char* mode =
        context.DataMode == ftp::TIdFTPTransferMode::dmDeflate ? "DEFLATE" : "STREAM";
    statusInfo.push_back(std::string("TYPE: ") + type +
                         ", FORM: Nonprint; STRUcture: " + structure + "; transfer MODE: " + mode);
    statusInfo.push_back(context.DataChannelActive ? "Data Connection Active"
                                                   : "No Data Connection");
}

void TVFTPServerDataModule::IdFTPServerPASVBeforeBind(TContext& /*context*/, std::string& /*ip*/,
                                                      std::uint16_t& port,
                                                      ftp::TIdIPVersion /*ipVersion*/) {
    // This draw wins: the FTP component draws from the range itself only when a handler
    // leaves the port 0, which with a range set this one never does. Without
    // a range it gives 0 and the FTP component picks the port.
    port = RandomPort(IdFTPServer.PASVBoundPortMin(), IdFTPServer.PASVBoundPortMax());
}

void TVFTPServerDataModule::IdFTPServerPASVReply(TContext& /*context*/, std::string& ip,
                                                 std::uint16_t& /*port*/,
                                                 ftp::TIdIPVersion /*ipVersion*/) {
    if (m_settings.UsePasvIP)
        ip = m_settings.PasvIP;
}

} // namespace vdx
