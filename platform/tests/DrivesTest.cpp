#include "platform/Drives.h"

#include <gtest/gtest.h>

namespace {

using platform::drivesFrom;
using platform::parseMountInfo;

// A machine with the usual pseudo file systems, a data disk mounted twice (once bound
// over a sub-folder of itself), a file bind mount and a name with a blank.
const char* kMountInfo =
    "22 1 8:1 / / rw,relatime shared:1 - ext4 /dev/sda1 rw\n"
    "23 22 0:21 / /proc rw,nosuid - proc proc rw\n"
    "24 22 0:22 / /sys rw - sysfs sysfs rw\n"
    "25 22 0:5 / /dev rw - devtmpfs udev rw\n"
    "26 22 0:23 / /run rw - tmpfs tmpfs rw\n"
    "27 24 0:24 / /sys/fs/cgroup rw - cgroup2 cgroup2 rw\n"
    "30 22 8:17 / /home rw shared:5 - ext4 /dev/sdb1 rw\n"
    "31 22 8:17 /alice/docs /srv/docs rw - ext4 /dev/sdb1 rw\n"
    "32 22 8:33 / /media/usb\\040stick rw - vfat /dev/sdc1 rw\n"
    "33 22 8:1 /etc/hostname /etc/hostname rw - ext4 /dev/sda1 rw\n"
    "34 22 8:1 /var/lib /mnt/varlib rw - ext4 /dev/sda1 rw\n"
    "35 22 8:49 /sub /data rw - xfs /dev/sdd1 rw\n"
    "garbage line\n";

TEST(DrivesTest, ParsesFieldsAndUnescapesMountPoints) {
    const auto m = parseMountInfo(kMountInfo);
    ASSERT_EQ(m.size(), 12u);
    EXPECT_EQ(m[0].device, "8:1");
    EXPECT_EQ(m[0].fsType, "ext4");
    EXPECT_EQ(m[5].fsType, "cgroup2");
    EXPECT_EQ(m[7].root, "/alice/docs");
    EXPECT_EQ(m[8].mountPoint, "/media/usb stick");
}

TEST(DrivesTest, RootsSkipPseudoBindAndFileMountsInPathOrder) {
    const auto set = drivesFrom(parseMountInfo(kMountInfo),
                                [](const std::string& p) { return p != "/etc/hostname"; });
    // /srv/docs and /mnt/varlib show folders already walked from /home and /;
    // /data shows only a sub-folder of its file system, but nothing else shows it.
    EXPECT_EQ(set.roots, (std::vector<std::string>{"/", "/data", "/home", "/media/usb stick"}));
    // Every mount point is a fence, so the walk from "/" stops at /proc and /srv/docs.
    for (const char* fence : {"/proc", "/sys", "/home", "/srv/docs", "/mnt/varlib", "/run"}) {
        EXPECT_TRUE(set.fences.count(fence)) << fence;
    }
}

TEST(DrivesTest, SlashIsAlwaysARootEvenOnAnOverlay) {
    const auto set = drivesFrom(parseMountInfo("1 0 0:40 / / rw - overlay overlay rw\n"
                                               "2 1 0:41 / /proc rw - proc proc rw\n"),
                                [](const std::string&) { return true; });
    EXPECT_EQ(set.roots, std::vector<std::string>{"/"});
}

TEST(DrivesTest, TheSeamReplacesTheMachinesDrives) {
    platform::setDriveSource([] {
        platform::DriveSet s;
        s.roots = {"/fixture"};
        return s;
    });
    EXPECT_EQ(platform::logicalDrives().roots, std::vector<std::string>{"/fixture"});
    platform::setDriveSource(nullptr);
}

}  // namespace
