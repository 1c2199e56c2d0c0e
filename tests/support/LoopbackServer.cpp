#include "tests/support/LoopbackServer.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <strings.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <optional>

namespace testsupport {

namespace {

// How long the server waits for a request's blank line before playing the script anyway.
constexpr int kRequestWaitMs = 5000;

bool makeAddress(const std::string& address, uint16_t port, sockaddr_in& out) {
    std::memset(&out, 0, sizeof out);
    out.sin_family = AF_INET;
    out.sin_port = htons(port);
    return inet_pton(AF_INET, address.c_str(), &out.sin_addr) == 1;
}

uint16_t boundPort(int fd) {
    sockaddr_in a{};
    socklen_t len = sizeof a;
    if (getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len) != 0) {
        return 0;
    }
    return ntohs(a.sin_port);
}

int64_t nowMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

}  // namespace

Script& Script::send(std::string bytes) {
    m_steps.push_back({Step::kSend, std::move(bytes), 0});
    return *this;
}

Script& Script::sendPieces(const std::vector<std::string>& pieces, int gapMs) {
    for (size_t i = 0; i < pieces.size(); ++i) {
        if (i > 0) {
            pause(gapMs);
        }
        send(pieces[i]);
    }
    return *this;
}

Script& Script::drip(const std::string& bytes, int intervalMs) {
    for (size_t i = 0; i < bytes.size(); ++i) {
        if (i > 0) {
            pause(intervalMs);
        }
        send(std::string(1, bytes[i]));
    }
    return *this;
}

Script& Script::pause(int ms) {
    m_steps.push_back({Step::kPause, {}, ms});
    return *this;
}

Script& Script::reset() {
    m_steps.push_back({Step::kReset, {}, 0});
    return *this;
}

Script& Script::close() {
    m_steps.push_back({Step::kClose, {}, 0});
    return *this;
}

Script& Script::hold() {
    m_steps.push_back({Step::kHold, {}, 0});
    return *this;
}

Script& Script::dontReadRequest() {
    m_readRequest = false;
    return *this;
}

std::string httpResponse(int status, const std::string& reason,
                         const std::vector<std::string>& headers, const std::string& body,
                         bool withContentLength) {
    std::string r = "HTTP/1.1 " + std::to_string(status) + " " + reason + "\r\n";
    for (const std::string& h : headers) {
        r += h + "\r\n";
    }
    if (withContentLength) {
        r += "Content-Length: " + std::to_string(body.size()) + "\r\n";
    }
    r += "\r\n";
    r += body;
    return r;
}

std::string chunkedBody(const std::vector<std::string>& chunks) {
    static const char kHex[] = "0123456789abcdef";
    std::string r;
    for (const std::string& c : chunks) {
        std::string size;
        for (size_t n = c.size(); n > 0; n /= 16) {
            size.insert(size.begin(), kHex[n % 16]);
        }
        r += size + "\r\n" + c + "\r\n";
    }
    r += "0\r\n\r\n";
    return r;
}

std::string requestTarget(const std::string& request) {
    const size_t lineEnd = request.find("\r\n");
    const size_t first = request.find(' ');
    if (lineEnd == std::string::npos || first == std::string::npos || first > lineEnd) {
        return {};
    }
    const size_t second = request.find(' ', first + 1);
    const size_t end = (second == std::string::npos || second > lineEnd) ? lineEnd : second;
    return request.substr(first + 1, end - first - 1);
}

std::string requestHeader(const std::string& request, const std::string& name) {
    size_t pos = request.find("\r\n");
    while (pos != std::string::npos && pos + 2 < request.size()) {
        const size_t start = pos + 2;
        const size_t end = request.find("\r\n", start);
        if (end == std::string::npos || end == start) {
            break;
        }
        const std::string line = request.substr(start, end - start);
        if (line.size() > name.size() && line[name.size()] == ':' &&
            strncasecmp(line.c_str(), name.c_str(), name.size()) == 0) {
            size_t v = name.size() + 1;
            while (v < line.size() && line[v] == ' ') {
                ++v;
            }
            return line.substr(v);
        }
        pos = end;
    }
    return {};
}

LoopbackServer::LoopbackServer(std::string address, uint16_t port)
    : m_address(std::move(address)), m_port(port) {}

LoopbackServer::~LoopbackServer() {
    stop();
}

void LoopbackServer::enqueue(Script script) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_queue.push_back(std::move(script));
}

void LoopbackServer::setHandler(Handler handler) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_handler = std::move(handler);
}

