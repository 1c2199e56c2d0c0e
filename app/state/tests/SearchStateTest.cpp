#include "app/state/SearchState.h"

#include <gtest/gtest.h>

#include <set>
#include <thread>
#include <vector>

#include "app/state/tests/RecordingPoster.h"

namespace {

struct Fixture {
    std::shared_ptr<RecordingPoster> poster = std::make_shared<RecordingPoster>();
    std::shared_ptr<SearchState> state = std::make_shared<SearchState>(poster);
};

SearchResult result(const std::string& name) {
    SearchResult r;
    r.name = name;
    r.type = "doc";
    r.target = r.location = "/x/" + name;
    return r;
}

TEST(SearchStateTest, ConcurrentAddsGetConsecutiveKeysEachPostedOnce) {
    Fixture f;
    const uint32_t gen = f.state->beginSearch("term");
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&] {
            SearchHandle h(f.state, gen, SearchWorker::Engine);
            for (int i = 0; i < 50; ++i) {
                EXPECT_GE(AddResult(h, result("r")), 0);
            }
        });
    }
    for (auto& t : threads) {
        t.join();
    }
    platform::ScopedLock lock(g_searchLock);
    ASSERT_EQ(f.state->m_results.size(), 200u);
    EXPECT_EQ(f.state->m_results.begin()->first, 0);
    EXPECT_EQ(f.state->m_results.rbegin()->first, 199);
    std::set<int32_t> posted;
    for (const auto& [code, param] : f.poster->events()) {
        ASSERT_EQ(code, SEARCH_EVENT_RESULT);
        EXPECT_EQ(ResultEventGeneration(param), gen);
        EXPECT_TRUE(posted.insert(ResultEventKey(param)).second);
    }
    EXPECT_EQ(posted.size(), 200u);
}

TEST(SearchStateTest, AHandleOfAnEarlierSearchWritesNothing) {
    Fixture f;
    const uint32_t first = f.state->beginSearch("old");
    SearchHandle stale(f.state, first, SearchWorker::Local);
    {
        platform::ScopedLock lock(g_searchLock);
        g_localRunning = true;
    }
    EXPECT_TRUE(stale.isRunning());
    EXPECT_EQ(stale.searchTerm(), "old");
    const uint32_t second = f.state->beginSearch("new");
    EXPECT_NE(first, second);

    EXPECT_FALSE(stale.isRunning());
    EXPECT_EQ(AddResult(stale, result("late")), -1);
    stale.setLocalStatus("late status");
    stale.finish();  // must not clear the flag of the new search
    EXPECT_EQ(stale.searchTerm(), "old");

    platform::ScopedLock lock(g_searchLock);
    EXPECT_TRUE(g_localRunning);
    EXPECT_TRUE(f.state->m_results.empty());
    EXPECT_NE(f.state->m_localStatus, "late status");
    EXPECT_TRUE(f.poster->events().empty());
    g_localRunning = false;
}

TEST(SearchStateTest, FinishClearsTheOwnFlagThenPostsDone) {
    Fixture f;
    const uint32_t gen = f.state->beginSearch("t");
    {
        platform::ScopedLock lock(g_searchLock);
        g_torrentRunning = g_formRunning = true;
    }
    SearchHandle h(f.state, gen, SearchWorker::Torrent);
    h.finish();
    platform::ScopedLock lock(g_searchLock);
    EXPECT_FALSE(g_torrentRunning);
    EXPECT_TRUE(g_formRunning);
    EXPECT_EQ(f.poster->events(),
              (std::vector<std::pair<uint32_t, int64_t>>{{SEARCH_EVENT_DONE, 0}}));
    g_formRunning = false;
}

TEST(SearchStateTest, AfterCloseNothingIsWrittenOrPosted) {
    Fixture f;
    const uint32_t gen = f.state->beginSearch("t");
    SearchHandle h(f.state, gen, SearchWorker::Engine);
    h.setWebStatus("one");
    f.state->close();
    h.setWebStatus("two");
    EXPECT_EQ(AddResult(h, result("x")), -1);
    EXPECT_FALSE(f.state->post(SEARCH_EVENT_DONE, 0));
    platform::ScopedLock lock(g_searchLock);
    EXPECT_EQ(f.state->m_webStatus, "one");
    EXPECT_EQ(f.poster->count(SEARCH_EVENT_WEB_STATUS), 1u);
}

TEST(SearchStateTest, EditTextIsReadWhileTheDialogChangesIt) {
    Fixture f;
    f.state->setEditText(u"a b");
    SearchHandle h(f.state, f.state->beginSearch("a b"), SearchWorker::Engine);
    std::thread writer([&] {
        for (int i = 0; i < 200; ++i) {
            f.state->setEditText(i % 2 ? u"a b" : u"c d");
        }
    });
    for (int i = 0; i < 200; ++i) {
        const auto t = h.editText();
        EXPECT_TRUE(t == u"a b" || t == u"c d");
    }
    writer.join();
}

TEST(SearchStateTest, ResultParamCarriesKeyAndGeneration) {
    for (const auto& [gen, key] : std::vector<std::pair<uint32_t, int32_t>>{
             {1, 0}, {7, 123456}, {0xFFFFFFFFu, 0x7FFFFFFF}}) {
        const int64_t p = ResultEventParam(gen, key);
        EXPECT_EQ(ResultEventGeneration(p), gen);
        EXPECT_EQ(ResultEventKey(p), key);
    }
}

}  // namespace
