#include "platform/Sync.h"

#include <gtest/gtest.h>

#include <thread>

#include "platform/Clock.h"

namespace {

using platform::Event;
using platform::Semaphore;

TEST(SemaphoreTest, ReleasePastMaximumFailsAndChangesNothing) {
    Semaphore sem(0, 2);
    long previous = -1;
    EXPECT_TRUE(sem.release(1, &previous));
    EXPECT_EQ(previous, 0);
    EXPECT_FALSE(sem.release(2));  // 1 + 2 > 2
    EXPECT_EQ(sem.count(), 1);
    EXPECT_TRUE(sem.release(1));
    EXPECT_FALSE(sem.release(1));
    EXPECT_EQ(sem.count(), 2);
}

TEST(SemaphoreTest, InvalidCountsMakeAnUnusableSemaphore) {
    EXPECT_FALSE(Semaphore(0, 0).isValid());
    EXPECT_FALSE(Semaphore(3, 2).isValid());
    EXPECT_FALSE(Semaphore(-1, 2).isValid());
    Semaphore bad(0, 0);
    EXPECT_FALSE(bad.release());
}

TEST(SemaphoreTest, WaitTimesOutAndReportsSo) {
    Semaphore sem(0, 1);
    const int64_t start = platform::steadyMs();
    EXPECT_FALSE(sem.wait(50));
    EXPECT_GE(platform::steadyMs() - start, 45);
    EXPECT_TRUE(sem.release());
    EXPECT_TRUE(sem.wait(0));
    EXPECT_FALSE(sem.wait(0));
}

TEST(SemaphoreTest, ReleaseFromAnotherThreadWakesAWaiter) {
    Semaphore sem(0, 1);
    std::thread t([&] { sem.release(); });
    EXPECT_TRUE(sem.wait(10000));
    t.join();
}

TEST(CriticalSectionTest, IsReentrantForItsOwner) {
    platform::CriticalSection cs;
    cs.enter();
    EXPECT_TRUE(cs.tryEnter());
    cs.leave();
    bool otherGotIt = true;
    std::thread t([&] { otherGotIt = cs.tryEnter(); });
    t.join();
    EXPECT_FALSE(otherGotIt);
    cs.leave();
    std::thread u([&] {
        otherGotIt = cs.tryEnter();
        if (otherGotIt)
            cs.leave();
    });
    u.join();
    EXPECT_TRUE(otherGotIt);
}

TEST(EventTest, AutoResetIsConsumedByOneWaitManualResetStays) {
    Event autoEv(false, true);
    EXPECT_TRUE(autoEv.wait(0));
    EXPECT_FALSE(autoEv.wait(0));
    Event manual(true, false);
    EXPECT_FALSE(manual.wait(10));
    manual.set();
    EXPECT_TRUE(manual.wait(0));
    EXPECT_TRUE(manual.wait(0));
    manual.reset();
    EXPECT_FALSE(manual.wait(0));
}

}  // namespace
