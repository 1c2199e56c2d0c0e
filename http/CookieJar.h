// The cookies servers set during one web source's crawl, kept in memory and given back on
// later requests to matching URLs. Shared by every client of the source, under one lock.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "http/Url.h"
#include "platform/Sync.h"

// Attributes are kept exactly as read, untrimmed.
struct Cookie {
    std::string value;
    std::string expires;  // read only when a Cookie header is built
    std::string path;
    std::string domain;
    std::string secure;  // stored and replaced, read by no rule
};

// The text after the first '=' that follows the first occurrence of key (case-sensitive,
// anywhere in text) up to the next ';'; empty when key or the '=' is missing.
std::string cookieAttribute(std::string_view text, std::string_view key);

// Seconds since 1970 of an expires text of the forms "Wdy, DD-Mon-YYYY HH:MM:SS GMT" and
// "Wdy, DD Mon YYYY HH:MM:SS GMT", read at fixed offsets from its first digit and taken as
// UTC whatever the machine's zone; now when the text cannot be read that way.
int64_t parseCookieExpiry(std::string_view text, int64_t now);
int64_t parseCookieExpiry(std::string_view text);

// Whether a cookie of domain may go to host: a domain that begins with '.' matches the
// hosts that end with it; any other domain only the same host (sameHost).
bool cookieDomainMatches(std::string_view domain, std::string_view host);

class CookieJar {
public:
    // Whole seconds since 1970; the seam tests replace.
    using Clock = std::function<int64_t()>;

    CookieJar();
    explicit CookieJar(Clock now);

    // store for each value, in order.
    void storeAll(const std::vector<std::string>& setCookies, const Url& from);
    // Adds or updates one cookie from a Set-Cookie value received for the URL from.
    // Ignored: empty text, no '=', a ';' before the first '=', CR, LF or NUL anywhere,
    // a domain that the setting host does not match, a URL without a host.
    void store(const std::string& text, const Url& from);
    // The Cookie header value for a request to u (possibly empty); drops the expired
    // cookies it meets on the way.
    std::string headerFor(const Url& u);

    // Every cookie, in jar order.
    std::vector<std::pair<std::string, Cookie>> cookies();

private:
    Clock m_now;
    // Ordered by name; cookies of one name stay in the order they were added.
    std::multimap<std::string, Cookie> m_cookies;  // guarded by m_lock
    platform::CriticalSection m_lock;
};
