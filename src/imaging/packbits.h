#pragma once

#include <cstdint>
#include <span>

#include "imaging/byte_order.h"

namespace pictorn::imaging {

// Apple PackBits run-length coding (used by PSD): appends the coded form of `in` to `out`.
void packBits(std::span<const std::uint8_t> in, Bytes& out);
// How many bytes packBits appends for `in`, without making them.
std::size_t packedSize(std::span<const std::uint8_t> in);

} // namespace pictorn::imaging
