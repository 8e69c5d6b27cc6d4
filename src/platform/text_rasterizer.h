#pragma once
// Text drawn by the system's font engine, for the mark-up window: the program blends the
// coverage into a picture itself, in whatever colour the user picked.
#include <cstdint>
#include <string_view>
#include <vector>

namespace pictorn::platform {

// How much of each pixel the glyphs cover (0 none, 255 all), rows top-down.
struct TextCoverage {
    int width = 0, height = 0;
    std::vector<std::uint8_t> alpha;
};

class TextRasterizer {
public:
    virtual ~TextRasterizer() = default;
    // One line of UTF-8 text in the system's interface typeface with a cell (ascent and
    // descent) of about `pixelHeight` pixels, as the system rounds the font; the coverage
    // is the whole cell. Empty text gives an empty coverage.
    virtual TextCoverage draw(std::string_view utf8, int pixelHeight) = 0;
};

} // namespace pictorn::platform
