// Scans arbitrary bytes as a page: every link must be a non-empty piece of it.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "http/LinkExtractor.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<char> page(data, data + size);
    LinkExtractor x;
    x.extract(page.data(), page.size());
    size_t total = 0;
    for (const std::string& link : x.links) {
        total += link.size();
        if (link.empty() || memmem(page.data(), page.size(), link.data(), link.size()) == nullptr) {
            std::abort();
        }
    }
    // Links do not overlap, so together they are never longer than the page.
    if (total > size || x.state < 0 || x.state > 2) {
        std::abort();
    }
    return 0;
}
