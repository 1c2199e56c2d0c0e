// A small HTTP/1.1 file server on 127.0.0.1 for download tests: one request per
// connection, answers set per path (status, body, a declared length that may lie, a
// connection cut after some bytes, a stall). Started and stopped by the test itself.
#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace testsupport {

class TinyHttpServer {
public:
    struct Reply {
        int status = 200;
        std::string body;
        std::optional<uint64_t> declaredLength;  // Content-Length sent; body size when unset
        std::optional<size_t> cutAfter;          // close after this many body bytes
        bool stall = false;                      // send the head, then nothing
        std::string location;                    // for redirects
    };

    TinyHttpServer() {
        m_listen = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        int one = 1;
        ::setsockopt(m_listen, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        addr.sin_port = 0;
        if (::bind(m_listen, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
            ::listen(m_listen, 16) != 0) {
            ::close(m_listen);
            m_listen = -1;
            return;
        }
        socklen_t len = sizeof addr;
        ::getsockname(m_listen, reinterpret_cast<sockaddr*>(&addr), &len);
        m_port = ntohs(addr.sin_port);
        m_thread = std::thread([this] { serve(); });
    }
    ~TinyHttpServer() {
        m_stop = true;
        if (m_thread.joinable()) {
            m_thread.join();
        }
        if (m_listen >= 0) {
            ::close(m_listen);
        }
    }
    TinyHttpServer(const TinyHttpServer&) = delete;
    TinyHttpServer& operator=(const TinyHttpServer&) = delete;

    bool ok() const { return m_listen >= 0; }
    int port() const { return m_port; }
    std::string base() const { return "http://127.0.0.1:" + std::to_string(m_port); }

    void set(const std::string& path, Reply reply) {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_replies[path] = std::move(reply);
    }
    void setFile(const std::string& path, const std::string& body) {
        Reply r;
        r.body = body;
        set(path, r);
    }
    std::vector<std::string> requests() const {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_requests;
    }

private:
    void serve() {
        while (!m_stop) {
            pollfd p{m_listen, POLLIN, 0};
            if (::poll(&p, 1, 50) <= 0) {
                continue;
            }
            const int fd = ::accept4(m_listen, nullptr, nullptr, SOCK_CLOEXEC);
            if (fd >= 0) {
                handle(fd);
                ::close(fd);
            }
        }
    }

    void handle(int fd) {
        std::string request;
        char buf[4096];
        while (request.find("\r\n\r\n") == std::string::npos && request.size() < 65536) {
            pollfd p{fd, POLLIN, 0};
            if (::poll(&p, 1, 2000) <= 0) {
                return;
            }
            const ssize_t n = ::recv(fd, buf, sizeof buf, 0);
            if (n <= 0) {
                return;
            }
            request.append(buf, static_cast<size_t>(n));
        }
        const size_t sp1 = request.find(' ');
        const size_t sp2 = request.find(' ', sp1 + 1);
        const std::string path = request.substr(sp1 + 1, sp2 - sp1 - 1);
        Reply reply;
        bool known = false;
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_requests.push_back(path);
            const auto it = m_replies.find(path);
            if (it != m_replies.end()) {
                reply = it->second;
                known = true;
            }
        }
        if (!known) {
            reply.status = 404;
            reply.body = "not found";
        }
        const uint64_t length = reply.declaredLength.value_or(reply.body.size());
        std::string head = "HTTP/1.1 " + std::to_string(reply.status) +
                           " X\r\nContent-Length: " + std::to_string(length) +
                           "\r\nConnection: close\r\n";
        if (!reply.location.empty()) {
            head += "Location: " + reply.location + "\r\n";
        }
        head += "\r\n";
        sendAll(fd, head);
        if (reply.stall) {
            while (!m_stop) {
                pollfd p{fd, POLLIN, 0};
                if (::poll(&p, 1, 50) > 0 && ::recv(fd, buf, sizeof buf, 0) <= 0) {
                    return;  // the client gave up
                }
            }
            return;
        }
        std::string body = reply.body;
        if (reply.cutAfter && *reply.cutAfter < body.size()) {
            body.resize(*reply.cutAfter);
        }
        sendAll(fd, body);
        if (reply.cutAfter) {
            ::shutdown(fd, SHUT_RDWR);
        }
    }

    static void sendAll(int fd, const std::string& data) {
        size_t done = 0;
        while (done < data.size()) {
            const ssize_t n = ::send(fd, data.data() + done, data.size() - done, MSG_NOSIGNAL);
            if (n <= 0) {
                return;
            }
            done += static_cast<size_t>(n);
        }
    }

    int m_listen = -1;
    int m_port = 0;
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
    mutable std::mutex m_mutex;
    std::map<std::string, Reply> m_replies;  // guarded by m_mutex
    std::vector<std::string> m_requests;     // guarded by m_mutex
};

}  // namespace testsupport
