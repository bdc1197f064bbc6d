#pragma once
// The volumes the Computer folder lists, from the kernel's mount table
// (/proc/self/mountinfo): "/" first, then every mount of a whole file system
// (root field "/") from a /dev block device or of a network file system,
// except system places (below /proc, /sys, /dev, /run but /run/media, /boot,
// /snap). A later mount at the same point hides the earlier one.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vdx::shell {

// The most of the mount table that is read; a longer one counts as none
// (the Computer then shows "/" alone).
inline constexpr std::size_t kMaxMountInfoBytes = 16u << 20;

// One line of the table, fields unescaped (\040 and the other octal forms).
struct MountEntry {
    unsigned Major = 0;
    unsigned Minor = 0;
    std::string Root;       // the folder of the file system mounted
    std::string MountPoint; // where, absolute
    std::string FsType;
    std::string Source;
};

// The lines of a table; a line without the fields is skipped.
std::vector<MountEntry> ParseMountInfo(std::string_view text);

struct Volume {
    std::string MountPoint;
    std::string FsType;
    std::string Source;
    unsigned Major = 0;
    unsigned Minor = 0;
    bool Network = false;
    bool Removable = false; // filled by DescribeVolumes
    std::string Label;      // filled by DescribeVolumes; may stay empty
    friend bool operator==(const Volume&, const Volume&) = default;
};

bool IsNetworkFsType(std::string_view fsType);
// Whether the shell controls watch the volume for changes: fixed and RAM
// disks and mounted network volumes, no removable or optical media (a
// change watch would keep them busy and they come and go).
bool IsWatchedVolume(const Volume& volume);
// The volumes of a table as described above, "/" always first (with the
// facts of its own mount when the table has one).
std::vector<Volume> SelectVolumes(const std::vector<MountEntry>& table);
// Labels (from /dev/disk/by-label) and the removable flag (the block
// device's sysfs flag, or a mount below /media or /run/media).
void DescribeVolumes(std::vector<Volume>& volumes);
// "label (mount point)"; without a label the source of a network volume,
// else "Removable Disk" or "Local Disk", stands in.
std::string VolumeDisplayName(const Volume& volume);

struct VolumeChanges {
    std::vector<Volume> Arrived;
    std::vector<Volume> Removed;
};
// Volumes by mount point and source: what is new in after, what went.
VolumeChanges DiffVolumes(const std::vector<Volume>& before, const std::vector<Volume>& after);

// The volumes of the table now, read once and kept until RefreshVolumes
// (GUI thread only).
const std::vector<Volume>& CurrentVolumes();
// Reads the table again; returns what changed against the kept one.
VolumeChanges RefreshVolumes();
// The file the table is read from: /proc/self/mountinfo, or the one set
// (tests record tables); "" restores the kernel's. Drops the kept table.
const std::string& MountInfoSource();
void SetMountInfoSource(std::string path);
// The size and free bytes of the file system at path (statvfs); false
// when it cannot be asked. Callers keep network volumes away from it: a
// server that is gone would hang the call.
bool VolumeSpace(const std::string& path, std::uint64_t& total, std::uint64_t& free);
// The volume whose mount point is the longest leading part of path (at a
// "/" boundary); nullptr when none (never for an absolute path: "/" is one).
const Volume* VolumeOfPath(const std::vector<Volume>& volumes, std::string_view path);

} // namespace vdx::shell
