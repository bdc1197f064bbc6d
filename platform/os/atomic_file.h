#pragma once
// Whole-file rewrites that never leave a half-written file behind.

#include "platform/os/unique_fd.h"

#include <string>
#include <string_view>

namespace vdx::os {

// Writes data to a temporary file in the same folder, flushes it to disk and
// renames it over path, keeping the old file's permission bits, and its owner
// and group as far as the caller may set them. When path is
// a symbolic link, the file it names is replaced and the link stays. Readers see
// either the old or the new content. Throws FileError ("Cannot create file
// \"path\". <reason>") when the file cannot be written; the old file is then
// unchanged and no temporary file is left.
void WriteFileAtomically(const std::string& path, std::string_view data);

// The same in two steps, for files that must change together: the
// constructor writes and flushes the temporary file (throws as above), Commit
// renames it over the file (throws; the file is then unchanged). A staged
// file never committed is removed. The temporary stays locked while staged,
// so RemoveStaleTemporaries leaves it alone.
class StagedFile {
public:
    StagedFile(const std::string& path, std::string_view data);
    ~StagedFile();
    StagedFile(const StagedFile&) = delete;
    StagedFile& operator=(const StagedFile&) = delete;

    void Commit();

private:
    std::string m_path;        // as given, for messages
    std::string m_destination; // the file a link names, else m_path
    std::string m_temporary;   // empty once committed
    UniqueFd m_fd;             // the temporary, locked until committed or removed
};

// Removes the temporary files that rewrites of path killed midway left beside
// the file (the file a link names): regular files named "." + its name + "."
// + six letters or digits, at least kStaleTemporaryAge old and locked by no
// writer. Nothing else is touched; failures are silent.
inline constexpr int kStaleTemporaryAge = 10; // seconds
void RemoveStaleTemporaries(const std::string& path);

} // namespace vdx::os
