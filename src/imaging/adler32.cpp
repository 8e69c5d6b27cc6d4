#include "imaging/adler32.h"

#include <algorithm>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace pictorn::imaging {

namespace {

constexpr std::uint32_t kBase = 65521;
// The most bytes after which neither sum can have passed 2^32 since its last reduction.
constexpr std::size_t kMostBeforeReduction = 5552;

} // namespace

std::uint32_t adler32Of(std::uint32_t adler, const std::uint8_t* data, std::size_t size) {
    std::uint64_t a = adler & 0xFFFF;
    std::uint64_t b = adler >> 16;
    while (size > 0) {
        std::size_t chunk = std::min(size, kMostBeforeReduction);
        size -= chunk;
#if defined(__SSE2__)
        // Over blocks of sixteen bytes x0..x15, a grows by their sum and b by 16 a plus
        // 16 x0 + 15 x1 + ... + 1 x15; the lanes keep the sums, the blocks' share of 16 a
        // is added once at the end.
        const std::size_t blocks = chunk / 16;
        if (blocks > 0) {
            const __m128i zero = _mm_setzero_si128();
            const __m128i firstWeights = _mm_setr_epi16(16, 15, 14, 13, 12, 11, 10, 9);
            const __m128i lastWeights = _mm_setr_epi16(8, 7, 6, 5, 4, 3, 2, 1);
            __m128i sums = zero;    // bytes so far in this chunk
            __m128i earlier = zero; // the sum of `sums` before each block
            __m128i weighted = zero;
            for (std::size_t k = 0; k < blocks; ++k) {
                const __m128i bytes =
                    _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + 16 * k));
                earlier = _mm_add_epi32(earlier, sums);
                sums = _mm_add_epi32(sums, _mm_sad_epu8(bytes, zero));
                weighted = _mm_add_epi32(
                    weighted,
                    _mm_add_epi32(_mm_madd_epi16(_mm_unpacklo_epi8(bytes, zero), firstWeights),
                                  _mm_madd_epi16(_mm_unpackhi_epi8(bytes, zero), lastWeights)));
            }
            alignas(16) std::uint32_t lanes[3][4];
            _mm_store_si128(reinterpret_cast<__m128i*>(lanes[0]), sums);
            _mm_store_si128(reinterpret_cast<__m128i*>(lanes[1]), earlier);
            _mm_store_si128(reinterpret_cast<__m128i*>(lanes[2]), weighted);
            const auto total = [](const std::uint32_t(&v)[4]) {
                return std::uint64_t{v[0]} + v[1] + v[2] + v[3];
            };
            b += 16 * blocks * a + 16 * total(lanes[1]) + total(lanes[2]);
            a += total(lanes[0]);
            data += 16 * blocks;
            chunk -= 16 * blocks;
        }
#endif
        for (; chunk > 0; --chunk) {
            a += *data++;
            b += a;
        }
        a %= kBase;
        b %= kBase;
    }
    return static_cast<std::uint32_t>(b << 16 | a);
}

} // namespace pictorn::imaging
