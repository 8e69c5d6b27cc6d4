#include "imaging/streaming_rows.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <numeric>
#include <vector>

namespace pictorn::imaging {
namespace {

// Rows start anywhere in memory and have any length: the pixels before the first aligned
// one and after the last whole four are written too, and nothing outside the row.
TEST(StreamingRows, WriteExactlyTheRowAtEveryAlignmentAndLength) {
    std::vector<std::uint32_t> in(64);
    std::iota(in.begin(), in.end(), 0x10203u);
    for (std::size_t start = 0; start < 4; ++start) {
        for (std::size_t n = 0; n <= 13; ++n) {
            std::vector<std::uint32_t> copied(32, 7), filled(32, 7), mapped(32, 7);
            streamCopy(in.data() + 1, copied.data() + start, n);
            streamFill(filled.data() + start, n, 0xABCDEFu);
            streamRow(
                in.data(), mapped.data() + start, n, [](std::uint32_t p) { return p * 3; },
                [](__m128i v) { return _mm_add_epi32(v, _mm_add_epi32(v, v)); });
            finishStreaming();
            for (std::size_t i = 0; i < copied.size(); ++i) {
                const bool inside = i >= start && i < start + n;
                EXPECT_EQ(copied[i], inside ? in[i - start + 1] : 7u) << start << " " << n;
                EXPECT_EQ(filled[i], inside ? 0xABCDEFu : 7u) << start << " " << n;
                EXPECT_EQ(mapped[i], inside ? in[i - start] * 3 : 7u) << start << " " << n;
            }
        }
    }
}

} // namespace
} // namespace pictorn::imaging
