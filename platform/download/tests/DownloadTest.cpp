#include "platform/download/Download.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>

#include "platform/Clock.h"
#include "platform/IniProfile.h"
#include "platform/download/Connectivity.h"
#include "platform/download/tests/TinyHttpServer.h"
#include "tests/support/TestPaths.h"

namespace {

namespace fs = std::filesystem;
using testsupport::TinyHttpServer;

struct Seen {
    uint64_t progress;
    uint64_t max;
    int status;
};

class DownloadTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_server.ok());
        m_dir =
            testsupport::scratchDir(std::string("download-") +
                                    testing::UnitTest::GetInstance()->current_test_info()->name());
        m_target = m_dir + "/file.bin";
    }
    int download(const std::string& path, const platform::DownloadOptions& options = {}) {
        return platform::downloadToFile(
            m_server.base() + path, m_target,
            [this](uint64_t p, uint64_t m, int s) {
                m_seen.push_back({p, m, s});
                return s != m_abortOn;
            },
            options, &m_error);
    }
    void writeTarget(const std::string& text, mode_t mode) {
        std::ofstream(m_target, std::ios::binary) << text;
        ::chmod(m_target.c_str(), mode);
    }
    std::string target() { return platform::readWholeFile(m_target).value_or("<missing>"); }
    size_t filesInDir() {
        return static_cast<size_t>(
            std::distance(fs::directory_iterator(m_dir), fs::directory_iterator()));
    }

    TinyHttpServer m_server;
    std::string m_dir;
    std::string m_target;
    std::vector<Seen> m_seen;
    std::string m_error;
    int m_abortOn = -1;
};

TEST_F(DownloadTest, CompleteBodyReplacesTargetKeepsModeAndReportsBeginDataEnd) {
    const std::string body(200000, 'x');
    m_server.setFile("/f", body);
    writeTarget("old", 0755);
    ASSERT_EQ(download("/f"), platform::kDownloadOk) << m_error;
    EXPECT_EQ(target(), body);
    struct stat st {};
    ::stat(m_target.c_str(), &st);
    EXPECT_EQ(st.st_mode & 0777, 0755u);
    EXPECT_EQ(filesInDir(), 1u);

    ASSERT_GE(m_seen.size(), 3u);
    EXPECT_EQ(m_seen.front().status, platform::kStatusBeginData);
    EXPECT_EQ(m_seen.front().max, body.size());
    EXPECT_EQ(m_seen.back().status, platform::kStatusEndData);
    EXPECT_EQ(m_seen.back().progress, body.size());
    uint64_t last = 0;
    for (size_t i = 1; i + 1 < m_seen.size(); ++i) {
        EXPECT_EQ(m_seen[i].status, platform::kStatusData);
        EXPECT_GT(m_seen[i].progress, last);
        last = m_seen[i].progress;
    }
}

TEST_F(DownloadTest, NewFileGetsModeFromUmask) {
    m_server.setFile("/f", "data");
    const mode_t mask = ::umask(022);
    ASSERT_EQ(download("/f"), platform::kDownloadOk) << m_error;
    ::umask(mask);
    struct stat st {};
    ::stat(m_target.c_str(), &st);
    EXPECT_EQ(st.st_mode & 0777, 0644u);
}

TEST_F(DownloadTest, EmptyBodyStillBeginsAndEnds) {
    m_server.setFile("/empty", "");
    ASSERT_EQ(download("/empty"), platform::kDownloadOk) << m_error;
    EXPECT_EQ(target(), "");
    ASSERT_EQ(m_seen.size(), 2u);
    EXPECT_EQ(m_seen[0].status, platform::kStatusBeginData);
    EXPECT_EQ(m_seen[1].status, platform::kStatusEndData);
}

TEST_F(DownloadTest, RedirectIsFollowed) {
    m_server.setFile("/real", "moved here");
    TinyHttpServer::Reply r;
    r.status = 302;
    r.location = "/real";
    m_server.set("/old", r);
    ASSERT_EQ(download("/old"), platform::kDownloadOk) << m_error;
    EXPECT_EQ(target(), "moved here");
}

TEST_F(DownloadTest, NonAsciiAndBlankInAddressAreEscaped) {
    m_server.setFile("/a%20b%B0%A1", "escaped");
    ASSERT_EQ(download("/a b\xB0\xA1"), platform::kDownloadOk) << m_error;
    EXPECT_EQ(target(), "escaped");
}

struct FailCase {
    const char* name;
    int status;
    size_t bodySize;
    std::optional<uint64_t> declared;
    std::optional<size_t> cutAfter;
    int abortOn;
    uint64_t maxBytes;
    int expect;
};

class DownloadFailTest : public DownloadTest, public testing::WithParamInterface<FailCase> {};

