#include "platform/Thread.h"

#include <gtest/gtest.h>

#include <atomic>

#include "platform/Clock.h"
#include "platform/Sync.h"

namespace {

using platform::Event;
using platform::Thread;

TEST(ThreadTest, RunsOnlyAfterResumeAndReportsItsResult) {
    std::atomic<bool> ran{false};
    auto t = Thread::create([&] {
        ran = true;
        return 7u;
    });
    ASSERT_TRUE(t);
    EXPECT_FALSE(t->wait(30));  // suspended: it can't end
    EXPECT_FALSE(ran);
    EXPECT_TRUE(t->resume());
    EXPECT_FALSE(t->resume());
    EXPECT_TRUE(t->wait(10000));
    EXPECT_TRUE(ran);
    EXPECT_TRUE(t->hasEnded());
    EXPECT_EQ(t->exitCode(), 7u);
}

TEST(ThreadTest, WaitThatTimesOutSaysSoAndALaterWaitSeesTheEnd) {
    Event go(true, false);
    auto t = Thread::create([&] {
        go.wait();
        return 0u;
    });
    ASSERT_TRUE(t);
    t->resume();
    const int64_t start = platform::steadyMs();
    EXPECT_FALSE(t->wait(50));
    EXPECT_GE(platform::steadyMs() - start, 45);
    EXPECT_FALSE(t->hasEnded());
    go.set();
    EXPECT_TRUE(t->wait(10000));
}

TEST(ThreadTest, DestroyedWhileRunningTheThreadGoesOnSafely) {
    auto go = std::make_shared<Event>(true, false);
    auto done = std::make_shared<Event>(true, false);
    auto t = Thread::create([go, done] {
        go->wait();
        done->set();
        return 0u;
    });
    ASSERT_TRUE(t);
    t->resume();
    t.reset();  // the thread still runs and owns what it uses
    go->set();
    EXPECT_TRUE(done->wait(10000));
}

TEST(ThreadTest, DestroyedBeforeResumeNeverRunsTheProcedure) {
    std::atomic<bool> ran{false};
    auto t = Thread::create([&] {
        ran = true;
        return 0u;
    });
    t.reset();
    EXPECT_FALSE(ran);
}

TEST(ThreadTest, ExceptionEndsTheThreadWithAnErrorCode) {
    auto t = Thread::create([]() -> uint32_t { throw 1; });
    t->resume();
    EXPECT_TRUE(t->wait(10000));
    EXPECT_EQ(t->exitCode(), 0xFFFFFFFFu);
}

}  // namespace
