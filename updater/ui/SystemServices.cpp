#include "updater/ui/SystemServices.h"

#include <unistd.h>
#include <QMessageBox>
#include <QPushButton>
#include <cstdio>
#include <system_error>

#include "platform/download/Connectivity.h"
#include "platform/download/Download.h"
#include "updater/ui/ProgDownloadDlg.h"

namespace updater {

QWidget* MessageBoxParent() {
    QWidget* main = AppMainWindow();
    return main != nullptr && main->isEnabled() ? main : nullptr;
}

SystemServices::SystemServices(std::string cacheDir)
    : m_cacheDir(cacheDir.empty() ? platform::defaultCacheDir() : std::move(cacheDir)) {}

int SystemServices::messageBox(const std::string& text, const std::string& caption, bool okCancel) {
    QMessageBox box(MessageBoxParent());
    box.setWindowTitle(QString::fromStdString(caption));
    box.setText(QString::fromStdString(text));
    QPushButton* ok = box.addButton(QStringLiteral("확인"), QMessageBox::AcceptRole);
    if (okCancel) {
        box.setEscapeButton(box.addButton(QStringLiteral("취소"), QMessageBox::RejectRole));
    } else {
        box.setEscapeButton(ok);
    }
    box.setDefaultButton(ok);
    box.exec();
    return box.clickedButton() == ok ? kIdOk : kIdCancel;
}

bool SystemServices::isConnected() {
    return platform::isConnected();
}

int SystemServices::fetchIntoCache(const std::string& url, std::string& cachedPath) {
    platform::DownloadOptions options;
    options.maxBytes = kMaxManifestBytes;
    return platform::fetchIntoCache(url, m_cacheDir, cachedPath, options);
}

void SystemServices::deleteCacheEntry(const std::string& url) {
    platform::deleteCacheEntry(url, m_cacheDir);
}

int SystemServices::downloadToFile(const std::string& url, const std::string& dest,
                                   const ProgressFn& progress,
                                   const std::function<bool()>& keepGoing) {
    platform::DownloadOptions options;
    options.keepGoing = keepGoing;
    return platform::downloadToFile(url, dest, progress, options);
}

bool SystemServices::canWriteTo(const std::string& dir) {
    return ::access(dir.c_str(), W_OK) == 0;
}

bool SystemServices::snapshotProcesses(std::vector<platform::ProcessEntry>& out) {
    return platform::snapshotProcesses(out);
}

bool SystemServices::endProcess(pid_t pid) {
    return platform::endProcess(pid);
}

bool SystemServices::waitForProcessEnd(pid_t pid, uint32_t timeoutMs) {
    return platform::waitForProcessEnd(pid, timeoutMs);
}

bool SystemServices::startProgram(const std::string& path, const std::string& workingDir) {
    return platform::startProcess(path, workingDir);
}

std::string SystemServices::ownModulePath() {
    return platform::ownModulePath();
}

uid_t SystemServices::userId() {
    return ::getuid();
}

void SystemServices::debugOutput(const std::string& text) {
    std::fprintf(stderr, "%s\n", text.c_str());
}

bool SystemServices::startThread(std::function<void()> body, std::thread& out) {
    try {
        out = std::thread(std::move(body));
        return true;
    } catch (const std::system_error&) {
        return false;
    }
}

}  // namespace updater
