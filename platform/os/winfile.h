#pragma once
// Files with Windows semantics over the Linux file system: names matched
// without regard to case, exclusive and shared opens between our own
// processes and threads, attributes, wildcard enumeration.

#include "platform/os/datetime.h"
#include "platform/os/file_error.h"
#include "platform/os/unique_fd.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vdx::os {

inline constexpr std::uint32_t FILE_ATTRIBUTE_READONLY = 0x01;
inline constexpr std::uint32_t FILE_ATTRIBUTE_HIDDEN = 0x02;
inline constexpr std::uint32_t FILE_ATTRIBUTE_SYSTEM = 0x04;
inline constexpr std::uint32_t FILE_ATTRIBUTE_DIRECTORY = 0x10;
inline constexpr std::uint32_t FILE_ATTRIBUTE_ARCHIVE = 0x20;
inline constexpr std::uint32_t FILE_ATTRIBUTE_NORMAL = 0x80;
inline constexpr std::uint32_t INVALID_FILE_ATTRIBUTES = 0xFFFFFFFF;

// The path as it exists on disk: each component matched exactly first, else
// the first entry equal without regard to ASCII case. Components from the
// first one that does not exist on are kept as given, so a new file keeps the
// caller's case. Never climbs: ".." and "." are taken literally by the caller.
// Cheap for a path that exists as given (one lstat); a folder is scanned only
// where a name is missing. Every other function here resolves its paths so.
std::string ResolveCase(const std::string& path);

// A path below a root folder, for callers that must keep a user inside it.
// The root is trusted as it is named (links in it are followed); below it no
// symbolic link is ever followed: a link there is treated as missing, and so
// is a file with more than one name (a hard link may lead to any file of the
// file system), so nothing can lead out of the root or around the rights
// given by path. path
// has "/" separators; empty components are skipped, and a "." or ".."
// component makes the path invalid (EINVAL). Names are matched as ResolveCase
// does. Messages name path, never the disk path of the root.
struct RootedPath {
    std::string root;
    std::string path; // "" or "/" is the root itself

    bool operator==(const RootedPath&) const = default;
};

enum class Access { Read, Write, ReadWrite };
// What other opens may do while this one is open.
enum class Share { None, Read, ReadWrite };
enum class Disposition {
    OpenExisting, // fail when missing
    CreateAlways, // create or truncate
    OpenAlways,   // open or create
    CreateNew     // fail when it exists
};

// One state of one file: the entry, its size and the times of its last
// change of data and of anything else. A write, a rename onto the name or a
// change of mode gives another identity.
struct FileIdentity {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::int64_t size = 0;
    std::int64_t modifiedNs = 0;
    std::int64_t changedNs = 0;

    bool operator==(const FileIdentity&) const = default;
};

struct FileTimes {
    FileTime creation = 0; // birth time where the file system has one, else the modification time
    FileTime lastAccess = 0;
    FileTime lastWrite = 0;
};

// An open file.
//
// Share modes are honoured as Windows does between every open of this module,
// in any thread of any of our processes: an open fails when its access is not
// in the share mode of an open that exists, or when an existing open's access
// is not in its own share mode. Each open holds shared open-file-description
// locks (F_OFD_SETLK) on four bytes far beyond any data ("reads", "writes",
// "denies read", "denies write") and probes the opposite bytes of the others;
// the locks go with the descriptor, also when a process dies. The set comes
// before the probe, so of two conflicting opens racing each other at least one
// fails; one racing an open that is then refused may fail with it (rare; a
// retry succeeds). A conflict fails with errno EBUSY and the message
// "... The process cannot access the file because it is being used by another
// process." A write-only open of a file we may not read holds no locks (it
// still probes). Files that no Windows program could have (FIFOs, devices,
// sockets) cannot be opened (EACCES), nor paths holding a NUL byte (EINVAL,
// as in every function here).
//
// The read-only attribute (no owner write bit) refuses write access with
// EACCES, also for root, as Windows does for every user.
class File {
public:
    File() = default;
    // Throws FileError: "Cannot open file \"path\". <reason>" (or "Cannot
    // create file" for CreateAlways and CreateNew). CreateAlways truncates
    // only once the share check passed, so a refused open changes nothing.
    // A folder is never opened unless allowDirectory (for reading and setting
    // its times); the access is then reading whatever was asked.
    static File Open(const std::string& path, Access access, Share share, Disposition disposition,
                     bool allowDirectory = false);
    // Same, but reports failure as nullopt with errno set.
    static std::optional<File> TryOpen(const std::string& path, Access access, Share share,
                                       Disposition disposition, bool allowDirectory = false);
    static File Open(const RootedPath& path, Access access, Share share, Disposition disposition,
                     bool allowDirectory = false);
    static std::optional<File> TryOpen(const RootedPath& path, Access access, Share share,
                                       Disposition disposition, bool allowDirectory = false);

    File(File&& other) noexcept;
    File& operator=(File&& other) noexcept;
    File(const File&) = delete;
    File& operator=(const File&) = delete;
    ~File();

