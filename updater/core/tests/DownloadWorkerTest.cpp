#include "updater/core/DownloadWorker.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>
#include <thread>

namespace {

// A system whose download replays a scripted list of progress reports.
class ScriptedSystem : public updater::UpdaterSystem {
public:
    struct Step {
        uint64_t progress;
        uint64_t max;
        int status;
    };
    std::vector<Step> steps;
    int result = 0;
    bool connected = true;
    bool aborted = false;
    std::vector<std::string> debug;
    std::vector<std::string> deletedCache;

    int messageBox(const std::string&, const std::string&, bool) override { return updater::kIdOk; }
    bool isConnected() override { return connected; }
    int fetchIntoCache(const std::string&, std::string&) override { return 1; }
    void deleteCacheEntry(const std::string& url) override { deletedCache.push_back(url); }
    int downloadToFile(const std::string&, const std::string&, const updater::ProgressFn& progress,
                       const std::function<bool()>& keepGoing) override {
        for (const Step& s : steps) {
            if (!keepGoing() || !progress(s.progress, s.max, s.status)) {
                aborted = true;
                return 2;
            }
        }
        return result;
    }
    bool canWriteTo(const std::string&) override { return true; }
    bool snapshotProcesses(std::vector<platform::ProcessEntry>&) override { return false; }
    bool endProcess(pid_t) override { return false; }
    bool waitForProcessEnd(pid_t, uint32_t) override { return true; }
    bool startProgram(const std::string&, const std::string&) override { return false; }
    std::string ownModulePath() override { return "/x/Updrift"; }
    uid_t userId() override { return 0; }
    void debugOutput(const std::string& text) override { debug.push_back(text); }
    bool startThread(std::function<void()> body, std::thread& out) override {
        out = std::thread(std::move(body));
        return true;
    }
};

// Records what the worker tells the dialog; every call comes from the worker thread.
class RecordingNotifier : public DownloadNotifier {
public:
    std::vector<int> statuses;  // -1 for the "stopping" notification
    std::vector<std::string> messages;
    bool done = false;
    platform::Event* stopOnFirst = nullptr;

    bool sendProgress(const DownloadProgressInfo* info) override {
        statuses.push_back(info != nullptr ? info->statusCode : -1);
        if (stopOnFirst != nullptr) {
            stopOnFirst->set();
            stopOnFirst = nullptr;
        }
        return true;
    }
    void showMessage(const std::string& text) override { messages.push_back(text); }
    void postDone() override { done = true; }
};

class DownloadWorkerTest : public testing::Test {
protected:
    void SetUp() override {
        g_bDownloadOk = 1;
        m_param.hNotifyWnd = &m_notifier;
        m_param.hStopEvent = &m_stop;
        m_param.system = &m_system;
        m_param.closing = &m_closing;
        m_param.strUrl = "http://h/u/f";
        m_param.strFile = "/tmp/updrift-worker-test-file";
    }
    // Runs the worker on a thread of its own, as the dialog does.
    void run() {
        std::thread worker([this] { EXPECT_EQ(DownloadThreadProc(&m_param), 0); });
        worker.join();
        EXPECT_TRUE(m_notifier.done);  // always the last word
    }

    ScriptedSystem m_system;
    RecordingNotifier m_notifier;
    platform::Event m_stop{false, false};
    std::atomic<bool> m_closing{false};
    DownloadParam m_param;
};

TEST_F(DownloadWorkerTest, SuccessPassesStatusesAndKeepsFlag) {
    m_system.steps = {{0, 10, 4}, {5, 10, 5}, {10, 10, 5}, {10, 10, 6}, {0, 0, 0}, {0, 0, 99}};
    run();
    EXPECT_EQ(m_notifier.statuses, (std::vector<int>{4, 5, 5, 6, 26, 26}));
    EXPECT_TRUE(m_notifier.messages.empty());
    EXPECT_EQ(g_bDownloadOk, 1);
    EXPECT_EQ(m_system.debug, std::vector<std::string>{"http://h/u/f"});
    EXPECT_EQ(m_system.deletedCache, std::vector<std::string>{"http://h/u/f"});
}

struct FailCase {
    const char* name;
    bool connected;
    int result;
    bool refused;
};

class DownloadWorkerFailTest : public DownloadWorkerTest,
                               public testing::WithParamInterface<FailCase> {};

TEST_P(DownloadWorkerFailTest, ShowsFailureAndClearsFlag) {
    m_system.connected = GetParam().connected;
    m_system.result = GetParam().result;
    if (GetParam().refused) {
        m_param.strFile.clear();
    }
    run();
    EXPECT_EQ(m_notifier.messages, std::vector<std::string>{updater::kUpdateFailedText});
    EXPECT_EQ(g_bDownloadOk, 0);
    // A later success of the same run never sets it back.
    m_system.result = 0;
    m_system.connected = true;
    m_param.strFile = "/tmp/updrift-worker-test-file";
    m_notifier.done = false;
    run();
    EXPECT_EQ(m_notifier.messages.size(), 1u);
    EXPECT_EQ(g_bDownloadOk, 0);
}

INSTANTIATE_TEST_SUITE_P(Cases, DownloadWorkerFailTest,
                         testing::Values(FailCase{"Offline", false, 0, false},
                                         FailCase{"DownloadError", true, 1, false},
                                         FailCase{"RefusedName", true, 0, true}),
                         [](const testing::TestParamInfo<FailCase>& info) {
                             return std::string(info.param.name);
                         });

TEST_F(DownloadWorkerTest, StopEventAbortsAtNextNotification) {
    m_system.steps = {{0, 10, 4}, {5, 10, 5}, {10, 10, 6}};
    m_notifier.stopOnFirst = &m_stop;
    run();
    EXPECT_TRUE(m_system.aborted);
    EXPECT_EQ(m_notifier.statuses, (std::vector<int>{4, -1}));
    EXPECT_EQ(g_bDownloadOk, 0);
}

TEST_F(DownloadWorkerTest, ClosingDialogAbortsWithoutAskingIt) {
    m_system.steps = {{0, 10, 4}, {5, 10, 5}};
    m_closing = true;
    run();
    EXPECT_TRUE(m_system.aborted);
    EXPECT_TRUE(m_notifier.statuses.empty());
    EXPECT_TRUE(m_notifier.messages.empty());
}

}  // namespace
