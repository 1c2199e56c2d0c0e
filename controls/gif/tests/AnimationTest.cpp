#include "controls/gif/Animation.h"

#include <gtest/gtest.h>

#include <mutex>
#include <string>

#include "platform/Clock.h"

namespace {

// Records what the animation thread asks for, as a string of steps.
class RecordingSink : public gif::FrameSink {
public:
    void showFrame(size_t index) override {
        if (index == m_blockAt) {
            m_gate->wait();
        }
        add("s" + std::to_string(index));
    }
    void disposeFrame(size_t index) override { add("d" + std::to_string(index)); }
    void restart() override { add("r"); }

    std::vector<std::string> steps() const {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_steps;
    }
    size_t count() const {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_steps.size();
    }

    // showFrame(index) waits for the gate before it draws. The gate outlives the sink, so
    // whoever opens it is never left signalling an event the woken thread has destroyed.
    void blockAt(size_t index, std::shared_ptr<platform::Event> gate) {
        m_blockAt = index;
        m_gate = std::move(gate);
    }

private:
    void add(std::string step) {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_steps.push_back(std::move(step));
    }

    mutable std::mutex m_mutex;
    std::vector<std::string> m_steps;  // guarded by m_mutex
    size_t m_blockAt = SIZE_MAX;
    std::shared_ptr<platform::Event> m_gate;
};

template <class Cond>
bool waitUntil(Cond cond, int64_t timeoutMs = 10000) {
    const int64_t deadline = platform::steadyMs() + timeoutMs;
    while (!cond()) {
        if (platform::steadyMs() > deadline) {
            return false;
        }
        platform::sleepMs(1);
    }
    return true;
}

TEST(Animation, ShowsFramesInOrderWithTheirDelaysAndStartsOver) {
    auto sink = std::make_shared<RecordingSink>();
    gif::Animation animation(sink, {0, 5, 10});
    std::mutex mutex;
    std::vector<uint32_t> waits;
    animation.SetWaiter([&](uint32_t ms, platform::Event& stop) {
        {
            std::lock_guard<std::mutex> lock(mutex);
            waits.push_back(ms);
        }
        stop.wait(1);
    });
    ASSERT_TRUE(animation.Start());
    EXPECT_FALSE(animation.Start());
    ASSERT_TRUE(waitUntil([&] { return sink->count() >= 14; }));
    EXPECT_TRUE(animation.Stop());
    EXPECT_FALSE(animation.IsPlaying());

    const std::vector<std::string> expected = {"d0", "s0", "d0", "s1", "d1", "s2", "d2",
                                               "r",  "s0", "d0", "s1", "d1", "s2", "d2"};
    const std::vector<std::string> steps = sink->steps();
    ASSERT_GE(steps.size(), expected.size());
    EXPECT_EQ(expected, std::vector<std::string>(steps.begin(), steps.begin() + 14));
    std::lock_guard<std::mutex> lock(mutex);
    ASSERT_GE(waits.size(), 3u);
    EXPECT_EQ((std::vector<uint32_t>{100, 50, 100}),
              std::vector<uint32_t>(waits.begin(), waits.begin() + 3));
}

TEST(Animation, NeedsTwoFrames) {
    auto sink = std::make_shared<RecordingSink>();
    gif::Animation one(sink, {10});
    EXPECT_FALSE(one.Start());
    EXPECT_TRUE(one.Stop());
    gif::Animation none(nullptr, {10, 10});
    EXPECT_FALSE(none.Start());
}

TEST(Animation, StopWakesALongDelayAndCanStartAgain) {
    auto sink = std::make_shared<RecordingSink>();
    // Frames of 655 seconds: only the stop event can end the wait in time.
    gif::Animation animation(sink, {65535, 65535});
    ASSERT_TRUE(animation.Start());
    ASSERT_TRUE(waitUntil([&] { return sink->count() >= 2; }));
    EXPECT_TRUE(animation.IsPlaying());
    EXPECT_TRUE(animation.Stop());
    EXPECT_EQ(0u, animation.CurrentFrame());

    const size_t before = sink->count();
    ASSERT_TRUE(animation.Start());
    ASSERT_TRUE(waitUntil([&] { return sink->count() >= before + 2; }));
    EXPECT_TRUE(animation.Stop());
}

TEST(Animation, StopThatTimesOutLeavesTheSinkToTheThread) {
    auto sink = std::make_shared<RecordingSink>();
    std::weak_ptr<RecordingSink> watch = sink;
    auto gate = std::make_shared<platform::Event>(true, false);
    sink->blockAt(1, gate);
    {
        gif::Animation animation(sink, {0, 0});
        animation.SetWaiter([](uint32_t, platform::Event& stop) { stop.wait(1); });
        ASSERT_TRUE(animation.Start());
        ASSERT_TRUE(waitUntil([&] { return sink->count() >= 3; }));  // d0 s0 d0, then blocked
        EXPECT_FALSE(animation.Stop(50));
        EXPECT_FALSE(animation.Start());  // the sink is still in the thread's hands
    }
    sink.reset();
    EXPECT_FALSE(watch.expired());
    gate->set();  // the stuck thread finishes its frame, sees the stop and ends
    EXPECT_TRUE(waitUntil([&] { return watch.expired(); }));
}

}  // namespace
