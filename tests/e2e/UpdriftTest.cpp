// The updater from end to end, offscreen and on loopback only: a temporary program
// directory with a stand-in search program named "Trawlix" that logs each start, a
// version.ini pointing at an update server this test runs, and the whole run of the
// updater in this process with message boxes and the connectivity test answered here.
// One more test runs the built Updrift program itself, in cases that need no answer.

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/Clock.h"
#include "platform/IniProfile.h"
#include "tests/support/TestPaths.h"

namespace updrifte2e {

namespace fs = std::filesystem;

inline std::string standinPath() {
    return testsupport::binaryDir() + "/test-programs/updrift_standin";
}

// A fresh program directory holding the stand-in as "Trawlix" and a version.ini.
inline std::string makeProgramDir(const std::string& name, const std::string& versionIni) {
    const std::string dir = testsupport::scratchDir(name) + "/";
    fs::copy_file(standinPath(), dir + "Trawlix");
    fs::permissions(dir + "Trawlix", fs::perms(0755));
    std::ofstream(dir + "version.ini", std::ios::binary) << versionIni;
    return dir;
}

inline std::string localIni(const std::string& url, const std::vector<std::string>& versions) {
    std::string text = "[Config]\r\nVersion=1\r\nUrl=" + url +
                       "\r\nName=manifest\r\nType=ini\r\n\r\n[updatefiles]\r\n";
    for (size_t n = 0; n < versions.size(); ++n) {
        text += "updatefile" + std::to_string(n) + ":Ver=" + versions[n] + "\r\n";
    }
    return text;
}

struct ManifestFile {
    std::string name;
    std::string version;
};

inline std::string manifestIni(const std::vector<ManifestFile>& files) {
    std::string text =
        "[Config]\nVersion=2\n\n[updatefiles]\nNumber=" + std::to_string(files.size()) + "\n";
    for (size_t n = 0; n < files.size(); ++n) {
        text += "updatefile" + std::to_string(n) + ":Ver=" + files[n].version + "\n";
        text += "updatefile" + std::to_string(n) + ":Name=" + files[n].name + "\n";
    }
    return text;
}

// Lines of the stand-in's start log: "cwd=<dir> argc=<n> pid=<pid>".
inline std::vector<std::string> starts(const std::string& dir) {
    std::vector<std::string> lines;
    std::ifstream in(dir + "starts.log");
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line.substr(0, line.find(" pid=")));
    }
    return lines;
}

inline std::string versionOf(const std::string& dir, int n) {
    std::string v;
    platform::readProfileString(dir + "version.ini", "updatefiles",
                                "updatefile" + std::to_string(n) + ":Ver", "", v);
    return v;
}

// Starts a program with arguments and environment of the test's choosing.
inline pid_t spawn(const std::vector<std::string>& args, const std::vector<std::string>& env = {}) {
    std::vector<char*> argv;
    for (const auto& a : args) {
        argv.push_back(const_cast<char*>(a.c_str()));
    }
    argv.push_back(nullptr);
    std::vector<std::string> envStore;
    for (char** e = environ; *e != nullptr; ++e) {
        envStore.emplace_back(*e);
    }
    envStore.insert(envStore.end(), env.begin(), env.end());
    std::vector<char*> envp;
    for (auto& e : envStore) {
        envp.push_back(e.data());
    }
    envp.push_back(nullptr);
    pid_t pid = 0;
    if (posix_spawn(&pid, args[0].c_str(), nullptr, nullptr, argv.data(), envp.data()) != 0) {
        return 0;
    }
    return pid;
}

// Waits for a child of the test with a deadline; -1 when it did not end in time.
inline int waitExit(pid_t pid, int64_t ms) {
    const int64_t deadline = platform::steadyMs() + ms;
    for (;;) {
        int status = 0;
        const pid_t r = ::waitpid(pid, &status, WNOHANG);
        if (r == pid) {
            return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        }
        if (r < 0 || platform::steadyMs() > deadline) {
            return -1;
        }
        platform::sleepMs(5);
    }
}

}  // namespace updrifte2e

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QApplication>
#include <QLabel>
#include <set>

#include "platform/Process.h"
#include "platform/download/Connectivity.h"
#include "platform/download/tests/TinyHttpServer.h"
#include "updater/core/DownloadWorker.h"
#include "updater/ui/AutoUpdateMgrApp.h"
#include "updater/ui/AutoUpdateMgrDlg.h"
#include "updater/ui/ProgDownloadDlg.h"
#include "updater/ui/SystemServices.h"

