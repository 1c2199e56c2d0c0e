#include "http/HttpParser.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "platform/Ascii.h"

namespace {

using platform::startsWithFolded;

constexpr bool isSpace(char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}
constexpr bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// Hex digit value, or -1.
constexpr int hexValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

bool containsFolded(std::string_view text, std::string_view lower) {
    for (size_t i = 0; i + lower.size() <= text.size(); ++i) {
        if (startsWithFolded(text.substr(i), lower)) {
            return true;
        }
    }
    return false;
}

enum class Header { kContentLength, kHost, kLocation, kSetCookie, kTransferEncoding };

struct HeaderName {
    std::string_view name;
    Header kind;
};

constexpr HeaderName kHeaderNames[] = {
    {"content-length", Header::kContentLength},
    {"host", Header::kHost},
    {"location", Header::kLocation},
    {"set-cookie", Header::kSetCookie},
    {"transfer-encoding", Header::kTransferEncoding},
};

// The decimal value like the standard string-to-integer conversion (blanks, sign, leading
// digits; none gives 0); false when it does not fit 32 bits.
bool parseDecimal(std::string_view text, int32_t& out) {
    size_t i = 0;
    while (i < text.size() && isSpace(text[i])) {
        ++i;
    }
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    int64_t value = 0;
    for (; i < text.size() && isDigit(text[i]); ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > int64_t{std::numeric_limits<int32_t>::max()} + 1) {
            return false;
        }
    }
    value = negative ? -value : value;
    if (value > std::numeric_limits<int32_t>::max()) {
        return false;
    }
    out = static_cast<int32_t>(value);
    return true;
}

}  // namespace

HttpParser::HttpParser()
    : state(0),
      chunkState(0),
      statusCode(0),
      contentLength(0),
      chunkRemaining(0),
      startLineKind(0),
      chunked(false) {}

HttpParser::~HttpParser() = default;

void HttpParser::reset() {
    state = chunkState = statusCode = contentLength = chunkRemaining = startLineKind = 0;
    host.clear();
    location.clear();
    body.clear();
    lineBuffer.clear();
    setCookies.clear();
    chunked = false;
    errorText.clear();
    truncated = false;
    m_finished = false;
    m_headerBytes = 0;
    m_sizePhase = 0;
    m_sizeValue = 0;
    m_sizeLineBytes = 0;
}

void HttpParser::finish() {
    state = 0;
    m_finished = true;
}

void HttpParser::fail(const char* text) {
    errorText = text;
    lineBuffer.clear();
    finish();
}

void HttpParser::feedHeaders(const char* begin, const char* end) {
    if (m_finished) {
        return;
    }
    if (state == 2) {
        feedBody(begin, end);
        return;
    }
    if (begin == end) {
        return;
    }
    // Inside the header block until its blank line, also when this piece ends exactly
    // after a line's CR LF.
    state = 1;
    const char* p = begin;
    while (p < end) {
        const char* lineEnd;  // the CR of the CR LF that ends the line
        const char* next;     // the first byte after that LF
        if (!lineBuffer.empty() && lineBuffer.back() == '\r' && *p == '\n') {
            lineBuffer.pop_back();
            lineEnd = p;
            next = p + 1;
        } else {
            const char* lf = p;
            for (;;) {
                lf = static_cast<const char*>(std::memchr(lf, '\n', end - lf));
                if (lf == nullptr || (lf > p && lf[-1] == '\r')) {
                    break;
                }
                ++lf;
            }
            if (lf == nullptr) {
                // A line of kMaxLineBytes may be held together with its CR.
                if (lineBuffer.size() + (end - p) > kMaxLineBytes + 1) {
                    fail(kErrorLineTooLong);
                    return;
                }
                lineBuffer.append(p, end);
                return;
            }
            lineEnd = lf - 1;
            next = lf + 1;
        }
        bool more;
        if (lineBuffer.empty()) {
            more = parseLine(std::string_view(p, lineEnd - p));
        } else {
            if (lineBuffer.size() + (lineEnd - p) > kMaxLineBytes) {
                fail(kErrorLineTooLong);
                return;
            }
            lineBuffer.append(p, lineEnd);
            more = parseLine(lineBuffer);
            lineBuffer.clear();
        }
        if (m_finished) {
            return;
        }
        p = next;
        if (!more) {
            state = 2;
            // These never carry a body, whatever their headers announce: waiting for one
            // would only run into the receive time-out.
            if (startLineKind == 3 && (statusCode == 204 || statusCode == 304)) {
                finish();
                return;
            }
            if (contentLength > 0) {
                body.reserve(
                    std::min({static_cast<size_t>(contentLength), bodyLimit, kMaxReserve}));
            }
            feedBody(p, end);
            return;
        }
    }
}

bool HttpParser::parseLine(std::string_view line) {
    if (line.size() > kMaxLineBytes) {
        fail(kErrorLineTooLong);
        return true;
    }
    m_headerBytes += line.size() + 2;
    if (m_headerBytes > kMaxHeaderBytes) {
        fail(kErrorHeaderTooLarge);
        return true;
    }
    if (startLineKind == 0) {
        parseStartLine(line);
        return true;
    }
    return parseHeaderLine(line);
}

