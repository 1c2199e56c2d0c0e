#include "platform/Drives.h"

#include <sys/stat.h>

#include <algorithm>
#include <array>
#include <fstream>
#include <mutex>
#include <sstream>

namespace platform {

namespace {

// mountinfo writes space, tab, newline and backslash as \ooo.
std::string unescape(std::string_view s) {
    std::string out;
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '\\' && i + 3 < s.size()) {
            const char a = s[i + 1], b = s[i + 2], c = s[i + 3];
            if (a >= '0' && a <= '3' && b >= '0' && b <= '7' && c >= '0' && c <= '7') {
                out.push_back(static_cast<char>((a - '0') * 64 + (b - '0') * 8 + (c - '0')));
                i += 3;
                continue;
            }
        }
        out.push_back(s[i]);
    }
    return out;
}

std::vector<std::string_view> fields(std::string_view line) {
    std::vector<std::string_view> out;
    size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && line[i] == ' ') {
            ++i;
        }
        size_t j = i;
        while (j < line.size() && line[j] != ' ') {
            ++j;
        }
        if (j > i) {
            out.push_back(line.substr(i, j - i));
        }
        i = j;
    }
    return out;
}

// True when `inner` is `outer` or lies below it, as folder paths.
bool within(const std::string& inner, const std::string& outer) {
    if (outer == "/") {
        return true;
    }
    return inner == outer ||
           (inner.size() > outer.size() && inner.compare(0, outer.size(), outer) == 0 &&
            inner[outer.size()] == '/');
}

std::mutex g_sourceMutex;
std::function<DriveSet()> g_source;  // guarded by g_sourceMutex

DriveSet realDrives() {
    std::ifstream in("/proc/self/mountinfo");
    std::stringstream ss;
    ss << in.rdbuf();
    return drivesFrom(parseMountInfo(ss.str()), [](const std::string& path) {
        struct stat st {};
        return lstat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
    });
}

}  // namespace

std::vector<MountEntry> parseMountInfo(std::string_view text) {
    std::vector<MountEntry> out;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find('\n', pos);
        if (end == std::string_view::npos) {
            end = text.size();
        }
        const auto f = fields(text.substr(pos, end - pos));
        pos = end + 1;
        // id parent major:minor root mount-point options [optional...] - type source ...
        const auto dash = std::find(f.begin(), f.end(), std::string_view("-"));
        if (f.size() < 6 || dash == f.end() || dash - f.begin() < 6 || f.end() - dash < 2) {
            continue;
        }
        MountEntry e;
        e.device = std::string(f[2]);
        e.root = unescape(f[3]);
        e.mountPoint = unescape(f[4]);
        e.fsType = std::string(*(dash + 1));
        if (e.mountPoint.empty() || e.mountPoint[0] != '/') {
            continue;
        }
        out.push_back(std::move(e));
    }
    return out;
}

bool isPseudoFileSystem(std::string_view fsType) {
    static constexpr std::array<std::string_view, 28> kPseudo = {
        "proc",        "sysfs",     "devtmpfs",   "devpts",   "tmpfs",
        "ramfs",       "cgroup",    "cgroup2",    "overlay",  "securityfs",
        "debugfs",     "tracefs",   "pstore",     "bpf",      "mqueue",
        "hugetlbfs",   "configfs",  "fusectl",    "autofs",   "binfmt_misc",
        "efivarfs",    "nsfs",      "rpc_pipefs", "squashfs", "fuse.gvfsd-fuse",
        "fuse.portal", "selinuxfs", "shm"};
    if (std::find(kPseudo.begin(), kPseudo.end(), fsType) != kPseudo.end()) {
        return true;
    }
    return false;
}

DriveSet drivesFrom(const std::vector<MountEntry>& mounts,
                    const std::function<bool(const std::string&)>& isDirectory) {
    DriveSet set;
    std::vector<const MountEntry*> candidates;
    for (const MountEntry& m : mounts) {
        set.fences.insert(m.mountPoint);
        if (m.mountPoint == "/") {
            continue;  // "/" is always a root, whatever is mounted there
        }
        if (isPseudoFileSystem(m.fsType) || !isDirectory(m.mountPoint)) {
            continue;
        }
        candidates.push_back(&m);
    }
    set.fences.insert("/");
    // A file system seen from its top first, then from shallower mount paths: a later
    // view of the same folder (or of one below it) is a bind mount and is skipped.
    std::stable_sort(candidates.begin(), candidates.end(),
                     [](const MountEntry* a, const MountEntry* b) {
                         if (a->root.size() != b->root.size()) {
                             return a->root.size() < b->root.size();
                         }
                         return a->mountPoint < b->mountPoint;
                     });
    std::vector<const MountEntry*> kept;
    const MountEntry* slash = nullptr;
    for (const MountEntry& m : mounts) {
        if (m.mountPoint == "/") {
            slash = &m;  // the last mount on "/" is the one seen
        }
    }
    for (const MountEntry* c : candidates) {
        bool seen = slash && slash->device == c->device && within(c->root, slash->root);
        for (const MountEntry* k : kept) {
            seen = seen || (k->device == c->device && within(c->root, k->root));
        }
        // A mount point hidden below another one's path is still reachable only
        // through the roots; keep it as its own root.
        if (!seen) {
            kept.push_back(c);
        }
    }
    set.roots.push_back("/");
    for (const MountEntry* k : kept) {
        set.roots.push_back(k->mountPoint);
    }
    std::sort(set.roots.begin(), set.roots.end());
    set.roots.erase(std::unique(set.roots.begin(), set.roots.end()), set.roots.end());
    return set;
}

DriveSet logicalDrives() {
    std::function<DriveSet()> source;
    {
        std::lock_guard<std::mutex> lock(g_sourceMutex);
        source = g_source;
    }
    return source ? source() : realDrives();
}

void setDriveSource(std::function<DriveSet()> source) {
    std::lock_guard<std::mutex> lock(g_sourceMutex);
    g_source = std::move(source);
}

}  // namespace platform
