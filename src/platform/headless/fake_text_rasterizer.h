#pragma once
// Text for tests without a font engine: every character but a blank is a solid cell half
// as wide as it is high, a blank is an empty one.
#include "platform/text_rasterizer.h"

#include <string>

namespace pictorn::headless {

class FakeTextRasterizer : public platform::TextRasterizer {
public:
    platform::TextCoverage draw(std::string_view utf8, int pixelHeight) override {
        drawn.emplace_back(utf8);
        platform::TextCoverage c;
        const int cell = pixelHeight / 2;
        for (char ch : utf8) {
            // A UTF-8 sequence counts once, by its lead byte.
            if ((static_cast<unsigned char>(ch) & 0xC0) != 0x80) {
                shapes.push_back(ch != ' ');
            }
        }
        if (shapes.empty()) {
            return c;
        }
        c.width = cell * static_cast<int>(shapes.size());
        c.height = pixelHeight;
        c.alpha.assign(static_cast<std::size_t>(c.width) * static_cast<std::size_t>(c.height), 0);
        for (int y = 0; y < c.height; ++y) {
            for (int x = 0; x < c.width; ++x) {
                if (shapes[static_cast<std::size_t>(x / cell)]) {
                    c.alpha[static_cast<std::size_t>(y * c.width + x)] = 255;
                }
            }
        }
        shapes.clear();
        return c;
    }

    std::vector<std::string> drawn; // every text asked for, in order

private:
    std::vector<bool> shapes;
};

} // namespace pictorn::headless
