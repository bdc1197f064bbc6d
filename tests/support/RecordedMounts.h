#pragma once
// A recorded mount table for one test: the namespace reads its volumes from
// a file in a temporary folder instead of the kernel's, and from the
// kernel's again afterwards.

#include "platform/shell/mounts.h"

#include "TempDir.h"

#include <string>

namespace vdx::test {

// One mountinfo line of a whole block-device file system at mountPoint.
inline std::string MountLine(int id, const std::string& mountPoint, const std::string& source,
                             const std::string& type = "ext4") {
    return std::to_string(id) + " 1 8:" + std::to_string(id) + " / " + mountPoint +
           " rw,relatime shared:1 - " + type + " " + source + " rw\n";
}

class RecordedMounts {
public:
    explicit RecordedMounts(const std::string& table) { Record(table); }
    RecordedMounts(const RecordedMounts&) = delete;
    RecordedMounts& operator=(const RecordedMounts&) = delete;
    ~RecordedMounts() { shell::SetMountInfoSource({}); }

    // Replaces the table; the namespace reads it at its next refresh.
    void Write(const std::string& table) { WriteFileBytes(File(), table); }
    // Replaces the table and drops the one the namespace keeps.
    void Record(const std::string& table) {
        Write(table);
        shell::SetMountInfoSource(File());
    }
    std::string File() const { return m_dir.Folder() + "mountinfo"; }

private:
    TempDir m_dir;
};

} // namespace vdx::test
