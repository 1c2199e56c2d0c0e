// The HTTP client against a real server: nginx on loopback serving the fixtures.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "http/HttpClient.h"
#include "tests/support/NginxServer.h"
#include "tests/support/TestPaths.h"

namespace {

using testsupport::NginxServer;

std::string fixture(const std::string& name) {
    std::ifstream in(testsupport::sourceDir() + "/tests/e2e/fixtures/http/" + name,
                     std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

class HttpNginx : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        NginxServer::Config c;
        c.documentRoot = testsupport::sourceDir() + "/tests/e2e/fixtures/http";
        c.serverLines = {
            "location ~ \\.shtml$ { ssi on; }",
            "location = /old { return 301 /index.html; }",
            "location = /loop { return 302 /loop; }",
            "location = /login { add_header Set-Cookie \"sid=n1; path=/\"; return 302 /echo; }",
            "location = /echo { default_type text/plain; return 200 \"cookie=[$http_cookie]\"; }",
        };
        s_nginx = new NginxServer(c);
        if (!s_nginx->start()) {
            s_startError = s_nginx->lastError();
        }
    }
    static void TearDownTestSuite() {
        delete s_nginx;
        s_nginx = nullptr;
    }
    void SetUp() override { ASSERT_TRUE(s_nginx->running()) << s_startError; }

    std::string url(const std::string& path) const { return s_nginx->url(path); }

    static NginxServer* s_nginx;
    static std::string s_startError;
    CookieJar jar;
    HostCache cache;
    HttpClient client{&jar, &cache, 2};
};

NginxServer* HttpNginx::s_nginx = nullptr;
std::string HttpNginx::s_startError;

TEST_F(HttpNginx, PlainPageWithContentLength) {
    ASSERT_TRUE(client.fetch(Url(url("/index.html")))) << client.errorText;
    EXPECT_EQ(client.errorText, "");
    EXPECT_EQ(client.parser.statusCode, 200);
    EXPECT_FALSE(client.parser.chunked);
    EXPECT_EQ(client.parser.body, fixture("index.html"));
}

TEST_F(HttpNginx, ChunkedPageAssembledByTheServer) {
    ASSERT_TRUE(client.fetch(Url(url("/assembled.shtml")))) << client.errorText;
    EXPECT_TRUE(client.parser.chunked);
    std::string expected = fixture("assembled.shtml");
    expected.replace(expected.find("<!--# include file=\"part.txt\" -->"), 33, fixture("part.txt"));
    EXPECT_EQ(client.parser.body, expected);
}

TEST_F(HttpNginx, RedirectIsFollowed) {
    ASSERT_TRUE(client.fetch(Url(url("/old")))) << client.errorText;
    EXPECT_EQ(client.parser.body, fixture("index.html"));
    EXPECT_EQ(client.redirectChain.size(), 2u);
}

TEST_F(HttpNginx, MissingPageIsAnHttpError) {
    EXPECT_FALSE(client.fetch(Url(url("/missing.html"))));
    EXPECT_EQ(client.errorText, "HTTP Error(Response code:404)");
    EXPECT_EQ(client.parser.statusCode, 404);
    EXPECT_NE(client.parser.body.find("404"), std::string::npos);
}

TEST_F(HttpNginx, RedirectToItselfIsALoop) {
    EXPECT_FALSE(client.fetch(Url(url("/loop"))));
    EXPECT_EQ(client.errorText, "redirection looping!!!");
}

TEST_F(HttpNginx, CookieOfARedirectReachesTheServer) {
    ASSERT_TRUE(client.fetch(Url(url("/login")))) << client.errorText;
    EXPECT_EQ(client.parser.body, "cookie=[sid=n1]");
}

TEST(HttpNginxLarge, LargeFileArrivesWhole) {
    const std::string root = testsupport::scratchDir("http-nginx-large");
    std::string big;
    for (int i = 0; big.size() < (3u << 20); ++i) {
        big += "line " + std::to_string(i) + "\n";
    }
    std::ofstream(root + "/big.txt", std::ios::binary) << big;
    std::filesystem::permissions(root, std::filesystem::perms::all);
    NginxServer::Config c;
    c.documentRoot = root;
    NginxServer nginx(c);
    ASSERT_TRUE(nginx.start()) << nginx.lastError();
    HttpClient client(nullptr, nullptr, 2);
    ASSERT_TRUE(client.fetch(Url(nginx.url("/big.txt")))) << client.errorText;
    EXPECT_EQ(client.errorText, "");
    EXPECT_EQ(client.parser.body.size(), big.size());
    EXPECT_TRUE(client.parser.body == big);
}

}  // namespace
