#pragma once

#include "imaging/byte_order.h"
#include "imaging/parallel_deflate.h"
#include "imaging/picture.h"
#include "imaging/png_filters.h"

namespace pictorn::imaging {

struct PngSettings {
    PngFilterChoice filter = PngFilterChoice::Screenshot;
    // zlib level 6; stretches of photo-like rows with Z_FILTERED (1).
    DeflateSettings deflate{.level = 6, .memLevel = 8, .strategy = 0, .noisyStrategy = 1};
    bool allowIndexed = true; // write <= 256 colours as a palette image
};

// PNG: a palette image with the smallest useful bit depth when the picture has at most
// 256 colours, otherwise 8-bit RGB.
Bytes writePng(const Picture& picture, const PngSettings& settings = {});

} // namespace pictorn::imaging
