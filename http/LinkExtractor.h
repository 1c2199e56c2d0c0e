// A small, forgiving HTML scanner for the crawler: walks a page's bytes once, skips comments
// and script content, and collects the href value of every tag whose name begins with "a",
// in document order. It never fails and decodes nothing (character references, character
// sets and %-escapes stay as written).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class LinkExtractor {
public:
    // Replaces links with those of the page; always true.
    bool extract(const char* data, size_t size);

    std::vector<std::string> links;
    // 0 in text, 1 just after a '<', 2 inside a comment.
    int32_t state = 0;

private:
    // Each reader starts at its first byte and returns where the walk goes on.
    const char* readTag(const char* p, const char* end);
    const char* readLinkAttributes(const char* p, const char* end);
    const char* skipScript(const char* p, const char* end);
};
