#include "websearch/KestrinThread.h"

#include <gtest/gtest.h>

#include <atomic>

#include "platform/Sync.h"

namespace {

// Runs until released, then returns or throws.
class GatedThread : public Kestrin::Thread {
public:
    explicit GatedThread(bool throws) : m_throws(throws) {}
    ~GatedThread() override {
        m_gate.set();
        join();
    }
    void open() { m_gate.set(); }
    bool ranToEnd() const { return m_ended; }

protected:
    int32_t run() override {
        m_gate.wait();
        if (m_throws) {
            throw std::runtime_error("out of the body");
        }
        m_ended = true;
        return 0;
    }

private:
    platform::Event m_gate{true, false};
    const bool m_throws;
    std::atomic<bool> m_ended{false};
};

class KestrinThread : public ::testing::TestWithParam<bool> {};

TEST_P(KestrinThread, RunsFlagsAndEndsWithoutLettingAnExceptionOut) {
    GatedThread t(GetParam());
    EXPECT_FALSE(t.isRunning());
    EXPECT_TRUE(t.wait(0));  // nothing started yet
    ASSERT_TRUE(t.start());
    EXPECT_TRUE(t.isRunning());
    EXPECT_FALSE(t.wait(20));  // still held at the gate
    t.open();
    EXPECT_TRUE(t.wait(10000));
    EXPECT_FALSE(t.isRunning());
    EXPECT_EQ(t.ranToEnd(), !GetParam());
    t.join();
}

INSTANTIATE_TEST_SUITE_P(ReturnsOrThrows, KestrinThread, ::testing::Bool());

TEST(KestrinThreadStart, StartsOnlyOnce) {
    GatedThread t(false);
    ASSERT_TRUE(t.start());
    EXPECT_FALSE(t.start());
    t.open();
}

TEST(SyncException, CarriesItsMessage) {
    const Kestrin::SyncException e("fail to create semaphore");
    EXPECT_STREQ(e.what(), "fail to create semaphore");
    EXPECT_EQ(e.message, "fail to create semaphore");
}

}  // namespace
