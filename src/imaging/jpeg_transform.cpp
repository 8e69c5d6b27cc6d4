#include "imaging/jpeg_transform.h"

#include <bit>

#include <emmintrin.h>

namespace pictorn::imaging::jpeg {

namespace {

// Two int16 factors for pmaddwd: `lo` multiplies the even lane, `hi` the odd one.
inline __m128i pair(int lo, int hi) {
    return _mm_set1_epi32(static_cast<int>((static_cast<std::uint32_t>(hi) << 16) |
                                           (static_cast<std::uint32_t>(lo) & 0xFFFFu)));
}

// Colour factors scaled by 2^15 (BT.601 full range, as JFIF asks). Each row sums to
// exactly 32768 (luma) or 0 (chroma), so white stays 255 and greys carry no colour.
constexpr int kYr = 9798, kYg = 19235, kYb = 3735;
constexpr int kCbR = -5529, kCbG = -10855, kCbB = 16384;
constexpr int kCrR = 16384, kCrG = -13720, kCrB = -2664;

// A pixel 0x00RRGGBB as 16-bit lanes: and-ing with 0x00FF00FF leaves (B, R), shifting
// each 16-bit lane right by 8 leaves (G, top byte); the top byte's factor is always 0.
inline __m128i blueRed(__m128i p) {
    return _mm_and_si128(p, _mm_set1_epi32(0x00FF00FF));
}
inline __m128i greenTop(__m128i p) {
    return _mm_srli_epi16(p, 8);
}

template <int Shift> inline __m128i weigh(__m128i br, __m128i g, int fr, int fg, int fb) {
    const __m128i sum =
        _mm_add_epi32(_mm_madd_epi16(br, pair(fb, fr)), _mm_madd_epi16(g, pair(fg, 0)));
    return _mm_srai_epi32(_mm_add_epi32(sum, _mm_set1_epi32(1 << (Shift - 1))), Shift);
}

// Luma of 8 pixels, times 8, less 1024.
inline __m128i luma8(__m128i p0, __m128i p1) {
    const __m128i y0 = weigh<12>(blueRed(p0), greenTop(p0), kYr, kYg, kYb);
    const __m128i y1 = weigh<12>(blueRed(p1), greenTop(p1), kYr, kYg, kYb);
    return _mm_sub_epi16(_mm_packs_epi32(y0, y1), _mm_set1_epi16(1024));
}

inline __m128i load(const std::uint32_t* p) {
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
}
inline void store(std::int16_t* p, __m128i v) {
    _mm_store_si128(reinterpret_cast<__m128i*>(p), v);
}

// Sums each pixel's 16-bit lanes with its right neighbour's, then keeps every other pixel:
// 4 + 4 pixels in, the 4 horizontal pairs out.
inline __m128i pairSums(__m128i a, __m128i b) {
    const __m128 sa = _mm_castsi128_ps(_mm_add_epi16(a, _mm_srli_si128(a, 4)));
    const __m128 sb = _mm_castsi128_ps(_mm_add_epi16(b, _mm_srli_si128(b, 4)));
    return _mm_castps_si128(_mm_shuffle_ps(sa, sb, _MM_SHUFFLE(2, 0, 2, 0)));
}

// One pass of the 8-point DCT over the eight rows (each lane is a column), scaled by
// sqrt(8) so that the DC term is the plain sum: the even half by butterflies alone, the rest
// as dot products with round(sqrt(2) * cos(k * pi / 16) * 2^14). The result is divided by
// 2^Drop, which keeps the second pass within 16 bits.
constexpr int kFactorBits = 14;

template <int Drop> inline __m128i descale(__m128i lo, __m128i hi) {
    const __m128i half = _mm_set1_epi32(1 << (kFactorBits + Drop - 1));
    return _mm_packs_epi32(_mm_srai_epi32(_mm_add_epi32(lo, half), kFactorBits + Drop),
                           _mm_srai_epi32(_mm_add_epi32(hi, half), kFactorBits + Drop));
}

template <int Drop> inline __m128i dropBits(__m128i v) {
    if constexpr (Drop == 0) {
        return v;
    } else {
        return _mm_srai_epi16(_mm_add_epi16(v, _mm_set1_epi16(1 << (Drop - 1))), Drop);
    }
}

template <int Drop>
inline __m128i dot2(__m128i lo01, __m128i hi01, __m128i lo23, __m128i hi23, __m128i f01,
                    __m128i f23) {
    return descale<Drop>(_mm_add_epi32(_mm_madd_epi16(lo01, f01), _mm_madd_epi16(lo23, f23)),
                         _mm_add_epi32(_mm_madd_epi16(hi01, f01), _mm_madd_epi16(hi23, f23)));
}

template <int Drop> inline void dctPass(__m128i x[8]) {
    const __m128i s0 = _mm_add_epi16(x[0], x[7]), d0 = _mm_sub_epi16(x[0], x[7]);
    const __m128i s1 = _mm_add_epi16(x[1], x[6]), d1 = _mm_sub_epi16(x[1], x[6]);
    const __m128i s2 = _mm_add_epi16(x[2], x[5]), d2 = _mm_sub_epi16(x[2], x[5]);
    const __m128i s3 = _mm_add_epi16(x[3], x[4]), d3 = _mm_sub_epi16(x[3], x[4]);

    const __m128i e0 = _mm_add_epi16(s0, s3), f0 = _mm_sub_epi16(s0, s3);
    const __m128i e1 = _mm_add_epi16(s1, s2), f1 = _mm_sub_epi16(s1, s2);
    x[0] = dropBits<Drop>(_mm_add_epi16(e0, e1));
    x[4] = dropBits<Drop>(_mm_sub_epi16(e0, e1));
    const __m128i fLo = _mm_unpacklo_epi16(f0, f1), fHi = _mm_unpackhi_epi16(f0, f1);
    const __m128i k2 = pair(21407, 8867), k6 = pair(8867, -21407);
    x[2] = descale<Drop>(_mm_madd_epi16(fLo, k2), _mm_madd_epi16(fHi, k2));
    x[6] = descale<Drop>(_mm_madd_epi16(fLo, k6), _mm_madd_epi16(fHi, k6));

    const __m128i lo01 = _mm_unpacklo_epi16(d0, d1), hi01 = _mm_unpackhi_epi16(d0, d1);
    const __m128i lo23 = _mm_unpacklo_epi16(d2, d3), hi23 = _mm_unpackhi_epi16(d2, d3);
    x[1] = dot2<Drop>(lo01, hi01, lo23, hi23, pair(22725, 19266), pair(12873, 4520));
    x[3] = dot2<Drop>(lo01, hi01, lo23, hi23, pair(19266, -4520), pair(-22725, -12873));
    x[5] = dot2<Drop>(lo01, hi01, lo23, hi23, pair(12873, -22725), pair(4520, 19266));
    x[7] = dot2<Drop>(lo01, hi01, lo23, hi23, pair(4520, -12873), pair(19266, -22725));
}

inline void transpose(__m128i x[8]) {
    const __m128i a0 = _mm_unpacklo_epi16(x[0], x[1]), a1 = _mm_unpackhi_epi16(x[0], x[1]);
    const __m128i a2 = _mm_unpacklo_epi16(x[2], x[3]), a3 = _mm_unpackhi_epi16(x[2], x[3]);
    const __m128i a4 = _mm_unpacklo_epi16(x[4], x[5]), a5 = _mm_unpackhi_epi16(x[4], x[5]);
    const __m128i a6 = _mm_unpacklo_epi16(x[6], x[7]), a7 = _mm_unpackhi_epi16(x[6], x[7]);
    const __m128i b0 = _mm_unpacklo_epi32(a0, a2), b1 = _mm_unpackhi_epi32(a0, a2);
    const __m128i b2 = _mm_unpacklo_epi32(a1, a3), b3 = _mm_unpackhi_epi32(a1, a3);
    const __m128i b4 = _mm_unpacklo_epi32(a4, a6), b5 = _mm_unpackhi_epi32(a4, a6);
    const __m128i b6 = _mm_unpacklo_epi32(a5, a7), b7 = _mm_unpackhi_epi32(a5, a7);
    x[0] = _mm_unpacklo_epi64(b0, b4);
    x[1] = _mm_unpackhi_epi64(b0, b4);
    x[2] = _mm_unpacklo_epi64(b1, b5);
    x[3] = _mm_unpackhi_epi64(b1, b5);
    x[4] = _mm_unpacklo_epi64(b2, b6);
    x[5] = _mm_unpackhi_epi64(b2, b6);
    x[6] = _mm_unpacklo_epi64(b3, b7);
    x[7] = _mm_unpackhi_epi64(b3, b7);
}

} // namespace

// After both passes a coefficient is 8 (the two sqrt(8) scales) times 8 (the fractional
// bits of the samples) divided by 2 (dropped after the first pass) its true value, so the
// divisor is 32 * q. floor(n / d) for n < 2^16
// is ((n * ceil(2^(16+s) / d)) >> 16) >> s with d in (2^s, 2^(s+1)]; the second shift is a
// multiplication too (by 2^(16-s), taking the high half), since SSE2 cannot shift lanes
// by different amounts.
Quantizer makeQuantizer(const std::uint8_t table[64]) {
    Quantizer q{};
    for (int u = 0; u < 8; ++u) {
        for (int v = 0; v < 8; ++v) {
            const unsigned divisor = 32u * table[v * 8 + u];
            const int s = std::bit_width(divisor - 1) - 1;
            const int at = u * 8 + v;
            q.bias[at] = static_cast<std::uint16_t>(divisor / 2);
            q.reciprocal[at] = static_cast<std::uint16_t>(
                ((std::uint32_t{1} << (16 + s)) + divisor - 1) / divisor);
            q.shift[at] = static_cast<std::uint16_t>(1u << (16 - s));
        }
    }
    return q;
}

void convert420(const std::uint32_t* const rows[16], Block luma[4], Block& cb, Block& cr) {
    for (int r = 0; r < 8; ++r) {
        const std::uint32_t* top = rows[2 * r];
        const std::uint32_t* bottom = rows[2 * r + 1];
        __m128i cb4[2], cr4[2];
        for (int h = 0; h < 2; ++h) {
            const __m128i t0 = load(top + 8 * h), t1 = load(top + 8 * h + 4);
            const __m128i b0 = load(bottom + 8 * h), b1 = load(bottom + 8 * h + 4);
            Block& y = luma[(r >= 4 ? 2 : 0) + h];
            store(y.v + (2 * r % 8) * 8, luma8(t0, t1));
            store(y.v + (2 * r % 8 + 1) * 8, luma8(b0, b1));
            // Chroma of the 2x2 average: the sums of four pixels, weighed, divided by 4
            // less the 3 fractional bits kept.
            const __m128i br = pairSums(_mm_add_epi16(blueRed(t0), blueRed(b0)),
                                        _mm_add_epi16(blueRed(t1), blueRed(b1)));
            const __m128i g = pairSums(_mm_add_epi16(greenTop(t0), greenTop(b0)),
                                       _mm_add_epi16(greenTop(t1), greenTop(b1)));
            cb4[h] = weigh<14>(br, g, kCbR, kCbG, kCbB);
            cr4[h] = weigh<14>(br, g, kCrR, kCrG, kCrB);
        }
        store(cb.v + r * 8, _mm_packs_epi32(cb4[0], cb4[1]));
        store(cr.v + r * 8, _mm_packs_epi32(cr4[0], cr4[1]));
    }
}

void convert444(const std::uint32_t* const rows[8], Block& luma, Block& cb, Block& cr) {
    for (int r = 0; r < 8; ++r) {
        const __m128i p0 = load(rows[r]), p1 = load(rows[r] + 4);
        store(luma.v + r * 8, luma8(p0, p1));
        const __m128i br0 = blueRed(p0), g0 = greenTop(p0);
        const __m128i br1 = blueRed(p1), g1 = greenTop(p1);
        store(cb.v + r * 8, _mm_packs_epi32(weigh<12>(br0, g0, kCbR, kCbG, kCbB),
                                            weigh<12>(br1, g1, kCbR, kCbG, kCbB)));
        store(cr.v + r * 8, _mm_packs_epi32(weigh<12>(br0, g0, kCrR, kCrG, kCrB),
                                            weigh<12>(br1, g1, kCrR, kCrG, kCrB)));
    }
}

void transformBlock(const Block& samples, const Quantizer& quantizer, Block& out) {
    __m128i x[8];
    for (int r = 0; r < 8; ++r) {
        x[r] = _mm_load_si128(reinterpret_cast<const __m128i*>(samples.v + r * 8));
    }
    dctPass<1>(x);
    transpose(x);
    dctPass<0>(x);
    const auto* bias = reinterpret_cast<const __m128i*>(quantizer.bias);
    const auto* reciprocal = reinterpret_cast<const __m128i*>(quantizer.reciprocal);
    const auto* shift = reinterpret_cast<const __m128i*>(quantizer.shift);
    for (int r = 0; r < 8; ++r) {
        // |c| fits 16 unsigned bits even for -32768, and so does |c| + bias.
        const __m128i sign = _mm_srai_epi16(x[r], 15);
        __m128i a = _mm_sub_epi16(_mm_xor_si128(x[r], sign), sign);
        a = _mm_add_epi16(a, _mm_load_si128(bias + r));
        a = _mm_mulhi_epu16(a, _mm_load_si128(reciprocal + r));
        a = _mm_mulhi_epu16(a, _mm_load_si128(shift + r));
        store(out.v + r * 8, _mm_sub_epi16(_mm_xor_si128(a, sign), sign));
    }
}

} // namespace pictorn::imaging::jpeg
