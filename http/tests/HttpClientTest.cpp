#include "http/HttpClient.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>

#include "platform/Clock.h"
#include "tests/support/LoopbackServer.h"

namespace {

using testsupport::FullBacklog;
using testsupport::httpResponse;
using testsupport::LoopbackServer;
using testsupport::RefusedPort;
using testsupport::Script;

std::string expectedRequest(const std::string& target, const std::string& host,
                            const std::string& cookie = "") {
    return "GET " + target + " HTTP/1.1\r\nHost: " + host +
           "\r\nUser-Agent: test\r\nAccept: */*\r\nAccept-Language: ko\r\nCookie: " + cookie +
           "\r\n\r\n";
}

Script page(int status, const std::string& reason, const std::string& body,
            std::vector<std::string> headers = {}) {
    return Script().send(httpResponse(status, reason, headers, body));
}

class HttpClientTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(server.start()) << server.lastError(); }

    std::string url(const std::string& path) const { return server.url(path); }

    LoopbackServer server;
    CookieJar jar;
    HostCache cache;
    HttpClient client{&jar, &cache, 2};
};

TEST(BuildRequest, WritesTheRequestTextByteForByte) {
    EXPECT_EQ(buildRequest("/a?b=1", "h", "x=1; y=2"), expectedRequest("/a?b=1", "h", "x=1; y=2"));
    EXPECT_EQ(buildRequest("", "h", ""), expectedRequest("/", "h"));
    // Bytes outside ASCII go out as they are.
    EXPECT_EQ(buildRequest("/s?q=\xb0\xa1", "h", ""), expectedRequest("/s?q=\xb0\xa1", "h"));
}

TEST_F(HttpClientTest, SendsTheExactRequestAndKeepsTheResponse) {
    server.enqueue(page(200, "OK", "<html>hi</html>"));
    EXPECT_TRUE(client.fetch(Url(url("/p;x?a=1#top"))));
    EXPECT_EQ(client.errorText, "");
    EXPECT_EQ(client.parser.statusCode, 200);
    EXPECT_EQ(client.parser.body, "<html>hi</html>");
    EXPECT_EQ(server.request(0), expectedRequest("/p;x?a=1", "127.0.0.1"));
}

TEST_F(HttpClientTest, HostHeaderCarriesNoPortAndTheCacheNamesTheAddress) {
    cache.add("www.example.test", inet_addr("127.0.0.1"));
    server.enqueue(page(200, "OK", "x"));
    server.enqueue(page(200, "OK", "x"));
    EXPECT_TRUE(
        client.fetch(Url("http://www.example.test:" + std::to_string(server.port()) + "/doc.d/")));
    EXPECT_TRUE(client.fetch(Url("http://www.example.test:" + std::to_string(server.port()))));
    EXPECT_EQ(server.request(0), expectedRequest("/doc.d", "www.example.test"));
    EXPECT_EQ(server.request(1), expectedRequest("/", "www.example.test"));
}

TEST(HttpClientAddress, ReachesServersOnOtherLoopbackAddresses) {
    LoopbackServer other("127.0.0.2");
    ASSERT_TRUE(other.start());
    other.enqueue(page(200, "OK", "two"));
    HttpClient client(nullptr, nullptr, 2);
    EXPECT_TRUE(client.fetch(Url(other.url("/"))));
    EXPECT_EQ(client.parser.body, "two");
    EXPECT_EQ(other.request(0), expectedRequest("/", "127.0.0.2"));
}

struct StatusCase {
    int status;
    bool result;
    const char* error;
};

class HttpClientStatus : public HttpClientTest, public ::testing::WithParamInterface<StatusCase> {};

TEST_P(HttpClientStatus, JudgesTheStatus) {
    const StatusCase& c = GetParam();
    server.enqueue(page(c.status, "X", "body of the answer"));
    EXPECT_EQ(client.fetch(Url(url("/"))), c.result);
    EXPECT_EQ(client.errorText, c.error);
    EXPECT_EQ(client.parser.statusCode, c.status);
    // 204 and 304 carry no body: what the server sends after their head is not read.
    const bool bodiless = c.status == 204 || c.status == 304;
    EXPECT_EQ(client.parser.body, bodiless ? "" : "body of the answer");
}

