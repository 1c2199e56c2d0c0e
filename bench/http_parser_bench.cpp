// Response parser throughput on realistic responses (a server's usual headers and a 16 KiB
// page), framed by Content-Length or chunked coding, fed whole or in 1460-byte pieces as
// they come off the wire. "allocs" counts heap allocations per response.
#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <string>

#include "http/HttpParser.h"

namespace {
std::atomic<size_t> g_allocations{0};
}

// Counts, then allocates as the library does; the library's delete (free) stays.
[[gnu::noinline]] void* operator new(size_t n) {
    g_allocations.fetch_add(1, std::memory_order_relaxed);
    if (void* p = std::malloc(n ? n : 1)) {
        return p;
    }
    throw std::bad_alloc();
}

namespace {

constexpr size_t kBodySize = 16 * 1024;
constexpr size_t kSegment = 1460;

std::string page() {
    std::string body = "<html><head><title>\xB0\xCB\xBB\xF6</title></head><body>\n";
    for (int i = 0; body.size() < kBodySize; ++i) {
        body += "<p><a href=\"/docs/report" + std::to_string(i) +
                ".hwp\">report</a> quarterly figures and notes</p>\n";
    }
    body.resize(kBodySize);
    return body;
}

std::string headers() {
    return "HTTP/1.1 200 OK\r\n"
           "Date: Fri, 11 Dec 2026 09:00:00 GMT\r\n"
           "Server: Apache\r\n"
           "Set-Cookie: PHPSESSID=8f3b2c1d9e7a6b5c4d3e2f1a0b9c8d7e; path=/\r\n"
           "Set-Cookie: lang=ko; expires=Sat, 11-Dec-2027 09:00:00 GMT; path=/; domain=.example\r\n"
           "Cache-Control: private, max-age=0\r\n"
           "Content-Type: text/html; charset=euc-kr\r\n"
           "Connection: close\r\n";
}

std::string lengthResponse() {
    return headers() + "Content-Length: " + std::to_string(kBodySize) + "\r\n\r\n" + page();
}

std::string chunkedResponse() {
    std::string body = page();
    std::string out = headers() + "Transfer-Encoding: chunked\r\n\r\n";
    char size[16];
    for (size_t at = 0; at < body.size(); at += 4000) {
        size_t n = std::min<size_t>(4000, body.size() - at);
        std::snprintf(size, sizeof size, "%zx\r\n", n);
        out += size;
        out.append(body, at, n);
        out += "\r\n";
    }
    return out + "0\r\n\r\n";
}

void feed(HttpParser& parser, const std::string& response, size_t piece) {
    const char* p = response.data();
    const char* end = p + response.size();
    while (p < end) {
        const char* next = p + std::min<size_t>(piece, end - p);
        if (parser.state == 2) {
            parser.feedBody(p, next);
        } else {
            parser.feedHeaders(p, next);
        }
        p = next;
    }
}

// reuse: one parser for every response, as a client keeps it; otherwise a new parser each time.
void run(benchmark::State& state, const std::string& response, size_t piece, bool reuse = true) {
    HttpParser kept;
    size_t allocations = 0;
    bool whole = true;
    for (auto _ : state) {
        size_t before = g_allocations.load(std::memory_order_relaxed);
        if (reuse) {
            kept.reset();
            feed(kept, response, piece);
            benchmark::DoNotOptimize(kept.body.data());
            whole = whole && kept.body.size() == kBodySize && kept.state == 0;
        } else {
            HttpParser fresh;
            feed(fresh, response, piece);
            benchmark::DoNotOptimize(fresh.body.data());
            whole = whole && fresh.body.size() == kBodySize && fresh.state == 0;
        }
        allocations += g_allocations.load(std::memory_order_relaxed) - before;
    }
    if (!whole) {
        state.SkipWithError("response not read whole");
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(response.size()));
    state.counters["allocs"] = benchmark::Counter(double(allocations) / double(state.iterations()));
}

void BM_ContentLengthWhole(benchmark::State& s) {
    run(s, lengthResponse(), SIZE_MAX);
}
void BM_ContentLength1460(benchmark::State& s) {
    run(s, lengthResponse(), kSegment);
}
void BM_ChunkedWhole(benchmark::State& s) {
    run(s, chunkedResponse(), SIZE_MAX);
}
void BM_Chunked1460(benchmark::State& s) {
    run(s, chunkedResponse(), kSegment);
}
void BM_ContentLength1460Fresh(benchmark::State& s) {
    run(s, lengthResponse(), kSegment, false);
}
void BM_Chunked1460Fresh(benchmark::State& s) {
    run(s, chunkedResponse(), kSegment, false);
}

BENCHMARK(BM_ContentLengthWhole);
BENCHMARK(BM_ContentLength1460);
BENCHMARK(BM_ChunkedWhole);
BENCHMARK(BM_Chunked1460);
BENCHMARK(BM_ContentLength1460Fresh);
BENCHMARK(BM_Chunked1460Fresh);

}  // namespace

BENCHMARK_MAIN();
