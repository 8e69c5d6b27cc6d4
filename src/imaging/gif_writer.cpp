#include "imaging/gif_writer.h"

#include <algorithm>

#include "imaging/colour_analysis.h"
#include "imaging/colour_quantizer.h"
#include "imaging/lzw_encoder.h"

namespace pictorn::imaging {

namespace {

// LSB-first code packing straight into 255-byte data sub-blocks.
class GifBitSink {
public:
    explicit GifBitSink(Bytes& out) : out_(out) {}
    void put(unsigned code, int width) {
        buffer_ |= std::uint32_t{code} << bits_;
        bits_ += width;
        while (bits_ >= 8) {
            putByte(static_cast<std::uint8_t>(buffer_));
            buffer_ >>= 8;
            bits_ -= 8;
        }
    }
    void finish() {
        if (bits_ > 0) {
            putByte(static_cast<std::uint8_t>(buffer_));
        }
        if (blockAt_ != 0) {
            out_[blockAt_] = static_cast<std::uint8_t>(out_.size() - blockAt_ - 1);
        }
        out_.push_back(0); // block terminator
    }

private:
    void putByte(std::uint8_t b) {
        if (blockAt_ == 0 || out_.size() - blockAt_ - 1 == 255) {
            if (blockAt_ != 0) {
                out_[blockAt_] = 255;
            }
            blockAt_ = out_.size();
            out_.push_back(0); // length, patched when the block is full or at the end
        }
        out_.push_back(b);
    }

    Bytes& out_;
    std::uint32_t buffer_ = 0;
    int bits_ = 0;
    std::size_t blockAt_ = 0;
};

} // namespace

Bytes writeGif(const Picture& picture, bool dither) {
    if (picture.width > 65535 || picture.height > 65535) {
        throw std::length_error("picture too large for a GIF file");
    }
    auto indexed = indexColours(picture);
    if (!indexed) {
        indexed = mapToPalette(picture, choosePalette(picture, 256), dither);
    }
    int tableBits = 1; // any power of two from 2 to 256 entries
    while ((std::size_t{1} << tableBits) < indexed->palette.size()) {
        ++tableBits;
    }

    Bytes out;
    out.reserve(picture.pixels.size() / 4 + 1024);
    for (const char c : {'G', 'I', 'F', '8', '9', 'a'}) {
        out.push_back(static_cast<std::uint8_t>(c));
    }
    putLe16(out, static_cast<unsigned>(picture.width));
    putLe16(out, static_cast<unsigned>(picture.height));
    putU8(out, 0x80u | (7u << 4) | static_cast<unsigned>(tableBits - 1)); // global table
    putU8(out, 0);                                                        // background colour
    putU8(out, 0);                                                        // aspect ratio
    for (std::size_t i = 0; i < (std::size_t{1} << tableBits); ++i) {
        const std::uint32_t c = i < indexed->palette.size() ? indexed->palette[i] : 0;
        putU8(out, redOf(c));
        putU8(out, greenOf(c));
        putU8(out, blueOf(c));
    }

    putU8(out, 0x2C); // image descriptor
    putLe16(out, 0);
    putLe16(out, 0);
    putLe16(out, static_cast<unsigned>(picture.width));
    putLe16(out, static_cast<unsigned>(picture.height));
    putU8(out, 0); // no local table, not interlaced

    const int rootBits = std::max(2, tableBits);
    putU8(out, static_cast<unsigned>(rootBits));
    GifBitSink sink(out);
    lzwEncode(indexed->indices, kGifLzw(rootBits), sink);
    sink.finish();

    putU8(out, 0x3B); // trailer
    return out;
}

} // namespace pictorn::imaging
