// The GIF block walker on arbitrary bytes: it must never read outside the data, and every
// frame it reports, and every frame it cuts out, must lie within the data.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "controls/gif/GifWalker.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const gif::GifInfo info = gif::walk(data, size);
    if (!info.ok()) {
        if (!info.frames.empty()) {
            std::abort();
        }
        return 0;
    }
    if (info.blocksStart > size || info.frames.empty()) {
        std::abort();
    }
    size_t previousEnd = info.blocksStart;
    for (size_t i = 0; i < info.frames.size(); ++i) {
        const gif::Frame& f = info.frames[i];
        if (f.start < previousEnd || f.start > f.imageOffset || f.imageOffset >= f.end ||
            f.end > size) {
            std::abort();
        }
        previousEnd = f.end;
        const std::vector<uint8_t> cut = gif::cutFrame(data, size, info, i);
        if (cut.size() != info.blocksStart + (f.end - f.start) + 1) {
            std::abort();
        }
        // A cut frame is itself a GIF of exactly one frame.
        const gif::GifInfo single = gif::walk(cut.data(), cut.size());
        if (!single.ok() || single.frames.size() != 1) {
            std::abort();
        }
    }
    for (const gif::Block& b : info.blocks) {
        if (b.offset < info.blocksStart || b.size == 0 || b.size > size - b.offset) {
            std::abort();
        }
    }
    return 0;
}
