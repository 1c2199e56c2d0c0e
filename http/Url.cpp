#include "http/Url.h"

#include <vector>

namespace {

void lowerAscii(std::string& s) {
    for (char& c : s) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
}

// Moves the text after the first `mark` of s into out and cuts s at the mark.
void splitOff(std::string& s, char mark, std::string& out) {
    size_t at = s.find(mark);
    if (at != std::string::npos) {
        out.assign(s, at + 1);
        s.resize(at);
    }
}

// A port text read like the standard string-to-integer conversion (leading blanks, a sign,
// the leading digits). A value outside 0-65535 gives 0 rather than wrapping, so the
// transport refuses it instead of connecting to some other port.
int32_t parsePort(std::string_view text) {
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) {
        ++i;
    }
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    int32_t value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > 65535) {
            return 0;
        }
    }
    return negative ? 0 : value;
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
    std::string s = std::move(text);
    scheme.clear();
    host.clear();
    path.clear();
    params.clear();
    query.clear();
    fragment.clear();
    port = 80;

    splitOff(s, '#', fragment);
    splitOff(s, '?', query);
    splitOff(s, ';', params);
    size_t colon = s.find(':');
    if (colon != std::string::npos) {
        scheme.assign(s, 0, colon);
        lowerAscii(scheme);
        s.erase(0, colon + 1);
    }
    size_t pathStart = 0;
    if (s.size() >= 2 && s[0] == '/' && s[1] == '/') {
        size_t hostEnd = s.find('/', 2);
        if (hostEnd == std::string::npos) {
            hostEnd = s.size();
        }
        host.assign(s, 2, hostEnd - 2);
        pathStart = hostEnd;
        size_t portColon = host.find(':');
        if (portColon != std::string::npos) {
            port = parsePort(std::string_view(host).substr(portColon + 1));
            host.resize(portColon);
        }
    }
    path.assign(s, pathStart);
    if (!host.empty()) {
        lowerAscii(host);
        if (path.empty()) {
            path = "/";
        }
    }
}

std::string Url::compose(unsigned mask) const {
    std::string out;
    out.reserve(scheme.size() + host.size() + path.size() + params.size() + query.size() +
                fragment.size() + 16);
    if ((mask & kPartScheme) && !scheme.empty()) {
        out += scheme;
        out += ':';
    }
    if (mask & kPartHost) {
        if (!host.empty()) {
            out += "//";
            out += host;
        }
        if (port != 80) {
            out += ':';
            out += std::to_string(port);
        }
    }
    if (mask & kPartPath) {
        out += path;
        // A merged path always ends with '/'; after a final segment such as "page.html"
        // that '/' is not part of the address.
        if (path.size() > 1 && path.back() == '/' && path.find('.') != std::string::npos) {
            out.pop_back();
        }
    }
    if ((mask & kPartParams) && !params.empty()) {
        out += ';';
        out += params;
    }
    if ((mask & kPartQuery) && !query.empty()) {
        out += '?';
        out += query;
    }
    if ((mask & kPartFragment) && !fragment.empty()) {
        out += '#';
        out += fragment;
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
    // std::string compares as unsigned characters.
    return compose(kPartAll) < other.compose(kPartAll);
}

bool Url::operator==(const Url& other) const {
    return compose(kPartAll) == other.compose(kPartAll);
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
    if (base.compose(kPartAll).empty() || !relative.scheme.empty()) {
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
