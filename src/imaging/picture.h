#pragma once

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <vector>

namespace pictorn::imaging {

// A picture as the screen grab hands it over: top-down rows of 0x00RRGGBB pixels, which is
// the memory layout of a 32-bit top-down DIB (bytes B, G, R, x). The top byte is not part
// of the colour; grabs may leave anything there, so every writer ignores it.
struct Picture {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;

    Picture() = default;
    Picture(int w, int h, std::uint32_t fill = 0) : width(w), height(h) {
        if (w < 0 || h < 0) {
            throw std::invalid_argument("picture size must not be negative");
        }
        pixels.assign(static_cast<std::size_t>(w) * static_cast<std::size_t>(h), fill);
    }

    // A picture of w x h in `storage`, whatever it holds: memory a grab overwrites whole
    // (pixels the system has mapped before cost nothing to touch again).
    static Picture reusing(int w, int h, std::vector<std::uint32_t> storage) {
        const std::size_t count = static_cast<std::size_t>(w) * static_cast<std::size_t>(h);
        if (w < 0 || h < 0 || storage.capacity() < count)
            return Picture(w, h);
        Picture picture;
        picture.width = w;
        picture.height = h;
        picture.pixels = std::move(storage);
        picture.pixels.resize(count);
        return picture;
    }

    bool empty() const { return width <= 0 || height <= 0 || pixels.empty(); }

    std::uint32_t& at(int x, int y) { return pixels[index(x, y)]; }
    std::uint32_t at(int x, int y) const { return pixels[index(x, y)]; }

    const std::uint32_t* row(int y) const { return pixels.data() + index(0, y); }
    std::uint32_t* row(int y) { return pixels.data() + index(0, y); }

private:
    std::size_t index(int x, int y) const {
        return static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
               static_cast<std::size_t>(x);
    }
};

constexpr std::uint32_t kRgbMask = 0x00FFFFFFu;

constexpr std::uint32_t rgb(std::uint8_t r, std::uint8_t g, std::uint8_t b) {
    return (std::uint32_t{r} << 16) | (std::uint32_t{g} << 8) | std::uint32_t{b};
}
constexpr std::uint8_t redOf(std::uint32_t p) {
    return static_cast<std::uint8_t>(p >> 16);
}
constexpr std::uint8_t greenOf(std::uint32_t p) {
    return static_cast<std::uint8_t>(p >> 8);
}
constexpr std::uint8_t blueOf(std::uint32_t p) {
    return static_cast<std::uint8_t>(p);
}

} // namespace pictorn::imaging
