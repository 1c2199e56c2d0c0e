// The updater's system as it really is: Qt message boxes, libcurl downloads, the
// connectivity test, /proc and posix_spawn. Tests derive from it and answer what a
// person or the network would.
#pragma once

#include <QWidget>
#include <string>

#include "updater/core/UpdaterSystem.h"

namespace updater {

class SystemServices : public UpdaterSystem {
public:
    // cacheDir: where manifests are fetched to (the user's cache folder when empty).
    explicit SystemServices(std::string cacheDir = {});

    int messageBox(const std::string& text, const std::string& caption, bool okCancel) override;
    bool isConnected() override;
    int fetchIntoCache(const std::string& url, std::string& cachedPath) override;
    void deleteCacheEntry(const std::string& url) override;
    int downloadToFile(const std::string& url, const std::string& dest, const ProgressFn& progress,
                       const std::function<bool()>& keepGoing) override;
    bool canWriteTo(const std::string& dir) override;
    bool snapshotProcesses(std::vector<platform::ProcessEntry>& out) override;
    bool endProcess(pid_t pid) override;
    bool waitForProcessEnd(pid_t pid, uint32_t timeoutMs) override;
    bool startProgram(const std::string& path, const std::string& workingDir) override;
    std::string ownModulePath() override;
    uid_t userId() override;
    void debugOutput(const std::string& text) override;
    bool startThread(std::function<void()> body, std::thread& out) override;

private:
    std::string m_cacheDir;
};

// The owner of a message box: the main window, unless a progress window has disabled
// it (a box owned by a disabled window could not be answered); then none.
QWidget* MessageBoxParent();

// A manifest longer than this is refused rather than read.
inline constexpr uint64_t kMaxManifestBytes = 4u << 20;

}  // namespace updater
