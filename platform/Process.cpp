#include "platform/Process.h"

#include <dirent.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <thread>

#include "platform/Clock.h"

extern char** environ;

namespace platform {

namespace {

std::string readLink(const std::string& path) {
    std::string buf(256, '\0');
    for (;;) {
        const ssize_t n = ::readlink(path.c_str(), buf.data(), buf.size());
        if (n < 0) {
            return {};
        }
        if (static_cast<size_t>(n) < buf.size()) {
            buf.resize(static_cast<size_t>(n));
            return buf;
        }
        buf.resize(buf.size() * 2);  // no fixed limit: long program folders work
    }
}

// State letter and short name from /proc/<pid>/stat: "pid (name) S ...".
bool readStat(pid_t pid, char& state, std::string& comm) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const size_t open = text.find('(');
    const size_t close = text.rfind(')');
    if (open == std::string::npos || close == std::string::npos || close < open ||
        close + 2 >= text.size()) {
        return false;
    }
    comm = text.substr(open + 1, close - open - 1);
    state = text[close + 2];
    return true;
}

std::string fileNameOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool hasEnded(pid_t pid) {
    char state = 0;
    std::string comm;
    if (!readStat(pid, state, comm)) {
        return true;
    }
    return state == 'Z' || state == 'X';
}

}  // namespace

bool snapshotProcesses(std::vector<ProcessEntry>& out) {
    out.clear();
    DIR* dir = ::opendir("/proc");
    if (dir == nullptr) {
        return false;
    }
    while (const dirent* ent = ::readdir(dir)) {
        char* end = nullptr;
        const long pid = std::strtol(ent->d_name, &end, 10);
        if (end == ent->d_name || *end != '\0' || pid <= 0) {
            continue;
        }
        const std::string base = "/proc/" + std::string(ent->d_name);
        char state = 0;
        std::string comm;
        struct stat st {};
        if (!readStat(static_cast<pid_t>(pid), state, comm) || state == 'Z' || state == 'X' ||
            ::stat(base.c_str(), &st) != 0) {
            continue;
        }
        ProcessEntry entry;
        entry.pid = static_cast<pid_t>(pid);
        entry.uid = st.st_uid;
        entry.exePath = readLink(base + "/exe");
        constexpr std::string_view kDeleted = " (deleted)";  // the file was replaced
        if (entry.exePath.size() > kDeleted.size() && entry.exePath.ends_with(kDeleted)) {
            entry.exePath.resize(entry.exePath.size() - kDeleted.size());
        }
        entry.exeName = entry.exePath.empty() ? comm : fileNameOf(entry.exePath);
        out.push_back(std::move(entry));
    }
    ::closedir(dir);
    std::sort(out.begin(), out.end(),
              [](const ProcessEntry& a, const ProcessEntry& b) { return a.pid < b.pid; });
    return true;
}

bool endProcess(pid_t pid) {
    return pid > 0 && ::kill(pid, SIGTERM) == 0;
}

bool waitForProcessEnd(pid_t pid, uint32_t timeoutMs) {
    const int64_t deadline = steadyMs() + timeoutMs;
#ifdef SYS_pidfd_open
    const int fd = static_cast<int>(::syscall(SYS_pidfd_open, pid, 0));
    if (fd >= 0) {
        // Readable once the process has ended; a zombie already counts.
        for (;;) {
            const int64_t left = deadline - steadyMs();
            pollfd p{fd, POLLIN, 0};
            const int r = ::poll(&p, 1, left > 0 ? static_cast<int>(left) : 0);
            if (r > 0 || hasEnded(pid)) {
                ::close(fd);
                return true;
            }
            if (r < 0 && errno == EINTR) {
                continue;
            }
            if (r < 0) {
                break;  // look by hand below
            }
            if (steadyMs() >= deadline) {
                ::close(fd);
                return false;
            }
        }
        ::close(fd);
    }
#endif
    // Without process handles: look again every few milliseconds until the deadline.
    while (!hasEnded(pid)) {
        if (steadyMs() >= deadline) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

bool startProcess(const std::string& path, const std::string& workingDir, pid_t* pidOut) {
    posix_spawn_file_actions_t actions;
    posix_spawnattr_t attr;
    if (posix_spawn_file_actions_init(&actions) != 0) {
        return false;
    }
    if (posix_spawnattr_init(&attr) != 0) {
        posix_spawn_file_actions_destroy(&actions);
        return false;
    }
    bool ok = workingDir.empty() ||
              posix_spawn_file_actions_addchdir_np(&actions, workingDir.c_str()) == 0;
    ok = ok && posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSID) == 0;
    pid_t pid = 0;
    if (ok) {
        std::string arg0 = path;
        char* argv[] = {arg0.data(), nullptr};
        ok = ::posix_spawn(&pid, path.c_str(), &actions, &attr, argv, environ) == 0;
    }
    posix_spawnattr_destroy(&attr);
    posix_spawn_file_actions_destroy(&actions);
    if (ok && pidOut != nullptr) {
        *pidOut = pid;
    }
    return ok;
}

std::string ownModulePath() {
    return readLink("/proc/self/exe");
}

std::string currentDirectory() {
    std::string buf(256, '\0');
    for (;;) {
        if (::getcwd(buf.data(), buf.size()) != nullptr) {
            buf.resize(std::char_traits<char>::length(buf.c_str()));
            return buf;
        }
        if (errno != ERANGE) {
            return {};
        }
        buf.resize(buf.size() * 2);
    }
}

mode_t currentUmask() {
    std::ifstream in("/proc/self/status");
    for (std::string line; std::getline(in, line);) {
        if (line.rfind("Umask:", 0) == 0) {
            return static_cast<mode_t>(std::strtoul(line.c_str() + 6, nullptr, 8));
        }
    }
    // Kernels before 4.7 do not show it: set and restore, the only other way.
    const mode_t old = ::umask(022);
    ::umask(old);
    return old;
}

bool sameNameIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (size_t i = 0; i < a.size(); ++i) {
        auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; };
        if (lower(a[i]) != lower(b[i])) {
            return false;
        }
    }
    return true;
}

}  // namespace platform
