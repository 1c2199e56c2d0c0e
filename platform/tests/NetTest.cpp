#include "platform/Net.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <string>

namespace {

using namespace platform::net;

TEST(Net, ResolvesNumericHostsAndLocalhostOnly) {
    uint32_t a = 0;
    ASSERT_TRUE(resolveIPv4("127.0.0.2", a));
    EXPECT_EQ(a, inet_addr("127.0.0.2"));
    ASSERT_TRUE(resolveIPv4("localhost", a));
    EXPECT_EQ(a, inet_addr("127.0.0.1"));
    EXPECT_FALSE(resolveIPv4("", a));
    EXPECT_FALSE(resolveIPv4(std::string("127.0.0.1\0x", 11), a));
}

TEST(Net, SendToAGoneUnixPeerFailsWithoutSignal) {
    int pair[2];
    ASSERT_EQ(socketpair(AF_UNIX, SOCK_STREAM, 0, pair), 0);
    Socket mine(pair[0]);
    ::close(pair[1]);
    const std::string data(1 << 16, 'x');
    // SIGPIPE would end the test binary here.
    EXPECT_FALSE(sendAll(mine.fd(), data.data(), data.size()));
}

TEST(Net, WaitsReportReadinessAndTimeOut) {
    int pair[2];
    ASSERT_EQ(socketpair(AF_UNIX, SOCK_STREAM, 0, pair), 0);
    Socket a(pair[0]);
    Socket b(pair[1]);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(waitReadable(a.fd(), 100), WaitResult::kTimedOut);
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(90));
    EXPECT_EQ(waitWritable(a.fd(), 100), WaitResult::kReady);
    ASSERT_TRUE(sendAll(b.fd(), "abc", 3));
    EXPECT_EQ(waitReadable(a.fd(), 1000), WaitResult::kReady);
    EXPECT_EQ(bytesAvailable(a.fd()), 3);
    char buf[8];
    EXPECT_EQ(receive(a.fd(), buf, sizeof buf), 3);
    EXPECT_EQ(receive(a.fd(), buf, sizeof buf), kWouldBlock);
    b.close();
    EXPECT_EQ(receive(a.fd(), buf, sizeof buf), 0);
}

TEST(Net, SocketMovesItsDescriptor) {
    Socket s = openTcp();
    ASSERT_TRUE(s.valid());
    const int fd = s.fd();
    Socket t(std::move(s));
    EXPECT_FALSE(s.valid());
    EXPECT_EQ(t.fd(), fd);
    t.close();
    EXPECT_FALSE(t.valid());
}

}  // namespace
