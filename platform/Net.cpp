#include "platform/Net.h"

#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>

namespace platform::net {

namespace {

int64_t steadyNowMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

WaitResult waitFor(int fd, short events, int timeoutMs) {
    const int64_t deadline = steadyNowMs() + (timeoutMs < 0 ? 0 : timeoutMs);
    for (;;) {
        const int64_t left = deadline - steadyNowMs();
        pollfd p = {fd, events, 0};
        int rc = poll(&p, 1, left > 0 ? static_cast<int>(left) : 0);
        if (rc > 0) {
            return WaitResult::kReady;
        }
        if (rc == 0) {
            return WaitResult::kTimedOut;
        }
        if (errno != EINTR) {
            return WaitResult::kError;
        }
    }
}

}  // namespace

bool resolveIPv4(const std::string& host, uint32_t& addressNetworkOrder) {
    if (host.empty() || host.find('\0') != std::string::npos) {
        return false;
    }
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* list = nullptr;
    if (getaddrinfo(host.c_str(), nullptr, &hints, &list) != 0 || list == nullptr) {
        return false;
    }
    bool found = false;
    for (addrinfo* ai = list; ai != nullptr && !found; ai = ai->ai_next) {
        if (ai->ai_family == AF_INET && ai->ai_addr != nullptr) {
            addressNetworkOrder = reinterpret_cast<sockaddr_in*>(ai->ai_addr)->sin_addr.s_addr;
            found = true;
        }
    }
    freeaddrinfo(list);
    return found;
}

Socket& Socket::operator=(Socket&& other) noexcept {
    if (this != &other) {
        close();
        m_fd = other.m_fd;
        other.m_fd = -1;
    }
    return *this;
}

void Socket::close() {
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
}

Socket openTcp() {
    return Socket(socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
}

bool setNonBlocking(int fd, bool on) {
    int flags = fcntl(fd, F_GETFL, 0);
    if (flags < 0) {
        return false;
    }
    flags = on ? (flags | O_NONBLOCK) : (flags & ~O_NONBLOCK);
    return fcntl(fd, F_SETFL, flags) == 0;
}

ConnectStart startConnect(int fd, const Endpoint& to) {
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(to.port);
    a.sin_addr.s_addr = to.address;
    if (connect(fd, reinterpret_cast<const sockaddr*>(&a), sizeof a) == 0) {
        return ConnectStart::kConnected;
    }
    // EINTR on a non-blocking connect leaves it going on in the background, like EINPROGRESS.
    if (errno == EINPROGRESS || errno == EINTR) {
        return ConnectStart::kPending;
    }
    return ConnectStart::kFailed;
}

WaitResult waitWritable(int fd, int timeoutMs) {
    return waitFor(fd, POLLOUT, timeoutMs);
}

WaitResult waitReadable(int fd, int timeoutMs) {
    return waitFor(fd, POLLIN, timeoutMs);
}

int pendingError(int fd) {
    int error = 0;
    socklen_t len = sizeof error;
    if (getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &len) != 0) {
        return errno;
    }
    return error;
}

bool sendAll(int fd, const char* data, size_t size) {
    while (size > 0) {
        ssize_t n = send(fd, data, size, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return false;
        }
        data += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

void setSendTimeout(int fd, int timeoutMs) {
    timeval tv{};
    tv.tv_sec = timeoutMs / 1000;
    tv.tv_usec = (timeoutMs % 1000) * 1000;
    setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &tv, sizeof tv);
}

long bytesAvailable(int fd) {
    int count = 0;
    if (ioctl(fd, FIONREAD, &count) != 0) {
        return -1;
    }
    return count;
}

long receive(int fd, char* buffer, size_t size) {
    for (;;) {
        ssize_t n = recv(fd, buffer, size, MSG_DONTWAIT);
        if (n >= 0) {
            return static_cast<long>(n);
        }
        if (errno == EINTR) {
            continue;
        }
        return (errno == EAGAIN || errno == EWOULDBLOCK) ? kWouldBlock : -1;
    }
}

}  // namespace platform::net
