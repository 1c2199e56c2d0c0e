#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "platform/Clock.h"
#include "tests/support/TestPaths.h"
#include "websearch/WebConfig.h"
#include "websearch/WebSourceSetup.h"
#include "websearch/tests/RecordingSink.h"
#include "websearch/tests/TestSite.h"

namespace {

std::string fixture(const std::string& name) {
    std::ifstream in(testsupport::sourceDir() + "/tests/e2e/fixtures/web/" + name,
                     std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

// "문서 a&b" in code page 949, and its UTF-8 form.
const std::string kTerm = "\xB9\xAE\xBC\xAD a&b";
const std::string kTermUtf8 = "\xEB\xAC\xB8\xEC\x84\x9C a&b";

std::string fullRequest(const std::string& target, const std::string& host) {
    return "GET " + target + " HTTP/1.1\r\nHost: " + host +
           "\r\nUser-Agent: test\r\nAccept: */*\r\nAccept-Language: ko\r\nCookie: \r\n\r\n";
}

const std::string kSeedTarget =
    "/search?q=two+words%2B&hl=ko&newwindow=1&biw=1920&bih=914&prmd=imvnsulaz&ei="
    "Qm7dLw2RpXt9HsYc4KjNbA&sa=N&start=0";
const std::string kFreeFormTarget =
    "/b_app/search_freeform.asp?ext=doc&keyword=\xB9\xAE\xBC\xAD%20a%26b";
const std::string kCertFormTarget =
    "/b_app/search_certform.asp?ext=doc&logtype=cfilename&keyword=\xB9\xAE\xBC\xAD%20a%26b";
const std::string kTorrentTarget = "/search/all/\xEB\xAC\xB8\xEC\x84\x9C%20a%26b/c/d/1/?fmt=rss";

class WebSources : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(services.start());
        ASSERT_TRUE(site.start());
        WebConfig config = webConfigServedBy(services.hostPort());
        config.formWaitMs = 30;
        config.enginePageWaitMs = 20;
        config.outputDir = testsupport::scratchDir("web-sources-output");
        setWebConfig(config);
        // The search box was changed after the search started: the engine's seed takes
        // the box's text, every other request the term the search started with.
        sink.setTerm(kTerm, u"two words+");
    }
    void TearDown() override { resetWebConfig(); }

    TestSite services{"127.0.0.1"};  // engine, form site and torrent index
    TestSite site{"127.0.0.2"};
    RecordingSink sink;
};

TEST_F(WebSources, EngineAsksForFreeFormsThenCrawlsTheResultPage) {
    services.page(kFreeFormTarget, fixture("formsite/freeform.xml"), "text/xml");
    services.page(kSeedTarget,
                  TestSite::links({"/url?q=" + site.url("/a.pdf") + "&sa=U",
                                   "/url?q=" + site.url("/a.pdf") + "&sa=V", "/search?q=next"}));
    site.page("/a.pdf", "x");
    EXPECT_EQ(runEngineSource(&sink), 0);

    const auto requests = services.requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0], fullRequest(kFreeFormTarget, "127.0.0.1"));
    EXPECT_EQ(requests[1], fullRequest(kSeedTarget, "127.0.0.1"));
    EXPECT_EQ(site.requestLines(), (std::vector<std::string>{"GET /a.pdf HTTP/1.1"}));
    const auto results = sink.results();
    ASSERT_EQ(results.size(), 4u);  // three free forms first, then the one document
    EXPECT_EQ(results[0].type, "doc");
    EXPECT_EQ(results[3].target, site.url("/a.pdf"));
    EXPECT_EQ(sink.finished(), (std::vector<WebSource>{WebSource::kEngine}));
}

TEST_F(WebSources, EngineWhoseSeedFailsEndsAfterOneCycle) {
    EXPECT_EQ(runEngineSource(&sink), 0);
    EXPECT_EQ(services.requestLines().size(), 2u);
    EXPECT_TRUE(sink.results().empty());
    EXPECT_EQ(sink.finished(), (std::vector<WebSource>{WebSource::kEngine}));
}

TEST_F(WebSources, EngineStoppedBeforeTheCrawlEndsAtOnce) {
    services.page(kSeedTarget, TestSite::links({"/url?q=" + site.url("/a.pdf")}));
    sink.setRunning(WebSource::kEngine, false);
    EXPECT_EQ(runEngineSource(&sink), 0);
    EXPECT_LE(services.requestLines().size(), 2u);
    EXPECT_TRUE(site.requestLines().empty());
    EXPECT_EQ(sink.finished(), (std::vector<WebSource>{WebSource::kEngine}));
}

