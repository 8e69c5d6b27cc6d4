#include "imaging/psd_writer.h"

#include "imaging/packbits.h"
#include "imaging/parallel_bands.h"
#include "imaging/piece_sink.h"

#include <algorithm>
#include <stdexcept>
#include <vector>

namespace pictorn::imaging {

namespace {
constexpr int kMaxSide = 30000;
constexpr unsigned kChannels = 3;
constexpr std::size_t kRowsPerBand = 64;

// The bytes of one channel of a picture row.
void channelRow(const Picture& picture, std::size_t index, std::vector<std::uint8_t>& line) {
    const int shift = 16 - 8 * static_cast<int>(index / static_cast<std::size_t>(picture.height));
    const std::uint32_t* src = picture.row(static_cast<int>(index % picture.height));
    for (std::size_t x = 0; x < line.size(); ++x) {
        line[x] = static_cast<std::uint8_t>(src[x] >> shift);
    }
}

} // namespace

Bytes writePsd(const Picture& picture) {
    return gatherPieces([&](const ByteSink& sink) { writePsd(picture, sink); });
}

void writePsd(const Picture& picture, const ByteSink& sink) {
    if (picture.width > kMaxSide || picture.height > kMaxSide) {
        throw std::length_error("picture too large for a PSD file");
    }
    const auto width = static_cast<std::size_t>(picture.width);
    const auto height = static_cast<std::size_t>(picture.height);

    Bytes out;
    out.reserve(kPieceBytes + 2 * width);
    for (const char c : {'8', 'B', 'P', 'S'}) {
        out.push_back(static_cast<std::uint8_t>(c));
    }
    putBe16(out, 1); // version
    out.insert(out.end(), 6, 0);
    putBe16(out, kChannels);
    putBe32(out, static_cast<std::uint32_t>(height));
    putBe32(out, static_cast<std::uint32_t>(width));
    putBe16(out, 8); // bits per channel
    putBe16(out, 3); // RGB
    putBe32(out, 0); // colour mode data
    putBe32(out, 0); // image resources
    putBe32(out, 0); // layers and masks: none, the merged image below is the picture

    putBe16(out, 1); // PackBits
    // Every row's packed byte count comes before the rows: a first pass only counts them
    // (a row of at most 30000 bytes never packs to more than 16 bits), on every core as the
    // rows do not depend on each other, so the rows can go to the file as they are packed.
    // Rows are in file order: all red rows, then green, then blue.
    const std::size_t rows = kChannels * height;
    std::vector<std::uint16_t> packed(rows);
    const std::size_t bands = (rows + kRowsPerBand - 1) / kRowsPerBand;
    forEachBand(bands, 0, [&]() -> BandWork {
        return [&, line = std::vector<std::uint8_t>(width)](std::size_t band) mutable {
            for (std::size_t i = band * kRowsPerBand; i < std::min(rows, (band + 1) * kRowsPerBand);
                 ++i) {
                channelRow(picture, i, line);
                packed[i] = static_cast<std::uint16_t>(packedSize(line));
            }
        };
    });
    for (const std::uint16_t size : packed) {
        putBe16(out, size);
        passOn(out, sink);
    }
    std::vector<std::uint8_t> line(width);
    for (std::size_t i = 0; i < rows; ++i) {
        channelRow(picture, i, line);
        packBits(line, out);
        passOn(out, sink);
    }
    passOn(out, sink, true);
}

} // namespace pictorn::imaging
