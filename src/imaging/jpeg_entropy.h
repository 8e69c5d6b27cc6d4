#pragma once

#include <cstddef>
#include <cstdint>

#include "imaging/byte_order.h"
#include "imaging/jpeg_tables.h"
#include "imaging/jpeg_transform.h"

namespace pictorn::imaging::jpeg {

// Code and length of every symbol of a table, as the canonical assignment of the standard
// gives them.
struct HuffmanCodes {
    std::uint16_t code[256] = {};
    std::uint8_t length[256] = {};
};
HuffmanCodes makeCodes(const HuffmanSpec& spec);

// Huffman-coded blocks appended to `out`: bits gather in a 64-bit word that goes out
// eight bytes at a time, byte by byte only when one of them is 0xFF and needs its 0x00.
class EntropyWriter {
public:
    explicit EntropyWriter(Bytes& out) : out_(out), used_(out.size()) {}

    // Room for the largest MCU (six blocks); call before each one.
    void reserveMcu();
    // `coefficients` as transformBlock hands them out; `previousDc` is the DC predictor.
    void writeBlock(const Block& coefficients, int& previousDc, const HuffmanCodes& dc,
                    const HuffmanCodes& ac);
    // Pads the last byte with 1 bits and trims `out` to what was written.
    void finish();

private:
    Bytes& out_;
    std::size_t used_;
    std::uint64_t bits_ = 0;
    int free_ = 64; // bits still free in bits_; the valid ones are the low 64 - free_
};

} // namespace pictorn::imaging::jpeg
