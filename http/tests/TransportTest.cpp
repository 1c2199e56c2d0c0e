#include "http/Transport.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include "platform/Clock.h"
#include "tests/support/LoopbackServer.h"

namespace {

using testsupport::FullBacklog;
using testsupport::LoopbackServer;
using testsupport::RefusedPort;
using testsupport::Script;

platform::net::Endpoint loopback(uint16_t port, const char* host = "127.0.0.1") {
    platform::net::Endpoint e;
    HostCache cache;
    EXPECT_TRUE(cache.lookup(host, e.address));
    e.port = port;
    return e;
}

TEST(ResolveAddress, FillsTheEndpointOrNamesTheFailure) {
    HostCache cache([](const std::string& host, uint32_t& a) {
        a = 0x0100007f;
        return host == "known";
    });
    platform::net::Endpoint e;
    std::string error;
    EXPECT_TRUE(resolveAddress(&cache, Url("http://known:8080/"), e, error));
    EXPECT_EQ(error, "");
    EXPECT_EQ(e.port, 8080);
    EXPECT_EQ(e.address, 0x0100007fu);

    EXPECT_FALSE(resolveAddress(&cache, Url("http://unknown/"), e, error));
    EXPECT_EQ(error, "fail to query DNS server");

    error.clear();
    EXPECT_FALSE(resolveAddress(&cache, Url("http:x"), e, error));
    EXPECT_EQ(error, "fail to query DNS server");

    error.clear();
    EXPECT_FALSE(resolveAddress(&cache, Url("http://known:0/"), e, error));
    EXPECT_EQ(error, "fail to connect");

    error.clear();
    EXPECT_TRUE(resolveAddress(nullptr, Url("http://127.0.0.2/"), e, error));
    EXPECT_EQ(e.port, 80);
}

TEST(ConnectWithTimeout, ConnectsInBlockingMode) {
    LoopbackServer server("127.0.0.2");
    ASSERT_TRUE(server.start()) << server.lastError();
    std::string error;
    platform::net::Socket s = connectWithTimeout(loopback(server.port(), "127.0.0.2"), 2000, error);
    ASSERT_TRUE(s.valid());
    EXPECT_EQ(error, "");
    EXPECT_EQ(fcntl(s.fd(), F_GETFL) & O_NONBLOCK, 0);
}

TEST(ConnectWithTimeout, RefusedPortFailsQuietlyAndAtOnce) {
    RefusedPort refused;
    ASSERT_NE(refused.port(), 0);
    std::string error;
    const int64_t start = platform::steadyMs();
    platform::net::Socket s = connectWithTimeout(loopback(refused.port()), 2000, error);
    EXPECT_FALSE(s.valid());
    EXPECT_EQ(error, "");
    EXPECT_LT(platform::steadyMs() - start, 1500);
}

TEST(ConnectWithTimeout, UnansweredConnectGivesUpAfterTheWait) {
    FullBacklog backlog;
    if (!backlog.ready()) {
        GTEST_SKIP() << "could not fill the accept queue";
    }
    std::string error;
    const int64_t start = platform::steadyMs();
    platform::net::Socket s = connectWithTimeout(loopback(backlog.port()), 400, error);
    const int64_t waited = platform::steadyMs() - start;
    EXPECT_FALSE(s.valid());
    EXPECT_EQ(error, "");
    EXPECT_GE(waited, 350);
    EXPECT_LT(waited, 2000);
}

TEST(ConnectWithTimeoutDeathTest, NoDescriptorLeftIsNamed) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const platform::net::Endpoint to = loopback(80);
    // In a child process: lower the descriptor limit to the lowest free one.
    EXPECT_EXIT(
        {
            const int lowest = dup(0);
            close(lowest);
            rlimit r{};
            getrlimit(RLIMIT_NOFILE, &r);
            r.rlim_cur = static_cast<rlim_t>(lowest);
            setrlimit(RLIMIT_NOFILE, &r);
            std::string error;
            platform::net::Socket s = connectWithTimeout(to, 100, error);
            std::exit(!s.valid() && error == "fail to create socket" ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
}

struct ReceiveCase {
    const char* name;
    Script script;
    int status;
    const char* body;
    const char* error;
};

class ReceiveResponse : public ::testing::TestWithParam<ReceiveCase> {};

TEST_P(ReceiveResponse, FeedsTheParserUntilTheEnd) {
    const ReceiveCase& c = GetParam();
    LoopbackServer server;
    server.enqueue(c.script);
    ASSERT_TRUE(server.start()) << server.lastError();
    std::string error;
    platform::net::Socket s = connectWithTimeout(loopback(server.port()), 2000, error);
    ASSERT_TRUE(s.valid());
    const std::string request = "GET / HTTP/1.1\r\n\r\n";
    platform::net::sendAll(s.fd(), request.data(), request.size());
    HttpParser parser;
    parser.body = "left over";
    receiveResponse(s.fd(), parser, 400, platform::steadyMs() + 10000, error);
    EXPECT_EQ(parser.statusCode, c.status);
    EXPECT_EQ(parser.body, c.body);
    EXPECT_EQ(error, c.error);
}

const std::string kHead = "HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\n";

INSTANTIATE_TEST_SUITE_P(
    Cases, ReceiveResponse,
    ::testing::Values(
        ReceiveCase{"whole", Script().send(kHead + "hello").hold(), 200, "hello", ""},
        ReceiveCase{"split",
                    Script()
                        .sendPieces({"HTTP/1.1 20", "0 OK\r", "\nContent-Len", "gth: 5\r\n\r",
                                     "\nhe", "llo"})
                        .hold(),
                    200, "hello", ""},
        ReceiveCase{"chunked",
                    Script()
                        .sendPieces({"HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n",
                                     "4\r\nabcd\r", "\n5;x=1\r\nefghi\r\n", "0\r\n\r\n"})
                        .hold(),
                    200, "abcdefghi", ""},
        // Without framing the body is what came with the header block.
        ReceiveCase{"unframed", Script().send("HTTP/1.1 200 OK\r\n\r\n0123456789").close(), 200,
                    "0123456789", ""},
        ReceiveCase{"closed before the body ends", Script().send(kHead + "he").close(), 200, "he",
                    ""},
        ReceiveCase{"closed before anything", Script().close(), 0, "", ""},
        ReceiveCase{"reset mid-body", Script().send(kHead + "he").pause(50).reset(), 200, "he",
                    "connection closed!!!"},
        ReceiveCase{"silent after the head", Script().send(kHead + "he").hold(), 200, "he",
                    "time out!!!"},
        ReceiveCase{"silent peer", Script().hold(), 0, "", "time out!!!"}),
    [](const auto& info) {
        std::string n = info.param.name;
        for (char& ch : n) {
            if (!isalnum(static_cast<unsigned char>(ch))) {
                ch = '_';
            }
        }
        return n;
    });

TEST(ReceiveResponseDeadline, DrippingPeerStopsAtTheDeadline) {
    LoopbackServer server;
    server.enqueue(Script()
                       .send("HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\n")
                       .drip(std::string(100, 'x'), 50));
    ASSERT_TRUE(server.start());
    std::string error;
    platform::net::Socket s = connectWithTimeout(loopback(server.port()), 2000, error);
    ASSERT_TRUE(s.valid());
    const std::string request = "GET / HTTP/1.1\r\n\r\n";
    platform::net::sendAll(s.fd(), request.data(), request.size());
    HttpParser parser;
    const int64_t start = platform::steadyMs();
    receiveResponse(s.fd(), parser, 3000, start + 600, error);
    const int64_t waited = platform::steadyMs() - start;
    EXPECT_EQ(error, "time out!!!");
    EXPECT_EQ(parser.statusCode, 200);
    EXPECT_GT(parser.body.size(), 0u);
    EXPECT_LT(parser.body.size(), 100u);
    EXPECT_GE(waited, 550);
    EXPECT_LT(waited, 2500);
}

}  // namespace
