#include "capture/pointer_drawing.h"

#include <algorithm>
#include <cstddef>

namespace pictorn::capture {
namespace {

std::uint32_t blend(std::uint32_t under, std::uint32_t over) {
    const std::uint32_t alpha = over >> 24;
    auto channel = [&](int shift) {
        const std::uint32_t a = (over >> shift) & 0xFFu;
        const std::uint32_t b = (under >> shift) & 0xFFu;
        return ((a * alpha + b * (255u - alpha) + 127u) / 255u) << shift;
    };
    return channel(16) | channel(8) | channel(0);
}

} // namespace

void drawPointer(imaging::Picture& picture, const platform::CursorState& pointer, int originX,
                 int originY) {
    const platform::CursorImage& image = pointer.image;
    if (!pointer.visible || image.empty() || picture.empty())
        return;
    const std::size_t count = static_cast<std::size_t>(image.width) * image.height;
    if (image.pixels.size() < count || (!image.alpha && image.andMask.size() < count))
        return;
    // 64-bit arithmetic: positions near the ends of the int range must not wrap around.
    const long long left = static_cast<long long>(pointer.x) - pointer.hotX - originX;
    const long long top = static_cast<long long>(pointer.y) - pointer.hotY - originY;
    const long long firstX = std::max(0LL, -left);
    const long long firstY = std::max(0LL, -top);
    const long long endX = std::min<long long>(image.width, picture.width - left);
    const long long endY = std::min<long long>(image.height, picture.height - top);
    for (long long y = firstY; y < endY; ++y) {
        std::uint32_t* row = picture.row(static_cast<int>(top + y));
        for (long long x = firstX; x < endX; ++x) {
            const std::size_t i = static_cast<std::size_t>(y * image.width + x);
            std::uint32_t& dst = row[left + x];
            if (image.alpha)
                dst = blend(dst, image.pixels[i]);
            else
                dst = ((image.andMask[i] ? dst : 0u) ^ image.pixels[i]) & imaging::kRgbMask;
        }
    }
}

} // namespace pictorn::capture