TEST_P(DownloadFailTest, LeavesTargetAsItWasAndNoTemporaryFile) {
    const FailCase& c = GetParam();
    TinyHttpServer::Reply r;
    r.status = c.status;
    r.body = std::string(c.bodySize, 'n');
    r.declaredLength = c.declared;
    r.cutAfter = c.cutAfter;
    m_server.set("/f", r);
    m_abortOn = c.abortOn;
    writeTarget("installed", 0755);
    platform::DownloadOptions options;
    options.maxBytes = c.maxBytes;
    EXPECT_EQ(download("/f", options), c.expect);
    EXPECT_FALSE(m_error.empty());
    EXPECT_EQ(target(), "installed");
    EXPECT_EQ(filesInDir(), 1u);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DownloadFailTest,
    testing::Values(
        FailCase{"NotFound", 404, 10, {}, {}, -1, 0, platform::kDownloadFailed},
        FailCase{"ServerError", 500, 10, {}, {}, -1, 0, platform::kDownloadFailed},
        FailCase{"CutMidBody", 200, 100000, {}, 50000, -1, 0, platform::kDownloadFailed},
        FailCase{"DeclaredLongerThanSent", 200, 10, 20, 10, -1, 0, platform::kDownloadFailed},
        FailCase{"AbortAtBegin",
                 200,
                 10,
                 {},
                 {},
                 platform::kStatusBeginData,
                 0,
                 platform::kDownloadAborted},
        FailCase{
            "AbortAtData", 200, 10, {}, {}, platform::kStatusData, 0, platform::kDownloadAborted},
        FailCase{
            "AbortAtEnd", 200, 10, {}, {}, platform::kStatusEndData, 0, platform::kDownloadAborted},
        FailCase{"LongerThanAllowed", 200, 5000, {}, {}, -1, 100, platform::kDownloadFailed}),
    [](const testing::TestParamInfo<FailCase>& info) { return std::string(info.param.name); });

TEST_F(DownloadTest, StalledServerFailsAndKeepGoingAborts) {
    TinyHttpServer::Reply r;
    r.body = "never sent";
    r.stall = true;
    m_server.set("/stall", r);
    platform::DownloadOptions options;
    options.stallSeconds = 1;
    const int64_t start = platform::steadyMs();
    EXPECT_EQ(download("/stall", options), platform::kDownloadFailed);
    EXPECT_LT(platform::steadyMs() - start, 30000);

    platform::DownloadOptions stop;
    stop.keepGoing = [] { return false; };
    EXPECT_EQ(download("/stall", stop), platform::kDownloadAborted);
}

TEST_F(DownloadTest, RefusedConnectionAndUnknownSchemeFail) {
    std::string url;
    {
        TinyHttpServer gone;  // its port is closed once it is gone
        url = gone.base() + "/x";
    }
    EXPECT_EQ(platform::downloadToFile(url, m_target, {}, {}, &m_error), platform::kDownloadFailed);
    EXPECT_EQ(platform::downloadToFile("file:///etc/passwd", m_target, {}, {}, &m_error),
              platform::kDownloadFailed);
    EXPECT_FALSE(fs::exists(m_target));
}

TEST_F(DownloadTest, CacheFetchIsAlwaysFresh) {
    const std::string cache = m_dir + "/cache";
    const std::string url = m_server.base() + "/version.ini";
    m_server.setFile("/version.ini", "[updatefiles]\nNumber=1\n");
    std::string path;
    ASSERT_EQ(platform::fetchIntoCache(url, cache, path), platform::kDownloadOk);
    EXPECT_EQ(path, platform::cachePathFor(url, cache));
    EXPECT_EQ(platform::readWholeFile(path), "[updatefiles]\nNumber=1\n");

    m_server.setFile("/version.ini", "[updatefiles]\nNumber=2\n");
    ASSERT_EQ(platform::fetchIntoCache(url, cache, path), platform::kDownloadOk);
    EXPECT_EQ(platform::readWholeFile(path), "[updatefiles]\nNumber=2\n");
    platform::deleteCacheEntry(url, cache);
    EXPECT_FALSE(fs::exists(path));
    EXPECT_NE(platform::cachePathFor(url, cache), platform::cachePathFor(url + "x", cache));
}

struct RouteCase {
    const char* name;
    const char* v4;
    const char* v6;
    bool up;
    bool connected;
};

class ConnectivityTest : public testing::TestWithParam<RouteCase> {};

constexpr const char* kHead =
    "Iface\tDestination\tGateway \tFlags\tRefCnt\tUse\tMetric\tMask\t\tMTU\tWindow\tIRTT\n";

TEST_P(ConnectivityTest, NeedsADefaultRouteOnAnInterfaceThatIsUp) {
    const RouteCase& c = GetParam();
    const std::string v4 = std::string(kHead) + c.v4;
    EXPECT_EQ(platform::hasDefaultRoute(v4, c.v6, [&](const std::string&) { return c.up; }),
              c.connected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ConnectivityTest,
    testing::Values(
        RouteCase{"DefaultV4", "eth0\t00000000\t010200C0\t0003\t0\t0\t0\t00000000\t0\t0\t0\n", "",
                  true, true},
        RouteCase{"InterfaceDown", "eth0\t00000000\t010200C0\t0003\t0\t0\t0\t00000000\t0\t0\t0\n",
                  "", false, false},
        RouteCase{"OnlyLocalNet", "eth0\t000200C0\t00000000\t0001\t0\t0\t0\t00FFFFFF\t0\t0\t0\n",
                  "", true, false},
        RouteCase{"LoopbackOnly", "lo\t00000000\t00000000\t0001\t0\t0\t0\t00000000\t0\t0\t0\n", "",
                  true, false},
        RouteCase{"RouteNotUp", "eth0\t00000000\t010200C0\t0002\t0\t0\t0\t00000000\t0\t0\t0\n", "",
                  true, false},
        RouteCase{"DefaultV6", "",
                  "00000000000000000000000000000000 00 00000000000000000000000000000000 00 "
                  "fd000000000000000000000000000001 00000400 00000002 00000000 00000003 eth0\n",
                  true, true},
        RouteCase{"RejectV6OnLoopback", "",
                  "00000000000000000000000000000000 00 00000000000000000000000000000000 00 "
                  "00000000000000000000000000000000 ffffffff 00000001 00000000 00200200 lo\n",
                  true, false},
        RouteCase{"Nothing", "", "", true, false}),
    [](const testing::TestParamInfo<RouteCase>& info) { return std::string(info.param.name); });

}  // namespace
