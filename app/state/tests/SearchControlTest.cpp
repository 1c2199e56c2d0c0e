#include "app/state/SearchControl.h"

#include <gtest/gtest.h>

#include <atomic>

#include "app/state/tests/RecordingPoster.h"
#include "platform/Clock.h"

namespace {

// A worker that adds one result and then works until its flag is cleared.
uint32_t politeWorker(SearchHandle h) {
    SearchResult r;
    r.name = h.searchTerm();
    AddResult(h, r);
    while (h.isRunning()) {
        platform::sleepMs(1);
    }
    h.finish();
    return 0;
}

uint32_t quickWorker(SearchHandle h) {
    h.finish();
    return 0;
}

class SearchControlTest : public ::testing::Test {
protected:
    void TearDown() override {
        StopSearchWorkers(*state, kStopWaitMs);
        state->close();
    }
    std::shared_ptr<RecordingPoster> poster = std::make_shared<RecordingPoster>();
    std::shared_ptr<SearchState> state = std::make_shared<SearchState>(poster);
};

TEST_F(SearchControlTest, StopReturnsOnceTheWorkersEnd) {
    const WorkerProcs procs{politeWorker, politeWorker, politeWorker, politeWorker};
    ASSERT_TRUE(StartSearchWorkers(state, "t", false, procs));
    ASSERT_TRUE(poster->waitFor(SEARCH_EVENT_RESULT, 4));
    EXPECT_TRUE(AnyWorkerRunning());
    const int64_t start = platform::steadyMs();
    StopSearchWorkers(*state);
    // No wait ran out: every worker saw its flag and ended.
    EXPECT_LT(platform::steadyMs() - start, static_cast<int64_t>(kStopWaitMs));
    EXPECT_FALSE(AnyWorkerRunning());
    EXPECT_FALSE(g_engineThread || g_localThread || g_torrentThread || g_formThread);
    // Each worker posted its own DONE; the stop added none since they ended in time.
    EXPECT_EQ(poster->count(SEARCH_EVENT_DONE), 4u);
}

TEST_F(SearchControlTest, ExcludedLocalWorkerIsNotStarted) {
    std::atomic<int> localRuns{0};
    WorkerProcs procs{quickWorker,
                      [&](SearchHandle h) {
                          ++localRuns;
                          return quickWorker(h);
                      },
                      quickWorker, quickWorker};
    ASSERT_TRUE(StartSearchWorkers(state, "t", true, procs));
    EXPECT_FALSE(g_localThread);
    ASSERT_TRUE(poster->waitFor(SEARCH_EVENT_DONE, 3));
    EXPECT_FALSE(AnyWorkerRunning());
    EXPECT_EQ(localRuns, 0);
}

TEST_F(SearchControlTest, StopWithNothingRunningPostsDoneItself) {
    StopSearchWorkers(*state);
    EXPECT_EQ(poster->count(SEARCH_EVENT_DONE), 1u);
}

TEST_F(SearchControlTest, AWorkerThatOutlivesItsWaitCannotTouchTheNextSearch) {
    auto release = std::make_shared<platform::Event>(true, false);
    auto lateDone = std::make_shared<platform::Event>(true, false);
    auto stubborn = [release, lateDone](SearchHandle h) -> uint32_t {
        release->wait();  // ignores its flag, like a source that runs to its end
        SearchResult r;
        r.name = "late";
        AddResult(h, r);
        h.setLocalStatus("late");
        h.finish();
        lateDone->set();
        return 0;
    };
    const WorkerProcs first{quickWorker, quickWorker, quickWorker, stubborn};
    ASSERT_TRUE(StartSearchWorkers(state, "one", false, first));
    ASSERT_TRUE(poster->waitFor(SEARCH_EVENT_DONE, 3));
    StopSearchWorkers(*state, 20);  // the form worker's wait runs out
    EXPECT_FALSE(g_formThread);

    const WorkerProcs second{politeWorker, politeWorker, politeWorker, politeWorker};
    ASSERT_TRUE(StartSearchWorkers(state, "two", false, second));
    ASSERT_TRUE(poster->waitFor(SEARCH_EVENT_RESULT, 4));
    release->set();
    ASSERT_TRUE(lateDone->wait(10000));
    {
        platform::ScopedLock lock(g_searchLock);
        EXPECT_TRUE(g_formRunning);  // the new form worker's flag is untouched
        EXPECT_EQ(state->m_results.size(), 4u);
        for (const auto& [key, r] : state->m_results) {
            EXPECT_EQ(r.name, "two");
        }
        EXPECT_NE(state->m_localStatus, "late");
    }
}

}  // namespace

namespace {

TEST_F(SearchControlTest, AThreadThatCantBeMadeStopsTheStartThere) {
    int made = 0;
    WorkerProcs procs{politeWorker, politeWorker, politeWorker, politeWorker,
                      [&](platform::Thread::Proc p) -> std::unique_ptr<platform::Thread> {
                          if (++made == 3) {
                              return nullptr;  // the torrent worker's thread
                          }
                          return platform::Thread::create(std::move(p));
                      }};
    EXPECT_FALSE(StartSearchWorkers(state, "t", false, procs));
    {
        platform::ScopedLock lock(g_searchLock);
        // The flags set so far stay set, the failed worker's own included.
        EXPECT_TRUE(g_engineRunning && g_localRunning && g_torrentRunning);
        EXPECT_FALSE(g_formRunning);
    }
    EXPECT_FALSE(g_torrentThread || g_formThread);
    StopSearchWorkers(*state);
    EXPECT_FALSE(AnyWorkerRunning());
}

}  // namespace
