#include "imaging/pcx_writer.h"

#include <algorithm>
#include <span>

#include "imaging/colour_analysis.h"
#include "imaging/piece_sink.h"

namespace pictorn::imaging {

namespace {

constexpr unsigned kMaxRun = 63;
constexpr std::uint8_t kPaletteMarker = 0x0C;
// Runs never cross a plane line; a single byte with both top bits set must be coded as a
// run of one, or a reader would take it for a count.
void encodeLine(std::span<const std::uint8_t> line, Bytes& out) {
    std::size_t i = 0;
    while (i < line.size()) {
        const std::uint8_t value = line[i];
        unsigned run = 1;
        while (i + run < line.size() && run < kMaxRun && line[i + run] == value) {
            ++run;
        }
        if (run > 1 || value >= 0xC0) {
            out.push_back(static_cast<std::uint8_t>(0xC0 | run));
        }
        out.push_back(value);
        i += run;
    }
}

void putHeader(Bytes& out, const Picture& picture, unsigned planes, unsigned bytesPerLine) {
    putU8(out, 10); // ZSoft
    putU8(out, 5);  // version 3.0 and later: palette at the end
    putU8(out, 1);  // RLE
    putU8(out, 8);  // bits per pixel per plane
    putLe16(out, 0);
    putLe16(out, 0);
    putLe16(out, static_cast<unsigned>(picture.width - 1));
    putLe16(out, static_cast<unsigned>(picture.height - 1));
    putLe16(out, 96);
    putLe16(out, 96);
    out.insert(out.end(), 48, 0); // 16-colour palette, unused at 8 bits
    putU8(out, 0);
    putU8(out, planes);
    putLe16(out, bytesPerLine);
    putLe16(out, 1); // colour palette
    putLe16(out, 0);
    putLe16(out, 0);
    out.insert(out.end(), 54, 0);
}

} // namespace

Bytes writePcx(const Picture& picture) {
    return gatherPieces([&](const ByteSink& sink) { writePcx(picture, sink); });
}

void writePcx(const Picture& picture, const ByteSink& sink) {
    // Lines are padded to an even byte count that must fit 16 bits too.
    if (picture.width > 65534 || picture.height > 65535) {
        throw std::length_error("picture too large for a PCX file");
    }
    const auto width = static_cast<std::size_t>(picture.width);
    const std::size_t bytesPerLine = (width + 1) & ~std::size_t{1}; // must be even
    std::vector<std::uint8_t> line(bytesPerLine, 0);
    Bytes out;
    out.reserve(kPieceBytes + 2 * 3 * bytesPerLine);

    if (auto indexed = indexColours(picture)) {
        putHeader(out, picture, 1, static_cast<unsigned>(bytesPerLine));
        for (int y = 0; y < picture.height; ++y) {
            const std::uint8_t* src = indexed->indices.data() + static_cast<std::size_t>(y) * width;
            std::copy(src, src + width, line.begin());
            encodeLine(line, out);
            passOn(out, sink);
        }
        putU8(out, kPaletteMarker);
        for (std::size_t i = 0; i < 256; ++i) {
            const std::uint32_t c = i < indexed->palette.size() ? indexed->palette[i] : 0;
            putU8(out, redOf(c));
            putU8(out, greenOf(c));
            putU8(out, blueOf(c));
        }
        passOn(out, sink, true);
        return;
    }

    putHeader(out, picture, 3, static_cast<unsigned>(bytesPerLine));
    for (int y = 0; y < picture.height; ++y) {
        const std::uint32_t* src = picture.row(y);
        for (int shift = 16; shift >= 0; shift -= 8) {
            for (std::size_t x = 0; x < width; ++x) {
                line[x] = static_cast<std::uint8_t>(src[x] >> shift);
            }
            encodeLine(line, out);
        }
        passOn(out, sink);
    }
    passOn(out, sink, true);
}

} // namespace pictorn::imaging