bool LoopbackServer::start() {
    sockaddr_in a{};
    if (!makeAddress(m_address, m_port, a)) {
        m_error = "bad address " + m_address;
        return false;
    }
    m_listenFd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (m_listenFd < 0) {
        m_error = std::string("socket: ") + std::strerror(errno);
        return false;
    }
    int one = 1;
    setsockopt(m_listenFd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    if (bind(m_listenFd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 ||
        listen(m_listenFd, 64) != 0 || pipe2(m_stopPipe, O_CLOEXEC) != 0) {
        m_error = std::string("bind/listen: ") + std::strerror(errno);
        ::close(m_listenFd);
        m_listenFd = -1;
        return false;
    }
    m_port = boundPort(m_listenFd);
    m_stopping = false;
    m_acceptThread = std::thread([this] { acceptLoop(); });
    return true;
}

void LoopbackServer::stop() {
    if (m_listenFd < 0) {
        return;
    }
    m_stopping = true;
    char b = 1;
    [[maybe_unused]] ssize_t w = write(m_stopPipe[1], &b, 1);
    if (m_acceptThread.joinable()) {
        m_acceptThread.join();
    }
    std::vector<std::thread> workers;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        workers.swap(m_workers);
    }
    for (std::thread& t : workers) {
        t.join();
    }
    ::close(m_listenFd);
    ::close(m_stopPipe[0]);
    ::close(m_stopPipe[1]);
    m_listenFd = -1;
    m_stopPipe[0] = m_stopPipe[1] = -1;
}

std::string LoopbackServer::url(const std::string& path) const {
    return "http://" + m_address + ":" + std::to_string(m_port) + path;
}

size_t LoopbackServer::connectionCount() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_requests.size();
}

std::string LoopbackServer::request(size_t i) const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return i < m_requests.size() ? m_requests[i] : std::string();
}

std::vector<std::string> LoopbackServer::requests() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_requests;
}

bool LoopbackServer::waitForConnections(size_t n, int timeoutMs) const {
    std::unique_lock<std::mutex> lock(m_mutex);
    return m_changed.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                              [&] { return m_requests.size() >= n; });
}

bool LoopbackServer::waitForConnectionEnd(size_t i, int timeoutMs) const {
    std::unique_lock<std::mutex> lock(m_mutex);
    return m_changed.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                              [&] { return i < m_ended.size() && m_ended[i]; });
}

void LoopbackServer::acceptLoop() {
    while (!m_stopping) {
        pollfd fds[2] = {{m_listenFd, POLLIN, 0}, {m_stopPipe[0], POLLIN, 0}};
        if (poll(fds, 2, -1) < 0) {
            if (errno == EINTR) {
                continue;
            }
            return;
        }
        if (fds[1].revents != 0) {
            return;
        }
        if ((fds[0].revents & POLLIN) == 0) {
            continue;
        }
        int fd = accept4(m_listenFd, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0) {
            continue;
        }
        int one = 1;
        setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
        std::lock_guard<std::mutex> lock(m_mutex);
        size_t index = m_requests.size();
        m_requests.emplace_back();
        m_ended.push_back(false);
        // Queued scripts go to connections in the order they were accepted.
        std::optional<Script> queued;
        if (!m_queue.empty()) {
            queued = std::move(m_queue.front());
            m_queue.pop_front();
        }
        m_workers.emplace_back(
            [this, fd, index, queued = std::move(queued)] { serve(fd, index, queued); });
        m_changed.notify_all();
    }
}

void LoopbackServer::appendRequest(size_t index, const char* data, size_t size) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_requests[index].append(data, size);
    m_changed.notify_all();
}

// Reads until the blank line that ends the request head; false when the peer went away.
bool LoopbackServer::readRequest(int fd, size_t index) {
    const int64_t deadline = nowMs() + kRequestWaitMs;
    std::string seen;
    while (seen.find("\r\n\r\n") == std::string::npos) {
        int left = static_cast<int>(deadline - nowMs());
        if (left <= 0 || m_stopping) {
            return true;
        }
        pollfd fds[2] = {{fd, POLLIN, 0}, {m_stopPipe[0], POLLIN, 0}};
        if (poll(fds, 2, left) <= 0 || fds[1].revents != 0) {
            continue;
        }
        char buf[4096];
        ssize_t n = recv(fd, buf, sizeof buf, 0);
        if (n <= 0) {
            return false;
        }
        seen.append(buf, static_cast<size_t>(n));
        appendRequest(index, buf, static_cast<size_t>(n));
    }
    return true;
}

Script LoopbackServer::scriptFor(const std::string& request) {
    Handler handler;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        handler = m_handler;
    }
    // Called without the lock, so a handler may ask the server about earlier requests.
    return handler ? handler(request) : Script().close();
}

