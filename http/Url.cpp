#include "http/Url.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

#include "platform/Ascii.h"

namespace {

void lowerAscii(std::string& s) {
    for (char& c : s) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
}

// A port text read like the standard string-to-integer conversion (leading blanks, a sign,
// the leading digits). A value outside 0-65535 gives 0 rather than wrapping, so the
// transport refuses it instead of connecting to some other port.
int32_t parsePort(std::string_view text) {
    const int32_t value = platform::lenientDecimal(text);
    return value >= 0 && value <= 65535 ? value : 0;
}

}  // namespace

Url::Url() = default;

Url::Url(std::string text) {
    parse(std::move(text));
}

Url::Url(std::string text, int32_t depth) : depth(depth) {
    parse(std::move(text));
}

void Url::parse(std::string text) {
    // Each step cuts what it takes off the end or the front of the view s.
    std::string_view s = text;
    auto takeAfter = [&s](char mark, std::string& out) {
        size_t at = s.find(mark);
        if (at == std::string_view::npos) {
            out.clear();
        } else {
            out.assign(s.substr(at + 1));
            s = s.substr(0, at);
        }
    };
    takeAfter('#', fragment);
    takeAfter('?', query);
    takeAfter(';', params);
    size_t colon = s.find(':');
    if (colon == std::string_view::npos) {
        scheme.clear();
    } else {
        scheme.assign(s.substr(0, colon));
        lowerAscii(scheme);
        s = s.substr(colon + 1);
    }
    host.clear();
    port = 80;
    if (s.starts_with("//")) {
        size_t hostEnd = std::min(s.find('/', 2), s.size());
        std::string_view hostPart = s.substr(2, hostEnd - 2);
        s = s.substr(hostEnd);
        size_t portColon = hostPart.find(':');
        if (portColon != std::string_view::npos) {
            port = parsePort(hostPart.substr(portColon + 1));
            hostPart = hostPart.substr(0, portColon);
        }
        host.assign(hostPart);
    }
    path.assign(s);
    if (!host.empty()) {
        lowerAscii(host);
        if (path.empty()) {
            path = "/";
        }
    }
}

namespace {

// The composed text as a list of pieces that point into the Url, so texts can be compared
// without being built.
struct Composed {
    std::string_view pieces[12];
    size_t count = 0;
    size_t size = 0;
    char portText[12];

    void add(std::string_view piece) {
        pieces[count++] = piece;
        size += piece.size();
    }
};

void composePieces(const Url& u, unsigned mask, Composed& out) {
    if ((mask & kPartScheme) && !u.scheme.empty()) {
        out.add(u.scheme);
        out.add(":");
    }
    if (mask & kPartHost) {
        if (!u.host.empty()) {
            out.add("//");
            out.add(u.host);
        }
        if (u.port != 80) {
            int n = std::snprintf(out.portText, sizeof out.portText, ":%d", u.port);
            out.add(std::string_view(out.portText, static_cast<size_t>(n)));
        }
    }
    if (mask & kPartPath) {
        std::string_view path = u.path;
        // A merged path always ends with '/'; after a final segment such as "page.html"
        // that '/' is not part of the address.
        if (path.size() > 1 && path.back() == '/' && path.find('.') != std::string_view::npos) {
            path.remove_suffix(1);
        }
        out.add(path);
    }
    if ((mask & kPartParams) && !u.params.empty()) {
        out.add(";");
        out.add(u.params);
    }
    if ((mask & kPartQuery) && !u.query.empty()) {
        out.add("?");
        out.add(u.query);
    }
    if ((mask & kPartFragment) && !u.fragment.empty()) {
        out.add("#");
        out.add(u.fragment);
    }
}

// Byte-wise as unsigned characters, a proper prefix first: <0, 0 or >0.
int compareComposed(const Composed& a, const Composed& b) {
    size_t ia = 0, ib = 0;
    std::string_view ra = a.count ? a.pieces[0] : std::string_view();
    std::string_view rb = b.count ? b.pieces[0] : std::string_view();
    for (;;) {
        while (ra.empty() && ++ia < a.count) {
            ra = a.pieces[ia];
        }
        while (rb.empty() && ++ib < b.count) {
            rb = b.pieces[ib];
        }
        if (ra.empty() || rb.empty()) {
            return ra.empty() ? (rb.empty() ? 0 : -1) : 1;
        }
        size_t n = std::min(ra.size(), rb.size());
        if (int c = std::memcmp(ra.data(), rb.data(), n)) {
            return c;
        }
        ra.remove_prefix(n);
        rb.remove_prefix(n);
    }
}

int compareUrls(const Url& a, const Url& b) {
    Composed ca, cb;
    composePieces(a, kPartAll, ca);
    composePieces(b, kPartAll, cb);
    return compareComposed(ca, cb);
}

}  // namespace

