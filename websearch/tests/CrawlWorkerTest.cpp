#include <gtest/gtest.h>

#include <atomic>

#include "platform/Clock.h"
#include "websearch/HttpSocketThread.h"
#include "websearch/WebConfig.h"
#include "websearch/WebSourceSetup.h"
#include "websearch/tests/RecordingSink.h"
#include "websearch/tests/TestSite.h"

namespace {

struct DocCase {
    const char* path;
    bool document;
    const char* name;
    const char* type;
};

void PrintTo(const DocCase& c, std::ostream* os) {
    *os << c.path;
}

class DocumentTest : public ::testing::TestWithParam<DocCase> {};

TEST_P(DocumentTest, PathNamesADocumentByItsExtensionCaseSensitively) {
    EXPECT_EQ(isDocumentPath(GetParam().path), GetParam().document);
    if (GetParam().document) {
        std::string name, type;
        documentNameAndType(GetParam().path, name, type);
        EXPECT_EQ(name, GetParam().name);
        EXPECT_EQ(type, GetParam().type);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DocumentTest,
    ::testing::Values(
        DocCase{"/files/report.hwp", true, "report.hwp", "hwp"},
        DocCase{"/get.doc/123", true, "123", "123"},
        DocCase{"/a/report.docx", true, "report.docx", "docx"},
        DocCase{"/x.txt/list", true, "list", "list"}, DocCase{"/doc/readme", false, "", ""},
        DocCase{"/A.PDF", false, "", ""}, DocCase{"/t/a.torrent", true, "a.torrent", "torrent"},
        DocCase{"/s.ppt", true, "s.ppt", "ppt"}, DocCase{"/b.xls", true, "b.xls", "xls"},
        DocCase{"/c.zip", true, "c.zip", "zip"}, DocCase{"/d.rar", true, "d.rar", "rar"},
        DocCase{"/e.alz", true, "e.alz", "alz"}, DocCase{"/f.pdf", true, "f.pdf", "pdf"},
        DocCase{"x.doc", true, "x.doc", "doc"}, DocCase{"/", false, "", ""}));

class CrawlWorker : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(site.start());
        WebConfig config;
        config.engineDomains = {"engine.invalid", "engine.kr.invalid"};
        config.enginePageWaitMs = 50;
        setWebConfig(config);
    }
    void TearDown() override { resetWebConfig(); }

    // Crawls from the site's path at the given depth with one worker, as the engine does.
    void crawl(
        const std::string& path, int32_t depth = 0, int32_t qlimit = 100000,
        const std::function<bool()>& keepGoing = [] { return true; }) {
        WebSourceSetup setup;
        setup.open({"-qlimit:" + std::to_string(qlimit), "-timeout:2", "-sock:1",
                    "-seed:" + site.url(path)});
        setup.queue->queue.front().depth = depth;
        runCrawl(setup, &sink, keepGoing);
    }

    TestSite site{"127.0.0.1"};
    RecordingSink sink;
};

TEST_F(CrawlWorker, ReportsDocumentsInBreadthFirstOrderWithStatus) {
    site.page("/", TestSite::links({"a.html", "one.pdf", "a.html", "missing.doc"}));
    site.page("/a.html", TestSite::links({"sub/two.hwp", "/", "a.html"}));
    site.page("/one.pdf", "%PDF", "application/pdf");
    site.page("/sub/two.hwp", "hwp", "application/octet-stream");
    crawl("/");
    const std::string h = site.hostPort();
    EXPECT_EQ(
        site.requestLines(),
        (std::vector<std::string>{"GET / HTTP/1.1", "GET /a.html HTTP/1.1", "GET /one.pdf HTTP/1.1",
                                  "GET /missing.doc HTTP/1.1", "GET /sub/two.hwp HTTP/1.1"}));
    EXPECT_EQ(sink.resultLines(),
              (std::vector<std::string>{"http://" + h + "/one.pdf one.pdf pdf 127.0.0.1",
                                        "http://" + h + "/sub/two.hwp two.hwp hwp 127.0.0.1"}));
    const std::string w = kWebStatusPrefix;
    EXPECT_EQ(sink.status(),
              (std::vector<std::string>{w + "http://" + h + "/", w + "http://" + h + "/a.html",
                                        w + "http://" + h + "/one.pdf",
                                        w + "http://" + h + "/sub/two.hwp"}));
}

TEST_F(CrawlWorker, TheLastQueuedDocumentIsNeverLost) {
    site.page("/", TestSite::links({"last.zip"}));
    site.page("/last.zip", "PK", "application/zip");
    for (int run = 0; run < 20; ++run) {
        RecordingSink one;
        WebSourceSetup setup;
        setup.open({"-qlimit:100000", "-timeout:2", "-sock:1", "-seed:" + site.url("/")});
        runCrawl(setup, &one, [] { return true; });
        ASSERT_EQ(one.results().size(), 1u) << "run " << run;
    }
}

TEST_F(CrawlWorker, SameUrlTwiceInARowShowsTheStatusOnce) {
    site.page("/p.html", "<html></html>");
    WebSourceSetup setup;
    setup.open({"-qlimit:100000", "-timeout:2", "-sock:1", "-seed:" + site.url("/p.html")});
    setup.queue->push(site.url("/p.html"), 0);
    runCrawl(setup, &sink, [] { return true; });
    EXPECT_EQ(site.requestLines().size(), 2u);
    EXPECT_EQ(sink.status().size(), 1u);
}

