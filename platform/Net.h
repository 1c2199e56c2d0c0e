// The socket layer under the HTTP client: IPv4 TCP over POSIX sockets. Host lookup through
// the thread-safe resolver, connects that can be waited for, poll-based waits (no fd_set
// limit), and sends that never raise SIGPIPE.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace platform::net {

// An IPv4 address in network byte order and a port in host byte order.
struct Endpoint {
    uint32_t address = 0;
    uint16_t port = 0;
};

// The first IPv4 address of host (a name or a dotted number); false when there is none.
bool resolveIPv4(const std::string& host, uint32_t& addressNetworkOrder);

// A TCP socket that closes itself.
class Socket {
public:
    Socket() = default;
    explicit Socket(int fd) : m_fd(fd) {}
    ~Socket() { close(); }
    Socket(Socket&& other) noexcept : m_fd(other.m_fd) { other.m_fd = -1; }
    Socket& operator=(Socket&& other) noexcept;
    Socket(const Socket&) = delete;
    Socket& operator=(const Socket&) = delete;

    bool valid() const { return m_fd >= 0; }
    int fd() const { return m_fd; }
    void close();

private:
    int m_fd = -1;
};

// A new IPv4 stream socket; invalid when the system refuses one.
Socket openTcp();

bool setNonBlocking(int fd, bool on);

enum class ConnectStart { kConnected, kPending, kFailed };
// Starts a connect on a non-blocking socket.
ConnectStart startConnect(int fd, const Endpoint& to);

enum class WaitResult { kReady, kTimedOut, kError };
// Waits up to timeoutMs for the socket to become writable (connect finished either way)
// or readable (data, end of stream or an error to collect). EINTR restarts the wait with
// the time that is left.
WaitResult waitWritable(int fd, int timeoutMs);
WaitResult waitReadable(int fd, int timeoutMs);

// The pending error of the socket (SO_ERROR): 0 after a successful connect.
int pendingError(int fd);

// Sends all of data on a blocking socket, without SIGPIPE; false when the peer is gone or
// the send timed out.
bool sendAll(int fd, const char* data, size_t size);

// Bounds every blocking send on the socket.
void setSendTimeout(int fd, int timeoutMs);

// Bytes that can be read at once; -1 when the system cannot tell.
long bytesAvailable(int fd);

// Takes what has arrived without blocking; returns the count, 0 at the end of the stream,
// -1 on an error (a reset), kWouldBlock when nothing is there.
constexpr long kWouldBlock = -2;
long receive(int fd, char* buffer, size_t size);

}  // namespace platform::net
