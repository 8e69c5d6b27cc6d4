#pragma once
// A colour as Windows stores it (red in the low byte, then green, then blue): the form the
// settings keep the rectangle colour in.
#include <cstdint>

namespace pictorn::app {

struct Colour {
    std::uint32_t value = 0x0000FF;

    // 0x00RRGGBB, the order pictures use.
    constexpr std::uint32_t rgb() const {
        return (value & 0xFF) << 16 | (value & 0xFF00) | (value >> 16 & 0xFF);
    }
    bool operator==(const Colour&) const = default;
};

// The six colours the preferences offer for the rectangle.
inline constexpr Colour kBlue{16711680};
inline constexpr Colour kCyan{16776960};
inline constexpr Colour kGreen{65280};
inline constexpr Colour kMagenta{16711935};
inline constexpr Colour kRed{255};
inline constexpr Colour kYellow{65535};

} // namespace pictorn::app
