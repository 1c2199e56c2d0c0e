// The dialog's entry points of the web sources, through the shared search state: results
// reach m_results with the protocol's events, a stop ends the engine's crawl, and every
// source ends with its flag cleared and SEARCH_EVENT_DONE.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "app/state/tests/RecordingPoster.h"
#include "platform/Clock.h"
#include "websearch/Sources.h"
#include "websearch/WebConfig.h"
#include "websearch/tests/TestSite.h"

namespace {

class SourceProcs : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(services.start());
        ASSERT_TRUE(site.start());
        WebConfig config = webConfigServedBy(services.hostPort());
        config.formWaitMs = 10;
        config.enginePageWaitMs = 10;
        setWebConfig(config);
        state = std::make_shared<SearchState>(poster);
        state->setEditText(u"term");
    }
    void TearDown() override {
        state->close();
        resetWebConfig();
    }

    SearchHandle begin(SearchWorker worker) {
        const uint32_t generation = state->beginSearch("term");
        platform::ScopedLock lock(g_searchLock);
        RunningFlag(worker) = true;
        return SearchHandle(state, generation, worker);
    }

    TestSite services{"127.0.0.1"};
    TestSite site{"127.0.0.2"};
    std::shared_ptr<RecordingPoster> poster = std::make_shared<RecordingPoster>();
    std::shared_ptr<SearchState> state;
};

TEST_F(SourceProcs, TorrentResultsReachTheResultMapThenTheSourceEnds) {
    services.page("/search/all/term/c/d/1/?fmt=rss",
                  "<?xml version=\"1.0\" encoding=\"UTF-8\"?><rss><channel>"
                  "<item><title>one</title><enclosure url=\"http://t/1\"/></item>"
                  "<item><title>two</title></item></channel></rss>");
    EXPECT_EQ(TorrentSourceProc(begin(SearchWorker::Torrent)), 0u);
    {
        platform::ScopedLock lock(g_searchLock);
        EXPECT_FALSE(g_torrentRunning);
        ASSERT_EQ(state->m_results.size(), 2u);
        const SearchResult& one = state->m_results.at(0);
        EXPECT_EQ(one.name, "one");
        EXPECT_EQ(one.type, "torrent");
        EXPECT_EQ(one.target, "http://t/1");
        EXPECT_EQ(one.location, "torrent/one");
        EXPECT_EQ(one.reserved, 0);
        EXPECT_EQ(state->m_results.at(1).target, services.hostPort());
    }
    const auto events = poster->events();
    ASSERT_EQ(events.size(), 3u);
    EXPECT_EQ(events[0].first, SEARCH_EVENT_RESULT);
    EXPECT_EQ(ResultEventKey(events[1].second), 1);
    EXPECT_EQ(events[2], std::make_pair(SEARCH_EVENT_DONE, int64_t{0}));
}

TEST_F(SourceProcs, StopEndsTheEngineCrawlWithinACycle) {
    std::vector<std::string> docs;
    for (int i = 0; i < 100; ++i) {
        docs.push_back("/url?q=" + site.url("/d" + std::to_string(i) + ".pdf"));
    }
    services.page(
        "/search?q=term&hl=ko&newwindow=1&biw=1920&bih=914&prmd=imvnsulaz&ei="
        "Qm7dLw2RpXt9HsYc4KjNbA&sa=N&start=0",
        TestSite::links(docs));
    // Every document is answered slowly: the whole crawl would take ten seconds.
    site.server().setHandler([](const std::string&) {
        return testsupport::Script().pause(100).send(testsupport::httpResponse(200, "OK", {}, "x"));
    });
    std::atomic<bool> ended{false};
    std::thread source([&] {
        EngineSourceProc(begin(SearchWorker::Engine));
        ended = true;
    });
    ASSERT_TRUE(poster->waitFor(SEARCH_EVENT_RESULT, 2, 20000));
    const int64_t stopped = platform::steadyMs();
    {
        platform::ScopedLock lock(g_searchLock);
        g_engineRunning = false;
    }
    EXPECT_TRUE(poster->waitFor(SEARCH_EVENT_DONE, 1, 10000));
    EXPECT_LT(platform::steadyMs() - stopped, 2000);
    source.join();
    EXPECT_TRUE(ended);
    EXPECT_LT(site.server().connectionCount(), 10u);
}

TEST_F(SourceProcs, AStaleSearchAddsNothingAndClearsNoNewFlag) {
    services.page("/search/all/term/c/d/1/?fmt=rss",
                  "<rss><channel><item><title>late</title></item></channel></rss>");
    SearchHandle old = begin(SearchWorker::Torrent);
    begin(SearchWorker::Torrent);  // a newer search started meanwhile
    TorrentSourceProc(old);
    platform::ScopedLock lock(g_searchLock);
    EXPECT_TRUE(state->m_results.empty());
    EXPECT_TRUE(g_torrentRunning);
    g_torrentRunning = false;
}

}  // namespace
