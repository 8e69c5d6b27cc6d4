#pragma once

#include "imaging/byte_order.h"
#include "imaging/picture.h"

namespace pictorn::imaging {

// ZSoft PCX version 5, RLE: one 8-bit plane with a 256-colour palette when the picture has
// at most 256 colours, otherwise three 8-bit planes (R, G, B) per line.
// PCX keeps coordinates in 16 bits, so pictures wider than 65534 or taller than 65535
// throw.
Bytes writePcx(const Picture& picture);
// The same file in pieces of about 64 KB, so that it is never whole in memory.
void writePcx(const Picture& picture, const ByteSink& sink);

} // namespace pictorn::imaging
