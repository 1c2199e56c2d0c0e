// The web search's way onto the network: fetch sends an HTTP/1.1 GET for a URL, follows
// redirects on new connections, and leaves the final response in parser. Network failures
// are never thrown: fetch returns false and keeps a message in errorText.
// One thread per client; the host cache and cookie jar are shared with the source's other
// clients and taken one at a time, never two together.
#pragma once

#include <cstdint>
#include <set>
#include <string>
#include <string_view>

#include "http/CookieJar.h"
#include "http/HostCache.h"
#include "http/HttpParser.h"
#include "http/Url.h"

inline constexpr const char* kErrorRedirectLoop = "redirection looping!!!";
inline constexpr const char* kErrorTooManyRedirects = "too many redirections!!!";
inline constexpr const char* kErrorBadUrl = "invalid URL!!!";
// Followed by the status in decimal and ")".
inline constexpr const char* kErrorHttpStatusPrefix = "HTTP Error(Response code:";

// The request text for target (sent as raw bytes, "/" when empty), host (without port)
// and the Cookie header value (the line is sent also when the value is empty).
std::string buildRequest(std::string_view target, std::string_view host, std::string_view cookie);

class HttpClient {
public:
    // The waits of one fetch, in milliseconds.
    struct Waits {
        int connectMs = 2000;
        int receiveMs = 3000;  // without any data
        // The whole fetch, redirects included: a server dripping a byte every few seconds
        // cannot hold a crawl step for ever.
        int fetchMs = 60000;
    };
    // Redirects followed in one fetch before it gives up.
    static constexpr int kMaxRedirects = 20;

    // Either pointer may be null: no cache (every request resolves), no cookies.
    HttpClient(CookieJar* cookieJar, HostCache* hostCache, int32_t timeoutSeconds);

    // True exactly when the last response had a status from 200 to 299. The caller's Url
    // is not changed by redirects. An empty Url returns false at once and leaves
    // errorText, parser and redirectChain as they were.
    bool fetch(Url u);

    HostCache* hostCache;  // not owned
    CookieJar* cookieJar;  // not owned
    HttpParser parser;     // the response of the last exchange
    // Given by the crawl options and kept for them; the waits are set by waits.
    int32_t timeoutSeconds;
    std::string errorText;
    // The URLs (kPartAll) requested during the current fetch.
    std::set<std::string> redirectChain;
    Waits waits;

private:
    // One request and its response; false when the fetch ends before a response.
    bool exchange(const Url& u, int64_t deadlineMs);
};
