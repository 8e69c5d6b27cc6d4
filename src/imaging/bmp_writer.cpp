#include "imaging/bmp_writer.h"

#include <limits>

namespace pictorn::imaging {

namespace {
constexpr std::uint32_t kFileHeaderSize = 14;
constexpr std::uint32_t kInfoHeaderSize = 40;
constexpr std::uint32_t kPixelsPerMetre = 3780; // 96 DPI
} // namespace

Bytes writeBmp(const Picture& picture) {
    const std::uint64_t stride = (static_cast<std::uint64_t>(picture.width) * 3 + 3) & ~3ull;
    const std::uint64_t imageSize = stride * static_cast<std::uint64_t>(picture.height);
    const std::uint64_t fileSize = kFileHeaderSize + kInfoHeaderSize + imageSize;
    if (fileSize > std::numeric_limits<std::int32_t>::max()) {
        throw std::length_error("picture too large for a BMP file");
    }

    Bytes out;
    out.reserve(static_cast<std::size_t>(fileSize));
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

    const std::size_t padding = static_cast<std::size_t>(stride) - picture.width * 3u;
    out.resize(out.size() + static_cast<std::size_t>(imageSize));
    std::uint8_t* dst = out.data() + kFileHeaderSize + kInfoHeaderSize;
    for (int y = picture.height - 1; y >= 0; --y) {
        const std::uint32_t* src = picture.row(y);
        for (int x = 0; x < picture.width; ++x) {
            const std::uint32_t p = src[x];
            *dst++ = blueOf(p);
            *dst++ = greenOf(p);
            *dst++ = redOf(p);
        }
        for (std::size_t i = 0; i < padding; ++i) {
            *dst++ = 0;
        }
    }
    return out;
}

} // namespace pictorn::imaging
