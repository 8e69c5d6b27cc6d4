#pragma once

#include <array>
#include <cstdint>
#include <span>

namespace pictorn::imaging {

// The two LZW dialects we write differ only in details: GIF packs codes LSB-first, starts
// from a variable root size and widens codes one step late; TIFF packs MSB-first, always
// uses 8-bit roots and widens one code early ("early change").
struct LzwDialect {
    int rootBits;
    bool earlyChange;
    unsigned tableLimit; // a clear code is sent when the next free code reaches this
};

inline constexpr LzwDialect kGifLzw(int rootBits) {
    return {rootBits, false, 4096};
}
inline constexpr LzwDialect kTiffLzw{8, true, 4094};

// String table of (prefix code, next symbol) -> code, open-addressed; at most 4096 entries.
class LzwTable {
public:
    LzwTable() { reset(); }
    void reset() { keys_.fill(kEmpty); }

    // Code of prefix+symbol, or -1; `slot` is where add() will store it if absent.
    int find(unsigned prefix, unsigned symbol, std::size_t& slot) const {
        const std::uint32_t key = (prefix << 8) | symbol;
        slot = (key * 0x9E3779B1u) >> (32 - kBits);
        while (keys_[slot] != kEmpty) {
            if (keys_[slot] == key) {
                return codes_[slot];
            }
            slot = (slot + 1) & (kSlots - 1);
        }
        return -1;
    }
    void add(std::size_t slot, unsigned prefix, unsigned symbol, unsigned code) {
        keys_[slot] = (prefix << 8) | symbol;
        codes_[slot] = static_cast<std::uint16_t>(code);
    }

private:
    static constexpr int kBits = 13;
    static constexpr std::size_t kSlots = std::size_t{1} << kBits;
    static constexpr std::uint32_t kEmpty = 0xFFFFFFFFu;
    std::array<std::uint32_t, kSlots> keys_;
    std::array<std::uint16_t, kSlots> codes_{};
};

// Codes `symbols` (each < 2^rootBits) as one LZW stream from the opening clear code to the
// end code. BitSink has put(code, width).
template <class BitSink>
void lzwEncode(std::span<const std::uint8_t> symbols, LzwDialect dialect, BitSink& sink) {
    const unsigned clearCode = 1u << dialect.rootBits;
    const unsigned endCode = clearCode + 1;
    const unsigned firstFree = clearCode + 2;
    const unsigned early = dialect.earlyChange ? 1 : 0;

    LzwTable table;
    int width = dialect.rootBits + 1;
    unsigned next = firstFree;
    sink.put(clearCode, width);

    // Called for every code sent: the decoder adds a table entry per code, and both sides
    // must widen (or clear) at the same moment.
    auto entryAdded = [&] {
        ++next;
        if (next == dialect.tableLimit) {
            sink.put(clearCode, width);
            table.reset();
            width = dialect.rootBits + 1;
            next = firstFree;
        } else if (next > (1u << width) - early && width < 12) {
            ++width;
        }
    };

    if (!symbols.empty()) {
        unsigned prefix = symbols[0];
        for (std::size_t i = 1; i < symbols.size(); ++i) {
            const unsigned symbol = symbols[i];
            std::size_t slot = 0;
            const int code = table.find(prefix, symbol, slot);
            if (code >= 0) {
                prefix = static_cast<unsigned>(code);
                continue;
            }
            sink.put(prefix, width);
            table.add(slot, prefix, symbol, next);
            entryAdded();
            prefix = symbol;
        }
        sink.put(prefix, width);
        entryAdded();
    }
    sink.put(endCode, width);
}

} // namespace pictorn::imaging