    bool IsOpen() const noexcept { return static_cast<bool>(m_fd); }
    int Fd() const noexcept { return m_fd.Get(); }
    const std::string& Path() const noexcept { return m_path; } // as resolved on disk

    std::int64_t Size() const;                            // throws FileError
    std::int64_t Seek(std::int64_t offset, int whence);   // SEEK_SET ...; throws FileError
    std::size_t Read(void* buffer, std::size_t count);    // 0 at end; throws FileError
    void WriteAll(const void* buffer, std::size_t count); // throws FileError (disk full ...)
    FileTimes Times() const;                              // throws FileError
    FileIdentity Identity() const;                        // throws FileError
    void Truncate(std::int64_t size);                     // throws FileError
    // Sets the given times; creation cannot be set on Linux and is ignored.
    // Returns false when the system refuses.
    bool SetTimes(std::optional<FileTime> lastWrite, std::optional<FileTime> lastAccess,
                  std::optional<FileTime> creation);
    void Close() noexcept;

private:
    template <class P>
    static std::optional<File> OpenAt(const P& path, Access access, Share share,
                                      Disposition disposition, bool allowDirectory, bool raise);

    UniqueFd m_fd; // the share locks go with the descriptor
    std::string m_path;
    std::string m_shown; // what messages name: below a root, the path given
};

struct FindData {
    std::string name; // as on disk
    std::uint32_t attributes = 0;
    std::uint64_t size = 0; // 0 for folders
    FileTimes times;
};

// Entries of the folder part of pattern whose names match its last component
// with Windows wildcards ("*" any run, "?" one character, without regard to
// ASCII case). As in DOS a trailing ".*" may also match nothing ("*.*"
// matches "README", "x.txt*.*" matches "x.txt") and a trailing "." matches
// names without an extension ("*."). "." and ".." come first where the mask
// matches them; the rest in the file system's order. Symbolic links report
// what they point at; dangling ones, entries that vanish meanwhile and
// entries no Windows program could have (FIFOs, devices, sockets) are left
// out. A missing folder or an empty mask gives nothing.
std::vector<FindData> FindFiles(const std::string& pattern);
// The same below a root: links, and files with another name as well, are
// left out like dangling ones.
std::vector<FindData> FindFiles(const RootedPath& pattern);
// Facts of one path (resolved without regard to case, a trailing "/"
// ignored); nullopt when missing.
std::optional<FindData> FindFile(const std::string& path);
std::optional<FindData> FindFile(const RootedPath& path);

// Attributes: directory, read-only (no write bit for the owner), hidden (a
// name that begins with "."), archive for plain files. INVALID_FILE_ATTRIBUTES
// when missing.
std::uint32_t GetFileAttributes(const std::string& path);
std::uint32_t GetFileAttributes(const RootedPath& path);
// Only the read-only bit has an effect: set, it clears every write bit of a
// file (a folder keeps its own); cleared, it gives the owner the write bit
// back. False (errno set) when the path is missing or the change is refused.
bool SetFileAttributes(const std::string& path, std::uint32_t attributes);
bool SetFileAttributes(const RootedPath& path, std::uint32_t attributes);

// The functions below return false with errno set on failure.
bool FileExists(const std::string& path); // a plain file (or a link to one), not a folder
bool DirectoryExists(const std::string& path);
// Files only (EISDIR for a folder); fails with EBUSY while any File of ours has
// it open (Windows opens never share delete) and with EACCES when read-only.
// A symbolic link itself is removed.
bool DeleteFile(const std::string& path);
bool CreateDir(const std::string& path);        // one level; fails when it exists
bool ForceDirectories(const std::string& path); // all missing levels; true when it already exists
bool RemoveDir(const std::string& path);        // empty folders only
// Fails with EEXIST when the target exists (as MoveFile does; a change of
// letter case alone is allowed) and with EBUSY while a File of ours has the
// source file open.
bool MoveFile(const std::string& from, const std::string& to);

// The same below a root (see RootedPath); ForceDirectories creates nothing
// where a link stands on the way.
bool FileExists(const RootedPath& path);
bool DirectoryExists(const RootedPath& path);
bool DeleteFile(const RootedPath& path);
// DeleteFile, but only while path still names the file as it was when
// identity was taken (checked while the file is held, so nothing can change it
// between the check and the delete); ESTALE when it changed or was replaced.
bool DeleteFileIfUnchanged(const std::string& path, const FileIdentity& identity);
bool DeleteFileIfUnchanged(const RootedPath& path, const FileIdentity& identity);
bool CreateDir(const RootedPath& path);
bool ForceDirectories(const RootedPath& path);
bool RemoveDir(const RootedPath& path);
bool MoveFile(const RootedPath& from, const RootedPath& to);
// Whether path is missing below its root only because a symbolic link, or a
// file that has another name as well, stands at it or on the way to it: the
// root does not show either, so every function above takes such a path as
// missing. For telling such a path from a name that is simply not there.
bool BlockedByLink(const RootedPath& path);

} // namespace vdx::os
