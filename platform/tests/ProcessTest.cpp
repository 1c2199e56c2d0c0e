#include "platform/Process.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <functional>

#include "platform/Clock.h"

namespace {

namespace fs = std::filesystem;

// Runs a child of this test (a shell script that records its folder, then sleeps) and
// ends and reaps it afterwards: the test never touches a process it did not start.
class ProcessTest : public testing::Test {
protected:
    void SetUp() override {
        m_dir = fs::temp_directory_path() / ("proc-test-" + std::to_string(::getpid()));
        fs::remove_all(m_dir);
        fs::create_directories(m_dir);
    }
    void TearDown() override {
        if (m_child > 0) {
            ::kill(m_child, SIGKILL);
            ::waitpid(m_child, nullptr, 0);
        }
        fs::remove_all(m_dir);
    }
    std::string makeScript(const fs::path& dir) {
        fs::create_directories(dir);
        const fs::path script = dir / "recorder.sh";
        std::ofstream(script) << "#!/bin/sh\npwd > '" << (m_dir / "cwd.txt").string()
                              << "'\nexec sleep 60\n";
        fs::permissions(script, fs::perms::owner_all);
        return script.string();
    }
    bool waitFor(const std::function<bool()>& done, int64_t ms = 10000) {
        const int64_t deadline = platform::steadyMs() + ms;
        while (!done()) {
            if (platform::steadyMs() > deadline) {
                return false;
            }
            platform::sleepMs(5);
        }
        return true;
    }
    const platform::ProcessEntry* find(const std::vector<platform::ProcessEntry>& list) {
        for (const auto& e : list) {
            if (e.pid == m_child) {
                return &e;
            }
        }
        return nullptr;
    }

    fs::path m_dir;
    pid_t m_child = 0;
};

TEST_F(ProcessTest, OwnModulePathIsThisTestBinary) {
    EXPECT_EQ(fs::path(platform::ownModulePath()).filename(), "platform_tests");
    EXPECT_EQ(platform::currentDirectory(), fs::current_path().string());
}

TEST_F(ProcessTest, StartsInWorkingDirectoryAndEnds) {
    // Deeper than the old 260-byte path limit.
    fs::path work = m_dir;
    for (int i = 0; i < 12; ++i) {
        work /= std::string(30, static_cast<char>('a' + i));
    }
    const std::string script = makeScript(work);
    ASSERT_TRUE(platform::startProcess(script, work.string(), &m_child));
    ASSERT_GT(m_child, 0);

    ASSERT_TRUE(waitFor([&] { return fs::exists(m_dir / "cwd.txt"); }));
    ASSERT_TRUE(waitFor([&] {
        std::ifstream in(m_dir / "cwd.txt");
        std::string line;
        return std::getline(in, line) && line == work.string();
    }));

    // After exec the snapshot names the executable by its file name, owned by us.
    std::vector<platform::ProcessEntry> list;
    ASSERT_TRUE(waitFor([&] {
        const platform::ProcessEntry* e = platform::snapshotProcesses(list) ? find(list) : nullptr;
        return e != nullptr && e->exeName == "sleep";
    }));
    EXPECT_EQ(find(list)->uid, ::getuid());
    EXPECT_TRUE(
        std::is_sorted(list.begin(), list.end(), [](auto& a, auto& b) { return a.pid < b.pid; }));

    EXPECT_FALSE(platform::waitForProcessEnd(m_child, 20));
    ASSERT_TRUE(platform::endProcess(m_child));
    EXPECT_TRUE(platform::waitForProcessEnd(m_child, 10000));
    // Ended but not yet reaped: no longer in the snapshot.
    ASSERT_TRUE(platform::snapshotProcesses(list));
    EXPECT_EQ(find(list), nullptr);
}

TEST_F(ProcessTest, UmaskIsReadWithoutChangingIt) {
    const mode_t old = ::umask(027);
    EXPECT_EQ(platform::currentUmask(), 027u);
    EXPECT_EQ(platform::currentUmask(), 027u);
    ::umask(old);
}

TEST_F(ProcessTest, StartFailsForMissingProgramOrFolder) {
    const std::string script = makeScript(m_dir / "bin");
    EXPECT_FALSE(platform::startProcess((m_dir / "absent").string(), m_dir.string()));
    EXPECT_FALSE(platform::startProcess(script, (m_dir / "no-such-folder").string()));
    EXPECT_FALSE(platform::endProcess(0));
}

struct NameCase {
    const char* a;
    const char* b;
    bool same;
};

class SameNameTest : public testing::TestWithParam<NameCase> {};

TEST_P(SameNameTest, ComparesWholeNames) {
    EXPECT_EQ(platform::sameNameIgnoringCase(GetParam().a, GetParam().b), GetParam().same);
}

INSTANTIATE_TEST_SUITE_P(Cases, SameNameTest,
                         testing::Values(NameCase{"Trawlix", "Trawlix", true},
                                         NameCase{"TRAWLIX", "trawlix", true},
                                         NameCase{"trawlix-crawl", "Trawlix", false},
                                         NameCase{"Trawlix_tests", "Trawlix", false},
                                         NameCase{"", "", true}),
                         [](const auto& info) { return "Case" + std::to_string(info.index); });

}  // namespace
