// ASCII-only character helpers for byte strings that may hold code page 949 text:
// case folding touches 'A'..'Z' alone, never a lead or trail byte of a Korean character.
#pragma once

#include <cstdint>
#include <limits>
#include <string_view>

namespace platform {

constexpr char lowerAscii(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// text begins with lower, ignoring ASCII case; lower is written in lower case.
constexpr bool startsWithFolded(std::string_view text, std::string_view lower) {
    if (text.size() < lower.size()) {
        return false;
    }
    for (size_t i = 0; i < lower.size(); ++i) {
        if (lowerAscii(text[i]) != lower[i]) {
            return false;
        }
    }
    return true;
}

// A decimal number read the lenient way of the C library's atoi: leading blanks, an
// optional sign, the digits up to the first other character; no digits give 0. Unlike
// atoi, a value beyond 32 bits stops at the nearest bound instead of wrapping.
constexpr int32_t lenientDecimal(std::string_view s) {
    size_t i = 0;
    while (i < s.size() && (s[i] == ' ' || (s[i] >= '\t' && s[i] <= '\r'))) {
        ++i;
    }
    bool negative = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
        negative = s[i] == '-';
        ++i;
    }
    constexpr int64_t kLimit = int64_t{std::numeric_limits<int32_t>::max()} + 1;
    int64_t value = 0;
    for (; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i) {
        value = value * 10 + (s[i] - '0');
        if (value >= kLimit) {
            value = kLimit;
            // The rest of the digits cannot bring it back into range.
            break;
        }
    }
    value = negative ? -value : value;
    if (value > std::numeric_limits<int32_t>::max()) {
        return std::numeric_limits<int32_t>::max();
    }
    return static_cast<int32_t>(value);
}

}  // namespace platform
