#include "controls/gif/GifWalker.h"

#include <cstring>

namespace gif {

namespace {

// Fixed part of each block kind, before any sub-blocks.
constexpr size_t kApplicationFixed = 14;   // introducer, label, size byte, 11 bytes
constexpr size_t kCommentFixed = 2;        // introducer, label
constexpr size_t kGraphicControlSize = 8;  // introducer, label, size, 4 bytes, terminator
constexpr size_t kPlainTextFixed = 15;     // introducer, label, size byte, 12 bytes
constexpr size_t kImageDescriptor = 10;

uint16_t le16(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

// The reader never looks past `size`: every read goes through `has`.
class Walker {
public:
    Walker(const uint8_t* data, size_t size) : m_data(data), m_size(size) {}

    GifInfo run();

private:
    bool has(size_t offset, size_t count) const {
        return offset <= m_size && count <= m_size - offset;
    }
    // Length of a run of sub-blocks starting at `offset`, the terminating zero included;
    // false when the run reaches past the end.
    bool subBlocks(size_t offset, size_t& length) const;
    bool blockAt(size_t offset, Block& block, GifInfo& info) const;
    void fail(GifInfo& info, WalkError error, const std::string& text) const;

    const uint8_t* m_data;
    size_t m_size;
};

bool Walker::subBlocks(size_t offset, size_t& length) const {
    size_t pos = offset;
    for (;;) {
        if (!has(pos, 1)) {
            return false;
        }
        const size_t n = m_data[pos];
        if (!has(pos, n + 1)) {
            return false;
        }
        pos += n + 1;
        if (n == 0) {
            length = pos - offset;
            return true;
        }
    }
}

void Walker::fail(GifInfo& info, WalkError error, const std::string& text) const {
    info.error = error;
    info.errorText = text;
    info.frames.clear();
}

bool Walker::blockAt(size_t offset, Block& block, GifInfo& info) const {
    const uint8_t first = m_data[offset];
    block.offset = offset;
    size_t fixed = 0;
    bool hasSubBlocks = true;
    if (first == kImageSeparator) {
        block.kind = BlockKind::Image;
        if (!has(offset, kImageDescriptor)) {
            fail(info, WalkError::Truncated, "image descriptor past the end");
            return false;
        }
        fixed = kImageDescriptor + colorTableSize(m_data[offset + 9]) + 1;
    } else if (first == kTrailer) {
        block.kind = BlockKind::Trailer;
        fixed = 1;
        hasSubBlocks = false;
    } else if (first == kExtensionIntroducer) {
        if (!has(offset, 2)) {
            fail(info, WalkError::Truncated, "extension label past the end");
            return false;
        }
        switch (m_data[offset + 1]) {
            case kApplicationLabel:
                block.kind = BlockKind::Application;
                fixed = kApplicationFixed;
                break;
            case kCommentLabel:
                block.kind = BlockKind::Comment;
                fixed = kCommentFixed;
                break;
            case kGraphicControlLabel:
                block.kind = BlockKind::GraphicControl;
                fixed = kGraphicControlSize;
                hasSubBlocks = false;
                break;
            case kPlainTextLabel:
                block.kind = BlockKind::PlainText;
                fixed = kPlainTextFixed;
                break;
            default:
                fail(info, WalkError::UnknownBlock,
                     "unknown extension label at offset " + std::to_string(offset));
                return false;
        }
    } else {
        fail(info, WalkError::UnknownBlock,
             "unknown block byte at offset " + std::to_string(offset));
        return false;
    }
    if (!has(offset, fixed)) {
        fail(info, WalkError::Truncated, "block past the end at offset " + std::to_string(offset));
        return false;
    }
    size_t tail = 0;
    if (hasSubBlocks && !subBlocks(offset + fixed, tail)) {
        fail(info, WalkError::Truncated,
             "sub-blocks past the end after offset " + std::to_string(offset));
        return false;
    }
    block.size = fixed + tail;
    return true;
}

GifInfo Walker::run() {
    GifInfo info;
    if (!isGif(m_data, m_size)) {
        fail(info, WalkError::NotGif, "not a GIF");
        return info;
    }
    if (!has(0, kHeaderSize)) {
        fail(info, WalkError::ShortHeader, "header shorter than 13 bytes");
        return info;
    }
    info.screenWidth = le16(m_data + 6);
    info.screenHeight = le16(m_data + 8);
    info.globalTableSize = colorTableSize(m_data[10]);
    if (!has(kHeaderSize, info.globalTableSize)) {
        fail(info, WalkError::ShortHeader, "global colour table past the end");
        return info;
    }
    info.blocksStart = kHeaderSize + info.globalTableSize;

    // A control extension belongs to the next graphic block: an image, or a plain-text
    // extension, which then uses it up.
    bool pending = false;
    Frame next;
    size_t pos = info.blocksStart;
    while (pos < m_size) {
        Block block{};
        if (!blockAt(pos, block, info)) {
            return info;
        }
        info.blocks.push_back(block);
        const uint8_t* p = m_data + pos;
        switch (block.kind) {
            case BlockKind::GraphicControl:
                next = Frame{};
                next.start = pos;
                next.hasControl = true;
                next.disposal = (p[3] >> 2) & 0x07;
                next.delay = le16(p + 4);
                pending = true;
                break;
            case BlockKind::PlainText:
                pending = false;
                break;
            case BlockKind::Image: {
                Frame frame = pending ? next : Frame{};
                if (!pending) {
                    frame.start = pos;
                }
                frame.imageOffset = pos;
                frame.end = pos + block.size;
                frame.left = le16(p + 1);
                frame.top = le16(p + 3);
                frame.width = le16(p + 5);
                frame.height = le16(p + 7);
                info.frames.push_back(frame);
                pending = false;
                break;
            }
            case BlockKind::Application:
            case BlockKind::Comment:
            case BlockKind::Trailer:
                break;
        }
        pos += block.size;
        if (block.kind == BlockKind::Trailer) {
            break;
        }
    }
    if (info.frames.empty()) {
        fail(info, WalkError::NoFrame, "no image in the GIF");
    }
    return info;
}

}  // namespace

bool isGif(const uint8_t* data, size_t size) {
    return data != nullptr && size >= 3 && std::memcmp(data, "GIF", 3) == 0;
}

size_t colorTableSize(uint8_t packed) {
    if ((packed & 0x80) == 0) {
        return 0;
    }
    return size_t{3} << ((packed & 0x07) + 1);
}

GifInfo walk(const uint8_t* data, size_t size) {
    if (data == nullptr) {
        size = 0;
    }
    return Walker(data, size).run();
}

std::vector<uint8_t> cutFrame(const uint8_t* data, size_t size, const GifInfo& info,
                              size_t frameIndex) {
    if (!info.ok() || frameIndex >= info.frames.size() || data == nullptr) {
        return {};
    }
    const Frame& f = info.frames[frameIndex];
    // The info may come from other data: check every range against these bytes.
    if (info.blocksStart > size || f.start < info.blocksStart || f.start > f.end || f.end > size) {
        return {};
    }
    std::vector<uint8_t> out;
    out.reserve(info.blocksStart + (f.end - f.start) + 1);
    out.insert(out.end(), data, data + info.blocksStart);
    out.insert(out.end(), data + f.start, data + f.end);
    out.push_back(kTrailer);
    return out;
}

uint32_t frameDelayMs(uint16_t storedDelay) {
    return storedDelay < 5 ? 100u : storedDelay * 10u;
}

}  // namespace gif
