// A scripted TCP server on a loopback address for byte-exact network tests: each accepted
// connection plays a script of steps (send bytes, pause, drip, reset, close, stay silent)
// after recording the raw request. Also helpers for a refused port and for a listener
// whose backlog is full, so a connect to it stays pending.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace testsupport {

// What the server does on one connection, step by step.
class Script {
public:
    struct Step {
        enum Kind { kSend, kPause, kReset, kClose, kHold };
        Kind kind;
        std::string bytes;
        int ms = 0;
    };

    // Sends bytes in one write (TCP_NODELAY is on, so pieces separated by a pause arrive
    // as separate segments).
    Script& send(std::string bytes);
    // Sends each piece, pausing gapMs between them: a response split into packets.
    Script& sendPieces(const std::vector<std::string>& pieces, int gapMs = 20);
    // Sends bytes one at a time with intervalMs between them: a slow drip.
    Script& drip(const std::string& bytes, int intervalMs);
    Script& pause(int ms);
    // Ends the connection with a TCP reset (linger 0) instead of an orderly close.
    Script& reset();
    // Orderly close now (the default after the last step).
    Script& close();
    // Says nothing more and keeps the connection open until the server stops or the peer
    // goes away: a silent peer.
    Script& hold();
    // Do not wait for the request before the first step (the request is still recorded
    // as far as it arrived while the script ran).
    Script& dontReadRequest();

    const std::vector<Step>& steps() const { return m_steps; }
    bool readsRequest() const { return m_readRequest; }

private:
    std::vector<Step> m_steps;
    bool m_readRequest = true;
};

// Response texts for scripts.
std::string httpResponse(int status, const std::string& reason,
                         const std::vector<std::string>& headers, const std::string& body,
                         bool withContentLength = true);
// The chunked transfer coding of the given chunks, closing zero chunk included.
std::string chunkedBody(const std::vector<std::string>& chunks);
// The target of a request's first line ("/a?b=1" of "GET /a?b=1 HTTP/1.1"); empty when
// the line is not complete.
std::string requestTarget(const std::string& request);
// A header's value in a raw request (name compared case-insensitively); empty when absent.
std::string requestHeader(const std::string& request, const std::string& name);

class LoopbackServer {
public:
    // Chooses the script of a connection from its raw request (for routing by path).
    using Handler = std::function<Script(const std::string& request)>;

    // address: any 127.x.y.z; port 0 picks a free port.
    explicit LoopbackServer(std::string address = "127.0.0.1", uint16_t port = 0);
    ~LoopbackServer();
    LoopbackServer(const LoopbackServer&) = delete;
    LoopbackServer& operator=(const LoopbackServer&) = delete;

    // Scripts for the next connections, one each, in order. When none is queued the
    // handler decides; without a handler the connection is closed after its request.
    void enqueue(Script script);
    void setHandler(Handler handler);

    // Binds and listens; false (with a reason in lastError()) when that fails.
    bool start();
    // Stops accepting, ends every connection (held ones too) and joins all threads.
    void stop();

    uint16_t port() const { return m_port; }
    const std::string& address() const { return m_address; }
    // "http://127.0.0.1:port" + path.
    std::string url(const std::string& path = "/") const;
    std::string lastError() const { return m_error; }

    size_t connectionCount() const;
    // The raw bytes received on connection i (0-based), as far as they have arrived.
    std::string request(size_t i) const;
    std::vector<std::string> requests() const;
    // Waits until at least n connections were accepted; false when the deadline passed.
    bool waitForConnections(size_t n, int timeoutMs) const;
    // Waits until connection i has ended on the server's side.
    bool waitForConnectionEnd(size_t i, int timeoutMs) const;

private:
    void acceptLoop();
    void serve(int fd, size_t index, const std::optional<Script>& queued);
    Script scriptFor(const std::string& request);
    bool readRequest(int fd, size_t index);
    bool interruptibleWait(int ms);
    bool sendAll(int fd, const char* data, size_t size);
    void holdUntilStop(int fd, size_t index);
    void appendRequest(size_t index, const char* data, size_t size);

    std::string m_address;
    uint16_t m_port;
    std::string m_error;
    int m_listenFd = -1;
    int m_stopPipe[2] = {-1, -1};
    std::atomic<bool> m_stopping{false};
    std::thread m_acceptThread;

    mutable std::mutex m_mutex;
    mutable std::condition_variable m_changed;
    std::deque<Script> m_queue;           // guarded by m_mutex
    Handler m_handler;                    // guarded by m_mutex
    std::vector<std::string> m_requests;  // guarded by m_mutex
    std::vector<bool> m_ended;            // guarded by m_mutex
    std::vector<std::thread> m_workers;   // guarded by m_mutex
};

// A loopback port where nothing listens: the port stays bound (so no one else takes it)
// but a connect to it is refused.
class RefusedPort {
public:
    explicit RefusedPort(const std::string& address = "127.0.0.1");
    ~RefusedPort();
    RefusedPort(const RefusedPort&) = delete;
    RefusedPort& operator=(const RefusedPort&) = delete;
    uint16_t port() const { return m_port; }

private:
    int m_fd = -1;
    uint16_t m_port = 0;
};

// A listener that never accepts and whose accept queue is already full, so that a new
// connect to it gets no answer and stays pending until the caller gives up.
class FullBacklog {
public:
    explicit FullBacklog(const std::string& address = "127.0.0.1");
    ~FullBacklog();
    FullBacklog(const FullBacklog&) = delete;
    FullBacklog& operator=(const FullBacklog&) = delete;
    uint16_t port() const { return m_port; }
    // False when the queue could not be confirmed full (the test should then skip).
    bool ready() const { return m_ready; }

private:
    int m_listenFd = -1;
    std::vector<int> m_fillers;
    uint16_t m_port = 0;
    bool m_ready = false;
};

}  // namespace testsupport
