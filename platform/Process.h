// Processes as the updater sees them: its own executable's path, a snapshot of the
// running processes with their executable names, ending one and starting a program
// in a given working directory. Linux underneath: /proc, kill and posix_spawn.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

struct ProcessEntry {
    pid_t pid = 0;
    uid_t uid = 0;
    std::string exePath;  // full path of the executable; empty when not readable
    std::string exeName;  // its file name (the short process name when the path is hidden)
};

// The running processes in ascending id order; processes that have already ended
// (zombies) are left out. False when the process list cannot be read.
bool snapshotProcesses(std::vector<ProcessEntry>& out);

// Asks the process to end (SIGTERM). False when it does not exist or may not be ended.
bool endProcess(pid_t pid);

// Waits until the process has ended (a zombie counts as ended), at most timeoutMs.
// True when it has ended.
bool waitForProcessEnd(pid_t pid, uint32_t timeoutMs);

// Starts the program with no arguments beyond its own path, in workingDir, in a session
// of its own so it outlives its starter. pidOut (optional) receives its id.
bool startProcess(const std::string& path, const std::string& workingDir, pid_t* pidOut = nullptr);

// Full path of the running executable; empty when it cannot be read.
std::string ownModulePath();

// The current working directory; empty when it cannot be read.
std::string currentDirectory();

// The process's file-creation mask, read without changing it (other threads may be
// creating files meanwhile).
mode_t currentUmask();

// Whole-name comparison without regard to ASCII letter case.
bool sameNameIgnoringCase(std::string_view a, std::string_view b);

}  // namespace platform
