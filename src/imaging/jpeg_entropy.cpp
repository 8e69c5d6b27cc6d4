#include "imaging/jpeg_entropy.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include <emmintrin.h>

namespace pictorn::imaging::jpeg {

namespace {

// Zigzag order over the transposed blocks that transformBlock hands out.
constexpr std::array<std::uint8_t, 64> transposedZigzag() {
    std::array<std::uint8_t, 64> t{};
    for (int i = 0; i < 64; ++i) {
        t[i] = static_cast<std::uint8_t>((kZigzag[i] % 8) * 8 + kZigzag[i] / 8);
    }
    return t;
}
constexpr auto kTransposedZigzag = transposedZigzag();

// Six blocks of 63 AC codes of at most 26 bits and a DC code, every byte possibly stuffed,
// plus a pending word.
constexpr std::size_t kMcuRoom = 6 * 2 * (64 * 26 / 8 + 1) + 16;

constexpr std::uint64_t kOnes = 0x0101010101010101ull;

inline bool hasByteFF(std::uint64_t word) {
    const std::uint64_t inverted = ~word;
    return ((inverted - kOnes) & ~inverted & (kOnes << 7)) != 0;
}

inline std::uint8_t* putByte(std::uint8_t* p, std::uint8_t b) {
    *p++ = b;
    if (b == 0xFF) {
        *p++ = 0; // a 0xFF in the data would otherwise read as a marker
    }
    return p;
}

inline std::uint8_t* putWord(std::uint8_t* p, std::uint64_t word) {
    if (hasByteFF(word)) {
        for (int shift = 56; shift >= 0; shift -= 8) {
            p = putByte(p, static_cast<std::uint8_t>(word >> shift));
        }
        return p;
    }
    std::uint8_t bytes[8];
    for (int i = 0; i < 8; ++i) {
        bytes[i] = static_cast<std::uint8_t>(word >> (56 - 8 * i)); // compiles to one bswap
    }
    std::memcpy(p, bytes, 8);
    return p + 8;
}

// The magnitude category of v and its extra bits (the low bits of v, less one if negative).
inline std::uint32_t extraBits(int v, int& size) {
    size = std::bit_width(static_cast<unsigned>(v < 0 ? -v : v));
    return static_cast<std::uint32_t>(v < 0 ? v - 1 : v) & ((1u << size) - 1);
}

} // namespace

HuffmanCodes makeCodes(const HuffmanSpec& spec) {
    HuffmanCodes codes;
    unsigned code = 0;
    int k = 0;
    for (int length = 1; length <= 16; ++length) {
        for (int i = 0; i < spec.counts[length - 1]; ++i, ++k) {
            codes.code[spec.symbols[k]] = static_cast<std::uint16_t>(code++);
            codes.length[spec.symbols[k]] = static_cast<std::uint8_t>(length);
        }
        code <<= 1;
    }
    return codes;
}

void EntropyWriter::reserveMcu() {
    if (out_.size() - used_ < kMcuRoom) {
        out_.resize(std::max(out_.size() * 2, used_ + kMcuRoom));
    }
}

void EntropyWriter::writeBlock(const Block& coefficients, int& previousDc, const HuffmanCodes& dc,
                               const HuffmanCodes& ac) {
    alignas(16) std::int16_t z[64];
    for (int i = 0; i < 64; ++i) {
        z[i] = coefficients.v[kTransposedZigzag[i]];
    }
    // One bit per coefficient that is not zero, so runs of zeros cost nothing to skip.
    std::uint64_t nonzero = 0;
    const __m128i zero = _mm_setzero_si128();
    for (int i = 0; i < 4; ++i) {
        const __m128i a = _mm_load_si128(reinterpret_cast<const __m128i*>(z + 16 * i));
        const __m128i b = _mm_load_si128(reinterpret_cast<const __m128i*>(z + 16 * i + 8));
        const int zeros =
            _mm_movemask_epi8(_mm_packs_epi16(_mm_cmpeq_epi16(a, zero), _mm_cmpeq_epi16(b, zero)));
        nonzero |= std::uint64_t{static_cast<std::uint16_t>(~zeros)} << (16 * i);
    }

    std::uint8_t* p = out_.data() + used_;
    std::uint64_t bits = bits_;
    int free = free_;
    // The bits above the valid ones are left over from words already written; they are
    // shifted out before they could be written again.
    auto put = [&](std::uint32_t value, int length) {
        if (length < free) {
            bits = (bits << length) | value;
            free -= length;
            return;
        }
        const int rest = length - free;
        p = putWord(p, (bits << free) | (value >> rest));
        bits = value;
        free = 64 - rest;
    };

    int size = 0;
    const std::uint32_t dcBits = extraBits(z[0] - previousDc, size);
    previousDc = z[0];
    put((std::uint32_t{dc.code[size]} << size) | dcBits, dc.length[size] + size);

    int last = 0;
    for (nonzero &= ~std::uint64_t{1}; nonzero != 0; nonzero &= nonzero - 1) {
        const int i = std::countr_zero(nonzero);
        int run = i - last - 1;
        for (; run >= 16; run -= 16) {
            put(ac.code[0xF0], ac.length[0xF0]);
        }
        const std::uint32_t acBits = extraBits(z[i], size);
        const int symbol = (run << 4) | size;
        put((std::uint32_t{ac.code[symbol]} << size) | acBits, ac.length[symbol] + size);
        last = i;
    }
    if (last != 63) {
        put(ac.code[0], ac.length[0]); // end of block
    }

    used_ = static_cast<std::size_t>(p - out_.data());
    bits_ = bits;
    free_ = free;
}

void EntropyWriter::finish() {
    const int valid = 64 - free_;
    if (valid > 0) {
        const int total = (valid + 7) & ~7;
        const int pad = total - valid;
        const std::uint64_t word = (bits_ << pad) | ((std::uint64_t{1} << pad) - 1);
        out_.resize(std::max(out_.size(), used_ + 16));
        std::uint8_t* p = out_.data() + used_;
        for (int shift = total - 8; shift >= 0; shift -= 8) {
            p = putByte(p, static_cast<std::uint8_t>(word >> shift));
        }
        used_ = static_cast<std::size_t>(p - out_.data());
    }
    bits_ = 0;
    free_ = 64;
    out_.resize(used_);
}

} // namespace pictorn::imaging::jpeg
