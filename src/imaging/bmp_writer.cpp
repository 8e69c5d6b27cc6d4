#include "imaging/bmp_writer.h"

#include <algorithm>
#include <limits>

namespace pictorn::imaging {

namespace {
constexpr std::uint32_t kFileHeaderSize = 14;
constexpr std::uint32_t kInfoHeaderSize = 40;
constexpr std::uint32_t kPixelsPerMetre = 3780; // 96 DPI
constexpr std::size_t kPieceBytes = 64 * 1024;

std::uint64_t rowStride(const Picture& picture) {
    return (static_cast<std::uint64_t>(picture.width) * 3 + 3) & ~3ull;
}
} // namespace

void writeBmp(const Picture& picture, const ByteSink& sink) {
    const std::uint64_t stride = rowStride(picture);
    const std::uint64_t imageSize = stride * static_cast<std::uint64_t>(picture.height);
    const std::uint64_t fileSize = kFileHeaderSize + kInfoHeaderSize + imageSize;
    if (fileSize > std::numeric_limits<std::int32_t>::max()) {
        throw std::length_error("picture too large for a BMP file");
    }

    Bytes out;
    out.reserve(kPieceBytes + static_cast<std::size_t>(stride));
    out.push_back('B');
    out.push_back('M');
    putLe32(out, static_cast<std::uint32_t>(fileSize));
    putLe32(out, 0);
    putLe32(out, kFileHeaderSize + kInfoHeaderSize);

    putLe32(out, kInfoHeaderSize);
    putLe32(out, static_cast<std::uint32_t>(picture.width));
    putLe32(out, static_cast<std::uint32_t>(picture.height)); // positive: bottom-up
    putLe16(out, 1);                                          // planes
    putLe16(out, 24);
    putLe32(out, 0); // BI_RGB
    putLe32(out, static_cast<std::uint32_t>(imageSize));
    putLe32(out, kPixelsPerMetre);
    putLe32(out, kPixelsPerMetre);
    putLe32(out, 0);
    putLe32(out, 0);

    const std::size_t rowBytes = static_cast<std::size_t>(stride);
    for (int y = picture.height - 1; y >= 0; --y) {
        const std::size_t at = out.size();
        out.resize(at + rowBytes); // the padding stays 0
        std::uint8_t* dst = out.data() + at;
        const std::uint32_t* src = picture.row(y);
        for (int x = 0; x < picture.width; ++x) {
            const std::uint32_t p = src[x];
            *dst++ = blueOf(p);
            *dst++ = greenOf(p);
            *dst++ = redOf(p);
        }
        if (out.size() >= kPieceBytes) {
            sink(out);
            out.clear();
        }
    }
    if (!out.empty()) {
        sink(out);
    }
}

Bytes writeBmp(const Picture& picture) {
    Bytes file;
    file.reserve(static_cast<std::size_t>(
        std::min<std::uint64_t>(kFileHeaderSize + kInfoHeaderSize +
                                    rowStride(picture) * static_cast<std::uint64_t>(picture.height),
                                std::numeric_limits<std::int32_t>::max())));
    writeBmp(picture, [&file](std::span<const std::uint8_t> piece) {
        file.insert(file.end(), piece.begin(), piece.end());
    });
    return file;
}

} // namespace pictorn::imaging
