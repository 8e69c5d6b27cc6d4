#pragma once

#include <cstdint>
#include <vector>

#include "imaging/byte_order.h"
#include "imaging/image_format.h"
#include "imaging/picture.h"

namespace pictorn::imaging {

struct EncodeOptions {
    int jpegQuality = 90;   // 1..100, clamped
    bool gifDither = false; // off: the undithered palette gives the higher PSNR
    bool quickPng = false;  // quickPngSettings() instead of the defaults
};

// The whole file in `format`. Throws std::invalid_argument for an empty picture and
// std::length_error when the format cannot hold the picture's size.
std::vector<std::uint8_t> encode(const Picture& picture, ImageFormat format,
                                 const EncodeOptions& options = {});
// The same file handed to `sink` in pieces. BMP, PCX, PSD and TIFF are made piece by piece;
// PNG, JPEG and GIF, small once compressed, are made whole first.
void encode(const Picture& picture, ImageFormat format, const EncodeOptions& options,
            const ByteSink& sink);

} // namespace pictorn::imaging
