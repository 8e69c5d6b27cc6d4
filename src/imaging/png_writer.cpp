#include "imaging/png_writer.h"

#include <algorithm>
#include <limits>

#include <zlib.h>

#include "imaging/colour_analysis.h"

namespace pictorn::imaging {

namespace {

constexpr std::size_t kMaxIdat = 1 << 20;
constexpr std::uint8_t kSignature[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

void putChunk(Bytes& out, const char (&type)[5], const std::uint8_t* data, std::size_t size) {
    putBe32(out, static_cast<std::uint32_t>(size));
    const std::size_t typeAt = out.size();
    out.insert(out.end(), type, type + 4);
    if (size > 0) {
        out.insert(out.end(), data, data + size);
    }
    const uLong crc = crc32(0, out.data() + typeAt, static_cast<uInt>(size + 4));
    putBe32(out, static_cast<std::uint32_t>(crc));
}

// Truecolour rows: RGB bytes, then filtered. Keeps the row above for the predictors.
class RgbRows final : public RowSource {
public:
    RgbRows(const Picture& picture, PngFilterChoice choice)
        : picture_(picture), choice_(choice), current_(rowBytes()), above_(rowBytes()) {}

    bool makeRow(std::size_t y, std::uint8_t* out) override {
        if (y == 0) {
            toRgb(0, current_);
        } else if (y == lastRow_ + 1) {
            std::swap(current_, above_);
            toRgb(y, current_);
        } else {
            toRgb(y - 1, above_);
            toRgb(y, current_);
        }
        lastRow_ = y;
        const unsigned runs = pixelRunShare(picture_.row(static_cast<int>(y)),
                                            static_cast<std::size_t>(picture_.width));
        return filterRow(choice_, current_.data(), y == 0 ? nullptr : above_.data(),
                         current_.size(), 3, runs, out);
    }

private:
    std::size_t rowBytes() const { return static_cast<std::size_t>(picture_.width) * 3; }

    void toRgb(std::size_t y, std::vector<std::uint8_t>& dst) const {
        const std::uint32_t* src = picture_.row(static_cast<int>(y));
        for (std::size_t x = 0; x < static_cast<std::size_t>(picture_.width); ++x) {
            dst[3 * x] = redOf(src[x]);
            dst[3 * x + 1] = greenOf(src[x]);
            dst[3 * x + 2] = blueOf(src[x]);
        }
    }

    const Picture& picture_;
    PngFilterChoice choice_;
    std::vector<std::uint8_t> current_;
    std::vector<std::uint8_t> above_;
    std::size_t lastRow_ = std::numeric_limits<std::size_t>::max() - 1;
};

// Palette rows: indices packed at `bits` per pixel, leftmost pixel in the high bits, and
// no filter (predictors only scramble palette indices).
class IndexedRows final : public RowSource {
public:
    IndexedRows(const ColourIndex& index, std::size_t width, int bits)
        : index_(index), width_(width), bits_(bits) {}

    bool makeRow(std::size_t y, std::uint8_t* out) override {
        *out++ = static_cast<std::uint8_t>(PngFilter::None);
        const std::uint8_t* src = index_.indices.data() + y * width_;
        if (bits_ == 8) {
            std::copy(src, src + width_, out);
            return false;
        }
        const std::size_t perByte = static_cast<std::size_t>(8 / bits_);
        const std::size_t bytes = (width_ + perByte - 1) / perByte;
        std::fill(out, out + bytes, 0);
        for (std::size_t x = 0; x < width_; ++x) {
            const int shift = 8 - bits_ * static_cast<int>(x % perByte + 1);
            out[x / perByte] |= static_cast<std::uint8_t>(src[x] << shift);
        }
        return false;
    }

private:
    const ColourIndex& index_;
    std::size_t width_;
    int bits_;
};

void putHeader(Bytes& out, const Picture& picture, int bitDepth, int colourType) {
    out.insert(out.end(), std::begin(kSignature), std::end(kSignature));
    Bytes ihdr;
    putBe32(ihdr, static_cast<std::uint32_t>(picture.width));
    putBe32(ihdr, static_cast<std::uint32_t>(picture.height));
    putU8(ihdr, static_cast<unsigned>(bitDepth));
    putU8(ihdr, static_cast<unsigned>(colourType));
    putU8(ihdr, 0); // deflate
    putU8(ihdr, 0); // adaptive filtering
    putU8(ihdr, 0); // not interlaced
    putChunk(out, "IHDR", ihdr.data(), ihdr.size());
}

} // namespace

Bytes writePng(const Picture& picture, const PngSettings& settings) {
    const auto width = static_cast<std::size_t>(picture.width);
    const auto height = static_cast<std::size_t>(picture.height);
    Bytes out;
    Bytes stream;

    std::optional<ColourIndex> indexed;
    if (settings.allowIndexed) {
        indexed = indexColours(picture);
    }
    if (indexed) {
        const int bits = bitsForColours(indexed->palette.size());
        putHeader(out, picture, bits, 3);
        Bytes plte;
        for (const std::uint32_t c : indexed->palette) {
            putU8(plte, redOf(c));
            putU8(plte, greenOf(c));
            putU8(plte, blueOf(c));
        }
        putChunk(out, "PLTE", plte.data(), plte.size());
        const std::size_t rowBytes = 1 + (width * static_cast<std::size_t>(bits) + 7) / 8;
        DeflateSettings deflate = settings.deflate;
        deflate.mode = settings.indexedMode;
        deflate.noisyMode.reset();
        stream = deflateRows(
            height, rowBytes, [&] { return std::make_unique<IndexedRows>(*indexed, width, bits); },
            deflate);
    } else {
        putHeader(out, picture, 8, 2);
        stream = deflateRows(
            height, 1 + width * 3,
            [&] { return std::make_unique<RgbRows>(picture, settings.filter); }, settings.deflate);
    }

    out.reserve(out.size() + stream.size() + 12 * (stream.size() / kMaxIdat + 2));
    for (std::size_t at = 0; at < stream.size(); at += kMaxIdat) {
        putChunk(out, "IDAT", stream.data() + at, std::min(kMaxIdat, stream.size() - at));
    }
    putChunk(out, "IEND", nullptr, 0);
    return out;
}

} // namespace pictorn::imaging
