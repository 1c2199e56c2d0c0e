// URL parse, compose and resolve in ns per URL over 10k generated URLs of the kinds a crawl
// meets: search-result links with long queries, document paths, relative page links.
#include <benchmark/benchmark.h>

#include <random>
#include <set>
#include <string>
#include <vector>

#include "http/Url.h"

namespace {

constexpr size_t kCount = 10000;

const char* const kHosts[] = {"www.example.co.kr", "search.portal.example",  "cafe.example.net",
                              "docs.example.org",  "WWW.Files.Example:8080", "blog.example.com"};
const char* const kDirs[] = {"board", "data", "2026",   "upload",
                             "files", "view", "notice", "\xB0\xF8\xC1\xF6"};
const char* const kFiles[] = {"list.php", "index.html", "report.hwp", "form.doc",
                              "plan.xls", "manual.pdf", "",           "read.asp"};
const char* const kQueries[] = {"",
                                "",
                                "id=1234&page=2",
                                "q=%EB%AC%B8%EC%84%9C&sa=U&ved=0ahUKE",
                                "bo_table=free&wr_id=98765",
                                "url=http://other.example/x&sig=ab"};
const char* const kRelatives[] = {"next.html",
                                  "../list.php?page=3",
                                  "sub/",
                                  "/top/index.html",
                                  "?page=4",
                                  "#comments",
                                  "//cdn.example.net/a.js",
                                  "./../../img/logo.gif",
                                  "http://elsewhere.example/doc.pdf",
                                  "view.php;jsessionid=1?id=7"};

template <typename T, size_t N>
const char* pick(std::mt19937& rng, const T (&list)[N]) {
    return list[rng() % N];
}

std::vector<std::string> absoluteUrls() {
    std::mt19937 rng(42);
    std::vector<std::string> out;
    out.reserve(kCount);
    for (size_t i = 0; i < kCount; ++i) {
        std::string u = std::string("http://") + pick(rng, kHosts);
        for (unsigned d = rng() % 4; d > 0; --d) {
            u += '/';
            u += pick(rng, kDirs);
        }
        u += '/';
        u += pick(rng, kFiles);
        if (const char* q = pick(rng, kQueries); *q) {
            u += '?';
            u += q;
        }
        if (rng() % 8 == 0) {
            u += "#top";
        }
        out.push_back(std::move(u));
    }
    return out;
}

std::vector<std::string> relativeUrls() {
    std::mt19937 rng(7);
    std::vector<std::string> out;
    for (size_t i = 0; i < kCount; ++i) {
        out.emplace_back(pick(rng, kRelatives));
    }
    return out;
}

void BM_Parse(benchmark::State& state) {
    std::vector<std::string> texts = absoluteUrls();
    Url u;
    for (auto _ : state) {
        for (const std::string& t : texts) {
            u.parse(t);
            benchmark::DoNotOptimize(u.path.data());
        }
    }
    state.SetItemsProcessed(int64_t(state.iterations() * texts.size()));
    state.counters["ns_per_url"] =
        benchmark::Counter(double(state.iterations() * texts.size()),
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void BM_ComposeAll(benchmark::State& state) {
    std::vector<Url> urls;
    for (const std::string& t : absoluteUrls()) {
        urls.emplace_back(t);
    }
    for (auto _ : state) {
        for (const Url& u : urls) {
            benchmark::DoNotOptimize(u.compose(kPartAll));
        }
    }
    state.SetItemsProcessed(int64_t(state.iterations() * urls.size()));
    state.counters["ns_per_url"] =
        benchmark::Counter(double(state.iterations() * urls.size()),
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void BM_Resolve(benchmark::State& state) {
    std::vector<Url> bases, relatives;
    for (const std::string& t : absoluteUrls()) {
        bases.emplace_back(t);
    }
    for (const std::string& t : relativeUrls()) {
        relatives.emplace_back(t);
    }
    for (auto _ : state) {
        for (size_t i = 0; i < kCount; ++i) {
            benchmark::DoNotOptimize(resolveUrl(bases[i], relatives[i]));
        }
    }
    state.SetItemsProcessed(int64_t(state.iterations() * kCount));
    state.counters["ns_per_url"] =
        benchmark::Counter(double(state.iterations() * kCount),
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

// The crawl queue's visited set: ordered by composed text.
void BM_VisitedSetInsert(benchmark::State& state) {
    std::vector<Url> urls;
    for (const std::string& t : absoluteUrls()) {
        urls.emplace_back(t);
    }
    for (auto _ : state) {
        std::set<Url> visited;
        for (const Url& u : urls) {
            visited.insert(u);
        }
        benchmark::DoNotOptimize(visited.size());
    }
    state.SetItemsProcessed(int64_t(state.iterations() * urls.size()));
    state.counters["ns_per_url"] =
        benchmark::Counter(double(state.iterations() * urls.size()),
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

BENCHMARK(BM_Parse);
BENCHMARK(BM_ComposeAll);
BENCHMARK(BM_Resolve);
BENCHMARK(BM_VisitedSetInsert);

}  // namespace

BENCHMARK_MAIN();
