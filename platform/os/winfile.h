#pragma once
// Files with Windows semantics over the Linux file system: names matched
// without regard to case, exclusive and shared opens between our own
// processes and threads, attributes, wildcard enumeration.

#include "datetime.h"
#include "file_error.h"

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
std::string ResolveCase(const std::string& path);

enum class Access { Read, Write, ReadWrite };
// What other opens may do while this one is open.
enum class Share { None, Read, ReadWrite };
enum class Disposition {
    OpenExisting,  // fail when missing
    CreateAlways,  // create or truncate
    OpenAlways,    // open or create
    CreateNew      // fail when it exists
};

struct FileTimes {
    FileTime creation = 0;  // birth time where the file system has one, else the modification time
    FileTime lastAccess = 0;
    FileTime lastWrite = 0;
};

// An open file. Share modes are honoured between every open of this module in
// any of our processes (open-file-description locks); a conflicting open
// fails with a sharing-violation FileError.
class File {
public:
    File() = default;
    // Throws FileError: "Cannot open file \"path\". <reason>" (or "Cannot
    // create file" for the creating dispositions). allowDirectory lets a
    // folder be opened (for reading and setting its times).
    static File Open(const std::string& path, Access access, Share share,
                     Disposition disposition, bool allowDirectory = false);
    // Same, but reports failure as nullopt with errno set.
    static std::optional<File> TryOpen(const std::string& path, Access access, Share share,
                                       Disposition disposition, bool allowDirectory = false);

    File(File&& other) noexcept;
    File& operator=(File&& other) noexcept;
    File(const File&) = delete;
    File& operator=(const File&) = delete;
    ~File();

    bool IsOpen() const noexcept { return m_fd >= 0; }
    int Fd() const noexcept { return m_fd; }
    const std::string& Path() const noexcept { return m_path; }

    std::int64_t Size() const;                 // throws FileError
    std::int64_t Seek(std::int64_t offset, int whence); // throws FileError
    std::size_t Read(void* buffer, std::size_t count);  // 0 at end; throws FileError
    void WriteAll(const void* buffer, std::size_t count); // throws FileError (disk full ...)
    FileTimes Times() const;                   // throws FileError
    // Sets the given times; creation cannot be set on Linux and is ignored.
    // Returns false when the system refuses.
    bool SetTimes(std::optional<FileTime> lastWrite, std::optional<FileTime> lastAccess,
                  std::optional<FileTime> creation);
    void Close() noexcept;

private:
    int m_fd = -1;
    std::string m_path;
};

struct FindData {
    std::string name;        // as on disk
    std::uint32_t attributes = 0;
    std::uint64_t size = 0;  // 0 for folders
    FileTimes times;
};

// Entries of the folder part of pattern whose names match its last component
// with Windows wildcards ("*", "?", without regard to case; "*.*" and "*"
// match every name, "." and ".." included). A missing folder gives nothing.
std::vector<FindData> FindFiles(const std::string& pattern);
// Facts of one path (resolved without regard to case); nullopt when missing.
std::optional<FindData> FindFile(const std::string& path);

// Attributes: directory, read-only (no write bit for the owner), hidden (a
// name that begins with "."), archive for plain files. INVALID_FILE_ATTRIBUTES
// when missing.
std::uint32_t GetFileAttributes(const std::string& path);
// Only the read-only bit has an effect (it clears or restores the write bits).
bool SetFileAttributes(const std::string& path, std::uint32_t attributes);

bool FileExists(const std::string& path);       // a file, not a folder
bool DirectoryExists(const std::string& path);
bool DeleteFile(const std::string& path);       // files only; fails while opened with Share::None by us
bool CreateDir(const std::string& path);        // one level
bool ForceDirectories(const std::string& path); // all missing levels
bool RemoveDir(const std::string& path);        // empty folders only
// Fails when the target exists, as MoveFile does.
bool MoveFile(const std::string& from, const std::string& to);

} // namespace vdx::os
