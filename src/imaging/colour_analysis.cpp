#include "imaging/colour_analysis.h"

#include <algorithm>
#include <array>

namespace pictorn::imaging {

namespace {

// Open-addressing set of up to 257 colours; 1024 slots keep probe chains short.
class SmallColourTable {
public:
    static constexpr std::size_t kSlots = 1024;
    static constexpr std::uint32_t kEmpty = 0xFFFFFFFFu; // no masked colour has a top byte

    SmallColourTable() { keys_.fill(kEmpty); }

    // Index of `colour`, adding it when new. Returns -1 once more than `limit` colours exist.
    int find(std::uint32_t colour, std::size_t limit) {
        std::size_t slot = (colour * 0x9E3779B1u) >> 22;
        while (true) {
            if (keys_[slot] == colour) {
                return values_[slot];
            }
            if (keys_[slot] == kEmpty) {
                if (palette_.size() >= limit) {
                    return -1;
                }
                keys_[slot] = colour;
                values_[slot] = static_cast<std::int16_t>(palette_.size());
                palette_.push_back(colour);
                return values_[slot];
            }
            slot = (slot + 1) & (kSlots - 1);
        }
    }

    std::size_t size() const { return palette_.size(); }
    std::vector<std::uint32_t>& palette() { return palette_; }

private:
    std::array<std::uint32_t, kSlots> keys_;
    std::array<std::int16_t, kSlots> values_{};
    std::vector<std::uint32_t> palette_;
};

} // namespace

std::size_t countColours(const Picture& picture, std::size_t limit) {
    limit = std::min<std::size_t>(limit, 257);
    SmallColourTable table;
    std::uint32_t previous = kRgbMask + 1; // matches no pixel
    for (const std::uint32_t p : picture.pixels) {
        const std::uint32_t colour = p & kRgbMask;
        if (colour == previous) {
            continue; // screenshots are mostly runs
        }
        previous = colour;
        if (table.find(colour, limit) < 0) {
            return limit;
        }
    }
    return table.size();
}

std::optional<ColourIndex> indexColours(const Picture& picture) {
    if (countColours(picture) > 256) {
        return std::nullopt; // cheap: a photo gives up after a few rows
    }
    SmallColourTable table;
    ColourIndex result;
    result.indices.resize(picture.pixels.size());
    std::uint32_t previous = kRgbMask + 1;
    int previousIndex = 0;
    for (std::size_t i = 0; i < picture.pixels.size(); ++i) {
        const std::uint32_t colour = picture.pixels[i] & kRgbMask;
        if (colour != previous) {
            previous = colour;
            previousIndex = table.find(colour, 256);
            if (previousIndex < 0) {
                return std::nullopt;
            }
        }
        result.indices[i] = static_cast<std::uint8_t>(previousIndex);
    }
    result.palette = std::move(table.palette());
    return result;
}

int bitsForColours(std::size_t colours) {
    if (colours <= 2) {
        return 1;
    }
    if (colours <= 4) {
        return 2;
    }
    if (colours <= 16) {
        return 4;
    }
    return 8;
}

} // namespace pictorn::imaging
