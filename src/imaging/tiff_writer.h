#pragma once

#include "imaging/byte_order.h"
#include "imaging/picture.h"

namespace pictorn::imaging {

// Baseline little-endian TIFF: RGB, 8 bits per sample, LZW with the horizontal predictor,
// in strips of about 64 KB of pixels each.
Bytes writeTiff(const Picture& picture);
// The same file handed to `sink` strip by strip, never whole in one block of memory.
void writeTiff(const Picture& picture, const ByteSink& sink);

} // namespace pictorn::imaging
