#include "platform/Text.h"

#include <errno.h>
#include <iconv.h>

#include <cstring>

namespace platform {

namespace {

// An iconv handle is not thread-safe, so each thread opens its own, once.
class Converter {
public:
    Converter(const char* to, const char* from) : m_cd(iconv_open(to, from)) {}
    ~Converter() {
        if (ok()) {
            iconv_close(m_cd);
        }
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    bool ok() const { return m_cd != reinterpret_cast<iconv_t>(-1); }

    // Converts the whole input; returns the bytes written, or -1 when some of it has no
    // form (or the room ran out). The state is reset first, so calls are independent.
    long convert(const char* in, size_t inBytes, char* out, size_t outRoom) {
        iconv(m_cd, nullptr, nullptr, nullptr, nullptr);  // a fresh state every time
        char* src = const_cast<char*>(in);
        size_t left = inBytes;
        char* dst = out;
        size_t room = outRoom;
        if (iconv(m_cd, &src, &left, &dst, &room) == static_cast<size_t>(-1) || left != 0) {
            return -1;
        }
        return static_cast<long>(dst - out);
    }

private:
    iconv_t m_cd;
};

Converter& toCp949() {
    thread_local Converter c("CP949", "UTF-16LE");
    return c;
}

Converter& fromCp949() {
    thread_local Converter c("UTF-16LE", "CP949");
    return c;
}

bool isHigh(char16_t c) {
    return c >= 0xD800 && c <= 0xDBFF;
}
bool isLow(char16_t c) {
    return c >= 0xDC00 && c <= 0xDFFF;
}

}  // namespace

std::string toAnsi(std::u16string_view wide) {
    std::string out;
    Converter& cv = toCp949();
    // Most texts convert whole; only a text with a character that has no form is
    // converted one character at a time.
    if (!wide.empty() && cv.ok()) {
        std::string le(wide.size() * 2, '\0');
        for (size_t k = 0; k < wide.size(); ++k) {
            le[2 * k] = static_cast<char>(wide[k] & 0xFF);
            le[2 * k + 1] = static_cast<char>(wide[k] >> 8);
        }
        out.resize(wide.size() * 2 + 16);
        const long n = cv.convert(le.data(), le.size(), out.data(), out.size());
        if (n >= 0) {
            out.resize(static_cast<size_t>(n));
            return out;
        }
        out.clear();
    }
    out.reserve(wide.size() * 2);
    size_t i = 0;
    while (i < wide.size()) {
        const char16_t c = wide[i];
        if (c < 0x80) {
            out.push_back(static_cast<char>(c));
            ++i;
            continue;
        }
        if (isHigh(c) || isLow(c)) {
            // Nothing outside the basic plane has a code page 949 form.
            i += (isHigh(c) && i + 1 < wide.size() && isLow(wide[i + 1])) ? 2 : 1;
            out.push_back('?');
            continue;
        }
        unsigned char in[2] = {static_cast<unsigned char>(c & 0xFF),
                               static_cast<unsigned char>(c >> 8)};
        char buf[16];
        const long n = cv.ok() ? cv.convert(reinterpret_cast<char*>(in), 2, buf, sizeof buf) : -1;
        if (n > 0) {
            out.append(buf, static_cast<size_t>(n));
        } else {
            out.push_back('?');
        }
        ++i;
    }
    return out;
}

std::u16string fromAnsi(std::string_view narrow) {
    std::u16string out;
    Converter& cv = fromCp949();
    if (!narrow.empty() && cv.ok()) {
        std::string le(narrow.size() * 2 + 16, '\0');
        const long n = cv.convert(narrow.data(), narrow.size(), le.data(), le.size());
        if (n >= 0) {
            out.resize(static_cast<size_t>(n) / 2);
            for (size_t k = 0; k < out.size(); ++k) {
                out[k] = static_cast<char16_t>(static_cast<unsigned char>(le[2 * k]) |
                                               (static_cast<unsigned char>(le[2 * k + 1]) << 8));
            }
            return out;
        }
    }
    out.reserve(narrow.size());
    size_t i = 0;
    while (i < narrow.size()) {
        const unsigned char b = static_cast<unsigned char>(narrow[i]);
        if (b < 0x80) {
            out.push_back(b);
            ++i;
            continue;
        }
        // A lead byte takes one trail byte; a pair that doesn't convert is one '?'
        // for the lead byte, and the trail byte is looked at again.
        char buf[16];
        long n = -1;
        if (i + 1 < narrow.size() && cv.ok()) {
            n = cv.convert(narrow.data() + i, 2, buf, sizeof buf);
        }
        if (n == 2) {
            const auto* u = reinterpret_cast<unsigned char*>(buf);
            out.push_back(static_cast<char16_t>(u[0] | (u[1] << 8)));
            i += 2;
        } else {
            out.push_back(u'?');
            ++i;
        }
    }
    return out;
}

std::u16string fromUtf8(std::string_view s) {
    std::u16string out;
    out.reserve(s.size());
    size_t i = 0;
    while (i < s.size()) {
        const unsigned char b = static_cast<unsigned char>(s[i]);
        uint32_t cp = 0;
        size_t len = 0;
        if (b < 0x80) {
            cp = b;
            len = 1;
        } else if (b >= 0xC2 && b <= 0xDF) {
            cp = b & 0x1F;
            len = 2;
        } else if (b >= 0xE0 && b <= 0xEF) {
            cp = b & 0x0F;
            len = 3;
        } else if (b >= 0xF0 && b <= 0xF4) {
            cp = b & 0x07;
            len = 4;
        }
        bool good = len > 0 && i + len <= s.size();
        for (size_t k = 1; good && k < len; ++k) {
            const unsigned char t = static_cast<unsigned char>(s[i + k]);
            good = (t & 0xC0) == 0x80;
            cp = (cp << 6) | (t & 0x3F);
        }
        // Overlong forms, surrogates and values past U+10FFFF are not UTF-8.
        if (good && ((len == 3 && (cp < 0x800 || (cp >= 0xD800 && cp <= 0xDFFF))) ||
                     (len == 4 && (cp < 0x10000 || cp > 0x10FFFF)))) {
            good = false;
        }
        if (!good) {
            out.push_back(u'\xFFFD');
            ++i;
            continue;
        }
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
        } else {
            out.push_back(static_cast<char16_t>(cp));
        }
        i += len;
    }
    return out;
}

std::string toUtf8(std::u16string_view w) {
    std::string out;
    out.reserve(w.size() * 3);
    for (size_t i = 0; i < w.size(); ++i) {
        uint32_t cp = w[i];
        if (isHigh(w[i]) && i + 1 < w.size() && isLow(w[i + 1])) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (w[i + 1] - 0xDC00);
            ++i;
        } else if (isHigh(w[i]) || isLow(w[i])) {
            cp = 0xFFFD;
        }
        if (cp < 0x80) {
            out.push_back(static_cast<char>(cp));
        } else if (cp < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        } else if (cp < 0x10000) {
            out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        }
    }
    return out;
}

std::string ansiToUtf8(std::string_view narrow) {
    return toUtf8(fromAnsi(narrow));
}

std::string utf8ToAnsi(std::string_view utf8) {
    return toAnsi(fromUtf8(utf8));
}

}  // namespace platform