namespace {

using namespace updrifte2e;
using testsupport::TinyHttpServer;

void ensureApp() {
    if (QApplication::instance() == nullptr) {
        static int argc = 1;
        static char name[] = "e2e_tests";
        static char* argv[] = {name, nullptr};
        new QApplication(argc, argv);
    }
}

// The real system, except that boxes and connectivity are answered by the test and
// only processes this test started are visible (and so can be ended).
class TestSystem : public updater::SystemServices {
public:
    TestSystem(std::string programDir, std::string cacheDir)
        : SystemServices(std::move(cacheDir)), m_programDir(std::move(programDir)) {}
    ~TestSystem() override {
        for (const pid_t pid : m_own) {
            ::kill(pid, SIGKILL);
            ::waitpid(pid, nullptr, 0);
        }
    }

    int messageBox(const std::string& text, const std::string& caption, bool okCancel) override {
        boxes.push_back(text);
        captions.push_back(caption);
        // What the progress window shows when a failure is reported.
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (auto* progress = qobject_cast<CProgDownloadDlg*>(w);
                progress && progress->IsOpen()) {
                progressBytes = progress->findChild<QLabel*>("1005")->text().toStdString();
                progressPercent = progress->findChild<QLabel*>("1004")->text().toStdString();
            }
        }
        return okCancel ? answer : updater::kIdOk;
    }
    bool isConnected() override { return connected; }
    bool snapshotProcesses(std::vector<platform::ProcessEntry>& out) override {
        std::vector<platform::ProcessEntry> all;
        if (!platform::snapshotProcesses(all)) {
            return false;
        }
        out.clear();
        for (const auto& p : all) {
            if (m_own.count(p.pid) != 0) {
                out.push_back(p);
            }
        }
        return true;
    }
    bool startProgram(const std::string& path, const std::string& dir) override {
        pid_t pid = 0;
        const bool ok = platform::startProcess(path, dir, &pid);
        if (ok) {
            m_own.insert(pid);
        }
        return ok;
    }
    std::string ownModulePath() override { return m_programDir + "Updrift"; }

    // A stand-in that keeps running, as a search program the user has open.
    pid_t startRunning() {
        const pid_t pid = spawn({m_programDir + "Trawlix", "--stay"});
        m_own.insert(pid);
        return pid;
    }
    bool alive(pid_t pid) {
        std::vector<platform::ProcessEntry> list;
        snapshotProcesses(list);
        return std::any_of(list.begin(), list.end(), [&](auto& p) { return p.pid == pid; });
    }

    std::vector<std::string> boxes;
    std::vector<std::string> captions;
    std::string progressBytes;
    std::string progressPercent;
    int answer = updater::kIdOk;
    bool connected = true;

private:
    std::string m_programDir;
    std::set<pid_t> m_own;
};

std::string standinBytes() {
    return platform::readWholeFile(standinPath()).value_or("");
}

struct FlowCase {
    const char* name;
    std::vector<std::string> local;      // installed versions by index
    std::vector<ManifestFile> manifest;  // empty: no manifest on the server
    std::vector<int> failing;            // 0: served; 1: 404; 2: cut mid-body
    bool connected;
    int answer;
    bool running;                       // a stand-in runs before the update
    std::vector<std::string> boxes;     // expected message texts
    std::vector<std::string> recorded;  // versions in version.ini afterwards
    bool endedAndRestarted;
};

const std::string kFail = updater::kUpdateFailedText;
const std::string kPrompt = CAutoUpdateMgrDlg::kPromptText;
const std::string kOffline = CAutoUpdateMgrDlg::kOfflineText;

class UpdriftFlowTest : public testing::TestWithParam<FlowCase> {
protected:
    void SetUp() override {
        ensureApp();
        ASSERT_TRUE(m_server.ok());
        ASSERT_TRUE(fs::exists(standinPath()));
    }
    TinyHttpServer m_server;
};

// Each file's body is its name (the program file itself gets the stand-in's bytes),
// so the contents show which download landed where.
std::string bodyFor(const std::string& name) {
    return name == "Trawlix" ? standinBytes() : "new " + name;
}

