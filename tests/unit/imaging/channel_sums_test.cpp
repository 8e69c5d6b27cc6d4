#include "imaging/channel_sums.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace pictorn::imaging {
namespace {

// Both shortcuts for a rounded average, the multiplication by a 64-bit reciprocal and the
// float one, against the division itself: every count they take and every sum n pixels can
// have in a channel, with a different sum in each channel.
TEST(ChannelSums, AveragesMatchTheDivisionForEverySum) {
    for (std::uint64_t n = 1; n <= kMaxLanePixels; ++n) {
        const PackedAverage packed(n);
        const LaneAverage lanes(n);
        for (std::uint64_t sum = 0; sum <= 255 * n; ++sum) {
            const std::uint64_t red = sum, green = 255 * n - sum, blue = (sum * 7) % (255 * n + 1);
            const auto want = static_cast<std::uint32_t>(
                ((red + n / 2) / n) << 16 | ((green + n / 2) / n) << 8 | ((blue + n / 2) / n));
            ASSERT_EQ(packed(red << 42 | green << 21 | blue), want) << n << " " << sum;
            // The fourth lane (a pixel's unused byte, summed along) never shows.
            const std::uint64_t inLanes = (n * 255) << 48 | red << 32 | green << 16 | blue;
            ASSERT_EQ(lanes(_mm_cvtsi64_si128(static_cast<long long>(inLanes))), want)
                << n << " " << sum;
        }
    }
    for (const std::uint64_t n : {kMaxLanePixels + 1, kMaxPackedPixels / 2, kMaxPackedPixels}) {
        const PackedAverage packed(n);
        for (std::uint64_t sum = 0; sum <= 255 * n; sum += 1 + sum % 97) {
            ASSERT_EQ(packed(sum << 42 | sum << 21 | sum), ((sum + n / 2) / n) * 0x010101u) << n;
        }
    }
}

} // namespace
} // namespace pictorn::imaging
