// Parses, composes and resolves URL pairs: input is "base\nrelative\nquery-name".
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "http/Url.h"

namespace {

void check(bool ok) {
    if (!ok) {
        std::abort();
    }
}

void checkParsed(const Url& u) {
    for (const std::string* part : {&u.scheme, &u.host}) {
        for (char c : *part) {
            check(!(c >= 'A' && c <= 'Z'));
        }
    }
    check(u.host.empty() || !u.path.empty());
    check(u.port >= 0 && u.port <= 65535);
}

// A merged path begins and ends with '/' and holds no "." or ".." segment.
void checkMerged(std::string_view path) {
    check(!path.empty() && path.front() == '/' && path.back() == '/');
    size_t start = 0;
    while (start < path.size()) {
        size_t slash = path.find('/', start);
        std::string_view segment = path.substr(start, slash - start);
        check(segment != "." && segment != "..");
        start = slash + 1;
    }
}

std::string afterRound(std::string path) {
    if (path.size() > 1 && path.back() == '/' && path.find('.') != std::string::npos) {
        path.pop_back();
    }
    return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view in(reinterpret_cast<const char*>(data), size);
    size_t nl = in.find('\n');
    std::string_view baseText = in.substr(0, nl);
    std::string_view rest = nl == std::string_view::npos ? std::string_view() : in.substr(nl + 1);
    size_t nl2 = rest.find('\n');
    std::string_view relText = rest.substr(0, nl2);
    std::string_view name =
        nl2 == std::string_view::npos ? std::string_view() : rest.substr(nl2 + 1);

    Url base{std::string(baseText)};
    Url rel{std::string(relText), 7};
    checkParsed(base);
    checkParsed(rel);

    for (unsigned mask = 0; mask < 64; ++mask) {
        (void)base.compose(mask);
    }
    Url again(base.compose(kPartAll));
    checkParsed(again);

    Url resolved = resolveUrl(base, rel);
    checkParsed(resolved);
    // With a scheme and a host the compose-and-parse round keeps the path, except the '/'
    // after a final name with a '.'.
    bool roundKeepsPath = !base.scheme.empty() && (!rel.host.empty() || !base.host.empty());
    if (!rel.scheme.empty()) {
        // Absolute references pass through unchanged, depth and all.
        check(resolved.compose(kPartAll) == rel.compose(kPartAll) && resolved.depth == 7);
    } else if (!rel.host.empty() || (!rel.path.empty() && rel.path[0] == '/')) {
        check(!roundKeepsPath || resolved.path == afterRound(rel.path));
    } else if (!rel.path.empty()) {
        std::string merged = mergePaths(base.path, rel.path);
        checkMerged(merged);
        check(!roundKeepsPath || resolved.path == afterRound(merged));
    }

    std::string value = base.queryValue(name);
    check(value.size() <= base.query.size());
    check(base.query.find(value) != std::string::npos);

    check(!(base < rel && rel < base));
    check((base < rel) || (rel < base) || base == rel);
    check(sameHost(base.host, rel.host) == sameHost(rel.host, base.host));
    return 0;
}
