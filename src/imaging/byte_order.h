#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <vector>

namespace pictorn::imaging {

// Appending and patching fixed-size integers in the byte order a file format asks for.
using Bytes = std::vector<std::uint8_t>;
// Takes a file's bytes piece by piece, in order.
using ByteSink = std::function<void(std::span<const std::uint8_t>)>;

inline void putU8(Bytes& out, unsigned v) {
    out.push_back(static_cast<std::uint8_t>(v));
}

inline void putLe16(Bytes& out, unsigned v) {
    out.push_back(static_cast<std::uint8_t>(v));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
}

inline void putLe32(Bytes& out, std::uint32_t v) {
    putLe16(out, v & 0xFFFFu);
    putLe16(out, v >> 16);
}

inline void putBe16(Bytes& out, unsigned v) {
    out.push_back(static_cast<std::uint8_t>(v >> 8));
    out.push_back(static_cast<std::uint8_t>(v));
}

inline void putBe32(Bytes& out, std::uint32_t v) {
    putBe16(out, v >> 16);
    putBe16(out, v & 0xFFFFu);
}

inline void patchLe32(Bytes& out, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) {
        out[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(v >> (8 * i));
    }
}

inline void patchBe16(Bytes& out, std::size_t at, unsigned v) {
    out[at] = static_cast<std::uint8_t>(v >> 8);
    out[at + 1] = static_cast<std::uint8_t>(v);
}

inline void patchBe32(Bytes& out, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) {
        out[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(v >> (24 - 8 * i));
    }
}

} // namespace pictorn::imaging
