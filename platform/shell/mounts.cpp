#include "platform/shell/mounts.h"

#include "platform/os/read_file.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <dirent.h>
#include <fstream>
#include <stdexcept>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace vdx::shell {

namespace {

// The table's escapes: a backslash and three octal digits.
std::string Unescape(std::string_view field) {
    std::string out;
    out.reserve(field.size());
    for (std::size_t i = 0; i < field.size(); ++i) {
        const auto oct = [](char c) { return c >= '0' && c <= '7'; };
        if (field[i] == '\\' && i + 3 < field.size() && oct(field[i + 1]) && oct(field[i + 2]) &&
            oct(field[i + 3])) {
            out += static_cast<char>(((field[i + 1] - '0') << 6) | ((field[i + 2] - '0') << 3) |
                                     (field[i + 3] - '0'));
            i += 3;
            continue;
        }
        out += field[i];
    }
    return out;
}

std::vector<std::string_view> Fields(std::string_view line) {
    std::vector<std::string_view> fields;
    std::size_t pos = 0;
    while (pos < line.size()) {
        while (pos < line.size() && line[pos] == ' ')
            ++pos;
        if (pos >= line.size())
            break;
        const std::size_t end = std::min(line.find(' ', pos), line.size());
        fields.push_back(line.substr(pos, end - pos));
        pos = end;
    }
    return fields;
}

bool ParseDevice(std::string_view text, unsigned& major, unsigned& minor) {
    const std::size_t colon = text.find(':');
    if (colon == std::string_view::npos || colon == 0 || colon + 1 >= text.size())
        return false;
    auto number = [](std::string_view digits, unsigned& out) {
        unsigned long v = 0;
        for (char c : digits) {
            if (c < '0' || c > '9' || v > 0xFFFFFFFFul / 10)
                return false;
            v = v * 10 + unsigned(c - '0');
        }
        if (v > 0xFFFFFFFFul)
            return false;
        out = static_cast<unsigned>(v);
        return true;
    };
    return number(text.substr(0, colon), major) && number(text.substr(colon + 1), minor);
}

// path is folder itself or lies below it.
bool AtOrBelow(std::string_view path, std::string_view folder) {
    if (!path.starts_with(folder))
        return false;
    return path.size() == folder.size() || path[folder.size()] == '/';
}

bool SystemPlace(std::string_view mountPoint) {
    if (AtOrBelow(mountPoint, "/run/media"))
        return false;
    for (std::string_view place : {"/proc", "/sys", "/dev", "/run", "/boot", "/snap"})
        if (AtOrBelow(mountPoint, place))
            return true;
    return false;
}

Volume ToVolume(const MountEntry& e) {
    Volume v;
    v.MountPoint = e.MountPoint;
    v.FsType = e.FsType;
    v.Source = e.Source;
    v.Major = e.Major;
    v.Minor = e.Minor;
    v.Network = IsNetworkFsType(e.FsType);
    return v;
}

std::string RealPath(const std::string& path) {
    char buffer[PATH_MAX];
    return ::realpath(path.c_str(), buffer) ? std::string(buffer) : std::string();
}

// udev writes label links with \xNN escapes.
std::string UnescapeUdev(std::string_view name) {
    std::string out;
    for (std::size_t i = 0; i < name.size(); ++i) {
        if (name[i] == '\\' && i + 3 < name.size() && name[i + 1] == 'x') {
            const std::string hex(name.substr(i + 2, 2));
            char* end = nullptr;
            const long v = std::strtol(hex.c_str(), &end, 16);
            if (end == hex.c_str() + 2) {
                out += static_cast<char>(v);
                i += 3;
                continue;
            }
        }
        out += name[i];
    }
    return out;
}

bool SysfsRemovable(unsigned major, unsigned minor) {
    const std::string base =
        "/sys/dev/block/" + std::to_string(major) + ":" + std::to_string(minor);
    // A partition carries no flag of its own: its disk is the folder above.
    for (const std::string& file : {base + "/removable", base + "/../removable"}) {
        std::ifstream in(file);
        char c = 0;
        if (in.get(c))
            return c == '1';
    }
    return false;
}

struct MountState {
    std::string source;
    bool loaded = false;
    std::vector<Volume> volumes;
};

MountState& State() {
    static MountState state;
    return state;
}

std::vector<Volume> ReadVolumes() {
    std::string text;
    try {
        text = os::ReadFileBytes(MountInfoSource(), kMaxMountInfoBytes).value_or(std::string());
    } catch (const std::exception&) {
        text.clear(); // without a table the Computer shows "/" alone
    }
    std::vector<Volume> volumes = SelectVolumes(ParseMountInfo(text));
    DescribeVolumes(volumes);
    return volumes;
}

} // namespace

std::vector<MountEntry> ParseMountInfo(std::string_view text) {
    std::vector<MountEntry> table;
    std::size_t pos = 0;
    while (pos < text.size()) {
        const std::size_t end = std::min(text.find('\n', pos), text.size());
        const std::vector<std::string_view> f = Fields(text.substr(pos, end - pos));
        pos = end + 1;
        // id, parent, major:minor, root, mount point, options, optional
        // fields..., "-", type, source, super options.
        const auto dash = std::find(f.begin() + std::min<std::size_t>(f.size(), 6), f.end(), "-");
        if (f.size() < 9 || dash == f.end() || f.end() - dash < 3)
            continue;
        MountEntry e;
        if (!ParseDevice(f[2], e.Major, e.Minor))
            continue;
        e.Root = Unescape(f[3]);
        e.MountPoint = Unescape(f[4]);
        e.FsType = Unescape(dash[1]);
        e.Source = Unescape(dash[2]);
        if (e.MountPoint.empty() || e.MountPoint.front() != '/')
            continue;
        table.push_back(std::move(e));
    }
    return table;
}

