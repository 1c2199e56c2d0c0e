// Random expires texts: nothing may crash or overflow, and every text that a calendar
// conversion can read must give the same instant as that conversion taken in UTC.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <ctime>
#include <string_view>

#include "http/CookieJar.h"

namespace {

constexpr int64_t kNow = 1700000000;

bool digit(char c) {
    return c >= '0' && c <= '9';
}

// Leading digits at pos, or -1 when there are none or more than four.
int smallNumber(std::string_view t, size_t pos) {
    int n = 0;
    int count = 0;
    while (pos < t.size() && digit(t[pos]) && count < 5) {
        n = n * 10 + (t[pos] - '0');
        ++pos;
        ++count;
    }
    return (count == 0 || count > 4) ? -1 : n;
}

// The same fixed-offset reading done through the C library's UTC conversion, for texts
// whose fields are small; -1 when it does not apply.
int64_t reference(std::string_view t) {
    static const char* const kMonths[] = {"JAN", "FEB", "MAR", "APR", "MAY", "JUN",
                                          "JUL", "AUG", "SEP", "OCT", "NOV", "DEC"};
    size_t d = 0;
    while (d < t.size() && !digit(t[d])) {
        ++d;
    }
    if (d >= t.size() || t.size() - d < 20) {
        return -1;
    }
    int month = -1;
    for (int m = 0; m < 12; ++m) {
        bool same = true;
        for (int i = 0; i < 3; ++i) {
            char c = t[d + 3 + i];
            if (c >= 'a' && c <= 'z') {
                c = static_cast<char>(c - 'a' + 'A');
            }
            same = same && c == kMonths[m][i];
        }
        if (same) {
            month = m;
            break;
        }
    }
    const int day = smallNumber(t, d), year = smallNumber(t, d + 7), hour = smallNumber(t, d + 12),
              minute = smallNumber(t, d + 15), second = smallNumber(t, d + 18);
    if (month < 0 || day < 0 || year < 1900 || hour < 0 || minute < 0 || second < 0) {
        return -1;
    }
    std::tm tm{};
    tm.tm_mday = day;
    tm.tm_mon = month;
    tm.tm_year = year - 1900;
    tm.tm_hour = hour;
    tm.tm_min = minute;
    tm.tm_sec = second;
    return static_cast<int64_t>(timegm(&tm));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const int64_t got = parseCookieExpiry(text, kNow);
    const int64_t want = reference(text);
    if (want != -1 && got != want) {
        std::abort();
    }
    return 0;
}
