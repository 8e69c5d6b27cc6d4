#pragma once

#include "imaging/byte_order.h"
#include "imaging/picture.h"

namespace pictorn::imaging {

// GIF89a, one frame. A picture of at most 256 colours keeps its exact colours; a richer one
// is quantized (see colour_quantizer.h), with optional dithering.
// GIF sizes are 16-bit, so pictures wider or taller than 65535 throw.
Bytes writeGif(const Picture& picture, bool dither = false);

} // namespace pictorn::imaging
