// Builds small GIF files byte by byte for tests: the blocks in any order, real image data
// (LZW with a clear code every two pixels, so codes stay three bits wide and any decoder
// reads them), and deliberately broken files.
#pragma once

#include <algorithm>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

namespace giftest {

struct Rgb {
    uint8_t r, g, b;
};

// Four colours: the tables built here always hold four entries (packed size bits 1).
inline const std::vector<Rgb> kPalette = {{0, 0, 0}, {255, 0, 0}, {0, 255, 0}, {0, 0, 255}};

class GifBuilder {
public:
    // "GIF89a", the logical screen and, when `withGlobalTable`, kPalette as global table.
    GifBuilder& header(uint16_t width, uint16_t height, bool withGlobalTable = true) {
        raw("GIF89a");
        u16(width);
        u16(height);
        m_bytes.push_back(withGlobalTable ? 0x81 : 0x00);  // table flag, 4 entries
        m_bytes.push_back(0);                              // background colour index
        m_bytes.push_back(0);                              // aspect ratio
        if (withGlobalTable) {
            table();
        }
        return *this;
    }

    // The looping application extension.
    GifBuilder& application(uint16_t loops = 0) {
        m_bytes.insert(m_bytes.end(), {0x21, 0xFF, 0x0B});
        raw("NETSCAPE2.0");
        m_bytes.insert(m_bytes.end(), {0x03, 0x01});
        u16(loops);
        m_bytes.push_back(0);
        return *this;
    }

    GifBuilder& comment(const std::string& text) {
        m_bytes.insert(m_bytes.end(), {0x21, 0xFE});
        subBlocks(std::vector<uint8_t>(text.begin(), text.end()));
        return *this;
    }

    GifBuilder& control(uint16_t delay, int disposal, int transparentIndex = -1) {
        m_bytes.insert(m_bytes.end(), {0x21, 0xF9, 0x04});
        m_bytes.push_back(
            static_cast<uint8_t>(((disposal & 7) << 2) | (transparentIndex >= 0 ? 1 : 0)));
        u16(delay);
        m_bytes.push_back(static_cast<uint8_t>(transparentIndex >= 0 ? transparentIndex : 0));
        m_bytes.push_back(0);
        return *this;
    }

    GifBuilder& plainText(const std::string& text) {
        m_bytes.insert(m_bytes.end(), {0x21, 0x01, 0x0C});
        for (int i = 0; i < 12; ++i) {
            m_bytes.push_back(0);
        }
        subBlocks(std::vector<uint8_t>(text.begin(), text.end()));
        return *this;
    }

    // An image of one colour index, optionally with its own (four-colour) table.
    GifBuilder& image(uint16_t left, uint16_t top, uint16_t width, uint16_t height,
                      uint8_t colorIndex, bool localTable = false) {
        return image(left, top, width, height,
                     std::vector<uint8_t>(size_t{width} * height, colorIndex), localTable);
    }

    GifBuilder& image(uint16_t left, uint16_t top, uint16_t width, uint16_t height,
                      const std::vector<uint8_t>& indices, bool localTable = false) {
        m_bytes.push_back(0x2C);
        u16(left);
        u16(top);
        u16(width);
        u16(height);
        m_bytes.push_back(localTable ? 0x81 : 0x00);
        if (localTable) {
            table();
        }
        m_bytes.push_back(2);  // LZW minimum code size
        subBlocks(lzw(indices));
        return *this;
    }

    GifBuilder& trailer() {
        m_bytes.push_back(0x3B);
        return *this;
    }

    GifBuilder& raw(const std::string& text) {
        m_bytes.insert(m_bytes.end(), text.begin(), text.end());
        return *this;
    }
    GifBuilder& raw(std::initializer_list<uint8_t> bytes) {
        m_bytes.insert(m_bytes.end(), bytes);
        return *this;
    }

    size_t size() const { return m_bytes.size(); }
    const std::vector<uint8_t>& bytes() const { return m_bytes; }

private:
    void u16(uint16_t v) {
        m_bytes.push_back(static_cast<uint8_t>(v & 0xFF));
        m_bytes.push_back(static_cast<uint8_t>(v >> 8));
    }
    void table() {
        for (const Rgb& c : kPalette) {
            m_bytes.insert(m_bytes.end(), {c.r, c.g, c.b});
        }
    }
    void subBlocks(const std::vector<uint8_t>& data) {
        size_t pos = 0;
        while (pos < data.size()) {
            const size_t n = std::min<size_t>(255, data.size() - pos);
            m_bytes.push_back(static_cast<uint8_t>(n));
            m_bytes.insert(m_bytes.end(), data.begin() + pos, data.begin() + pos + n);
            pos += n;
        }
        m_bytes.push_back(0);
    }
    // Three-bit codes, least significant bit first; a clear code before every two
    // pixels keeps the code table from growing past eight entries.
    static std::vector<uint8_t> lzw(const std::vector<uint8_t>& indices) {
        constexpr uint32_t kClear = 4, kEnd = 5;
        std::vector<uint8_t> out;
        uint32_t acc = 0;
        int bits = 0;
        auto put = [&](uint32_t code) {
            acc |= code << bits;
            bits += 3;
            while (bits >= 8) {
                out.push_back(static_cast<uint8_t>(acc & 0xFF));
                acc >>= 8;
                bits -= 8;
            }
        };
        for (size_t i = 0; i < indices.size(); ++i) {
            if (i % 2 == 0) {
                put(kClear);
            }
            put(indices[i] & 3);
        }
        put(kEnd);
        if (bits > 0) {
            out.push_back(static_cast<uint8_t>(acc & 0xFF));
        }
        return out;
    }

    std::vector<uint8_t> m_bytes;
};

}  // namespace giftest
