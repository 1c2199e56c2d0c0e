// Reads the block structure of a GIF file in memory without decoding any image: the
// logical screen, the colour table size and one entry per frame (an image descriptor and
// the graphic control extension before it). Every offset it reports lies within the data,
// so frames can be cut out into stand-alone GIFs for a decoder that reads one image only.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace gif {

// Size of the header and logical screen descriptor that open every GIF.
inline constexpr size_t kHeaderSize = 13;

// The block bytes a walk recognises.
inline constexpr uint8_t kExtensionIntroducer = 0x21;
inline constexpr uint8_t kApplicationLabel = 0xFF;
inline constexpr uint8_t kCommentLabel = 0xFE;
inline constexpr uint8_t kGraphicControlLabel = 0xF9;
inline constexpr uint8_t kPlainTextLabel = 0x01;
inline constexpr uint8_t kImageSeparator = 0x2C;
inline constexpr uint8_t kTrailer = 0x3B;

enum class BlockKind { Application, Comment, GraphicControl, PlainText, Image, Trailer };

// One block met by the walk: [offset, offset + size) lies within the data.
struct Block {
    BlockKind kind;
    size_t offset;
    size_t size;
};

// One frame: its bytes run from `start` (its graphic control extension, or the image
// descriptor when it has none) up to `end` (just past its image data).
struct Frame {
    size_t start = 0;
    size_t end = 0;
    size_t imageOffset = 0;   // the image descriptor
    bool hasControl = false;  // a graphic control extension came before the image
    uint16_t delay = 0;       // hundredths of a second, as stored
    int disposal = 0;         // bits 2 to 4 of the control extension's packed byte
    uint16_t left = 0, top = 0, width = 0, height = 0;
};

enum class WalkError {
    None,
    NotGif,        // the data does not start with "GIF"
    ShortHeader,   // header, screen descriptor or global colour table past the end
    Truncated,     // a block reaches past the end of the data
    UnknownBlock,  // a byte that starts no known block
    NoFrame,       // the walk found no image
};

struct GifInfo {
    uint16_t screenWidth = 0;
    uint16_t screenHeight = 0;
    size_t globalTableSize = 0;  // bytes; 0 when there is no global table
    size_t blocksStart = 0;      // kHeaderSize + globalTableSize
    std::vector<Block> blocks;   // every block in file order, the trailer included
    std::vector<Frame> frames;
    WalkError error = WalkError::None;
    std::string errorText;  // why the walk failed, for messages and tests

    bool ok() const { return error == WalkError::None; }
};

// True when the data starts with the three bytes "GIF" (the version is not examined).
bool isGif(const uint8_t* data, size_t size);

// Size in bytes of a colour table announced by a packed flags byte: 3 * 2^(n+1) when the
// table flag (top bit) is set, n being the low three bits; 0 otherwise.
size_t colorTableSize(uint8_t packed);

// Walks the whole file. The walk ends at the trailer or at the end of the data; bytes
// after the trailer are ignored. On failure `error` says why and no frame is reported.
GifInfo walk(const uint8_t* data, size_t size);

// A stand-alone GIF of one frame: the header, screen descriptor and global colour table
// of the data, the frame's bytes, then the trailer. Empty when the frame does not belong
// to a successful walk of these data.
std::vector<uint8_t> cutFrame(const uint8_t* data, size_t size, const GifInfo& info,
                              size_t frameIndex);

// How long a frame stays on screen: its stored delay in hundredths of a second as
// milliseconds, but 100 ms when the stored delay is below 5 (0 to 4 are too fast to mean
// what they say and are common in files).
uint32_t frameDelayMs(uint16_t storedDelay);

// The disposal method that restores the area under a frame after it was shown.
inline constexpr int kDisposeRestoreBackground = 2;
inline constexpr int kDisposeRestorePrevious = 3;

}  // namespace gif
