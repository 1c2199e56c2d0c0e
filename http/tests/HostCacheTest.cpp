#include "http/HostCache.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>

#include <atomic>
#include <latch>
#include <thread>
#include <vector>

namespace {

uint32_t ipv4(const char* text) {
    in_addr a{};
    inet_pton(AF_INET, text, &a);
    return a.s_addr;
}

TEST(HostCache, ResolvesNumericAndLocalNamesWithTheSystemResolver) {
    HostCache cache;
    uint32_t a = 0;
    ASSERT_TRUE(cache.lookup("127.0.0.2", a));
    EXPECT_EQ(a, ipv4("127.0.0.2"));
    ASSERT_TRUE(cache.lookup("localhost", a));
    EXPECT_EQ(a, ipv4("127.0.0.1"));
}

TEST(HostCache, EmptyHostFailsWithoutAskingTheResolver) {
    int calls = 0;
    HostCache cache([&](const std::string&, uint32_t&) {
        ++calls;
        return true;
    });
    uint32_t a = 7;
    EXPECT_FALSE(cache.lookup("", a));
    EXPECT_EQ(calls, 0);
    EXPECT_EQ(a, 7u);
}

TEST(HostCache, FailuresAreNotKeptSuccessesAre) {
    int calls = 0;
    bool answer = false;
    HostCache cache([&](const std::string&, uint32_t& out) {
        ++calls;
        out = ipv4("10.0.0.1");
        return answer;
    });
    uint32_t a = 0;
    EXPECT_FALSE(cache.lookup("h", a));
    EXPECT_EQ(cache.size(), 0u);
    answer = true;
    EXPECT_TRUE(cache.lookup("h", a));
    EXPECT_TRUE(cache.lookup("h", a));
    EXPECT_EQ(calls, 2);
    EXPECT_EQ(a, ipv4("10.0.0.1"));
    // Host texts are compared byte-wise.
    EXPECT_TRUE(cache.lookup("H", a));
    EXPECT_EQ(calls, 3);
}

TEST(HostCache, AddedHostNeedsNoLookup) {
    int calls = 0;
    HostCache cache([&](const std::string&, uint32_t&) {
        ++calls;
        return false;
    });
    cache.add("engine.example", ipv4("127.0.0.3"));
    uint32_t a = 0;
    ASSERT_TRUE(cache.lookup("engine.example", a));
    EXPECT_EQ(a, ipv4("127.0.0.3"));
    EXPECT_EQ(calls, 0);
}

TEST(HostCache, ThreadsAskingAtOnceCauseOneLookup) {
    constexpr int kThreads = 8;
    std::atomic<int> calls{0};
    HostCache cache([&](const std::string&, uint32_t& out) {
        ++calls;
        // A slow resolver widens the window in which the others ask.
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        out = ipv4("10.1.2.3");
        return true;
    });
    std::latch go(kThreads);
    std::vector<uint32_t> got(kThreads, 0);
    std::vector<std::thread> threads;
    for (int i = 0; i < kThreads; ++i) {
        threads.emplace_back([&, i] {
            go.arrive_and_wait();
            cache.lookup("same.host", got[i]);
        });
    }
    for (auto& t : threads) {
        t.join();
    }
    EXPECT_EQ(calls.load(), 1);
    for (uint32_t a : got) {
        EXPECT_EQ(a, ipv4("10.1.2.3"));
    }
}

}  // namespace