void HttpParser::parseStartLine(std::string_view line) {
    size_t wordEnd = 0;
    while (wordEnd < line.size() && !isSpace(line[wordEnd])) {
        ++wordEnd;
    }
    std::string_view word = line.substr(0, wordEnd);
    if (containsFolded(word, "get")) {
        startLineKind = 1;
    } else if (containsFolded(word, "post")) {
        startLineKind = 2;
    } else if (containsFolded(word, "http")) {
        startLineKind = 3;
    } else {
        startLineKind = 4;
        return;
    }
    if (startLineKind != 3) {
        return;
    }
    size_t i = wordEnd;
    while (i < line.size() && isSpace(line[i])) {
        ++i;
    }
    std::string_view rest = line.substr(i);
    if (rest.size() >= 4 && isDigit(rest[0]) && isDigit(rest[1]) && isDigit(rest[2]) &&
        isSpace(rest[3])) {
        statusCode = (rest[0] - '0') * 100 + (rest[1] - '0') * 10 + (rest[2] - '0');
    }
}

bool HttpParser::parseHeaderLine(std::string_view line) {
    if (line.empty()) {
        return false;
    }
    for (const HeaderName& h : kHeaderNames) {
        if (line.size() <= h.name.size() || !startsWithFolded(line, h.name)) {
            continue;
        }
        size_t i = h.name.size();
        while (i < line.size() && (line[i] == ':' || line[i] == ' ')) {
            ++i;
        }
        size_t stop = i;
        while (stop < line.size() && line[stop] != '\r' && line[stop] != '\n') {
            ++stop;
        }
        std::string_view value = line.substr(i, stop - i);
        switch (h.kind) {
            case Header::kContentLength:
                if (!parseDecimal(value, contentLength)) {
                    fail(kErrorBadContentLength);
                }
                break;
            case Header::kHost:
                host.assign(value);
                break;
            case Header::kLocation:
                location.assign(value);
                break;
            case Header::kSetCookie:
                // Past the cap further cookies are dropped; the page itself is still good.
                if (setCookies.size() < kMaxSetCookies) {
                    setCookies.emplace_back(value);
                }
                break;
            case Header::kTransferEncoding:
                if (startsWithFolded(value, "chunked")) {
                    chunked = true;
                }
                break;
        }
        break;
    }
    return true;
}

bool HttpParser::appendBody(const char* p, size_t n) {
    size_t room = bodyLimit > body.size() ? bodyLimit - body.size() : 0;
    if (n > room) {
        body.append(p, room);
        truncated = true;
        finish();
        return false;
    }
    body.append(p, n);
    return true;
}

void HttpParser::feedBody(const char* begin, const char* end) {
    if (m_finished || state != 2) {
        return;
    }
    if (chunked) {
        decodeChunked(begin, end);
        return;
    }
    size_t n = end - begin;
    if (contentLength > 0) {
        // Bytes past the announced length belong to nothing we asked for.
        size_t want = static_cast<size_t>(contentLength) - body.size();
        if (!appendBody(begin, std::min(n, want))) {
            return;
        }
        if (body.size() >= static_cast<size_t>(contentLength)) {
            finish();
        }
    } else if (contentLength == 0) {
        // No framing: the body is what came with the end of the header block.
        if (appendBody(begin, n)) {
            finish();
        }
    } else {
        // A negative length: read until the peer stops (or the body limit).
        appendBody(begin, n);
    }
}

void HttpParser::decodeChunked(const char* p, const char* end) {
    while (p < end && !m_finished) {
        if (chunkRemaining <= 0) {
            p = parseChunkSize(p, end);
            if (p == nullptr) {
                return;
            }
            continue;
        }
        size_t n = std::min(static_cast<size_t>(chunkRemaining), static_cast<size_t>(end - p));
        if (!appendBody(p, n)) {
            return;
        }
        chunkRemaining -= static_cast<int32_t>(n);
        p += n;
        chunkState = chunkRemaining == 0 ? 0 : 1;
    }
}

const char* HttpParser::parseChunkSize(const char* p, const char* end) {
    const char* lineStart = m_sizePhase == 0 ? nullptr : p;  // start of what lineBuffer keeps
    while (p < end) {
        char c = *p;
        if (++m_sizeLineBytes > kMaxLineBytes) {
            fail(kErrorBadChunkSize);
            return nullptr;
        }
        switch (m_sizePhase) {
            case 0: {
                int d = hexValue(c);
                ++p;
                if (d >= 0) {
                    m_sizeValue = static_cast<uint32_t>(d);
                    m_sizePhase = 1;
                    lineStart = p - 1;
                }
                continue;
            }
            case 1: {
                int d = hexValue(c);
                if (d >= 0) {
                    // Bounded before it can wrap: a size past 31 bits fails the response.
                    constexpr uint32_t kMax = std::numeric_limits<int32_t>::max();
                    if (m_sizeValue > (kMax - static_cast<uint32_t>(d)) / 16) {
                        fail(kErrorBadChunkSize);
                        return nullptr;
                    }
                    m_sizeValue = m_sizeValue * 16 + static_cast<uint32_t>(d);
                    ++p;
                    continue;
                }
                m_sizePhase = 2;
                break;
            }
            default:
                break;
        }
        ++p;
        bool lineDone = m_sizePhase == 3 || c == '\n';
        if (c == '\r' && m_sizePhase == 2) {
            m_sizePhase = 3;
        }
        if (!lineDone) {
            continue;
        }
        // The CR LF after chunk data is skipped with the next line's leading bytes.
        uint32_t size = m_sizeValue;
        m_sizePhase = 0;
        m_sizeValue = 0;
        m_sizeLineBytes = 0;
        lineBuffer.clear();
        if (size == 0) {
            chunkRemaining = 0;
            chunkState = 0;
            finish();
            return nullptr;
        }
        chunkRemaining = static_cast<int32_t>(size);
        chunkState = 1;
        return p;
    }
    if (lineStart != nullptr) {
        lineBuffer.append(lineStart, end);
    }
    chunkRemaining = -1;
    chunkState = 1;
    return nullptr;
}
