// The mount table parser and the choice of drive roots on arbitrary text.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "platform/Drives.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const auto mounts = platform::parseMountInfo(text);
    const auto set =
        platform::drivesFrom(mounts, [](const std::string& p) { return p.size() % 3 != 0; });
    // "/" is always the first root, and every root is a fence.
    if (set.roots.empty() || set.roots.front() != "/") {
        __builtin_trap();
    }
    for (const auto& r : set.roots) {
        if (!set.fences.count(r)) {
            __builtin_trap();
        }
    }
    return 0;
}
