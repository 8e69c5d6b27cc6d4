#pragma once

#include "imaging/byte_order.h"
#include "imaging/picture.h"

namespace pictorn::imaging {

// Photoshop file holding only the merged image: RGB, 8 bits per channel, PackBits rows.
// The classic format is limited to 30000 pixels a side; larger pictures throw.
Bytes writePsd(const Picture& picture);
// The same file in pieces of about 64 KB, so that it is never whole in memory.
void writePsd(const Picture& picture, const ByteSink& sink);

} // namespace pictorn::imaging
