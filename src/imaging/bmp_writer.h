#pragma once

#include "imaging/byte_order.h"
#include "imaging/picture.h"

namespace pictorn::imaging {

// 24-bit bottom-up BMP: what the program keeps as its temporary picture file and what any
// Windows program can open.
Bytes writeBmp(const Picture& picture);
// The same file in pieces of about 64 KB, so that it is never whole in memory.
void writeBmp(const Picture& picture, const ByteSink& sink);

} // namespace pictorn::imaging
