#pragma once
// Sums of many pixels' channels at the speed of one addition per pixel: the three channels
// sit 21 bits apart in one 64-bit number, and the rounded averages come out without a
// division per pixel.
#include "imaging/picture.h"

#include <emmintrin.h>

#include <algorithm>
#include <bit>
#include <cstddef>
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

// The bytes of a pixel 0x00RRGGBB in memory, lowest first.
static_assert(std::endian::native == std::endian::little);
inline constexpr int kBlueByte = 0, kGreenByte = 1, kRedByte = 2;
// A 16-bit sum of one channel holds this many rows of a column.
inline constexpr int kRowsPerColumnSum = 0xFFFF / 0xFF;

// Each byte of `width` pixels summed down rows [top, bottom) (at most kRowsPerColumnSum of
// them; rowAt(y) gives row y's first pixel) into 16-bit sums, four a pixel. Eight pixels at a
// time go down all the rows in registers, so the sums are written once, not once a row.
template <class RowAt>
void sumColumns(RowAt rowAt, int top, int bottom, std::size_t width, std::uint16_t* sums) {
    const std::uint32_t* rows[kRowsPerColumnSum];
    const int height = bottom - top < kRowsPerColumnSum ? bottom - top : kRowsPerColumnSum;
    for (int i = 0; i < height; ++i) {
        rows[i] = rowAt(top + i);
    }
    std::size_t x = 0;
    const __m128i zero = _mm_setzero_si128();
    for (; x + 8 <= width; x += 8) {
        __m128i a = zero, b = zero, c = zero, d = zero;
        for (int i = 0; i < height; ++i) {
            const auto* in = reinterpret_cast<const __m128i*>(rows[i] + x);
            const __m128i low = _mm_loadu_si128(in), high = _mm_loadu_si128(in + 1);
            a = _mm_add_epi16(a, _mm_unpacklo_epi8(low, zero));
            b = _mm_add_epi16(b, _mm_unpackhi_epi8(low, zero));
            c = _mm_add_epi16(c, _mm_unpacklo_epi8(high, zero));
            d = _mm_add_epi16(d, _mm_unpackhi_epi8(high, zero));
        }
        auto* out = reinterpret_cast<__m128i*>(sums + 4 * x);
        _mm_storeu_si128(out, a);
        _mm_storeu_si128(out + 1, b);
        _mm_storeu_si128(out + 2, c);
        _mm_storeu_si128(out + 3, d);
    }
    // The last few pixels one byte at a time.
    std::fill(sums + 4 * x, sums + 4 * width, std::uint16_t{0});
    for (int i = 0; i < height; ++i) {
        const auto* bytes = reinterpret_cast<const std::uint8_t*>(rows[i]);
        for (std::size_t k = 4 * x; k < 4 * width; ++k) {
            sums[k] = static_cast<std::uint16_t>(sums[k] + bytes[k]);
        }
    }
}

// A pixel's 16-bit column sums (as sumColumns leaves them) as one packed sum.
inline std::uint64_t packedSums(const std::uint16_t* pixel) {
    return (std::uint64_t{pixel[kRedByte]} << 42) | (std::uint64_t{pixel[kGreenByte]} << 21) |
           pixel[kBlueByte];
}

// Rounded averages over n pixels (1 <= n <= kMaxLanePixels) of a pixel's 16-bit channel sums,
// all channels by one float multiplication. The sums plus n / 2 are whole numbers below 2^16,
// so the product is within 2^-15 of the quotient, which is either whole or at least 1/n short
// of the next whole number: adding 2^-13 and cutting the fraction off gives it exactly.
class LaneAverage {
public:
    explicit LaneAverage(std::uint64_t n)
        : half_(_mm_set1_ps(static_cast<float>(n / 2))),
          reciprocal_(_mm_set1_ps(1.0f / static_cast<float>(n))) {}

    // `sums`: the four 16-bit sums of one pixel in the low half, blue lowest.
    std::uint32_t operator()(__m128i sums) const {
        const __m128 exact = _mm_cvtepi32_ps(_mm_unpacklo_epi16(sums, _mm_setzero_si128()));
        const __m128 quotient =
            _mm_add_ps(_mm_mul_ps(_mm_add_ps(exact, half_), reciprocal_), _mm_set1_ps(0x1p-13f));
        const __m128i whole = _mm_cvttps_epi32(quotient);
        const __m128i bytes = _mm_packus_epi16(_mm_packs_epi32(whole, whole), whole);
        return static_cast<std::uint32_t>(_mm_cvtsi128_si32(bytes)) & kRgbMask;
    }

private:
    __m128 half_, reciprocal_;
};
// The most pixels whose 16-bit channel sums plus half their count stay below 2^16.
inline constexpr std::uint64_t kMaxLanePixels = 256;

} // namespace pictorn::imaging
