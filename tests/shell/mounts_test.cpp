#include "platform/shell/mounts.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vdx::shell {
namespace {

std::vector<std::string> MountPoints(const std::vector<Volume>& volumes) {
    std::vector<std::string> points;
    for (const Volume& v : volumes)
        points.push_back(v.MountPoint);
    return points;
}

std::vector<std::string> Selected(const char* table) {
    return MountPoints(SelectVolumes(ParseMountInfo(table)));
}

// A desktop: root and home on disks, a stick below /run/media, the EFI and
// boot partitions, snaps, kernel and runtime file systems.
constexpr const char* kDesktop =
    "22 1 259:2 / / rw,relatime shared:1 - ext4 /dev/nvme0n1p2 rw\n"
    "23 22 0:21 / /proc rw,nosuid shared:12 - proc proc rw\n"
    "24 22 0:22 / /sys rw shared:2 - sysfs sysfs rw\n"
    "25 22 0:5 / /dev rw shared:8 - devtmpfs udev rw\n"
    "26 22 0:24 / /run rw shared:5 - tmpfs tmpfs rw\n"
    "27 22 259:1 / /boot/efi rw shared:30 - vfat /dev/nvme0n1p1 rw\n"
    "28 22 259:3 / /home rw shared:31 - ext4 /dev/nvme0n1p3 rw\n"
    "29 22 7:0 / /snap/core/1 ro shared:32 - squashfs /dev/loop0 ro\n"
    "30 26 8:17 / /run/media/anna/STICK rw shared:40 - vfat /dev/sdb1 rw\n"
    "31 26 0:50 / /run/user/1000 rw shared:41 - tmpfs tmpfs rw\n"
    "32 22 8:33 / /media/anna/Back\\040Up rw shared:42 - exfat /dev/sdc1 rw\n";

TEST(MountsTest, DesktopShowsRootHomeAndSticks) {
    EXPECT_EQ(Selected(kDesktop), (std::vector<std::string>{"/", "/home", "/run/media/anna/STICK",
                                                            "/media/anna/Back Up"}));
    const std::vector<Volume> v = SelectVolumes(ParseMountInfo(kDesktop));
    EXPECT_EQ(v[0].Source, "/dev/nvme0n1p2");
    EXPECT_EQ(v[0].FsType, "ext4");
    EXPECT_EQ(v[2].Major, 8u);
    EXPECT_EQ(v[2].Minor, 17u);
}

TEST(MountsTest, ContainerShowsRootAlone) {
    // An overlay root and bind mounts of files and folders of the host.
    constexpr const char* kContainer =
        "600 500 0:60 / / rw,relatime master:300 - overlay overlay rw,lowerdir=/x\n"
        "601 600 0:61 / /proc rw - proc proc rw\n"
        "602 600 254:0 /var/lib/docker/containers/abc/hosts /etc/hosts rw - ext4 /dev/vda rw\n"
        "603 600 254:0 /srv/data /data rw - ext4 /dev/vda rw\n"
        "604 600 0:62 / /dev/shm rw - tmpfs shm rw\n";
    EXPECT_EQ(Selected(kContainer), std::vector<std::string>{"/"});
    EXPECT_EQ(SelectVolumes(ParseMountInfo(kContainer))[0].FsType, "overlay");
}

TEST(MountsTest, NetworkVolumesLaterMountsAndEscapes) {
    constexpr const char* kTable =
        "1 0 8:1 / / rw - ext4 /dev/sda1 rw\n"
        "2 1 0:40 / /mnt/nfs rw - nfs4 server:/export rw\n"
        "3 1 0:41 / /mnt/share\\040one rw - cifs //host/share\\040one rw\n"
        "4 1 0:42 / /mnt/ssh rw - fuse.sshfs anna@host: rw\n"
        "5 1 0:43 / /mnt/fuse rw - fuse.other thing rw\n"
        "6 1 8:2 / /mnt/disk rw - ext4 /dev/sda2 rw\n"
        "7 1 8:3 / /mnt/disk rw - ext4 /dev/sda3 rw\n"
        "8 1 8:4 /sub /mnt/bind rw - ext4 /dev/sda4 rw\n"
        "9 1 8:5 / /mnt/tab\\011new\\012line\\134 rw - ext4 /dev/sda5 rw\n"
        "garbage line\n"
        "10 1 8:6 / relative rw - ext4 /dev/sda6 rw\n";
    const std::vector<Volume> v = SelectVolumes(ParseMountInfo(kTable));
    EXPECT_EQ(MountPoints(v),
              (std::vector<std::string>{"/", "/mnt/nfs", "/mnt/share one", "/mnt/ssh", "/mnt/disk",
                                        "/mnt/tab\tnew\nline\\"}));
    EXPECT_TRUE(v[1].Network);
    EXPECT_EQ(v[2].Source, "//host/share one");
    EXPECT_EQ(v[4].Source, "/dev/sda3"); // the later mount hides the earlier
    EXPECT_FALSE(v[4].Network);
}

TEST(MountsTest, WatchedVolumes) {
    const struct {
        const char* FsType;
        bool Network;
        bool Removable;
        bool Watched;
    } kCases[] = {
        {"ext4", false, false, true},      {"nfs4", true, false, true},
        {"fuse.sshfs", true, false, true}, {"vfat", false, true, false},
        {"iso9660", false, false, false},  {"udf", false, false, false},
    };
    for (const auto& c : kCases) {
        Volume v;
        v.MountPoint = "/mnt/v";
        v.FsType = c.FsType;
        v.Network = c.Network;
        v.Removable = c.Removable;
        EXPECT_EQ(IsWatchedVolume(v), c.Watched) << c.FsType;
    }
}

TEST(MountsTest, DisplayNamesAndChanges) {
    Volume stick;
    stick.MountPoint = "/media/s";
    stick.Label = "STICK";
    EXPECT_EQ(VolumeDisplayName(stick), "STICK (/media/s)");
    stick.Label.clear();
    stick.Removable = true;
    EXPECT_EQ(VolumeDisplayName(stick), "Removable Disk (/media/s)");
    Volume nfs;
    nfs.MountPoint = "/mnt/nfs";
    nfs.Network = true;
    nfs.Source = "server:/export";
    EXPECT_EQ(VolumeDisplayName(nfs), "server:/export (/mnt/nfs)");
    Volume root;
    root.MountPoint = "/";
    EXPECT_EQ(VolumeDisplayName(root), "Local Disk (/)");

    const VolumeChanges changes = DiffVolumes({root, nfs}, {root, stick});
    EXPECT_EQ(MountPoints(changes.Arrived), std::vector<std::string>{"/media/s"});
    EXPECT_EQ(MountPoints(changes.Removed), std::vector<std::string>{"/mnt/nfs"});

    const std::vector<Volume> volumes = {root, stick};
    EXPECT_EQ(VolumeOfPath(volumes, "/media/s/x")->MountPoint, "/media/s");
    EXPECT_EQ(VolumeOfPath(volumes, "/media/sx")->MountPoint, "/");
    EXPECT_EQ(VolumeOfPath(volumes, "/media/s")->MountPoint, "/media/s");
}

} // namespace
} // namespace vdx::shell