// Sleeps ms or until the server stops; false when it stops.
bool LoopbackServer::interruptibleWait(int ms) {
    pollfd p = {m_stopPipe[0], POLLIN, 0};
    return poll(&p, 1, ms) == 0;
}

// Sends without blocking past a stop: a client that stops reading cannot hang stop().
bool LoopbackServer::sendAll(int fd, const char* data, size_t size) {
    while (size > 0) {
        ssize_t n = ::send(fd, data, size, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n > 0) {
            data += n;
            size -= static_cast<size_t>(n);
            continue;
        }
        if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) {
            return false;
        }
        pollfd fds[2] = {{fd, POLLOUT, 0}, {m_stopPipe[0], POLLIN, 0}};
        if (poll(fds, 2, -1) < 0 && errno != EINTR) {
            return false;
        }
        if (fds[1].revents != 0) {
            return false;
        }
    }
    return true;
}

// Keeps reading (and recording) whatever the peer sends until it closes or the server stops.
void LoopbackServer::holdUntilStop(int fd, size_t index) {
    while (!m_stopping) {
        pollfd fds[2] = {{fd, POLLIN, 0}, {m_stopPipe[0], POLLIN, 0}};
        if (poll(fds, 2, -1) < 0 && errno != EINTR) {
            return;
        }
        if (fds[1].revents != 0) {
            return;
        }
        if (fds[0].revents != 0) {
            char buf[4096];
            ssize_t n = recv(fd, buf, sizeof buf, 0);
            if (n <= 0) {
                return;
            }
            appendRequest(index, buf, static_cast<size_t>(n));
        }
    }
}

void LoopbackServer::serve(int fd, size_t index, const std::optional<Script>& queued) {
    bool peerThere = true;
    if (!queued || queued->readsRequest()) {
        peerThere = readRequest(fd, index);
    }
    const Script script = queued ? *queued : scriptFor(request(index));
    bool resetAtEnd = false;
    for (const Script::Step& step : script.steps()) {
        if (!peerThere || m_stopping) {
            break;
        }
        switch (step.kind) {
            case Script::Step::kSend:
                peerThere = sendAll(fd, step.bytes.data(), step.bytes.size());
                break;
            case Script::Step::kPause:
                peerThere = interruptibleWait(step.ms);
                break;
            case Script::Step::kReset:
                resetAtEnd = true;
                peerThere = false;
                break;
            case Script::Step::kClose:
                peerThere = false;
                break;
            case Script::Step::kHold:
                holdUntilStop(fd, index);
                peerThere = false;
                break;
        }
    }
    if (resetAtEnd) {
        linger l{1, 0};
        setsockopt(fd, SOL_SOCKET, SO_LINGER, &l, sizeof l);
    } else {
        shutdown(fd, SHUT_WR);
    }
    ::close(fd);
    std::lock_guard<std::mutex> lock(m_mutex);
    m_ended[index] = true;
    m_changed.notify_all();
}

RefusedPort::RefusedPort(const std::string& address) {
    sockaddr_in a{};
    if (!makeAddress(address, 0, a)) {
        return;
    }
    m_fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (m_fd >= 0 && bind(m_fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0) {
        m_port = boundPort(m_fd);
    }
}

RefusedPort::~RefusedPort() {
    if (m_fd >= 0) {
        ::close(m_fd);
    }
}

FullBacklog::FullBacklog(const std::string& address) {
    sockaddr_in a{};
    if (!makeAddress(address, 0, a)) {
        return;
    }
    m_listenFd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (m_listenFd < 0 || bind(m_listenFd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 ||
        listen(m_listenFd, 0) != 0) {
        return;
    }
    m_port = boundPort(m_listenFd);
    a.sin_port = htons(m_port);
    // Connect fillers until one gets no answer: that one proves the queue is full.
    for (int i = 0; i < 16 && !m_ready; ++i) {
        int fd = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        if (fd < 0) {
            return;
        }
        int rc = connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a);
        if (rc == 0) {
            m_fillers.push_back(fd);
            continue;
        }
        if (errno != EINPROGRESS) {
            ::close(fd);
            return;
        }
        pollfd p = {fd, POLLOUT, 0};
        if (poll(&p, 1, 300) == 0) {
            m_ready = true;
            ::close(fd);
        } else {
            m_fillers.push_back(fd);
        }
    }
}

FullBacklog::~FullBacklog() {
    for (int fd : m_fillers) {
        ::close(fd);
    }
    if (m_listenFd >= 0) {
        ::close(m_listenFd);
    }
}

}  // namespace testsupport