bool IsNetworkFsType(std::string_view fsType) {
    for (std::string_view t : {"nfs", "nfs4", "cifs", "smb3", "smbfs", "fuse.sshfs"})
        if (fsType == t)
            return true;
    return false;
}

bool IsWatchedVolume(const Volume& volume) {
    if (volume.Removable)
        return false;
    for (std::string_view t : {"iso9660", "udf"})
        if (volume.FsType == t)
            return false;
    return true;
}

std::vector<Volume> SelectVolumes(const std::vector<MountEntry>& table) {
    std::vector<Volume> volumes;
    Volume root;
    root.MountPoint = "/";
    volumes.push_back(root);
    for (const MountEntry& e : table) {
        if (e.MountPoint == "/") {
            volumes.front() = ToVolume(e);
            continue;
        }
        if (e.Root != "/" || SystemPlace(e.MountPoint))
            continue;
        if (!e.Source.starts_with("/dev/") && !IsNetworkFsType(e.FsType))
            continue;
        std::erase_if(volumes, [&](const Volume& v) { return v.MountPoint == e.MountPoint; });
        volumes.push_back(ToVolume(e));
    }
    return volumes;
}

void DescribeVolumes(std::vector<Volume>& volumes) {
    // label -> device, read once for all volumes
    std::vector<std::pair<std::string, std::string>> labels;
    if (DIR* dir = ::opendir("/dev/disk/by-label")) {
        while (const dirent* e = ::readdir(dir)) {
            const std::string name = e->d_name;
            if (name == "." || name == "..")
                continue;
            labels.emplace_back(UnescapeUdev(name), RealPath("/dev/disk/by-label/" + name));
        }
        ::closedir(dir);
    }
    for (Volume& v : volumes) {
        v.Removable = AtOrBelow(v.MountPoint, "/media") || AtOrBelow(v.MountPoint, "/run/media") ||
                      (!v.Network && v.Major != 0 && SysfsRemovable(v.Major, v.Minor));
        if (!v.Source.starts_with("/dev/"))
            continue;
        const std::string device = RealPath(v.Source);
        for (const auto& [label, target] : labels)
            if (!device.empty() && target == device)
                v.Label = label;
    }
}

std::string VolumeDisplayName(const Volume& v) {
    std::string label = v.Label;
    if (label.empty())
        label = v.Network && !v.Source.empty() ? v.Source
                : v.Removable                  ? "Removable Disk"
                                               : "Local Disk";
    return label + " (" + v.MountPoint + ")";
}

VolumeChanges DiffVolumes(const std::vector<Volume>& before, const std::vector<Volume>& after) {
    auto same = [](const Volume& a, const Volume& b) {
        return a.MountPoint == b.MountPoint && a.Source == b.Source;
    };
    VolumeChanges changes;
    for (const Volume& v : after)
        if (std::none_of(before.begin(), before.end(), [&](const Volume& b) { return same(v, b); }))
            changes.Arrived.push_back(v);
    for (const Volume& v : before)
        if (std::none_of(after.begin(), after.end(), [&](const Volume& a) { return same(v, a); }))
            changes.Removed.push_back(v);
    return changes;
}

const std::vector<Volume>& CurrentVolumes() {
    MountState& s = State();
    if (!s.loaded) {
        s.volumes = ReadVolumes();
        s.loaded = true;
    }
    return s.volumes;
}

VolumeChanges RefreshVolumes() {
    MountState& s = State();
    std::vector<Volume> before = CurrentVolumes();
    s.volumes = ReadVolumes();
    return DiffVolumes(before, s.volumes);
}

const std::string& MountInfoSource() {
    static const std::string kernel = "/proc/self/mountinfo";
    const MountState& s = State();
    return s.source.empty() ? kernel : s.source;
}

void SetMountInfoSource(std::string path) {
    MountState& s = State();
    s.source = std::move(path);
    s.loaded = false;
    s.volumes.clear();
}

const Volume* VolumeOfPath(const std::vector<Volume>& volumes, std::string_view path) {
    const Volume* best = nullptr;
    for (const Volume& v : volumes) {
        const bool inside =
            v.MountPoint == "/" ? path.starts_with("/") : AtOrBelow(path, v.MountPoint);
        if (inside && (!best || v.MountPoint.size() > best->MountPoint.size()))
            best = &v;
    }
    return best;
}

} // namespace vdx::shell

namespace vdx::shell {

bool VolumeSpace(const std::string& path, std::uint64_t& total, std::uint64_t& free) {
    struct statvfs st {};
    if (::statvfs(path.c_str(), &st) != 0)
        return false;
    total = std::uint64_t(st.f_blocks) * st.f_frsize;
    free = std::uint64_t(st.f_bavail) * st.f_frsize;
    return true;
}

} // namespace vdx::shell
