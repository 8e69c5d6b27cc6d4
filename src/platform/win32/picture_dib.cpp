#include "platform/win32/picture_dib.h"

#include <cstddef>
#include <cstring>
#include <limits>

namespace pictorn::platform::win32 {

std::vector<std::uint8_t> packedDib(const imaging::Picture& picture) {
    if (picture.empty()) {
        return {};
    }
    const auto width = static_cast<std::size_t>(picture.width);
    const auto height = static_cast<std::size_t>(picture.height);
    const std::size_t stride = (width * 3 + 3) & ~std::size_t{3};
    constexpr std::size_t kLimit = std::numeric_limits<DWORD>::max() - sizeof(BITMAPINFOHEADER);
    if (stride / 3 < width || height > kLimit / stride) {
        return {};
    }
    const std::size_t imageSize = stride * height;

    std::vector<std::uint8_t> dib(sizeof(BITMAPINFOHEADER) + imageSize, 0);
    BITMAPINFOHEADER header{};
    header.biSize = sizeof header;
    header.biWidth = picture.width;
    header.biHeight = picture.height; // positive: bottom-up
    header.biPlanes = 1;
    header.biBitCount = 24;
    header.biCompression = BI_RGB;
    header.biSizeImage = static_cast<DWORD>(imageSize);
    header.biXPelsPerMeter = 3780; // 96 dpi
    header.biYPelsPerMeter = 3780;
    std::memcpy(dib.data(), &header, sizeof header);

    std::uint8_t* rows = dib.data() + sizeof header;
    for (std::size_t y = 0; y < height; ++y) {
        const std::uint32_t* source = picture.row(static_cast<int>(height - 1 - y));
        std::uint8_t* target = rows + y * stride;
        for (std::size_t x = 0; x < width; ++x) {
            const std::uint32_t pixel = source[x];
            target[3 * x] = imaging::blueOf(pixel);
            target[3 * x + 1] = imaging::greenOf(pixel);
            target[3 * x + 2] = imaging::redOf(pixel);
        }
    }
    return dib;
}

BITMAPINFO topDownInfo(const imaging::Picture& picture) {
    return topDownInfo(picture.width, picture.height);
}

} // namespace pictorn::platform::win32
