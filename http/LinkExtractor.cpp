#include "http/LinkExtractor.h"

#include <cstring>
#include <string_view>

#include "platform/Ascii.h"

namespace {

using platform::startsWithFolded;

enum CharClass : unsigned char {
    kBlank = 1,       // space, tab, LF, CR
    kNameStop = 2,    // ends a tag name: a blank, '>' or '<'
    kLetter = 4,      // ASCII letter
    kAttrStop = 8,    // ends an attribute name: a blank or '='
    kValueStop = 16,  // ends an unquoted value: a blank
    kTagEnd = 32,     // the tag's closing '>'
};

constexpr auto kClasses = [] {
    struct Table {
        unsigned char c[256] = {};
    } t;
    for (unsigned char ch : {' ', '\t', '\n', '\r'}) {
        t.c[ch] |= kBlank | kNameStop | kAttrStop | kValueStop;
    }
    t.c[static_cast<unsigned char>('>')] |= kNameStop | kTagEnd;
    t.c[static_cast<unsigned char>('<')] |= kNameStop;
    t.c[static_cast<unsigned char>('=')] |= kAttrStop;
    for (int ch = 'a'; ch <= 'z'; ++ch) {
        t.c[ch] |= kLetter;
        t.c[ch - 'a' + 'A'] |= kLetter;
    }
    return t;
}();

inline bool is(char c, CharClass k) {
    return kClasses.c[static_cast<unsigned char>(c)] & k;
}

enum class TagKind { kNone, kLink, kFrame, kScript, kBody, kBodyEnd };

struct HtmlTag {
    std::string_view name;
    TagKind kind;
};

// A name belongs to the first row it begins with (case folded): "area" is a link tag.
constexpr HtmlTag kHtmlTags[] = {
    {"a", TagKind::kLink},    {"frame", TagKind::kFrame},   {"script", TagKind::kScript},
    {"body", TagKind::kBody}, {"/body", TagKind::kBodyEnd},
};

TagKind tagKind(std::string_view name) {
    for (const HtmlTag& row : kHtmlTags) {
        if (startsWithFolded(name, row.name)) {
            return row.kind;
        }
    }
    return TagKind::kNone;
}

const char* findChar(const char* p, const char* end, char c) {
    const void* hit = std::memchr(p, c, end - p);
    return hit ? static_cast<const char*>(hit) : end;
}

}  // namespace

bool LinkExtractor::extract(const char* data, size_t size) {
    links.clear();
    state = 0;
    const char* p = data;
    const char* end = data + size;
    while (p < end) {
        if (state == 0) {
            p = findChar(p, end, '<');
            if (p < end) {
                state = 1;
                ++p;
            }
        } else if (state == 1) {
            if (end - p >= 3 && std::memcmp(p, "!--", 3) == 0) {
                state = 2;
                p += 3;
            } else {
                p = readTag(p, end);
            }
        } else {
            // Inside a comment: only "-->" ends it.
            const char* dash = findChar(p, end, '-');
            if (end - dash >= 3 && std::memcmp(dash, "-->", 3) == 0) {
                state = 0;
                p = dash + 3;
            } else {
                p = dash < end ? dash + 1 : end;
            }
        }
    }
    return true;
}

// p is just after the '<'.
const char* LinkExtractor::readTag(const char* p, const char* end) {
    const char* nameEnd = p;
    while (nameEnd < end && !is(*nameEnd, kNameStop)) {
        ++nameEnd;
    }
    if (nameEnd == end) {
        return end;
    }
    if (*nameEnd == '<') {
        // The '<' opens the next tag; state stays 1.
        return nameEnd + 1;
    }
    TagKind kind = tagKind(std::string_view(p, nameEnd - p));
    state = 0;
    if (kind == TagKind::kLink) {
        return readLinkAttributes(nameEnd, end);
    }
    if (kind == TagKind::kScript) {
        return skipScript(nameEnd, end);
    }
    const char* close = findChar(nameEnd, end, '>');
    return close < end ? close + 1 : end;
}

// Reads the attributes up to the tag's closing '>' (the first '>' after the name, also inside
// a quoted value), keeps the first non-empty href value, and returns the byte after the '>'.
// Every scan stops on the '>', so each byte is looked at once.
const char* LinkExtractor::readLinkAttributes(const char* p, const char* end) {
    while (p < end && *p != '>') {
        while (p < end && is(*p, kBlank)) {
            ++p;
        }
        const char* name = p;
        while (p < end && !is(*p, CharClass(kAttrStop | kTagEnd))) {
            ++p;
        }
        // "hreflang" counts as href too: a prefix match, as in the tag names.
        bool isHref = startsWithFolded(std::string_view(name, p - name), "href");
        while (p < end && is(*p, kAttrStop)) {
            ++p;
        }
        if (p == end || *p == '>') {
            break;
        }
        const char* value;
        const char* valueEnd;
        if (*p == '"' || *p == '\'') {
            char quote = *p;
            value = ++p;
            while (p < end && *p != quote && *p != '>') {
                ++p;
            }
            valueEnd = p;
            if (p < end && *p == quote) {
                ++p;
            }
        } else {
            value = p;
            while (p < end && !is(*p, CharClass(kValueStop | kTagEnd))) {
                ++p;
            }
            valueEnd = p;
        }
        if (isHref) {
            // Only the first href counts, empty or not.
            if (valueEnd > value) {
                links.emplace_back(value, valueEnd);
            }
            p = findChar(p, end, '>');
            break;
        }
    }
    return p < end ? p + 1 : end;
}

// p is at the end of the opening tag's name. Returns the byte after the "</script>" that ends
// the content, after a '<' met before the opening tag's '>' (nothing skipped), or end.
const char* LinkExtractor::skipScript(const char* p, const char* end) {
    while (p < end && *p != '>' && *p != '<') {
        ++p;
    }
    if (p == end) {
        return end;
    }
    if (*p == '<') {
        return p + 1;
    }
    ++p;
    for (;;) {
        p = findChar(p, end, '<');
        if (end - p < 2) {
            return end;
        }
        if (p[1] != '/') {
            ++p;
            continue;
        }
        const char* letters = p + 2;
        const char* lettersEnd = letters;
        while (lettersEnd < end && is(*lettersEnd, kLetter)) {
            ++lettersEnd;
        }
        // "</script >" with a blank does not end the script.
        if (tagKind(std::string_view(letters, lettersEnd - letters)) == TagKind::kScript &&
            lettersEnd < end && *lettersEnd == '>') {
            return lettersEnd + 1;
        }
        p = lettersEnd > letters ? lettersEnd : p + 2;
    }
}
