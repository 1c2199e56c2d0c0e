#include "websearch/TermEncoding.h"

namespace {

bool needsEncoding(unsigned char c, TermPlace place) {
    if (c < 0x20 || c == 0x7F) {
        return true;
    }
    switch (c) {
        case '&':
        case '#':
        case '%':
        case '+':
            return true;
        case '?':
        case ';':
        case '/':
            return place == TermPlace::kPath;
        default:
            return false;
    }
}

}  // namespace

std::string encodeTerm(std::string_view term, TermPlace place, bool blankAsPlus) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(term.size());
    for (char ch : term) {
        const auto c = static_cast<unsigned char>(ch);
        if (c == ' ') {
            out += blankAsPlus ? "+" : "%20";
        } else if (needsEncoding(c, place)) {
            out += '%';
            out += kHex[c >> 4];
            out += kHex[c & 0x0F];
        } else {
            out += ch;
        }
    }
    return out;
}
