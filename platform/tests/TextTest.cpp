#include "platform/Text.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

namespace {

using namespace platform;

struct Cp949Case {
    const char* label;
    std::u16string wide;
    std::string narrow;
};

class Cp949RoundTrip : public ::testing::TestWithParam<Cp949Case> {};

TEST_P(Cp949RoundTrip, BothWays) {
    const auto& c = GetParam();
    EXPECT_EQ(toAnsi(c.wide), c.narrow);
    EXPECT_EQ(fromAnsi(c.narrow), c.wide);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, Cp949RoundTrip,
    ::testing::Values(Cp949Case{"ascii", u"report.doc", "report.doc"}, Cp949Case{"empty", u"", ""},
                      // 내컴퓨터 (common Hangul, in KS X 1001)
                      Cp949Case{"hangul", u"\uB0B4\uCEF4\uD4E8\uD130",
                                "\xB3\xBB\xC4\xC4\xC7\xBB\xC5\xCD"},
                      // 똠 (one of the extended code page 949 syllables, not in KS X 1001)
                      Cp949Case{"extended", u"\uB620", "\x8C\x63"},
                      Cp949Case{"mixed", u"[\uB0B4] a", "[\xB3\xBB] a"}),
    [](const auto& info) { return std::string(info.param.label); });

struct LossyCase {
    const char* label;
    std::u16string wide;
    std::string narrow;
};

class Cp949Lossy : public ::testing::TestWithParam<LossyCase> {};

TEST_P(Cp949Lossy, UnconvertibleBecomesQuestionMark) {
    EXPECT_EQ(toAnsi(GetParam().wide), GetParam().narrow);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, Cp949Lossy,
    ::testing::Values(LossyCase{"latin", u"a\u0175b", "a?b"},  // no w-circumflex in 949
                      LossyCase{"thai", u"\u0E01\uAC00", "?\xB0\xA1"},
                      LossyCase{"emoji", u"x\U0001F600y", "x?y"},  // one '?' per pair
                      LossyCase{"lone_surrogate", u"\xD800z", "?z"},
                      LossyCase{"replacement", u"\uFFFD", "?"}),
    [](const auto& info) { return std::string(info.param.label); });

TEST(Cp949Decode, BadBytesBecomeQuestionMarkAndTheRestSurvives) {
    EXPECT_EQ(fromAnsi("\xB3"), u"?");  // lead byte at the end
    EXPECT_EQ(fromAnsi("\xFF"
                       "a"),
              u"?a");  // no such lead byte
    EXPECT_EQ(fromAnsi("\xB3\xBB\xB3"), u"\uB0B4?");
}

TEST(Utf8, InvalidBytesGetSubstitutesAndValidOnesRoundTrip) {
    EXPECT_EQ(fromUtf8("a\xFF"
                       "b"),
              u"a\uFFFD"
              "b");
    EXPECT_EQ(fromUtf8("\xC0\xAF"), u"\uFFFD\uFFFD");            // overlong '/'
    EXPECT_EQ(fromUtf8("\xED\xA0\x80"), u"\uFFFD\uFFFD\uFFFD");  // encoded surrogate
    EXPECT_EQ(fromUtf8("\xEB\x82\xB4"), u"\uB0B4");
    EXPECT_EQ(toUtf8(u"\U0001F600\uB0B4"), "\xF0\x9F\x98\x80\xEB\x82\xB4");
    EXPECT_EQ(utf8ToAnsi("\xEB\x82\xB4 x"), "\xB3\xBB x");
    EXPECT_EQ(ansiToUtf8("\xB3\xBB x"), "\xEB\x82\xB4 x");
}

TEST(Cp949Threads, ManyThreadsConvertAtOnce) {
    const std::u16string wide = u"\uB0B4\uCEF4\uD4E8\uD130 \u0175 report";
    const std::string narrow = toAnsi(wide);
    std::vector<std::thread> threads;
    std::vector<int> bad(8, 0);
    for (int t = 0; t < 8; ++t) {
        threads.emplace_back([&, t] {
            for (int i = 0; i < 300; ++i) {
                if (toAnsi(wide) != narrow || fromAnsi(narrow).size() != wide.size()) {
                    ++bad[t];
                }
            }
        });
    }
    for (auto& th : threads) {
        th.join();
    }
    for (int b : bad) {
        EXPECT_EQ(b, 0);
    }
}

}  // namespace
