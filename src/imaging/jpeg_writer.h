#pragma once

#include "imaging/byte_order.h"
#include "imaging/picture.h"

namespace pictorn::imaging {

// Baseline JFIF at `quality` 1..100 (clamped); 4:2:0 chroma up to 90, 4:4:4 above.
Bytes writeJpeg(const Picture& picture, int quality);

} // namespace pictorn::imaging
