#include "imaging/colour_histogram.h"

#include <bit>

namespace pictorn::imaging {

ColourMap::ColourMap(std::size_t expected) {
    const std::size_t slots = std::bit_ceil(expected * 2 < 64 ? std::size_t{64} : expected * 2);
    keys_.assign(slots, kEmpty);
    values_.assign(slots, 0);
    shift_ = 32 - std::countr_zero(slots);
}

std::size_t ColourMap::slotOf(std::uint32_t colour) const {
    const std::size_t mask = keys_.size() - 1;
    std::size_t slot = (colour * 0x9E3779B1u) >> shift_;
    while (keys_[slot] != colour && keys_[slot] != kEmpty) {
        slot = (slot + 1) & mask;
    }
    return slot;
}

std::uint32_t& ColourMap::operator[](std::uint32_t colour) {
    std::size_t slot = slotOf(colour);
    if (keys_[slot] == kEmpty) {
        if ((size_ + 1) * 2 > keys_.size()) {
            grow();
            slot = slotOf(colour);
        }
        keys_[slot] = colour;
        ++size_;
    }
    return values_[slot];
}

const std::uint32_t* ColourMap::find(std::uint32_t colour) const {
    const std::size_t slot = slotOf(colour);
    return keys_[slot] == colour ? &values_[slot] : nullptr;
}

void ColourMap::grow() {
    std::vector<std::uint32_t> oldKeys = std::move(keys_);
    std::vector<std::uint32_t> oldValues = std::move(values_);
    keys_.assign(oldKeys.size() * 2, kEmpty);
    values_.assign(oldKeys.size() * 2, 0);
    --shift_;
    for (std::size_t i = 0; i < oldKeys.size(); ++i) {
        if (oldKeys[i] != kEmpty) {
            const std::size_t slot = slotOf(oldKeys[i]);
            keys_[slot] = oldKeys[i];
            values_[slot] = oldValues[i];
        }
    }
}

std::vector<ColourCount> colourHistogram(const Picture& picture) {
    ColourMap counts;
    std::uint32_t previous = kRgbMask + 1;
    std::uint32_t run = 0;
    for (const std::uint32_t p : picture.pixels) {
        const std::uint32_t colour = p & kRgbMask;
        if (colour == previous) {
            ++run; // screenshots are mostly runs: count them without a lookup
            continue;
        }
        if (run > 0) {
            counts[previous] += run;
        }
        previous = colour;
        run = 1;
    }
    if (run > 0) {
        counts[previous] += run;
    }
    std::vector<ColourCount> histogram;
    histogram.reserve(counts.size());
    counts.forEach([&](std::uint32_t colour, std::uint32_t count) {
        histogram.push_back({colour, count});
    });
    return histogram;
}

} // namespace pictorn::imaging
