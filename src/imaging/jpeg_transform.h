#pragma once

#include <cstdint>

namespace pictorn::imaging::jpeg {

// The numeric half of the JPEG writer: colour conversion, forward DCT and quantisation,
// 8 samples at a time with SSE2 (which every x86-64 processor has).
//
// Samples are level-shifted YCbCr with 3 fractional bits (-1024..1023): the extra bits keep
// the rounding of the integer pipeline well below what quantisation takes away, even at
// quality 100.

// Blocks hold 64 int16 values, 16-byte aligned.
struct alignas(16) Block {
    std::int16_t v[64];
};

// Divisors of one quantisation table, prepared for multiplication, in the transposed order
// that quantizeBlock hands out.
struct alignas(16) Quantizer {
    std::uint16_t bias[64];
    std::uint16_t reciprocal[64];
    std::uint16_t shift[64];
};

// `table` in natural (row-major) order, entries 1..255.
Quantizer makeQuantizer(const std::uint8_t table[64]);

// 16x16 pixels (rows[r] points at the first of 16 pixels of row r) into four luma blocks
// (top-left, top-right, bottom-left, bottom-right) and one 2x2-averaged block per chroma.
void convert420(const std::uint32_t* const rows[16], Block luma[4], Block& cb, Block& cr);
// 8x8 pixels into one block per component.
void convert444(const std::uint32_t* const rows[8], Block& luma, Block& cb, Block& cr);

// Forward DCT and quantisation (rounded half away from zero). The result is transposed:
// out.v[u * 8 + v] is the coefficient of horizontal frequency u and vertical frequency v.
void transformBlock(const Block& samples, const Quantizer& quantizer, Block& out);

} // namespace pictorn::imaging::jpeg
