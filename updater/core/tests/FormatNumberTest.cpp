#include "updater/core/FormatNumber.h"

#include <gtest/gtest.h>

namespace {

struct NumberCase {
    double value;
    int decimals;
    const char* text;
};

class FormatNumberTest : public testing::TestWithParam<NumberCase> {};

TEST_P(FormatNumberTest, GroupsDigitsByThree) {
    EXPECT_EQ(FormatNumber(GetParam().value, GetParam().decimals), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FormatNumberTest,
    testing::Values(NumberCase{0, 0, "0"}, NumberCase{999, 0, "999"}, NumberCase{1000, 0, "1,000"},
                    NumberCase{1234567, 0, "1,234,567"}, NumberCase{-1234.5, 1, "-1,234.5"},
                    NumberCase{123456, 0, "123,456"}, NumberCase{1048576, 0, "1,048,576"},
                    NumberCase{5368709120.0, 0, "5,368,709,120"}, NumberCase{-7, 0, "-7"},
                    NumberCase{12.25, 2, "12.25"}),
    [](const auto& info) { return "Case" + std::to_string(info.index); });

struct PercentCase {
    int64_t pos;
    int64_t low;
    int64_t high;
    int percent;
};

class ProgressPercentTest : public testing::TestWithParam<PercentCase> {};

TEST_P(ProgressPercentTest, Uses64BitProductAndModulo) {
    EXPECT_EQ(ProgressPercent(GetParam().pos, GetParam().low, GetParam().high), GetParam().percent);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ProgressPercentTest,
    testing::Values(PercentCase{1048576, 1, 3145728, 33}, PercentCase{0, 1, 101, -1},
                    PercentCase{1000, 1, 1000, 100}, PercentCase{25000000, 1, 50000000, 49},
                    PercentCase{99999999, 1, 100000000, 99},
                    // Over 4 GiB: the arithmetic must not wrap.
                    PercentCase{2684354560, 1, 5368709120, 49},
                    PercentCase{5368709119, 1, 5368709120, 99},
                    // An empty range (a 1-byte file) shows 0 instead of dividing by zero.
                    PercentCase{1, 1, 1, 0}, PercentCase{0, 1, 1, 0},
                    // Past the end wraps, as the bar was designed to.
                    PercentCase{2001, 1, 1001, 0}),
    [](const auto& info) { return "Case" + std::to_string(info.index); });

}  // namespace
