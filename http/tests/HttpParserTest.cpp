#include "http/HttpParser.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

namespace {

using ::testing::ElementsAre;
using namespace std::string_literals;

// Hands one piece to the parser the way the receive loop does: by state.
void feedPiece(HttpParser& p, std::string_view piece) {
    const char* b = piece.data();
    if (p.state == 2) {
        p.feedBody(b, b + piece.size());
    } else {
        p.feedHeaders(b, b + piece.size());
    }
}

// Feeds text cut at the given offsets (ascending); stops, like the receive loop, when the
// parser is idle after a piece.
void feedCut(HttpParser& p, std::string_view text, const std::vector<size_t>& cuts) {
    size_t from = 0;
    for (size_t i = 0; i <= cuts.size(); ++i) {
        size_t to = i < cuts.size() ? cuts[i] : text.size();
        feedPiece(p, text.substr(from, to - from));
        from = to;
        if (p.state == 0 && p.finished()) {
            return;
        }
    }
}

struct Outcome {
    int32_t state, statusCode, contentLength, startLineKind;
    std::string host, location, body;
    std::vector<std::string> setCookies;
    bool chunked, finished, truncated;
    std::string errorText;

    explicit Outcome(const HttpParser& p)
        : state(p.state),
          statusCode(p.statusCode),
          contentLength(p.contentLength),
          startLineKind(p.startLineKind),
          host(p.host),
          location(p.location),
          body(p.body),
          setCookies(p.setCookies),
          chunked(p.chunked),
          finished(p.finished()),
          truncated(p.truncated),
          errorText(p.errorText) {}
    bool operator==(const Outcome&) const = default;
};

Outcome parseWhole(std::string_view text) {
    HttpParser p;
    feedCut(p, text, {});
    return Outcome(p);
}

const std::string kChunked =
    "HTTP/1.1 200 OK\r\n"
    "Transfer-Encoding: chunked\r\n"
    "Set-Cookie: a=1\r\n"
    "\r\n"
    "4\r\nabcd\r\n"
    "5;x=1\r\nefghi\r\n"
    "0\r\n\r\n";

const std::string kLength =
    "HTTP/1.0 302 Found\r\n"
    "Location: http://h/\xB9\xAE\r\n"
    "set-cookie: a=1; path=/\r\n"
    "SET-COOKIE:b=2\r\n"
    "Content-Length: 12\r\n"
    "\r\n"
    "hello\0world!"s;

// Size lines with a CR not followed by LF, junk before the digits and a long extension.
const std::string kOddChunks =
    "HTTP/1.1 404 Not Found\r\n"
    "transfer-encoding: CHUNKED\r\n"
    "\r\n"
    "1A\rX" +
    std::string(26, 'z') +
    "\r\n"
    "  0003;name=\"v\";other\r\nxyz\r\n"
    "00\r\ntrailer: ignored\r\n\r\n";

class HttpParserSplit : public ::testing::TestWithParam<std::string> {};

TEST_P(HttpParserSplit, AnySingleCutGivesTheWholeResult) {
    const std::string& text = GetParam();
    Outcome whole = parseWhole(text);
    ASSERT_TRUE(whole.finished);
    ASSERT_TRUE(whole.errorText.empty());
    for (size_t cut = 0; cut <= text.size(); ++cut) {
        HttpParser p;
        feedCut(p, text, {cut});
        EXPECT_EQ(Outcome(p), whole) << "cut at " << cut;
    }
}

TEST_P(HttpParserSplit, AnyTwoCutsGiveTheWholeResult) {
    const std::string& text = GetParam();
    Outcome whole = parseWhole(text);
    for (size_t a = 0; a <= text.size(); ++a) {
        for (size_t b = a; b <= text.size(); ++b) {
            HttpParser p;
            feedCut(p, text, {a, b});
            ASSERT_EQ(Outcome(p), whole) << "cuts at " << a << ", " << b;
        }
    }
}

TEST_P(HttpParserSplit, ByteByByteGivesTheWholeResult) {
    const std::string& text = GetParam();
    std::vector<size_t> cuts;
    for (size_t i = 1; i < text.size(); ++i) {
        cuts.push_back(i);
    }
    HttpParser p;
    feedCut(p, text, cuts);
    EXPECT_EQ(Outcome(p), parseWhole(text));
}

INSTANTIATE_TEST_SUITE_P(Fixtures, HttpParserSplit,
                         ::testing::Values(kChunked, kLength, kOddChunks));

TEST(HttpParser, FixturesDecode) {
    HttpParser p;
    feedCut(p, kChunked, {});
    EXPECT_EQ(p.body, "abcdefghi");
    EXPECT_TRUE(p.chunked);
    EXPECT_EQ(p.state, 0);
    EXPECT_THAT(p.setCookies, ElementsAre("a=1"));

    p.reset();
    feedCut(p, kLength, {});
    EXPECT_EQ(p.statusCode, 302);
    EXPECT_EQ(p.location, "http://h/\xB9\xAE");
    EXPECT_THAT(p.setCookies, ElementsAre("a=1; path=/", "b=2"));
    EXPECT_EQ(p.body, std::string("hello\0world!", 12));

    p.reset();
    feedCut(p, kOddChunks, {});
    EXPECT_EQ(p.statusCode, 404);
    EXPECT_EQ(p.body, std::string(26, 'z') + "xyz");
}

struct StartLineCase {
    std::string line;
    int32_t kind, status;
};

class HttpParserStartLine : public ::testing::TestWithParam<StartLineCase> {};

TEST_P(HttpParserStartLine, Reads) {
    HttpParser p;
    feedCut(p, GetParam().line + "\r\n", {});
    EXPECT_EQ(p.startLineKind, GetParam().kind);
    EXPECT_EQ(p.statusCode, GetParam().status);
    EXPECT_EQ(p.state, 1);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, HttpParserStartLine,
    ::testing::Values(StartLineCase{"HTTP/1.1 200 OK", 3, 200}, StartLineCase{"HTTP/1.1 200", 3, 0},
                      StartLineCase{"http/1.0 404 Not Found", 3, 404},
                      StartLineCase{"HTTP/1.1 \t 302\tFound", 3, 302},
                      StartLineCase{"HTTP/1.1 2x0 OK", 3, 0},
                      StartLineCase{"HTTP/1.1 2000 OK", 3, 0}, StartLineCase{"Server: x", 4, 0},
                      StartLineCase{"GET / HTTP/1.1", 1, 0},
                      StartLineCase{"post /form HTTP/1.1", 2, 0},
                      StartLineCase{"xhttpx 301 Moved", 3, 301}, StartLineCase{"", 4, 0},
                      StartLineCase{"\xC7\xD1 200 x", 4, 0}));

TEST(HttpParser, HeadersAfterMissingStatusLineAreStillRead) {
    HttpParser p;
    feedCut(p, "Server: x\r\nLocation: /y\r\n\r\n", {});
    EXPECT_EQ(p.startLineKind, 4);
    EXPECT_EQ(p.statusCode, 0);
    EXPECT_EQ(p.location, "/y");
    EXPECT_EQ(p.state, 0);
}

struct HeaderCase {
    std::string line;
    std::string host, location;
    bool chunked;
    int32_t contentLength;
};

class HttpParserHeader : public ::testing::TestWithParam<HeaderCase> {};

TEST_P(HttpParserHeader, Reads) {
    HttpParser p;
    feedCut(p, "HTTP/1.1 200 OK\r\n" + GetParam().line + "\r\n", {});
    EXPECT_EQ(p.host, GetParam().host);
    EXPECT_EQ(p.location, GetParam().location);
    EXPECT_EQ(p.chunked, GetParam().chunked);
    EXPECT_EQ(p.contentLength, GetParam().contentLength);
    EXPECT_FALSE(p.failed());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, HttpParserHeader,
    ::testing::Values(HeaderCase{"Location:http://h/x", "", "http://h/x", false, 0},
                      HeaderCase{"LOCATION:   http://h/x", "", "http://h/x", false, 0},
                      HeaderCase{"Location: :: x ", "", "x ", false, 0},
                      HeaderCase{"Location:\thttp://h/x", "", "\thttp://h/x", false, 0},
                      HeaderCase{"Location:", "", "", false, 0},
                      HeaderCase{"Location", "", "", false, 0},
                      HeaderCase{"Hostname: x", "name: x", "", false, 0},
                      HeaderCase{"host: a\rb", "a", "", false, 0},
                      HeaderCase{"Transfer-Encoding: Chunked", "", "", true, 0},
                      HeaderCase{"Transfer-Encoding: gzip, chunked", "", "", false, 0},
                      HeaderCase{"Content-Length: 42", "", "", false, 42},
                      HeaderCase{"Content-Length: \t+7x", "", "", false, 7},
                      HeaderCase{"Content-Length: abc", "", "", false, 0},
                      HeaderCase{"Content-Length: 2147483647", "", "", false, 2147483647},
                      HeaderCase{"Content-Length: -1", "", "", false, -1},
                      HeaderCase{"X-Location: y", "", "", false, 0}));

TEST(HttpParser, LaterLocationReplacesEarlier) {
    HttpParser p;
    feedCut(p, "HTTP/1.1 301 M\r\nLocation: /a\r\nLocation: /b\r\n\r\n", {});
    EXPECT_EQ(p.location, "/b");
}

TEST(HttpParser, ContentLengthInTwoPieces) {
    HttpParser p;
    feedPiece(p, "HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\nab");
    EXPECT_EQ(p.state, 2);
    feedPiece(p, "cde");
    EXPECT_EQ(p.state, 0);
    EXPECT_EQ(p.body, "abcde");
}

TEST(HttpParser, BytesPastContentLengthAreNotKept) {
    HttpParser p;
    feedPiece(p, "HTTP/1.1 200 OK\r\nContent-Length: 3\r\n\r\nabcdef");
    EXPECT_EQ(p.state, 0);
    EXPECT_EQ(p.body, "abc");
}

TEST(HttpParser, UnframedBodyIsWhatCameWithTheHeaders) {
    HttpParser p;
    feedPiece(p, "HTTP/1.1 200 OK\r\n\r\n0123456789");
    EXPECT_EQ(p.state, 0);
    EXPECT_EQ(p.body, "0123456789");
    feedPiece(p, "later");
    EXPECT_EQ(p.body, "0123456789");
}

// A header block that arrives in two writes, the first ending on a line's CR LF, must not
// read as a complete response.
TEST(HttpParser, StaysInHeadersUntilTheBlankLine) {
    HttpParser p;
    feedPiece(p, "HTTP/1.1 200 OK\r\n");
    EXPECT_EQ(p.state, 1);
    feedPiece(p, "Content-Length: 2\r\n");
    EXPECT_EQ(p.state, 1);
    feedPiece(p, "\r\nok");
    EXPECT_EQ(p.state, 0);
    EXPECT_EQ(p.body, "ok");
}

TEST(HttpParser, NoContentAndNotModifiedEndAtTheBlankLine) {
    for (const char* status : {"204 No Content", "304 Not Modified"}) {
        HttpParser p;
        feedPiece(p, std::string("HTTP/1.1 ") + status +
                         "\r\nContent-Length: 120\r\nTransfer-Encoding: chunked\r\n\r\n");
        EXPECT_EQ(p.state, 0) << status;
        EXPECT_TRUE(p.finished());
        EXPECT_TRUE(p.body.empty());
    }
}

TEST(HttpParser, ChunkSizeCaseDoesNotMatter) {
    const std::string body(26, 'q');
    HttpParser upper, lower;
    feedCut(upper,
            "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n1A\r\n" + body + "\r\n0\r\n", {});
    feedCut(lower,
            "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n1a\r\n" + body + "\r\n0\r\n", {});
    EXPECT_EQ(upper.body, body);
    EXPECT_EQ(Outcome(upper), Outcome(lower));
}

TEST(HttpParser, ChunkSizeLineHeldAcrossPieces) {
    HttpParser p;
    feedPiece(p, "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n\r\n1");
    EXPECT_EQ(p.chunkRemaining, -1);
    EXPECT_EQ(p.chunkState, 1);
    EXPECT_EQ(p.lineBuffer, "1");
    feedPiece(p, "0;e\r");
    EXPECT_EQ(p.lineBuffer, "10;e\r");
    feedPiece(p, "\n0123");
    EXPECT_EQ(p.chunkRemaining, 12);
    EXPECT_TRUE(p.lineBuffer.empty());
}

struct FailureCase {
    std::string response;
    const char* error;
};

class HttpParserFailure : public ::testing::TestWithParam<FailureCase> {};

// An absurd size fails the response at once instead of wrapping, allocating or looping.
TEST_P(HttpParserFailure, FailsWithErrorText) {
    HttpParser p;
    feedCut(p, GetParam().response, {});
    EXPECT_EQ(p.errorText, GetParam().error);
    EXPECT_EQ(p.state, 0);
    EXPECT_TRUE(p.finished());
    EXPECT_LE(p.body.capacity(), HttpParser::kMaxReserve + 64);
    // Nothing more is taken after a failure.
    feedPiece(p, "more bytes\r\n\r\n");
    EXPECT_EQ(p.errorText, GetParam().error);
}

const std::string kChunkedHead = "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n";

INSTANTIATE_TEST_SUITE_P(
    Cases, HttpParserFailure,
    ::testing::Values(
        FailureCase{"HTTP/1.1 200 OK\r\nContent-Length: 2147483648\r\n\r\n",
                    HttpParser::kErrorBadContentLength},
        FailureCase{"HTTP/1.1 200 OK\r\nContent-Length: 99999999999999999999\r\n\r\n",
                    HttpParser::kErrorBadContentLength},
        FailureCase{"HTTP/1.1 200 OK\r\nContent-Length: -2147483649\r\n\r\n",
                    HttpParser::kErrorBadContentLength},
        FailureCase{kChunkedHead + "80000000\r\n", HttpParser::kErrorBadChunkSize},
        FailureCase{kChunkedHead + "100000000\r\nx", HttpParser::kErrorBadChunkSize},
        FailureCase{kChunkedHead + "1\r\nx\r\nffffffffffffffff0\r\n",
                    HttpParser::kErrorBadChunkSize},
        FailureCase{kChunkedHead + "5;" + std::string(HttpParser::kMaxLineBytes, 'e') + "\r\n",
                    HttpParser::kErrorBadChunkSize},
        FailureCase{"HTTP/1.1 200 OK\r\nX: " + std::string(HttpParser::kMaxLineBytes, 'v') + "\r\n",
                    HttpParser::kErrorLineTooLong},
        FailureCase{"HTTP/1.1 200 OK\r\nX: " + std::string(HttpParser::kMaxLineBytes * 2, 'v'),
                    HttpParser::kErrorLineTooLong}));

TEST(HttpParser, LongestAllowedLineIsRead) {
    const std::string value(HttpParser::kMaxLineBytes - 10, 'v');
    HttpParser p;
    feedCut(p, "HTTP/1.1 301 M\r\nLocation: " + value + "\r\n\r\n", {});
    EXPECT_FALSE(p.failed());
    EXPECT_EQ(p.location, value);
}

TEST(HttpParser, HeaderBlockIsCapped) {
    std::string line = "X-Filler: " + std::string(1000, 'f') + "\r\n";
    HttpParser p;
    feedPiece(p, "HTTP/1.1 200 OK\r\n");
    for (size_t sent = 0; sent <= HttpParser::kMaxHeaderBytes && !p.finished();
         sent += line.size()) {
        feedPiece(p, line);
    }
    EXPECT_EQ(p.errorText, HttpParser::kErrorHeaderTooLarge);
    EXPECT_EQ(p.state, 0);
}

TEST(HttpParser, SetCookieListIsCapped) {
    std::string response = "HTTP/1.1 200 OK\r\n";
    for (size_t i = 0; i < HttpParser::kMaxSetCookies + 10; ++i) {
        response += "Set-Cookie: c" + std::to_string(i) + "=1\r\n";
    }
    HttpParser p;
    feedCut(p, response + "\r\n", {});
    ASSERT_EQ(p.setCookies.size(), HttpParser::kMaxSetCookies);
    EXPECT_EQ(p.setCookies.front(), "c0=1");
    EXPECT_EQ(p.setCookies.back(), "c" + std::to_string(HttpParser::kMaxSetCookies - 1) + "=1");
    EXPECT_FALSE(p.failed());
}

struct LimitCase {
    std::string response;
    std::vector<size_t> cuts;
};

class HttpParserBodyLimit : public ::testing::TestWithParam<LimitCase> {};

// Past the body limit the body stops growing and the response counts as complete.
TEST_P(HttpParserBodyLimit, StopsAtLimit) {
    HttpParser p;
    p.bodyLimit = 8;
    feedCut(p, GetParam().response, GetParam().cuts);
    EXPECT_EQ(p.body, "01234567");
    EXPECT_TRUE(p.truncated);
    EXPECT_EQ(p.state, 0);
    EXPECT_FALSE(p.failed());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, HttpParserBodyLimit,
    ::testing::Values(
        LimitCase{"HTTP/1.1 200 OK\r\nContent-Length: 20\r\n\r\n0123456789", {}},
        LimitCase{"HTTP/1.1 200 OK\r\nContent-Length: 20\r\n\r\n0123456789", {40, 45}},
        LimitCase{"HTTP/1.1 200 OK\r\nContent-Length: -1\r\n\r\n0123456789", {40, 45}},
        LimitCase{kChunkedHead + "6\r\n012345\r\n6\r\n6789ab\r\n0\r\n\r\n", {}},
        LimitCase{kChunkedHead + "7fffffff\r\n0123456789", {55}},
        LimitCase{"HTTP/1.1 200 OK\r\n\r\n0123456789", {}}));

TEST(HttpParser, BodyAtExactlyTheLimitIsNotTruncated) {
    HttpParser p;
    p.bodyLimit = 4;
    feedCut(p, "HTTP/1.1 200 OK\r\nContent-Length: 4\r\n\r\nabcd", {});
    EXPECT_EQ(p.body, "abcd");
    EXPECT_FALSE(p.truncated);
    EXPECT_EQ(p.state, 0);
}

TEST(HttpParser, HugeContentLengthReservesBoundedRoom) {
    HttpParser p;
    feedPiece(p, "HTTP/1.1 200 OK\r\nContent-Length: 2147483647\r\n\r\nab");
    EXPECT_EQ(p.state, 2);
    EXPECT_LE(p.body.capacity(), HttpParser::kMaxReserve + 64);
    EXPECT_EQ(p.body, "ab");
}

TEST(HttpParser, NegativeContentLengthReadsUntilThePeerStops) {
    HttpParser p;
    feedPiece(p, "HTTP/1.1 200 OK\r\nContent-Length: -1\r\n\r\nab");
    feedPiece(p, "cd");
    EXPECT_EQ(p.state, 2);
    EXPECT_EQ(p.body, "abcd");
}

TEST(HttpParser, ResetForgetsTheResponseButKeepsTheLimit) {
    HttpParser p;
    p.bodyLimit = 100;
    feedCut(p, kLength, {});
    p.reset();
    EXPECT_EQ(Outcome(p), Outcome(HttpParser()));
    EXPECT_EQ(p.bodyLimit, 100u);
    feedCut(p, kChunked, {});
    EXPECT_EQ(p.body, "abcdefghi");
}

TEST(HttpParser, ConstructedStateIsIdle) {
    HttpParser p;
    EXPECT_EQ(p.state, 0);
    EXPECT_EQ(p.chunkState, 0);
    EXPECT_EQ(p.statusCode, 0);
    EXPECT_EQ(p.contentLength, 0);
    EXPECT_EQ(p.chunkRemaining, 0);
    EXPECT_EQ(p.startLineKind, 0);
    EXPECT_FALSE(p.chunked);
    EXPECT_FALSE(p.finished());
    EXPECT_EQ(p.bodyLimit, HttpParser::kDefaultBodyLimit);
}

TEST(HttpParser, EmptyPieceChangesNothing) {
    HttpParser p;
    feedPiece(p, "");
    EXPECT_EQ(p.state, 0);
    EXPECT_FALSE(p.finished());
}

}  // namespace
