// The "logical drives": the roots of the mounted file systems a user keeps data on.
// Roots come from /proc/self/mountinfo: "/" always, plus every other mounted real file
// system; pseudo file systems are skipped, a file system mounted twice (a bind mount)
// counts once, file bind mounts are no roots, and roots come sorted by mount path.
// Every mount point, roots or not, is a fence a folder walk does not cross.
#pragma once

#include <functional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// One line of mountinfo.
struct MountEntry {
    std::string device;      // "major:minor"
    std::string root;        // the folder of the file system mounted here
    std::string mountPoint;  // unescaped
    std::string fsType;
};

struct DriveSet {
    std::vector<std::string> roots;  // sorted by path; exact bytes
    std::set<std::string> fences;    // every mount point, roots included
};

// Parses mountinfo text; malformed lines are skipped.
std::vector<MountEntry> parseMountInfo(std::string_view text);

// True for file systems no user keeps documents on (proc, sysfs, tmpfs, ...).
bool isPseudoFileSystem(std::string_view fsType);

// Picks the roots of `mounts`. isDirectory tells whether a mount point is a folder
// (a file bind mount is not).
DriveSet drivesFrom(const std::vector<MountEntry>& mounts,
                    const std::function<bool(const std::string&)>& isDirectory);

// The drives of this machine, read anew on each call, unless a test replaced the
// source with setDriveSource (an empty function restores the real one).
DriveSet logicalDrives();
void setDriveSource(std::function<DriveSet()> source);

}  // namespace platform
