// A scripted system for the updater's window tests: answers message boxes, reports
// connectivity, serves a manifest file and fake downloads, and keeps a made-up process
// list, recording everything the dialog asks for.
#pragma once

#include <QApplication>
#include <QLabel>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "platform/Clock.h"
#include "updater/core/UpdaterSystem.h"
#include "updater/ui/ProgDownloadDlg.h"

namespace updatertest {

inline void ensureApp() {
    if (QApplication::instance() == nullptr) {
        static int argc = 1;
        static char name[] = "updater_tests";
        static char* argv[] = {name, nullptr};
        new QApplication(argc, argv);
    }
}

class FakeSystem : public updater::UpdaterSystem {
public:
    struct Box {
        std::string text;
        std::string caption;
        bool okCancel;
    };
    std::string modulePath;
    bool connected = true;
    std::string manifestPath;  // empty: the fetch fails
    std::vector<std::string> fetched;
    std::vector<Box> boxes;
    std::vector<int> answers;                  // consumed in order; kIdOk when none are left
    std::map<std::string, std::string> files;  // url -> body; missing: download fails
    std::vector<std::string> downloads;        // urls, in the order asked for
    std::vector<std::string> statusTexts;      // the progress window's status line per file
    std::vector<std::pair<std::string, std::string>> started;  // path, working dir
    std::vector<platform::ProcessEntry> processes;
    std::vector<pid_t> ended;
    bool writable = true;
    bool blockDownloads = false;  // a download waits until keepGoing says stop
    bool threadsWork = true;
    uid_t uid = 1000;

    int messageBox(const std::string& text, const std::string& caption, bool okCancel) override {
        boxes.push_back({text, caption, okCancel});
        if (answers.empty()) {
            return updater::kIdOk;
        }
        const int a = answers.front();
        answers.erase(answers.begin());
        return a;
    }
    bool isConnected() override { return connected; }
    int fetchIntoCache(const std::string& url, std::string& cachedPath) override {
        fetched.push_back(url);
        if (manifestPath.empty()) {
            return 1;
        }
        cachedPath = manifestPath;
        return 0;
    }
    void deleteCacheEntry(const std::string&) override {}
    int downloadToFile(const std::string& url, const std::string& dest,
                       const updater::ProgressFn& progress,
                       const std::function<bool()>& keepGoing) override {
        if (blockDownloads) {
            const int64_t deadline = platform::steadyMs() + 10000;
            while (keepGoing() && platform::steadyMs() < deadline) {
                platform::sleepMs(1);
            }
            return 2;
        }
        downloads.push_back(url);
        const auto it = files.find(url);
        if (it == files.end()) {
            return 1;
        }
        const uint64_t size = it->second.size();
        if (!progress(0, size, 4)) {
            return 2;
        }
        // Read the status line on the window thread, where it was set.
        QMetaObject::invokeMethod(
            qApp,
            [this] {
                for (QWidget* w : QApplication::topLevelWidgets()) {
                    auto* dlg = qobject_cast<CProgDownloadDlg*>(w);
                    if (dlg != nullptr && dlg->IsOpen()) {
                        statusTexts.push_back(
                            dlg->findChild<QLabel*>("1001")->text().toStdString());
                    }
                }
            },
            Qt::BlockingQueuedConnection);
        if (!progress(size / 2, size, 5) || !progress(size, size, 5) || !progress(size, size, 6)) {
            return 2;
        }
        std::ofstream(dest, std::ios::binary) << it->second;
        return 0;
    }
    bool canWriteTo(const std::string&) override { return writable; }
    bool snapshotProcesses(std::vector<platform::ProcessEntry>& out) override {
        out = processes;
        return true;
    }
    bool endProcess(pid_t pid) override {
        ended.push_back(pid);
        std::erase_if(processes, [&](const platform::ProcessEntry& p) { return p.pid == pid; });
        return true;
    }
    bool waitForProcessEnd(pid_t, uint32_t) override { return true; }
    bool startProgram(const std::string& path, const std::string& dir) override {
        started.emplace_back(path, dir);
        return true;
    }
    std::string ownModulePath() override { return modulePath; }
    uid_t userId() override { return uid; }
    void debugOutput(const std::string&) override {}
    bool startThread(std::function<void()> body, std::thread& out) override {
        if (!threadsWork) {
            return false;
        }
        out = std::thread(std::move(body));
        return true;
    }
};

}  // namespace updatertest
