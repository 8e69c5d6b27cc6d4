#pragma once

#include <cstdint>
#include <vector>

#include "imaging/picture.h"

namespace pictorn::imaging {

struct ColourCount {
    std::uint32_t colour; // 0x00RRGGBB
    std::uint32_t count;
};

// Exact colour -> value map for 24-bit colours, open-addressed and growing.
class ColourMap {
public:
    explicit ColourMap(std::size_t expected = 4096);

    // The value stored for `colour`; a new colour starts at 0.
    std::uint32_t& operator[](std::uint32_t colour);
    const std::uint32_t* find(std::uint32_t colour) const;
    std::size_t size() const { return size_; }

    template <class F> void forEach(F&& f) const {
        for (std::size_t i = 0; i < keys_.size(); ++i) {
            if (keys_[i] != kEmpty) {
                f(keys_[i], values_[i]);
            }
        }
    }

private:
    static constexpr std::uint32_t kEmpty = 0xFFFFFFFFu;
    std::size_t slotOf(std::uint32_t colour) const;
    void grow();

    std::vector<std::uint32_t> keys_;
    std::vector<std::uint32_t> values_;
    std::size_t size_ = 0;
    int shift_ = 0;
};

// Every distinct colour of the picture with its pixel count.
std::vector<ColourCount> colourHistogram(const Picture& picture);

} // namespace pictorn::imaging
