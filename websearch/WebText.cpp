#include "websearch/WebText.h"

#include <iconv.h>

#include <algorithm>
#include <bit>
#include <cerrno>

namespace {

// One conversion state per call: an iconv handle is not safe across threads. A sequence
// the target cannot hold becomes '?' and conversion goes on after the source character.
enum class Source { kUtf8, kUtf16, kBytes };

std::string convert(const char* to, const char* from, const char* data, size_t size,
                    Source source) {
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        return {};
    }
    std::string out;
    char buffer[256];
    char* in = const_cast<char*>(data);
    size_t inLeft = size;
    while (inLeft > 0) {
        char* o = buffer;
        size_t outLeft = sizeof buffer;
        const size_t r = iconv(cd, &in, &inLeft, &o, &outLeft);
        out.append(buffer, o);
        if (r == static_cast<size_t>(-1) && errno != E2BIG) {
            out += '?';
            // Skip one source character: a UTF-8 sequence, a UTF-16 unit pair, or a byte.
            size_t skip = 1;
            if (source == Source::kUtf8) {
                while (skip < inLeft && (static_cast<unsigned char>(in[skip]) & 0xC0) == 0x80) {
                    ++skip;
                }
            } else if (source == Source::kUtf16) {
                const auto hi = static_cast<unsigned char>(in[1]);
                skip = (hi >= 0xD8 && hi <= 0xDB) ? 4 : 2;
            }
            skip = std::min(skip, inLeft);
            in += skip;
            inLeft -= skip;
        }
    }
    iconv_close(cd);
    return out;
}

}  // namespace

std::string wideToAnsi(const std::u16string& text) {
    static_assert(std::endian::native == std::endian::little, "UTF-16LE is the native order");
    return convert("CP949", "UTF-16LE", reinterpret_cast<const char*>(text.data()),
                   text.size() * sizeof(char16_t), Source::kUtf16);
}

std::string utf8ToAnsi(const std::string& text) {
    return convert("CP949", "UTF-8", text.data(), text.size(), Source::kUtf8);
}

std::string ansiToUtf8(const std::string& text) {
    return convert("UTF-8", "CP949", text.data(), text.size(), Source::kBytes);
}
