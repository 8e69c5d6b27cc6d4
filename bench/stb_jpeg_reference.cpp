// The JPEG writer Pictorn used before its own: stb_image_write, kept as the reference for
// the quality of ours.
#include "reference_codecs.h"

#define STBI_WRITE_NO_STDIO
#define STB_IMAGE_WRITE_STATIC
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb/stb_image_write.h>

namespace bench {

Bytes stbJpegEncode(const Picture& picture, int quality) {
    Bytes rgbBytes(picture.pixels.size() * 3);
    for (std::size_t i = 0; i < picture.pixels.size(); ++i) {
        rgbBytes[3 * i] = static_cast<std::uint8_t>(picture.pixels[i] >> 16);
        rgbBytes[3 * i + 1] = static_cast<std::uint8_t>(picture.pixels[i] >> 8);
        rgbBytes[3 * i + 2] = static_cast<std::uint8_t>(picture.pixels[i]);
    }
    Bytes out;
    stbi_write_jpg_to_func(
        [](void* context, void* data, int size) {
            auto* sink = static_cast<Bytes*>(context);
            sink->insert(sink->end(), static_cast<std::uint8_t*>(data),
                         static_cast<std::uint8_t*>(data) + size);
        },
        &out, picture.width, picture.height, 3, rgbBytes.data(), quality);
    return out;
}

} // namespace bench