INSTANTIATE_TEST_SUITE_P(Cases, HttpClientStatus,
                         ::testing::Values(StatusCase{200, true, ""}, StatusCase{204, true, ""},
                                           StatusCase{299, true, ""}, StatusCase{304, false, ""},
                                           StatusCase{399, false, ""},
                                           StatusCase{404, false, "HTTP Error(Response code:404)"},
                                           StatusCase{500, false, "HTTP Error(Response code:500)"},
                                           StatusCase{101, false,
                                                      "HTTP Error(Response code:101)"}));

TEST_F(HttpClientTest, FollowsARedirectOnANewConnection) {
    server.enqueue(page(301, "Moved", "", {"Location: /new"}));
    server.enqueue(page(200, "OK", "new page"));
    Url asked(url("/old"));
    EXPECT_TRUE(client.fetch(asked));
    EXPECT_EQ(client.parser.body, "new page");
    EXPECT_EQ(server.connectionCount(), 2u);
    EXPECT_EQ(server.request(1), expectedRequest("/new", "127.0.0.1"));
    EXPECT_EQ(asked.path, "/old");
    EXPECT_EQ(client.redirectChain.size(), 2u);
    EXPECT_EQ(client.redirectChain.count(url("/new")), 1u);
}

TEST_F(HttpClientTest, RedirectResultIsThatOfTheLastResponse) {
    server.enqueue(page(302, "Found", "", {"Location: " + url("/gone")}));
    server.enqueue(page(404, "Not Found", "missing"));
    EXPECT_FALSE(client.fetch(Url(url("/a"))));
    EXPECT_EQ(client.errorText, "HTTP Error(Response code:404)");
    EXPECT_EQ(client.parser.body, "missing");
}

TEST_F(HttpClientTest, RedirectBackToAnEarlierUrlIsALoop) {
    server.enqueue(page(302, "Found", "", {"Location: /self"}));
    EXPECT_FALSE(client.fetch(Url(url("/self"))));
    EXPECT_EQ(client.errorText, "redirection looping!!!");
    EXPECT_EQ(server.connectionCount(), 1u);

    server.enqueue(page(302, "Found", "", {"Location: /b"}));
    server.enqueue(page(302, "Found", "", {"Location: /c"}));
    server.enqueue(page(302, "Found", "", {"Location: /a"}));
    EXPECT_FALSE(client.fetch(Url(url("/a"))));
    EXPECT_EQ(client.errorText, "redirection looping!!!");
    EXPECT_EQ(server.connectionCount(), 4u);
    EXPECT_EQ(client.parser.statusCode, 302);
}

TEST_F(HttpClientTest, EndlessNewRedirectsAreCapped) {
    // Every answer sends the client one level deeper: /r, /rr, /rrr, ...
    server.setHandler([&](const std::string& request) {
        return page(302, "Found", "", {"Location: " + testsupport::requestTarget(request) + "r"});
    });
    EXPECT_FALSE(client.fetch(Url(url("/r"))));
    EXPECT_EQ(client.errorText, "too many redirections!!!");
    EXPECT_EQ(server.connectionCount(), static_cast<size_t>(HttpClient::kMaxRedirects) + 1);
    EXPECT_EQ(testsupport::requestTarget(server.request(HttpClient::kMaxRedirects)),
              "/" + std::string(HttpClient::kMaxRedirects + 1, 'r'));
    EXPECT_EQ(testsupport::requestHeader(server.request(0), "user-agent"), "test");
}

TEST_F(HttpClientTest, CookiesOfARedirectGoWithTheRedirectedRequest) {
    server.enqueue(page(302, "Found", "", {"Set-Cookie: sid=42; path=/", "Location: /next"}));
    server.enqueue(page(200, "OK", "x", {"Set-Cookie: b=2"}));
    server.enqueue(page(200, "OK", "y"));
    EXPECT_TRUE(client.fetch(Url(url("/first"))));
    EXPECT_EQ(server.request(0), expectedRequest("/first", "127.0.0.1"));
    EXPECT_EQ(server.request(1), expectedRequest("/next", "127.0.0.1", "sid=42"));
    EXPECT_TRUE(client.fetch(Url(url("/next/page"))));
    EXPECT_EQ(server.request(2), expectedRequest("/next/page", "127.0.0.1", "b=2; sid=42"));
}

TEST_F(HttpClientTest, UrlThatWouldSplitTheRequestIsRefusedBeforeConnecting) {
    for (const std::string& bad :
         {std::string("/a\r\nX-Evil: 1"), std::string("/a\nb"), std::string("/a\0b", 4)}) {
        Url u(url("/"));
        u.path = bad;
        EXPECT_FALSE(client.fetch(u));
        EXPECT_EQ(client.errorText, "invalid URL!!!");
    }
    Url u(url("/"));
    u.host = "127.0.0.1\r\nX-Evil: 1";
    EXPECT_FALSE(client.fetch(u));
    EXPECT_EQ(client.errorText, "invalid URL!!!");
    EXPECT_EQ(server.connectionCount(), 0u);
}

