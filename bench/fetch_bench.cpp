// Fetches per second of one page with HttpClient::fetch, a new connection each time.
// Run by bench/fetch_vs_curl.sh, which starts a loopback nginx and compares with curl:
//   fetch_bench --url=http://127.0.0.1:PORT/small.html [--count=N] [benchmark flags]
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "http/HttpClient.h"

namespace {

void fetchPage(benchmark::State& state, const std::string& url) {
    CookieJar jar;
    HostCache cache;
    HttpClient client(&jar, &cache, 2);
    const Url u(url);
    size_t bytes = 0;
    for (auto _ : state) {
        if (!client.fetch(u)) {
            state.SkipWithError(("fetch failed: " + client.errorText).c_str());
            break;
        }
        bytes += client.parser.body.size();
    }
    state.SetItemsProcessed(state.iterations());
    state.SetBytesProcessed(static_cast<int64_t>(bytes));
}

}  // namespace

int main(int argc, char** argv) {
    std::string url;
    long count = 1000;
    std::vector<char*> rest;
    for (int i = 0; i < argc; ++i) {
        const std::string a = argv[i];
        if (a.rfind("--url=", 0) == 0) {
            url = a.substr(6);
        } else if (a.rfind("--count=", 0) == 0) {
            count = std::strtol(a.c_str() + 8, nullptr, 10);
        } else {
            rest.push_back(argv[i]);
        }
    }
    if (url.empty()) {
        std::fprintf(stderr, "usage: %s --url=http://127.0.0.1:PORT/page [--count=N]\n", argv[0]);
        return 2;
    }
    benchmark::RegisterBenchmark("fetch_small_page", fetchPage, url)
        ->Iterations(count > 0 ? count : 1)
        ->Unit(benchmark::kMicrosecond)
        ->UseRealTime();
    int n = static_cast<int>(rest.size());
    benchmark::Initialize(&n, rest.data());
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