TEST_P(UpdriftFlowTest, RunsFromCheckToStartingTheSearchProgram) {
    const FlowCase& c = GetParam();
    const std::string dir = makeProgramDir(std::string("updrift-flow-") + c.name,
                                           localIni(m_server.base() + "/up", c.local));
    std::ofstream(dir + "b.txt") << "old b";
    if (!c.manifest.empty()) {
        m_server.setFile("/up/manifest.ini", manifestIni(c.manifest));
    }
    for (size_t n = 0; n < c.manifest.size(); ++n) {
        TinyHttpServer::Reply r;
        r.body = bodyFor(c.manifest[n].name);
        const int fail = n < c.failing.size() ? c.failing[n] : 0;
        if (fail == 1) {
            continue;  // not on the server: 404
        }
        if (fail == 2) {
            r.body = std::string(100000, 'x');
            r.cutAfter = 30000;
        }
        m_server.set("/up/" + c.manifest[n].name, r);
    }

    TestSystem system(dir, dir + "../updrift-flow-cache-" + c.name);
    system.connected = c.connected;
    system.answer = c.answer;
    const pid_t running = c.running ? system.startRunning() : 0;
    if (c.running) {
        // Wait (with a deadline) until it has logged its start.
        const int64_t deadline = platform::steadyMs() + 10000;
        while (starts(dir).empty() && platform::steadyMs() < deadline) {
            platform::sleepMs(5);
        }
        ASSERT_EQ(starts(dir).size(), 1u);
    }

    CAutoUpdateMgrApp app;
    EXPECT_EQ(app.InitInstance("ignored --options", system), 18);

    EXPECT_EQ(system.boxes, c.boxes);
    for (const auto& caption : system.captions) {
        EXPECT_TRUE(caption == "Updrift" || caption == CAutoUpdateMgrDlg::kPromptCaption);
    }
    for (size_t n = 0; n < c.recorded.size(); ++n) {
        EXPECT_EQ(versionOf(dir, static_cast<int>(n)), c.recorded[n]) << "index " << n;
    }
    // The stand-in is started once at the end, from the program directory, with an
    // empty command line, unless this folder's one is still running.
    const int64_t deadline = platform::steadyMs() + 10000;
    const size_t wantStarts =
        (c.running ? 1u : 0u) + ((!c.running || c.endedAndRestarted) ? 1u : 0u);
    while (starts(dir).size() < wantStarts && platform::steadyMs() < deadline) {
        platform::sleepMs(5);
    }
    const auto log = starts(dir);
    ASSERT_EQ(log.size(), wantStarts);
    std::string cwd = dir;
    cwd.pop_back();
    if (!c.running || c.endedAndRestarted) {
        EXPECT_EQ(log.back(), "cwd=" + cwd + " argc=1");
    }
    if (c.running) {
        EXPECT_EQ(system.alive(running), !c.endedAndRestarted);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, UpdriftFlowTest,
    testing::Values(
        FlowCase{"NothingToUpdate",
                 {"1", "1"},
                 {{"a.txt", "1"}, {"b.txt", "1"}},
                 {},
                 true,
                 updater::kIdOk,
                 false,
                 {},
                 {"1", "1"},
                 false},
        FlowCase{"NothingToUpdateWhileRunning",
                 {"1"},
                 {{"a.txt", "1"}},
                 {},
                 true,
                 updater::kIdOk,
                 true,
                 {},
                 {"1"},
                 false},
        FlowCase{"ManifestMissing", {"1"}, {}, {}, true, updater::kIdOk, false, {}, {"1"}, false},
        FlowCase{"Offline",
                 {"1"},
                 {{"a.txt", "2"}},
                 {},
                 false,
                 updater::kIdOk,
                 false,
                 {kOffline},
                 {"1"},
                 false},
        FlowCase{"Declined",
                 {"1"},
                 {{"a.txt", "2"}},
                 {},
                 true,
                 updater::kIdCancel,
                 true,
                 {kPrompt},
                 {"1"},
                 false},
        FlowCase{"ThreeFilesSecondNotFound",
                 {"1", "1", "1"},
                 {{"a.txt", "2"}, {"b.txt", "2"}, {"Trawlix", "2"}},
                 {0, 1, 0},
                 true,
                 updater::kIdOk,
                 true,
                 {kPrompt, kFail},
                 {"1", "1", "2"},
                 true},
        FlowCase{"ThreeFilesSecondCutMidBody",
                 {"1", "1", "1"},
                 {{"a.txt", "2"}, {"b.txt", "2"}, {"Trawlix", "2"}},
                 {0, 2, 0},
                 true,
                 updater::kIdOk,
                 true,
                 {kPrompt, kFail},
                 {"1", "1", "2"},
                 true},
        FlowCase{"OneByteFile",
                 {"1"},
                 {{"c", "2"}},
                 {},
                 true,
                 updater::kIdOk,
                 false,
                 {kPrompt},
                 {"2"},
                 false},
        FlowCase{"NameWithDotDot",
                 {"1"},
                 {{"../escape.txt", "2"}},
                 {},
                 true,
                 updater::kIdOk,
                 false,
                 {kPrompt, kFail},
                 {"1"},
                 false},
        FlowCase{"AbsoluteName",
                 {"1"},
                 {{"/tmp/updrift-absolute.txt", "2"}},
                 {},
                 true,
                 updater::kIdOk,
                 false,
                 {kPrompt, kFail},
                 {"1"},
                 false},
        FlowCase{"NameInSubFolder",
                 {"1"},
                 {{"data/sub/file.dat", "2"}},
                 {},
                 true,
                 updater::kIdOk,
                 false,
                 {kPrompt},
                 {"2"},
                 false}),
    [](const testing::TestParamInfo<FlowCase>& info) { return std::string(info.param.name); });

TEST_F(UpdriftFlowTest, FilesModesAndRefusedNamesOnDisk) {
    // One run with every kind of name, checked on disk afterwards.
    const std::string dir =
        makeProgramDir("updrift-flow-disk", localIni(m_server.base() + "/up", {}));
    std::ofstream(dir + "b.txt") << "old b";
    fs::permissions(dir + "b.txt", fs::perms(0600));
    m_server.setFile("/up/manifest.ini", manifestIni({{"Trawlix", "2"},
                                                      {"b.txt", "2"},
                                                      {"c", "2"},
                                                      {"data\\sub\\file.dat", "2"},
                                                      {"../escape.txt", "2"},
                                                      {"/tmp/updrift-absolute.txt", "2"}}));
    m_server.setFile("/up/Trawlix", standinBytes());
    TinyHttpServer::Reply cut;
    cut.body = std::string(100000, 'x');
    cut.cutAfter = 30000;
    m_server.set("/up/b.txt", cut);
    m_server.setFile("/up/c", "c");
    m_server.setFile("/up/data/sub/file.dat", "deep");
    m_server.setFile("/up/../escape.txt", "escaped");
    TestSystem system(dir, dir + "../updrift-flow-cache-disk");
    CAutoUpdateMgrApp app;
    EXPECT_EQ(app.InitInstance("", system), 18);

    EXPECT_EQ(platform::readWholeFile(dir + "b.txt"), "old b");  // cut: kept as it was
    EXPECT_EQ(fs::status(dir + "b.txt").permissions(), fs::perms(0600));
    EXPECT_EQ(platform::readWholeFile(dir + "c"), "c");
    EXPECT_EQ(platform::readWholeFile(dir + "data/sub/file.dat"), "deep");
    EXPECT_EQ(platform::readWholeFile(dir + "Trawlix"), standinBytes());
    EXPECT_EQ(fs::status(dir + "Trawlix").permissions(), fs::perms(0755));  // still runs
    EXPECT_FALSE(fs::exists(dir + "../escape.txt"));
    EXPECT_FALSE(fs::exists("/tmp/updrift-absolute.txt"));
    for (const auto& path : m_server.requests()) {
        EXPECT_EQ(path.find(".."), std::string::npos) << path;
        EXPECT_NE(path, "/up//tmp/updrift-absolute.txt");
    }
    // Downloaded in descending index: Trawlix (index 0) last, after the failures.
    const auto reqs = m_server.requests();
    ASSERT_FALSE(reqs.empty());
    EXPECT_EQ(reqs.back(), "/up/Trawlix");
    // Only temporary files never stay behind.
    for (const auto& e : fs::recursive_directory_iterator(dir)) {
        EXPECT_EQ(e.path().filename().string().find(".part-"), std::string::npos) << e.path();
    }
    EXPECT_EQ(system.boxes, (std::vector<std::string>{kPrompt, kFail, kFail, kFail}));
    const int64_t deadline = platform::steadyMs() + 10000;
    while (starts(dir).empty() && platform::steadyMs() < deadline) {
        platform::sleepMs(5);
    }
    EXPECT_EQ(starts(dir).size(), 1u);  // the updated program starts and runs
}

TEST_F(UpdriftFlowTest, DeclaredLengthBeyond32BitsShowsRight) {
    const std::string dir =
        makeProgramDir("updrift-flow-huge", localIni(m_server.base() + "/up", {"1"}));
    m_server.setFile("/up/manifest.ini", manifestIni({{"huge.bin", "2"}}));
    TinyHttpServer::Reply r;
    r.body = std::string(65536, 'h');
    r.declaredLength = 5368709120ull;  // 5 GiB declared; the connection ends after 64 KiB
    r.cutAfter = 65536;
    m_server.set("/up/huge.bin", r);
    TestSystem system(dir, dir + "../updrift-flow-cache-huge");
    CAutoUpdateMgrApp app;
    EXPECT_EQ(app.InitInstance("", system), 18);
    ASSERT_EQ(system.boxes, (std::vector<std::string>{kPrompt, kFail}));
    EXPECT_TRUE(system.progressBytes.ends_with("Byte / 5,368,709,120Byte")) << system.progressBytes;
    EXPECT_EQ(system.progressPercent, "0%");
    EXPECT_FALSE(fs::exists(dir + "huge.bin"));
    EXPECT_EQ(versionOf(dir, 0), "1");
}

TEST_F(UpdriftFlowTest, LongProgramDirectoryWorks) {
    // Far past the old 260-byte path buffers.
    std::string dir = testsupport::scratchDir("updrift-flow-long");
    for (int i = 0; i < 10; ++i) {
        dir += "/" + std::string(40, static_cast<char>('a' + i));
    }
    dir += "/";
    fs::create_directories(dir);
    fs::copy_file(standinPath(), dir + "Trawlix");
    std::ofstream(dir + "version.ini") << localIni(m_server.base() + "/up", {"1"});
    m_server.setFile("/up/manifest.ini", manifestIni({{"data/a.txt", "2"}}));
    m_server.setFile("/up/data/a.txt", "long way down");
    TestSystem system(dir, dir + "cache");
    CAutoUpdateMgrApp app;
    EXPECT_EQ(app.InitInstance("", system), 18);
    EXPECT_GT(dir.size(), 400u);
    EXPECT_EQ(platform::readWholeFile(dir + "data/a.txt"), "long way down");
    EXPECT_EQ(versionOf(dir, 0), "2");
    const int64_t deadline = platform::steadyMs() + 10000;
    while (starts(dir).empty() && platform::steadyMs() < deadline) {
        platform::sleepMs(5);
    }
    EXPECT_EQ(starts(dir),
              std::vector<std::string>{"cwd=" + dir.substr(0, dir.size() - 1) + " argc=1"});
}

// The built program itself, copied into a temporary program directory. Only cases
// that need no answer from a person: its connectivity test is the real one, so the
// test is skipped on a machine without a default route (it would show the offline box).
struct ProgramCase {
    const char* name;
    bool manifestServed;
};

class UpdriftProgramTest : public testing::TestWithParam<ProgramCase> {};

TEST_P(UpdriftProgramTest, EndsWith18AndStartsTheSearchProgram) {
    if (!platform::isConnected()) {
        GTEST_SKIP() << "no default route: the real connectivity test would ask a person";
    }
    TinyHttpServer server;
    ASSERT_TRUE(server.ok());
    const std::string dir = makeProgramDir(std::string("updrift-program-") + GetParam().name,
                                           localIni(server.base() + "/up", {"7"}));
    fs::copy_file(testsupport::programDir() + "/Updrift", dir + "Updrift");
    if (GetParam().manifestServed) {
        server.setFile("/up/manifest.ini", manifestIni({{"a.txt", "7"}}));
    }
    // Options that the toolkit would act on if they were read: they must not be.
    const pid_t pid = spawn({dir + "Updrift", "-platform", "xcb", "--whatever"},
                            {"QT_QPA_PLATFORM=offscreen", "XDG_CACHE_HOME=" + dir + "cache"});
    ASSERT_GT(pid, 0);
    const int code = waitExit(pid, 60000);
    if (code == -1) {
        ::kill(pid, SIGKILL);
        ::waitpid(pid, nullptr, 0);
    }
    EXPECT_EQ(code, 18);
    const int64_t deadline = platform::steadyMs() + 10000;
    while (starts(dir).empty() && platform::steadyMs() < deadline) {
        platform::sleepMs(5);
    }
    std::string cwd = dir;
    cwd.pop_back();
    EXPECT_EQ(starts(dir), std::vector<std::string>{"cwd=" + cwd + " argc=1"});
    EXPECT_EQ(versionOf(dir, 0), "7");
    EXPECT_EQ(server.requests(), std::vector<std::string>{"/up/manifest.ini"});
}

INSTANTIATE_TEST_SUITE_P(Cases, UpdriftProgramTest,
                         testing::Values(ProgramCase{"NothingToUpdate", true},
                                         ProgramCase{"ManifestMissing", false}),
                         [](const testing::TestParamInfo<ProgramCase>& info) {
                             return std::string(info.param.name);
                         });

}  // namespace
