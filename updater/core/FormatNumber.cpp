#include "updater/core/FormatNumber.h"

#include <cmath>
#include <cstdio>
#include <vector>

std::string FormatNumber(double value, int decimals) {
    if (decimals < 0) {
        decimals = 0;
    }
    const bool negative = value < 0;
    if (negative) {
        value = -value;
    }
    const int size = std::snprintf(nullptr, 0, "%.*f", decimals, value);
    if (size <= 0) {
        return "0";
    }
    std::vector<char> buf(static_cast<size_t>(size) + 1);
    std::snprintf(buf.data(), buf.size(), "%.*f", decimals, value);
    const std::string text(buf.data());
    // Digits before the decimal point.
    const size_t intDigits = text.size() - (decimals > 0 ? static_cast<size_t>(decimals) + 1 : 0);
    std::string out;
    for (size_t i = 0; i < intDigits; ++i) {
        if (i > 0 && (intDigits - i) % 3 == 0) {
            out += ',';
        }
        out += text[i];
    }
    out += text.substr(intDigits);
    return negative ? "-" + out : out;
}

int ProgressPercent(int64_t pos, int64_t low, int64_t high) {
    const __int128 range = static_cast<__int128>(high) - low;
    if (range == 0) {
        return 0;
    }
    const __int128 percent = (static_cast<__int128>(pos) - low) * 100 / range;
    if (percent == 100) {
        return 100;
    }
    return static_cast<int>(percent % 100);
}
