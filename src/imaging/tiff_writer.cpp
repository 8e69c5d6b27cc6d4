#include "imaging/tiff_writer.h"

#include <algorithm>
#include <limits>

#include "imaging/lzw_encoder.h"
#include "imaging/piece_sink.h"

namespace pictorn::imaging {

namespace {

constexpr std::size_t kStripBytes = 64 * 1024;

enum FieldType : unsigned { kShort = 3, kLong = 4, kRational = 5 };

class MsbBitSink {
public:
    explicit MsbBitSink(Bytes& out) : out_(out) {}
    void put(unsigned code, int width) {
        buffer_ = (buffer_ << width) | code;
        bits_ += width;
        while (bits_ >= 8) {
            bits_ -= 8;
            out_.push_back(static_cast<std::uint8_t>(buffer_ >> bits_));
        }
    }
    void flush() {
        if (bits_ > 0) {
            out_.push_back(static_cast<std::uint8_t>(buffer_ << (8 - bits_)));
            bits_ = 0;
        }
    }

private:
    Bytes& out_;
    std::uint32_t buffer_ = 0;
    int bits_ = 0;
};

// Horizontal differencing: each sample minus the same sample of the pixel to its left.
void predictRow(const std::uint32_t* src, std::size_t width, std::uint8_t* dst) {
    std::uint32_t left = 0;
    for (std::size_t x = 0; x < width; ++x) {
        const std::uint32_t p = src[x];
        dst[3 * x] = static_cast<std::uint8_t>(redOf(p) - redOf(left));
        dst[3 * x + 1] = static_cast<std::uint8_t>(greenOf(p) - greenOf(left));
        dst[3 * x + 2] = static_cast<std::uint8_t>(blueOf(p) - blueOf(left));
        left = p;
    }
}

struct Entry {
    unsigned tag;
    unsigned type;
    std::uint32_t count;
    std::uint32_t value; // the value itself when it fits in 4 bytes, else an offset
};

} // namespace

Bytes writeTiff(const Picture& picture) {
    return gatherPieces([&](const ByteSink& sink) { writeTiff(picture, sink); });
}

void writeTiff(const Picture& picture, const ByteSink& sink) {
    const auto width = static_cast<std::size_t>(picture.width);
    const auto height = static_cast<std::size_t>(picture.height);
    const std::size_t rowBytes = width * 3;
    const std::size_t rowsPerStrip = std::clamp<std::size_t>(kStripBytes / rowBytes, 1, height);
    const std::size_t strips = (height + rowsPerStrip - 1) / rowsPerStrip;

    // The header names where the directory is, after the strips, so the strips are coded
    // first, each into memory of its own (never one block grown by copying as the file
    // grows), and then go out in order.
    std::vector<Bytes> coded(strips);
    std::vector<std::uint32_t> offsets;
    std::vector<std::uint32_t> counts;
    std::vector<std::uint8_t> strip(rowsPerStrip * rowBytes);
    std::uint64_t end = 8;
    for (std::size_t s = 0; s < strips; ++s) {
        const std::size_t first = s * rowsPerStrip;
        const std::size_t rows = std::min(rowsPerStrip, height - first);
        for (std::size_t r = 0; r < rows; ++r) {
            predictRow(picture.row(static_cast<int>(first + r)), width,
                       strip.data() + r * rowBytes);
        }
        MsbBitSink bits(coded[s]);
        lzwEncode(std::span(strip.data(), rows * rowBytes), kTiffLzw, bits);
        bits.flush();
        if (end + coded[s].size() >
            std::numeric_limits<std::uint32_t>::max() - 1024 - 8 * std::uint64_t{strips}) {
            throw std::length_error("picture too large for a TIFF file");
        }
        offsets.push_back(static_cast<std::uint32_t>(end));
        counts.push_back(static_cast<std::uint32_t>(coded[s].size()));
        end += coded[s].size();
    }

    // What follows the strips, starting at offset `end`: the values that do not fit in an
    // IFD entry, then the IFD.
    Bytes tail;
    auto at = [&] {
        return static_cast<std::uint32_t>(end + tail.size());
    };
    auto alignToWord = [&] {
        if (at() % 2 != 0) {
            tail.push_back(0);
        }
    };
    auto putArray = [&](const std::vector<std::uint32_t>& values) -> std::uint32_t {
        if (values.size() == 1) {
            return values[0];
        }
        alignToWord();
        const std::uint32_t where = at();
        for (const std::uint32_t v : values) {
            putLe32(tail, v);
        }
        return where;
    };
    const std::uint32_t offsetsValue = putArray(offsets);
    const std::uint32_t countsValue = putArray(counts);
    alignToWord();
    const std::uint32_t bitsAt = at();
    for (int i = 0; i < 3; ++i) {
        putLe16(tail, 8);
    }
    const std::uint32_t resolutionAt = at();
    putLe32(tail, 96);
    putLe32(tail, 1);

    const auto stripCount = static_cast<std::uint32_t>(strips);
    const Entry entries[] = {
        {256, kLong, 1, static_cast<std::uint32_t>(width)},
        {257, kLong, 1, static_cast<std::uint32_t>(height)},
        {258, kShort, 3, bitsAt},
        {259, kShort, 1, 5}, // LZW
        {262, kShort, 1, 2}, // RGB
        {273, kLong, stripCount, offsetsValue},
        {277, kShort, 1, 3}, // samples per pixel
        {278, kLong, 1, static_cast<std::uint32_t>(rowsPerStrip)},
        {279, kLong, stripCount, countsValue},
        {282, kRational, 1, resolutionAt},
        {283, kRational, 1, resolutionAt},
        {284, kShort, 1, 1}, // chunky
        {296, kShort, 1, 2}, // inch
        {317, kShort, 1, 2}, // horizontal differencing
    };
    alignToWord();
    Bytes out{'I', 'I', 42, 0};
    out.reserve(kPieceBytes);
    putLe32(out, at());
    putLe16(tail, static_cast<unsigned>(std::size(entries)));
    for (const Entry& e : entries) {
        putLe16(tail, e.tag);
        putLe16(tail, e.type);
        putLe32(tail, e.count);
        if (e.type == kShort && e.count == 1) {
            putLe16(tail, e.value);
            putLe16(tail, 0);
        } else {
            putLe32(tail, e.value);
        }
    }
    putLe32(tail, 0); // no further IFD

    // Small strips are gathered into pieces; a large one goes out as it is.
    for (Bytes& piece : coded) {
        if (out.size() + piece.size() > kPieceBytes) {
            passOn(out, sink, true);
        }
        if (piece.size() >= kPieceBytes) {
            sink(piece);
        } else {
            out.insert(out.end(), piece.begin(), piece.end());
        }
        Bytes().swap(piece);
    }
    out.insert(out.end(), tail.begin(), tail.end());
    passOn(out, sink, true);
}

} // namespace pictorn::imaging
