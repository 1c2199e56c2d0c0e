// Incremental reader of one HTTP/1.1 response (or request) fed in pieces of any size by the
// receive loop: status code, the few headers the crawler uses, and the body framed by
// Content-Length or chunked coding. Every piece is consumed whole; a line cut by a piece
// boundary is carried over in lineBuffer. A 204 or 304 response ends at its blank line: it
// has no body, whatever its headers announce.
//
// A hostile peer cannot grow memory without bound: a header line, the header block, the
// Set-Cookie list and the body are capped. A response whose body reaches bodyLimit counts
// as complete (state 0) with truncated set; a header block or size past its cap, or a size
// that cannot be represented, fails the response: state 0 and errorText says why.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class HttpParser {
public:
    static constexpr size_t kDefaultBodyLimit = size_t{32} << 20;
    static constexpr size_t kMaxLineBytes = size_t{64} << 10;
    static constexpr size_t kMaxHeaderBytes = size_t{1} << 20;
    static constexpr size_t kMaxSetCookies = 256;
    // Room reserved up front for an announced body; a larger one grows as it arrives.
    static constexpr size_t kMaxReserve = size_t{1} << 20;

    static constexpr const char* kErrorLineTooLong = "response header line too long";
    static constexpr const char* kErrorHeaderTooLarge = "response header too large";
    static constexpr const char* kErrorBadContentLength = "invalid Content-Length";
    static constexpr const char* kErrorBadChunkSize = "invalid chunk size";

    HttpParser();
    virtual ~HttpParser();

    // Back to the constructed state; bodyLimit is kept.
    void reset();
    // Consumes a piece while state is 0 or 1; the bytes after the blank line that ends the
    // header block go to feedBody in the same call.
    void feedHeaders(const char* begin, const char* end);
    // Consumes a piece while state is 2.
    void feedBody(const char* begin, const char* end);

    bool failed() const { return !errorText.empty(); }
    // The response ended (complete, truncated at bodyLimit, or failed); later pieces are
    // ignored until reset.
    bool finished() const { return m_finished; }

    // 0 idle (not started, complete or failed), 1 inside the header block, 2 reading the body.
    int32_t state;
    // 0 a chunk-size line is expected next, 1 inside chunk data or a size line held in
    // lineBuffer.
    int32_t chunkState;
    int32_t statusCode;
    // 0 when absent; negative means "read until the peer stops".
    int32_t contentLength;
    // Bytes of the current chunk still to come; -1 while a chunk-size line is incomplete.
    int32_t chunkRemaining;
    // 0 first line not yet seen; 1 "GET", 2 "POST", 3 "HTTP", 4 other.
    int32_t startLineKind;
    std::string host, location, body, lineBuffer;
    std::vector<std::string> setCookies;
    bool chunked;

    // Empty, or why the response was failed.
    std::string errorText;
    // The body stopped growing at bodyLimit.
    bool truncated = false;
    size_t bodyLimit = kDefaultBodyLimit;

private:
    // Returns false at the blank line that ends the header block.
    bool parseLine(std::string_view line);
    void parseStartLine(std::string_view line);
    bool parseHeaderLine(std::string_view line);
    void decodeChunked(const char* p, const char* end);
    // Reads (the rest of) a chunk-size line starting at p; returns where the chunk data
    // starts, or nullptr when the piece ends first (the line is kept in lineBuffer) or the
    // response ended.
    const char* parseChunkSize(const char* p, const char* end);
    // Appends up to n bytes within bodyLimit; false once the limit is reached.
    bool appendBody(const char* p, size_t n);
    void finish();
    void fail(const char* text);

    bool m_finished = false;
    // Header bytes consumed so far, against kMaxHeaderBytes.
    size_t m_headerBytes = 0;
    // The chunk-size line being read: 0 before its first hex digit, 1 in the digits, 2 in
    // the extensions, 3 just after a CR (the next byte ends the line).
    int m_sizePhase = 0;
    uint32_t m_sizeValue = 0;
    size_t m_sizeLineBytes = 0;
};
