#include "websearch/TermEncoding.h"

#include <gtest/gtest.h>

namespace {

struct TermCase {
    std::string term;
    TermPlace place;
    bool blankAsPlus;
    std::string encoded;
};

void PrintTo(const TermCase& c, std::ostream* os) {
    *os << ::testing::PrintToString(c.term);
}

class TermEncoding : public ::testing::TestWithParam<TermCase> {};

TEST_P(TermEncoding, EncodesOnlyWhatWouldBreakTheRequest) {
    EXPECT_EQ(encodeTerm(GetParam().term, GetParam().place, GetParam().blankAsPlus),
              GetParam().encoded);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TermEncoding,
    ::testing::Values(TermCase{"two words", TermPlace::kQuery, true, "two+words"},
                      TermCase{"two words", TermPlace::kQuery, false, "two%20words"},
                      TermCase{"a+b&c#d%e", TermPlace::kQuery, true, "a%2Bb%26c%23d%25e"},
                      TermCase{"line\r\nHost: x", TermPlace::kQuery, false, "line%0D%0AHost:%20x"},
                      TermCase{"a?b;c/d", TermPlace::kQuery, false, "a?b;c/d"},
                      TermCase{"a?b;c/d", TermPlace::kPath, false, "a%3Fb%3Bc%2Fd"},
                      TermCase{"\xB9\xAE\xBC\xAD", TermPlace::kQuery, false, "\xB9\xAE\xBC\xAD"},
                      TermCase{"\xEB\xAC\xB8\xEC\x84\x9C x", TermPlace::kPath, false,
                               "\xEB\xAC\xB8\xEC\x84\x9C%20x"},
                      TermCase{"tab\there\x7F", TermPlace::kPath, false, "tab%09here%7F"},
                      TermCase{"", TermPlace::kQuery, true, ""}));

}  // namespace
