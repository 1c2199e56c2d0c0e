#include "http/CookieJar.h"

#include "platform/Clock.h"

namespace {

// Fields are read with at most this many digits, so no date text can overflow the sum.
constexpr int kMaxFieldDigits = 9;
// An expires text needs this many characters from its first digit for every offset.
constexpr size_t kExpiryMinLength = 20;

constexpr std::string_view kMonths[12] = {"JAN", "FEB", "MAR", "APR", "MAY", "JUN",
                                          "JUL", "AUG", "SEP", "OCT", "NOV", "DEC"};

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

char upper(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

// The leading decimal digits at pos (0 when there are none).
int64_t leadingNumber(std::string_view text, size_t pos) {
    int64_t n = 0;
    for (int i = 0; i < kMaxFieldDigits && pos < text.size() && isDigit(text[pos]); ++i, ++pos) {
        n = n * 10 + (text[pos] - '0');
    }
    return n;
}

// Days from 1970-01-01 to the first of the given month (month 1..12) of the
// proleptic Gregorian calendar.
int64_t daysFromCivil(int64_t year, int64_t month) {
    year -= month <= 2 ? 1 : 0;
    const int64_t era = (year >= 0 ? year : year - 399) / 400;
    const int64_t yoe = year - era * 400;
    const int64_t doy = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5;
    const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

bool hasControlBreak(const std::string& text) {
    return text.find_first_of(std::string_view("\r\n\0", 3)) != std::string::npos;
}

// Default cookie path: the request path, cut at its last '/' when it names a file.
std::string defaultPath(const std::string& path) {
    if (path.find('.') == std::string::npos) {
        return path;
    }
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

}  // namespace

std::string cookieAttribute(std::string_view text, std::string_view key) {
    size_t at = text.find(key);
    if (at == std::string_view::npos) {
        return {};
    }
    size_t eq = text.find('=', at + key.size());
    if (eq == std::string_view::npos) {
        return {};
    }
    size_t end = text.find(';', eq + 1);
    return std::string(text.substr(eq + 1, end == std::string_view::npos ? end : end - eq - 1));
}

int64_t parseCookieExpiry(std::string_view text, int64_t now) {
    size_t d = 0;
    while (d < text.size() && !isDigit(text[d])) {
        ++d;
    }
    if (d >= text.size() || text.size() - d < kExpiryMinLength) {
        return now;
    }
    int64_t month = -1;
    for (int m = 0; m < 12 && month < 0; ++m) {
        if (upper(text[d + 3]) == kMonths[m][0] && upper(text[d + 4]) == kMonths[m][1] &&
            upper(text[d + 5]) == kMonths[m][2]) {
            month = m;
        }
    }
    if (month < 0) {
        return now;
    }
    const int64_t day = leadingNumber(text, d);
    const int64_t year = leadingNumber(text, d + 7);
    const int64_t hour = leadingNumber(text, d + 12);
    const int64_t minute = leadingNumber(text, d + 15);
    const int64_t second = leadingNumber(text, d + 18);
    // Out-of-range fields carry over as a calendar conversion does (day 0 is the last
    // day of the month before).
    const int64_t days = daysFromCivil(year, month + 1) + day - 1;
    return days * 86400 + hour * 3600 + minute * 60 + second;
}

int64_t parseCookieExpiry(std::string_view text) {
    return parseCookieExpiry(text, platform::nowSeconds());
}

bool cookieDomainMatches(std::string_view domain, std::string_view host) {
    if (!domain.empty() && domain[0] == '.') {
        return host.size() > domain.size() && host.substr(host.size() - domain.size()) == domain;
    }
    return sameHost(domain, host);
}

CookieJar::CookieJar() : CookieJar(&platform::nowSeconds) {}

CookieJar::CookieJar(Clock now) : m_now(std::move(now)) {}

void CookieJar::storeAll(const std::vector<std::string>& setCookies, const Url& from) {
    for (const std::string& text : setCookies) {
        store(text, from);
    }
}

void CookieJar::store(const std::string& text, const Url& from) {
    size_t eq = text.find('=');
    if (text.empty() || eq == std::string::npos || text.find(';') < eq || hasControlBreak(text) ||
        from.host.empty()) {
        return;
    }
    const std::string name = text.substr(0, eq);
    Cookie c;
    c.value = cookieAttribute(text, name);
    c.expires = cookieAttribute(text, "expires");
    c.path = cookieAttribute(text, "path");
    c.domain = cookieAttribute(text, "domain");
    c.secure = cookieAttribute(text, "secure");
    if (c.path.empty()) {
        c.path = defaultPath(from.path);
    }
    if (c.domain.empty()) {
        c.domain = from.host;
    } else if (!cookieDomainMatches(c.domain, from.host)) {
        return;  // a host may not set cookies for another site
    }

    platform::ScopedLock hold(m_lock);
    auto [first, last] = m_cookies.equal_range(name);
    for (auto it = first; it != last; ++it) {
        Cookie& old = it->second;
        if (old.path == c.path && sameHost(old.domain, c.domain)) {
            old.value = std::move(c.value);
            old.expires = std::move(c.expires);
            old.secure = std::move(c.secure);
            return;
        }
    }
    m_cookies.emplace(name, std::move(c));
}

std::string CookieJar::headerFor(const Url& u) {
    platform::ScopedLock hold(m_lock);
    std::string header;
    if (u.compose(kPartAll).empty()) {
        return header;
    }
    const int64_t now = m_now();
    for (auto it = m_cookies.begin(); it != m_cookies.end();) {
        const Cookie& c = it->second;
        if (!cookieDomainMatches(c.domain, u.host) || u.path.find(c.path) == std::string::npos) {
            ++it;
            continue;
        }
        if (!c.expires.empty() && parseCookieExpiry(c.expires, now) < now) {
            it = m_cookies.erase(it);
            continue;
        }
        if (!header.empty()) {
            header += "; ";
        }
        header += it->first + "=" + c.value;
        ++it;
    }
    return header;
}

std::vector<std::pair<std::string, Cookie>> CookieJar::cookies() {
    platform::ScopedLock hold(m_lock);
    return {m_cookies.begin(), m_cookies.end()};
}
