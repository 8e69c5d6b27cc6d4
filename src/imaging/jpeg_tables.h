#pragma once

#include <array>
#include <cstdint>

namespace pictorn::imaging::jpeg {

// The example tables of the JPEG standard (its annex K), which every decoder handles and
// which screenshots compress well enough with that optimised tables are not worth a pass.

// Natural (row-major) position of the i-th coefficient in zigzag order.
inline constexpr std::array<std::uint8_t, 64> kZigzag = {
    0,  1,  8,  16, 9,  2,  3,  10, 17, 24, 32, 25, 18, 11, 4,  5,  12, 19, 26, 33, 40, 48,
    41, 34, 27, 20, 13, 6,  7,  14, 21, 28, 35, 42, 49, 56, 57, 50, 43, 36, 29, 22, 15, 23,
    30, 37, 44, 51, 58, 59, 52, 45, 38, 31, 39, 46, 53, 60, 61, 54, 47, 55, 62, 63};

// Quantisation tables for `quality` 1..100 in natural order: the example tables scaled by
// 5000 / quality below 50 and by 200 - 2 * quality from 50, rounded, kept within 1..255.
std::array<std::uint8_t, 64> lumaQuantTable(int quality);
std::array<std::uint8_t, 64> chromaQuantTable(int quality);

// A Huffman table as a DHT segment states it: how many codes have each length 1..16, and
// the symbols in order of their codes.
struct HuffmanSpec {
    std::array<std::uint8_t, 16> counts;
    const std::uint8_t* symbols;
    int symbolCount;
};
extern const HuffmanSpec kLumaDc, kLumaAc, kChromaDc, kChromaAc;

} // namespace pictorn::imaging::jpeg
