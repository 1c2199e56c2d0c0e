// Everything the updater asks of the system, behind one interface, so that tests
// answer message boxes and the connectivity test, and see only processes they started.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "platform/Process.h"

namespace updater {

inline constexpr int kIdOk = 1;
inline constexpr int kIdCancel = 2;

// Progress of one download: bytes so far, total (0 when unknown), status code 4/5/6.
// Returning false aborts the download.
using ProgressFn = std::function<bool(uint64_t progress, uint64_t progressMax, int statusCode)>;

class UpdaterSystem {
public:
    virtual ~UpdaterSystem() = default;

    // A message box on the window thread; kIdOk or kIdCancel (a closed box is Cancel).
    virtual int messageBox(const std::string& text, const std::string& caption, bool okCancel) = 0;
    virtual bool isConnected() = 0;
    // 0 on success.
    virtual int fetchIntoCache(const std::string& url, std::string& cachedPath) = 0;
    virtual void deleteCacheEntry(const std::string& url) = 0;
    // 0 on success; keepGoing is polled while the transfer waits.
    virtual int downloadToFile(const std::string& url, const std::string& dest,
                               const ProgressFn& progress,
                               const std::function<bool()>& keepGoing) = 0;
    virtual bool canWriteTo(const std::string& dir) = 0;
    virtual bool snapshotProcesses(std::vector<platform::ProcessEntry>& out) = 0;
    virtual bool endProcess(pid_t pid) = 0;
    virtual bool waitForProcessEnd(pid_t pid, uint32_t timeoutMs) = 0;
    virtual bool startProgram(const std::string& path, const std::string& workingDir) = 0;
    virtual std::string ownModulePath() = 0;
    virtual uid_t userId() = 0;
    virtual void debugOutput(const std::string& text) = 0;
    // Starts a thread running body; false when no thread could be made.
    virtual bool startThread(std::function<void()> body, std::thread& out) = 0;
};

}  // namespace updater