TEST_F(WebSources, FormSourceWaitsThenAsksForCertifiedFormsEvenWhenStopped) {
    services.page(kCertFormTarget, fixture("formsite/certform.xml"), "text/xml");
    sink.setRunning(WebSource::kForm, false);
    const int64_t start = platform::steadyMs();
    EXPECT_EQ(runFormSource(&sink), 0);
    EXPECT_GE(platform::steadyMs() - start, 30);
    EXPECT_EQ(services.requests(),
              (std::vector<std::string>{fullRequest(kCertFormTarget, "127.0.0.1")}));
    EXPECT_EQ(sink.results().size(), 9u);
    EXPECT_EQ(sink.results()[0].location, services.hostPort() + " - " + sink.results()[0].name);
    EXPECT_EQ(sink.finished(), (std::vector<WebSource>{WebSource::kForm}));
}

TEST_F(WebSources, EmptyTermStillAsks) {
    sink.setTerm("", u"");
    runFormSource(&sink);
    EXPECT_EQ(services.requestLines(),
              (std::vector<std::string>{
                  "GET /b_app/search_certform.asp?ext=doc&logtype=cfilename&keyword= HTTP/1.1"}));
}

TEST_F(WebSources, TorrentSourceAsksWithTheUtf8TermAndPublishesTheFeed) {
    services.page(kTorrentTarget, fixture("torrent/rss.xml"), "application/rss+xml");
    EXPECT_EQ(runTorrentSource(&sink), 0);
    EXPECT_EQ(services.requests(),
              (std::vector<std::string>{fullRequest(kTorrentTarget, "127.0.0.1")}));
    const auto results = sink.results();
    ASSERT_EQ(results.size(), 5u);
    EXPECT_EQ(results[0].type, "torrent");
    EXPECT_EQ(results[3].target, services.hostPort());  // no enclosure: the form site
    EXPECT_EQ(sink.finished(), (std::vector<WebSource>{WebSource::kTorrent}));
}

TEST_F(WebSources, AnswersThatAreNotXmlOrFailGiveNothing) {
    services.page(kTorrentTarget, "<html>not a feed");
    services.raw(kCertFormTarget, testsupport::httpResponse(500, "Oops", {}, "<R><ITEM>"));
    runTorrentSource(&sink);
    runFormSource(&sink);
    EXPECT_TRUE(sink.results().empty());
    EXPECT_EQ(sink.finished(), (std::vector<WebSource>{WebSource::kTorrent, WebSource::kForm}));
}

TEST_F(WebSources, SetUpFailureEndsTheSourceCleanly) {
    WebConfig config = webConfig();
    config.outputDir = testsupport::scratchDir("web-sources-blocked") + "/file";
    std::ofstream(config.outputDir) << "not a directory";
    setWebConfig(config);
    EXPECT_EQ(runEngineSource(&sink), 0);
    EXPECT_EQ(runTorrentSource(&sink), 0);
    EXPECT_TRUE(services.requests().empty());
    EXPECT_EQ(sink.finished(), (std::vector<WebSource>{WebSource::kEngine, WebSource::kTorrent}));
}

TEST_F(WebSources, OutputDirectoryIsMadeOnceAndReused) {
    WebConfig config = webConfig();
    config.outputDir = testsupport::scratchDir("web-sources-made") + "/out";
    setWebConfig(config);
    runTorrentSource(&sink);
    runTorrentSource(&sink);
    EXPECT_EQ(services.requestLines().size(), 2u);
}

TEST(SearchText, BlanksBecomePlusAndTheTermIsEncodedForItsPlace) {
    RecordingSink sink;
    sink.setTerm("", u"\uBB38\uC11C two words&more");
    const SearchText query = prepareSearchText(&sink, "http://h/s?q=%s&x=1", TermPlace::kQuery);
    EXPECT_EQ(query.s, "\xB9\xAE\xBC\xAD+two+words&more");
    EXPECT_EQ(query.u, "http://h/s?q=\xB9\xAE\xBC\xAD+two+words%26more&x=1");
    const SearchText path = prepareSearchText(&sink, "http://h/%s/c", TermPlace::kPath);
    EXPECT_EQ(path.u, "http://h/\xB9\xAE\xBC\xAD+two+words%26more/c");
    const auto options = webSourceOptions(query.s, query.u);
    EXPECT_EQ(options.back(), "-searchtext:" + query.s);
}

}  // namespace
