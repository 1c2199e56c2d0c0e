// Code page 949 conversions as the local walk does them: one path per entry examined.
#include <benchmark/benchmark.h>

#include <string>

#include "platform/Text.h"

namespace {

const std::u16string kHangulPath =
    u"/home/user/\uBB38\uC11C/\uC5F0\uAC04 \uBCF4\uACE0\uC11C/2024\uB144 \uACB0\uC0B0.hwp";
const std::u16string kOddPath = u"/home/user/\uBB38\uC11C/caf\u00E9 \U0001F600 \u0175.txt";

void BM_ToAnsiHangulPath(benchmark::State& state) {
    for (auto _ : state) {
        benchmark::DoNotOptimize(platform::toAnsi(kHangulPath));
    }
}
BENCHMARK(BM_ToAnsiHangulPath);

// A path with characters that have no code page form takes the slow road.
void BM_ToAnsiUnconvertiblePath(benchmark::State& state) {
    for (auto _ : state) {
        benchmark::DoNotOptimize(platform::toAnsi(kOddPath));
    }
}
BENCHMARK(BM_ToAnsiUnconvertiblePath);

void BM_FromAnsiHangulPath(benchmark::State& state) {
    const std::string narrow = platform::toAnsi(kHangulPath);
    for (auto _ : state) {
        benchmark::DoNotOptimize(platform::fromAnsi(narrow));
    }
}
BENCHMARK(BM_FromAnsiHangulPath);

void BM_FromUtf8HangulPath(benchmark::State& state) {
    const std::string utf8 = platform::toUtf8(kHangulPath);
    for (auto _ : state) {
        benchmark::DoNotOptimize(platform::fromUtf8(utf8));
    }
}
BENCHMARK(BM_FromUtf8HangulPath);

}  // namespace

BENCHMARK_MAIN();
