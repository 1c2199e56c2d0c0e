// The three web sources of a whole search, through the search state the dialog owns,
// against nginx answering as the engine, the form site and the torrent index, with the
// fixture site behind the engine's result links.
#include <gtest/gtest.h>

#include "app/state/SearchControl.h"
#include "app/state/tests/RecordingPoster.h"
#include "platform/Text.h"
#include "tests/e2e/fixtures/web/WebFixture.h"
#include "websearch/Sources.h"
#include "websearch/WebConfig.h"

namespace {

class WebSourceNginx : public ::testing::Test {
protected:
    void SetUp() override {
        site = webfixture::siteServer("127.0.0.2");
        ASSERT_TRUE(site->start()) << site->lastError();
        siteHost = "127.0.0.2:" + std::to_string(site->port());
        services = webfixture::servicesServer("127.0.0.1", siteHost, "web-source-services");
        ASSERT_TRUE(services->start()) << services->lastError();
        const std::string servicesHost = "127.0.0.1:" + std::to_string(services->port());
        WebConfig config = webConfigServedBy(servicesHost);
        config.formWaitMs = 50;
        config.enginePageWaitMs = 50;
        setWebConfig(config);
        state = std::make_shared<SearchState>(poster);
        state->setEditText(u"\uBB38\uC11C");
    }
    void TearDown() override {
        StopSearchWorkers(*state, 10000);
        state->close();
        resetWebConfig();
    }

    // Runs one search with only the web sources and waits for their three ends.
    void search() {
        WorkerProcs procs{EngineSourceProc, nullptr, TorrentSourceProc, FormSourceProc};
        ASSERT_TRUE(StartSearchWorkers(state, platform::toAnsi(u"\uBB38\uC11C"), true, procs));
        ASSERT_TRUE(poster->waitFor(SEARCH_EVENT_DONE, 3, 60000));
        platform::ScopedLock lock(g_searchLock);
        EXPECT_FALSE(g_engineRunning || g_torrentRunning || g_formRunning);
    }

    // "location<TAB>target" of the results of one source, in key order, as UTF-8: "web"
    // for the crawl (located on the site's host), else by type.
    std::vector<std::string> results(const std::string& kind) {
        std::vector<std::string> out;
        platform::ScopedLock lock(g_searchLock);
        for (const auto& [key, r] : state->m_results) {
            const bool crawled = r.location == "127.0.0.2";
            if (kind == "web" ? crawled : (!crawled && r.type == kind)) {
                out.push_back(platform::ansiToUtf8(r.location) + "\t" +
                              platform::ansiToUtf8(r.target));
            }
        }
        return out;
    }

    std::unique_ptr<testsupport::NginxServer> site, services;
    std::string siteHost;
    std::shared_ptr<RecordingPoster> poster = std::make_shared<RecordingPoster>();
    std::shared_ptr<SearchState> state;
};

TEST_F(WebSourceNginx, AllThreeSourcesFillOneResultMap) {
    search();
    const std::string h = "http://" + siteHost;
    const std::string forms = "http://www.pelmora-forms.example/";
    const std::string sh = "127.0.0.1:" + std::to_string(services->port());
    EXPECT_EQ(
        results("torrent"),
        (std::vector<std::string>{
            "torrent/한국어 문서 모음 2026\thttp://www.torrentlode.example/get/1001.torrent",
            "torrent/대한민국정부공문서양식모음집전체파일목록정리본최신판입니다요\t"
            "http://www.torrentlode.example/get/1002.torrent",
            "torrent/A대한민국정부공문서양식모음집전체파일목록정리본최신판입니다...\t"
            "http://www.torrentlode.example/get/1003.torrent",
            "torrent/첨부 없는 항목\t" + sh,
            "torrent/세금 & 영수증 ?\thttp://www.torrentlode.example/get/1006.torrent?name=세금",
        }));
    const auto docs = results("doc");
    // Three free forms (the engine source asks first) and nine certified forms.
    ASSERT_EQ(docs.size(), 12u) << ::testing::PrintToString(docs);
    EXPECT_EQ(
        std::count_if(docs.begin(), docs.end(),
                      [](const std::string& d) { return d.rfind("Pelmora무료서식 - ", 0) == 0; }),
        3);
    EXPECT_NE(std::find(docs.begin(), docs.end(), sh + " - 위임장\t" + sh), docs.end());
    // The crawl, one level below the engine's result page.
    EXPECT_EQ(results("web"), (std::vector<std::string>{
                                  "127.0.0.2\t" + h + "/docs/report.hwp",
                                  "127.0.0.2\t" + h + "/files/notes.txt",
                                  "127.0.0.2\t" + h + "/docs/slides.ppt",
                                  "127.0.0.2\t" + h + "/docs/sheet.xls",
                                  "127.0.0.2\t" + h + "/escape.zip",
                                  "127.0.0.2\t" + h + "/get.doc/123",
                                  "127.0.0.2\t" + h + "/report.docx",
                                  "127.0.0.2\t" + h + "/sub/x.doc",
                                  "127.0.0.2\t" + h + "/landed.pdf",
                                  "127.0.0.2\t" + h + "/files/from299.txt",
                              }));
}

TEST_F(WebSourceNginx, ASecondSearchRunsTheSameWay) {
    search();
    const size_t first = state->m_results.size();
    poster = std::make_shared<RecordingPoster>();
    state = std::make_shared<SearchState>(poster);
    state->setEditText(u"\uBB38\uC11C");
    search();
    platform::ScopedLock lock(g_searchLock);
    EXPECT_EQ(state->m_results.size(), first);
}

}  // namespace
