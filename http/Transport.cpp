#include "http/Transport.h"

#include <algorithm>
#include <vector>

#include "platform/Clock.h"

namespace net = platform::net;

namespace {

// Read size when the socket reports nothing buffered: enough to tell the end of the
// stream from a reset, or to take data that arrived just then.
constexpr size_t kProbeBytes = 4096;
// One receive never takes more than this, whatever the socket reports.
constexpr size_t kMaxReadBytes = size_t{1} << 20;

}  // namespace

bool resolveAddress(HostCache* cache, const Url& url, net::Endpoint& out, std::string& errorText) {
    uint32_t address = 0;
    const bool found = cache != nullptr
                           ? cache->lookup(url.host, address)
                           : (!url.host.empty() && net::resolveIPv4(url.host, address));
    if (!found) {
        errorText = kErrorDnsQuery;
        return false;
    }
    if (url.port < 1 || url.port > 65535) {
        errorText = kErrorConnect;
        return false;
    }
    out.address = address;
    out.port = static_cast<uint16_t>(url.port);
    return true;
}

net::Socket connectWithTimeout(const net::Endpoint& to, int timeoutMs, std::string& errorText) {
    net::Socket s = net::openTcp();
    if (!s.valid()) {
        errorText = kErrorCreateSocket;
        return s;
    }
    net::setNonBlocking(s.fd(), true);
    switch (net::startConnect(s.fd(), to)) {
        case net::ConnectStart::kConnected:
            break;
        case net::ConnectStart::kPending:
            // Writable means the connect finished either way; a refused one leaves its
            // error in SO_ERROR.
            if (net::waitWritable(s.fd(), timeoutMs) != net::WaitResult::kReady ||
                net::pendingError(s.fd()) != 0) {
                s.close();
                return s;
            }
            break;
        case net::ConnectStart::kFailed:
            s.close();
            return s;
    }
    net::setNonBlocking(s.fd(), false);
    return s;
}

void receiveResponse(int fd, HttpParser& parser, int waitMs, int64_t deadlineMs,
                     std::string& errorText) {
    parser.reset();
    std::vector<char> buffer;
    for (;;) {
        const int64_t left = deadlineMs - platform::steadyMs();
        if (left <= 0) {
            errorText = kErrorTimeout;
            return;
        }
        const net::WaitResult ready =
            net::waitReadable(fd, static_cast<int>(std::min<int64_t>(waitMs, left)));
        if (ready == net::WaitResult::kError) {
            errorText = kErrorSocket;
            return;
        }
        if (ready == net::WaitResult::kTimedOut) {
            errorText = kErrorTimeout;
            return;
        }
        const long available = net::bytesAvailable(fd);
        if (available < 0) {
            return;
        }
        buffer.resize(available == 0 ? kProbeBytes
                                     : std::min(static_cast<size_t>(available), kMaxReadBytes));
        const long got = net::receive(fd, buffer.data(), buffer.size());
        if (got == net::kWouldBlock) {
            continue;
        }
        if (got == 0 && available == 0) {
            return;  // the peer closed in order
        }
        if (got <= 0) {
            errorText = kErrorConnectionClosed;
            return;
        }
        const char* begin = buffer.data();
        if (parser.state == 2) {
            parser.feedBody(begin, begin + got);
        } else {
            parser.feedHeaders(begin, begin + got);
        }
        if (parser.state == 0 || parser.finished()) {
            return;
        }
    }
}
