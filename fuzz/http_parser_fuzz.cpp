// Feeds a response whole and cut into pieces; the first two bytes choose the cut width and
// the body limit. A framed response must read the same either way.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "http/HttpParser.h"

namespace {

void check(bool ok) {
    if (!ok) {
        std::abort();
    }
}

// Like the receive loop: pieces go by state, and an idle parser after a piece ends it.
void feed(HttpParser& p, const char* data, size_t size, size_t width) {
    size_t at = 0;
    do {
        size_t n = std::min(width, size - at);
        if (p.state == 2) {
            p.feedBody(data + at, data + at + n);
        } else {
            p.feedHeaders(data + at, data + at + n);
        }
        at += n;
    } while (at < size && !(p.state == 0 && p.finished()));
}

bool same(const HttpParser& a, const HttpParser& b) {
    return a.state == b.state && a.statusCode == b.statusCode &&
           a.contentLength == b.contentLength && a.startLineKind == b.startLineKind &&
           a.host == b.host && a.location == b.location && a.body == b.body &&
           a.setCookies == b.setCookies && a.chunked == b.chunked && a.errorText == b.errorText &&
           a.truncated == b.truncated && a.finished() == b.finished();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) {
        return 0;
    }
    size_t width = 1 + data[0] % 64;
    size_t limit = data[1] < 128 ? HttpParser::kDefaultBodyLimit : data[1] - 127;
    // An exact-size copy, so a read past the piece shows under the sanitiser.
    std::vector<char> bytes(data + 2, data + size);

    HttpParser whole, split;
    whole.bodyLimit = split.bodyLimit = limit;
    feed(whole, bytes.data(), bytes.size(), bytes.size() ? bytes.size() : 1);
    feed(split, bytes.data(), bytes.size(), width);

    check(whole.body.size() <= bytes.size() && split.body.size() <= bytes.size());
    check(whole.body.size() <= limit && split.body.size() <= limit);
    check(whole.setCookies.size() <= HttpParser::kMaxSetCookies);
    check(whole.lineBuffer.size() <= HttpParser::kMaxLineBytes + 1);
    check(whole.chunkRemaining >= -1);
    // Headers read the same however they are cut; with framing, the body does too.
    check(whole.statusCode == split.statusCode && whole.location == split.location &&
          whole.host == split.host && whole.setCookies == split.setCookies &&
          whole.chunked == split.chunked && whole.contentLength == split.contentLength);
    bool framed = whole.chunked || whole.contentLength != 0;
    if (framed) {
        check(same(whole, split));
    }
    if (whole.contentLength > 0 && !whole.chunked) {
        check(whole.body.size() <= static_cast<size_t>(whole.contentLength));
    }

    whole.reset();
    check(whole.state == 0 && whole.body.empty() && !whole.finished() && whole.bodyLimit == limit);
    return 0;
}
