#include "http/HttpClient.h"

#include <algorithm>

#include "http/Transport.h"
#include "platform/Clock.h"

namespace {

// CR, LF or NUL in a request line or Host header would let a URL write its own headers.
bool breaksRequest(std::string_view text) {
    return text.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos;
}

}  // namespace

std::string buildRequest(std::string_view target, std::string_view host, std::string_view cookie) {
    std::string r;
    r.reserve(96 + target.size() + host.size() + cookie.size());
    r += "GET ";
    r += target.empty() ? std::string_view("/") : target;
    r += " HTTP/1.1\r\nHost: ";
    r += host;
    r += "\r\nUser-Agent: test\r\nAccept: */*\r\nAccept-Language: ko\r\nCookie: ";
    r += cookie;
    r += "\r\n\r\n";
    return r;
}

HttpClient::HttpClient(CookieJar* cookieJar, HostCache* hostCache, int32_t timeoutSeconds)
    : hostCache(hostCache), cookieJar(cookieJar), timeoutSeconds(timeoutSeconds) {}

bool HttpClient::fetch(Url u) {
    if (u.compose(kPartAll).empty()) {
        return false;
    }
    errorText.clear();
    redirectChain.clear();
    const int64_t deadline = platform::steadyMs() + waits.fetchMs;
    bool result = false;
    for (int redirects = 0;; ++redirects) {
        if (!errorText.empty()) {
            return result;
        }
        if (!redirectChain.insert(u.compose(kPartAll)).second) {
            errorText = kErrorRedirectLoop;
            return result;
        }
        if (redirects > kMaxRedirects) {
            errorText = kErrorTooManyRedirects;
            return false;
        }
        if (!exchange(u, deadline)) {
            return false;
        }
        const int s = parser.statusCode;
        if (s < 200 || s >= 400) {
            errorText = kErrorHttpStatusPrefix + std::to_string(s) + ")";
        } else if (parser.failed()) {
            errorText = parser.errorText;
        }
        result = s >= 200 && s <= 299 && !parser.failed();
        if (s < 300 || s > 399 || parser.location.empty()) {
            return result;
        }
        u = resolveUrl(u, Url(parser.location));
    }
}

bool HttpClient::exchange(const Url& u, int64_t deadlineMs) {
    const std::string target = u.compose(kPartRequestTarget);
    if (breaksRequest(target) || breaksRequest(u.host)) {
        errorText = kErrorBadUrl;
        return false;
    }
    platform::net::Endpoint to;
    if (!resolveAddress(hostCache, u, to, errorText)) {
        return false;
    }
    const int64_t left = deadlineMs - platform::steadyMs();
    if (left <= 0) {
        errorText = kErrorTimeout;
        return false;
    }
    platform::net::Socket socket = connectWithTimeout(
        to, static_cast<int>(std::min<int64_t>(waits.connectMs, left)), errorText);
    if (!socket.valid()) {
        return false;
    }
    const std::string cookie = cookieJar != nullptr ? cookieJar->headerFor(u) : std::string();
    const std::string request = buildRequest(target, u.host, cookie);
    // A failed send shows up in the receive loop as a closed connection or a time-out.
    platform::net::setSendTimeout(socket.fd(), waits.receiveMs);
    platform::net::sendAll(socket.fd(), request.data(), request.size());
    receiveResponse(socket.fd(), parser, waits.receiveMs, deadlineMs, errorText);
    if (cookieJar != nullptr) {
        cookieJar->storeAll(parser.setCookies, u);
    }
    return true;
}