TEST_F(HttpClientTest, EmptyUrlDoesNothingAndKeepsTheLastError) {
    server.enqueue(page(404, "Not Found", "x"));
    EXPECT_FALSE(client.fetch(Url(url("/"))));
    EXPECT_FALSE(client.fetch(Url()));
    EXPECT_EQ(client.errorText, "HTTP Error(Response code:404)");
    EXPECT_EQ(client.redirectChain.size(), 1u);
    EXPECT_EQ(server.connectionCount(), 1u);
}

TEST(HttpClientHost, EmptyHostFailsWithoutTheResolver) {
    int calls = 0;
    HostCache cache([&](const std::string&, uint32_t&) {
        ++calls;
        return true;
    });
    HttpClient client(nullptr, &cache, 2);
    EXPECT_FALSE(client.fetch(Url("http:/x")));
    EXPECT_EQ(client.errorText, "fail to query DNS server");
    EXPECT_EQ(calls, 0);
}

TEST_F(HttpClientTest, BrokenFramingFailsTheFetch) {
    server.enqueue(
        Script().send("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n"
                      "fffffffff\r\nx"));
    EXPECT_FALSE(client.fetch(Url(url("/"))));
    EXPECT_EQ(client.errorText, HttpParser::kErrorBadChunkSize);
}

TEST_F(HttpClientTest, SuccessWithACutBodyKeepsTheTransportText) {
    client.waits.receiveMs = 300;
    server.enqueue(Script().send("HTTP/1.1 200 OK\r\nContent-Length: 10\r\n\r\nabc").hold());
    EXPECT_TRUE(client.fetch(Url(url("/"))));
    EXPECT_EQ(client.errorText, "time out!!!");
    EXPECT_EQ(client.parser.body, "abc");
}

TEST_F(HttpClientTest, OneFetchHasAnOverallDeadline) {
    client.waits.fetchMs = 700;
    server.enqueue(Script()
                       .send("HTTP/1.1 200 OK\r\nContent-Length: 1000\r\n\r\n")
                       .drip(std::string(1000, 'x'), 100));
    const int64_t start = platform::steadyMs();
    EXPECT_TRUE(client.fetch(Url(url("/"))));
    const int64_t waited = platform::steadyMs() - start;
    EXPECT_EQ(client.errorText, "time out!!!");
    EXPECT_GE(waited, 650);
    EXPECT_LT(waited, 2500);
}

// The three tests below sit out the real waits of 2 s and 3 s.
TEST_F(HttpClientTest, SilentServerTimesOutAfterThreeSeconds) {
    server.enqueue(Script().hold());
    const int64_t start = platform::steadyMs();
    EXPECT_FALSE(client.fetch(Url(url("/"))));
    const int64_t waited = platform::steadyMs() - start;
    EXPECT_EQ(client.errorText, "HTTP Error(Response code:0)");
    EXPECT_GE(waited, 2900);
    EXPECT_LT(waited, 4500);
    EXPECT_EQ(server.request(0), expectedRequest("/", "127.0.0.1"));
}

TEST(HttpClientConnect, RefusedConnectFailsQuietly) {
    RefusedPort refused;
    HttpClient client(nullptr, nullptr, 2);
    const int64_t start = platform::steadyMs();
    EXPECT_FALSE(client.fetch(Url("http://127.0.0.1:" + std::to_string(refused.port()) + "/")));
    EXPECT_EQ(client.errorText, "");
    EXPECT_LT(platform::steadyMs() - start, 2000);
}

TEST(HttpClientConnect, UnansweredConnectFailsQuietlyAfterTwoSeconds) {
    FullBacklog backlog;
    if (!backlog.ready()) {
        GTEST_SKIP() << "could not fill the accept queue";
    }
    HttpClient client(nullptr, nullptr, 2);
    const int64_t start = platform::steadyMs();
    EXPECT_FALSE(client.fetch(Url("http://127.0.0.1:" + std::to_string(backlog.port()) + "/")));
    const int64_t waited = platform::steadyMs() - start;
    EXPECT_EQ(client.errorText, "");
    EXPECT_GE(waited, 1900);
    EXPECT_LT(waited, 3500);
}

}  // namespace