std::string Url::compose(unsigned mask) const {
    Composed c;
    composePieces(*this, mask, c);
    std::string out;
    out.reserve(c.size);
    for (size_t i = 0; i < c.count; ++i) {
        out += c.pieces[i];
    }
    return out;
}

std::string Url::queryValue(std::string_view name) const {
    if (query.empty()) {
        return {};
    }
    size_t at = query.find(name);
    if (at == std::string::npos) {
        return {};
    }
    size_t valueStart = at + name.size();
    // Looked for from the end of the name, so a name that holds '&' cannot end the value
    // before it starts; a last parameter runs to the end of the query.
    size_t amp = query.find('&', valueStart);
    if (amp == std::string::npos) {
        amp = query.size();
    }
    return query.substr(valueStart, amp - valueStart);
}

bool Url::operator<(const Url& other) const {
    return compareUrls(*this, other) < 0;
}

bool Url::operator==(const Url& other) const {
    return compareUrls(*this, other) == 0;
}

namespace {

// Appends the segments of path: each '/' ends one (possibly empty) segment, and a
// non-empty text after the last '/' is one more. "." is dropped and ".." removes the
// segment before it (or, at the front, only itself), as if done after the whole split.
void pushSegments(std::vector<std::string_view>& segments, std::string_view path) {
    size_t start = 0;
    while (start < path.size()) {
        size_t slash = path.find('/', start);
        size_t end = slash == std::string_view::npos ? path.size() : slash;
        std::string_view segment = path.substr(start, end - start);
        if (segment == ".") {
            // dropped
        } else if (segment == "..") {
            if (!segments.empty()) {
                segments.pop_back();
            }
        } else {
            segments.push_back(segment);
        }
        if (slash == std::string_view::npos) {
            break;
        }
        start = slash + 1;
    }
}

}  // namespace

std::string mergePaths(std::string_view basePath, std::string_view relativePath) {
    // The base directory: everything up to and including its last '/'. Without a '/' the
    // base has no directory, so nothing of it remains (and nothing is dropped from an
    // empty list).
    size_t lastSlash = basePath.rfind('/');
    std::string_view baseDir = lastSlash == std::string_view::npos
                                   ? std::string_view()
                                   : basePath.substr(0, lastSlash + 1);

    // "." and ".." in the base count as well: the removal runs over the combined list.
    std::vector<std::string_view> segments;
    segments.reserve(16);
    pushSegments(segments, baseDir);
    pushSegments(segments, relativePath);

    std::string joined;
    for (std::string_view segment : segments) {
        joined += segment;
        joined += '/';
    }
    if (joined.empty() || joined[0] != '/') {
        joined.insert(joined.begin(), '/');
    }
    return joined;
}

Url resolveUrl(const Url& base, const Url& relative) {
    Composed composedBase;
    composePieces(base, kPartAll, composedBase);
    if (composedBase.size == 0 || !relative.scheme.empty()) {
        return relative;
    }
    Url r = relative;
    r.scheme = base.scheme;
    if (r.host.empty()) {
        r.host = base.host;
        r.port = base.port;
        if (r.path.empty()) {
            r.path = base.path;
            if (r.params.empty()) {
                r.params = base.params;
                if (r.query.empty()) {
                    r.query = base.query;
                }
            }
        } else if (r.path[0] != '/') {
            r.path = mergePaths(base.path, r.path);
        }
    }
    return Url(r.compose(kPartAll));
}

bool sameHost(std::string_view a, std::string_view b) {
    constexpr std::string_view kWww = "www.";
    if (a == b) {
        return true;
    }
    if (b.size() == a.size() + kWww.size()) {
        return b.starts_with(kWww) && b.substr(kWww.size()) == a;
    }
    if (a.size() == b.size() + kWww.size()) {
        return a.starts_with(kWww) && a.substr(kWww.size()) == b;
    }
    return false;
}
