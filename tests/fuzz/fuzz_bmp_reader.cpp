// The bitmap reader gets whatever an image editor left in the temporary bitmap.
#include "imaging/bmp_reader.h"

#include <cstddef>
#include <cstdint>
#include <span>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto picture = pictorn::imaging::decodeBmp(std::span(data, size));
    if (picture) {
        // Every pixel the reader claims to have must really be there.
        volatile std::uint32_t sum = 0;
        for (const std::uint32_t pixel : picture->pixels)
            sum = sum + pixel;
        if (picture->pixels.size() !=
            static_cast<std::size_t>(picture->width) * static_cast<std::size_t>(picture->height))
            __builtin_trap();
    }
    return 0;
}
