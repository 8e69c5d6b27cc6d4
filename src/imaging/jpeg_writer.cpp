#include "imaging/jpeg_writer.h"

#include <algorithm>
#include <limits>

#include "imaging/stb_jpeg.h"

namespace pictorn::imaging {

Bytes writeJpeg(const Picture& picture, int quality) {
    // JPEG keeps sizes in 16 bits, and stb indexes the RGB bytes with int.
    if (picture.width > 65535 || picture.height > 65535 ||
        picture.pixels.size() > static_cast<std::size_t>(std::numeric_limits<int>::max() / 3)) {
        throw std::length_error("picture too large for a JPEG file");
    }
    std::vector<std::uint8_t> rgbBytes(picture.pixels.size() * 3);
    for (std::size_t i = 0; i < picture.pixels.size(); ++i) {
        const std::uint32_t p = picture.pixels[i];
        rgbBytes[3 * i] = redOf(p);
        rgbBytes[3 * i + 1] = greenOf(p);
        rgbBytes[3 * i + 2] = blueOf(p);
    }
    Bytes out;
    out.reserve(picture.pixels.size() / 4 + 1024);
    auto append = [](void* context, void* data, int size) {
        auto* sink = static_cast<Bytes*>(context);
        const auto* bytes = static_cast<const std::uint8_t*>(data);
        sink->insert(sink->end(), bytes, bytes + size);
    };
    if (!stb::writeJpegRgb(append, &out, picture.width, picture.height, rgbBytes.data(),
                           std::clamp(quality, 1, 100))) {
        throw std::runtime_error("JPEG encoding failed");
    }
    return out;
}

} // namespace pictorn::imaging
