#pragma once
// Sums of many pixels' channels at the speed of one addition per pixel: the three channels
// sit 21 bits apart in one 64-bit number, and the rounded averages come out without a
// division per pixel.
#include "imaging/picture.h"

#include <cstdint>

namespace pictorn::imaging {

// How many pixels a packed sum holds before a channel could carry into the next.
inline constexpr std::uint64_t kMaxPackedPixels = ((std::uint64_t{1} << 21) - 1) / 255;

constexpr std::uint64_t packed(std::uint32_t p) {
    return (std::uint64_t{p & 0xFF0000u} << 26) | (std::uint64_t{p & 0xFF00u} << 13) |
           std::uint64_t{p & 0xFFu};
}

// Rounded averages over n pixels (1 <= n <= kMaxPackedPixels) by a multiplication: with
// sums at most 255.5 n, the reciprocal's error stays below what would change a quotient.
class PackedAverage {
public:
    explicit constexpr PackedAverage(std::uint64_t n)
        : half_(n / 2), reciprocal_((std::uint64_t{1} << 40) / n + 1) {}

    constexpr std::uint32_t operator()(std::uint64_t sum) const {
        constexpr std::uint64_t kLane = (std::uint64_t{1} << 21) - 1;
        return (channel(sum >> 42) << 16) | (channel((sum >> 21) & kLane) << 8) |
               channel(sum & kLane);
    }

private:
    constexpr std::uint32_t channel(std::uint64_t sum) const {
        return static_cast<std::uint32_t>(((sum + half_) * reciprocal_) >> 40);
    }
    std::uint64_t half_, reciprocal_;
};

} // namespace pictorn::imaging