TEST_F(CrawlWorker, PageAtDepthThreeIsReportedButItsLinksAreNotFollowed) {
    site.page("/deep.txt", TestSite::links({"next.html"}), "text/plain");
    crawl("/deep.txt", 3);
    EXPECT_EQ(site.requestLines(), (std::vector<std::string>{"GET /deep.txt HTTP/1.1"}));
    EXPECT_EQ(sink.results().size(), 1u);
}

TEST_F(CrawlWorker, LinksOfADepthTwoPageAreQueuedAtDepthThree) {
    site.page("/", TestSite::links({"b.html"}));
    site.page("/b.html", TestSite::links({"c.html"}));
    crawl("/", 2);
    EXPECT_EQ(site.requestLines(),
              (std::vector<std::string>{"GET / HTTP/1.1", "GET /b.html HTTP/1.1"}));
}

TEST_F(CrawlWorker, PagesOf300LinksOrMoreAddNone) {
    std::vector<std::string> l299(298, "same.html"), l300(299, "same.html");
    l299.push_back("from299.pdf");
    l300.push_back("from300.pdf");
    site.page("/", TestSite::links({"p299.html", "p300.html"}));
    site.page("/p299.html", TestSite::links(l299));
    site.page("/p300.html", TestSite::links(l300));
    site.page("/from299.pdf", "x");
    site.page("/from300.pdf", "x");
    site.page("/same.html", "x");
    crawl("/");
    EXPECT_EQ(site.requestLines(),
              (std::vector<std::string>{"GET / HTTP/1.1", "GET /p299.html HTTP/1.1",
                                        "GET /p300.html HTTP/1.1", "GET /same.html HTTP/1.1",
                                        "GET /from299.pdf HTTP/1.1"}));
}

TEST_F(CrawlWorker, FullQueueAddsNoLinksAndDrains) {
    site.page("/", TestSite::links({"a.html", "b.html"}));
    site.page("/a.html", TestSite::links({"from-a.html"}));
    site.page("/b.html", TestSite::links({"from-b.html"}));
    crawl("/", 0, 0);
    // With limit 0 a page adds links only while nothing else is queued.
    EXPECT_EQ(site.requestLines(),
              (std::vector<std::string>{"GET / HTTP/1.1", "GET /a.html HTTP/1.1",
                                        "GET /b.html HTTP/1.1", "GET /from-b.html HTTP/1.1"}));
}

TEST_F(CrawlWorker, EnginePagesBeyondTheSeedAreDroppedWithoutAFetch) {
    TestSite engine("127.0.0.3");
    ASSERT_TRUE(engine.start());
    WebConfig config = webConfig();
    config.engineDomains = {"127.0.0.3", "engine.kr.invalid"};
    setWebConfig(config);
    engine.page("/search?q=x",
                TestSite::links({"/url?q=" + site.url("/doc.pdf") + "&sa=U",
                                 "/url?q=" + engine.url("/again.html") + "&sa=U", "/search?q=y"}));
    site.page("/doc.pdf", "x");
    WebSourceSetup setup;
    setup.open({"-qlimit:100000", "-timeout:2", "-sock:1", "-seed:" + engine.url("/search?q=x")});
    const int64_t start = platform::steadyMs();
    runCrawl(setup, &sink, [] { return true; });
    EXPECT_GE(platform::steadyMs() - start, 100);  // two engine URLs, each after its wait
    EXPECT_EQ(engine.requestLines(), (std::vector<std::string>{"GET /search?q=x HTTP/1.1"}));
    EXPECT_EQ(site.requestLines(), (std::vector<std::string>{"GET /doc.pdf HTTP/1.1"}));
    EXPECT_EQ(sink.results().size(), 1u);
}

TEST_F(CrawlWorker, StopEndsTheCrawlAfterTheCycleInProgress) {
    std::vector<std::string> many;
    for (int i = 0; i < 50; ++i) {
        many.push_back("p" + std::to_string(i) + ".pdf");
    }
    const std::string index = testsupport::httpResponse(200, "OK", {}, TestSite::links(many));
    const std::string pdf = testsupport::httpResponse(200, "OK", {}, "x");
    std::atomic<int> served{0};
    // From the fifth request on every answer is slow, so the source sees the stop while
    // the worker is still inside its cycle.
    site.server().setHandler([&](const std::string& request) {
        testsupport::Script script;
        if (++served > 4) {
            script.pause(1000);
        }
        return script.send(TestSite::requestTarget(request) == "/" ? index : pdf);
    });
    crawl("/", 0, 100000, [&] { return sink.results().size() < 3; });
    // The three, and at most the cycle in progress when the stop was seen.
    EXPECT_GE(sink.results().size(), 3u);
    EXPECT_LE(sink.results().size(), 4u);
    EXPECT_LE(site.requestLines().size(), 5u);
}

TEST_F(CrawlWorker, StopWhileAFetchHangsWaitsForThatFetchOnly) {
    site.raw("/slow.html", "");
    site.server().setHandler([](const std::string&) { return testsupport::Script().hold(); });
    std::atomic<bool> stop{false};
    const int64_t start = platform::steadyMs();
    std::thread stopper([&] {
        while (site.server().connectionCount() == 0 && platform::steadyMs() - start < 5000) {
            platform::sleepMs(5);
        }
        stop = true;
    });
    crawl("/slow.html", 0, 100000, [&] { return !stop.load(); });
    stopper.join();
    // The held fetch runs into the client's receive wait; nothing is killed.
    EXPECT_LT(platform::steadyMs() - start, 15000);
    EXPECT_TRUE(sink.results().empty());
}

}  // namespace
