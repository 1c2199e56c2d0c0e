#include "updater/core/UpdateQueue.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

namespace {

namespace fs = std::filesystem;

struct QueueCase {
    const char* name;
    const char* local;
    const char* manifest;
    std::vector<int> queued;  // manifest indices, in queue order
};

class UpdateQueueTest : public testing::TestWithParam<QueueCase> {
protected:
    void SetUp() override {
        m_dir = fs::temp_directory_path() / ("queue-" + std::to_string(::getpid()));
        fs::create_directories(m_dir);
    }
    void TearDown() override { fs::remove_all(m_dir); }
    std::string write(const char* name, const char* text) {
        const std::string path = (m_dir / name).string();
        std::ofstream(path, std::ios::binary) << text;
        return path;
    }
    fs::path m_dir;
};

TEST_P(UpdateQueueTest, QueuesEveryIndexWhoseVersionsDiffer) {
    const QueueCase& c = GetParam();
    CIniFile local(write("version.ini", c.local));
    CIniFile manifest(write("manifest.ini", c.manifest));
    const auto queue = updater::BuildUpdateQueue(local, manifest, "http://h/up");
    ASSERT_EQ(queue.size(), c.queued.size());
    for (size_t i = 0; i < queue.size(); ++i) {
        const std::string n = std::to_string(c.queued[i]);
        EXPECT_EQ(queue[i].strKey, "updatefile" + n + ":Ver");
        EXPECT_EQ(queue[i].strSection, "updatefiles");
        EXPECT_EQ(queue[i].strName, "f" + n);
        EXPECT_EQ(queue[i].strUrl, "http://h/up/f" + n);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, UpdateQueueTest,
    testing::Values(
        QueueCase{"LowerRemoteIsFetched",
                  "[updatefiles]\nupdatefile0:Ver=1.0.3\n",
                  "[updatefiles]\nNumber=1\nupdatefile0:Ver=1.0.2\nupdatefile0:Name=f0\n",
                  {0}},
        QueueCase{"LetterCaseCounts",
                  "[updatefiles]\nupdatefile0:Ver=A\n",
                  "[updatefiles]\nNumber=1\nupdatefile0:Ver=a\nupdatefile0:Name=f0\n",
                  {0}},
        QueueCase{"BlanksAroundAreTrimmed",
                  "[updatefiles]\nupdatefile0:Ver= 1 \n",
                  "[updatefiles]\nNumber=1\nupdatefile0:Ver=1\nupdatefile0:Name=f0\n",
                  {}},
        QueueCase{
            "AscendingOrder",
            "[updatefiles]\nupdatefile0:Ver=1\nupdatefile1:Ver=1\nupdatefile2:Ver=1\n",
            "[updatefiles]\nNumber=3\nupdatefile0:Ver=2\nupdatefile0:Name=f0\n"
            "updatefile1:Ver=1\nupdatefile1:Name=f1\nupdatefile2:Ver=2\nupdatefile2:Name=f2\n",
            {0, 2}},
        QueueCase{"NumberZero", "", "[updatefiles]\nNumber=0\nupdatefile0:Ver=1\n", {}},
        QueueCase{"NumberMissing", "", "[updatefiles]\nupdatefile0:Ver=1\n", {}},
        QueueCase{"NumberNegative", "", "[updatefiles]\nNumber=-5\n", {}},
        QueueCase{"NumberLeadingDigits",
                  "",
                  "[updatefiles]\nNumber=1files\nupdatefile0:Ver=1\nupdatefile0:Name=f0\n",
                  {0}},
        QueueCase{"EmptyLocalValueIsQueued",
                  "[updatefiles]\nupdatefile0:Ver=\n",
                  "[updatefiles]\nNumber=1\nupdatefile0:Ver=2\nupdatefile0:Name=f0\n",
                  {0}},
        QueueCase{"BothMissingNotQueued", "", "[updatefiles]\nNumber=1\nupdatefile0:Name=f0\n", {}},
        QueueCase{"RemoteMissingLocalPresent",
                  "[updatefiles]\nupdatefile0:Ver=1\n",
                  "[updatefiles]\nNumber=1\nupdatefile0:Name=f0\n",
                  {0}},
        QueueCase{"TenHasNoLeadingZero",
                  "",
                  "[updatefiles]\nNumber=11\nupdatefile10:Ver=1\nupdatefile10:Name=f10\n",
                  {10}}),
    [](const testing::TestParamInfo<QueueCase>& info) { return std::string(info.param.name); });

TEST(UpdateQueue, ManifestAddressAndAbsurdCountIsBounded) {
    EXPECT_EQ(updater::BuildManifestUrl("http://h/up", "version", "ini"),
              "http://h/up/version.ini");
    EXPECT_EQ(updater::BuildManifestUrl("", "", ""), "/.");

    const fs::path dir = fs::temp_directory_path() / ("queue-big-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    std::ofstream((dir / "m.ini").string()) << "[updatefiles]\nNumber=2147483647\n";
    std::ofstream((dir / "l.ini").string()) << "[updatefiles]\nupdatefile0:Ver=x\n";
    CIniFile local((dir / "l.ini").string());
    CIniFile manifest((dir / "m.ini").string());
    // Only index 0 differs (local x, remote empty); the loop stops at the bound.
    EXPECT_EQ(updater::BuildUpdateQueue(local, manifest, "u").size(), 1u);
    fs::remove_all(dir);
}

}  // namespace
