#include "app/colour.h"
#include "markup/markup_editor.h"
#include "platform/win32/win32_text_rasterizer.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace pictorn::platform::win32 {
namespace {

TEST(Win32TextRasterizer, TypedTextIsTheSystemFontsCoverageInTheChosenColour) {
    Win32TextRasterizer text;
    EXPECT_EQ(text.draw("", 20).width, 0);
    const TextCoverage narrow = text.draw("i", 20);
    const TextCoverage wide = text.draw("Mark \xD0\x96", 20); // a Cyrillic letter too
    EXPECT_NEAR(wide.height, 20, 2); // the font's cell, as the system rounds it
    EXPECT_GT(wide.width, 3 * narrow.width);
    ASSERT_EQ(wide.alpha.size(), static_cast<std::size_t>(wide.width * wide.height));
    // Solid strokes on an empty background (edges are grey where the system smooths fonts).
    EXPECT_EQ(*std::max_element(wide.alpha.begin(), wide.alpha.end()), 255);
    EXPECT_EQ(wide.alpha.front(), 0);

    // Typed in place on white: full coverage is exactly the colour, no coverage white.
    const imaging::Picture white(120, 40, 0xFFFFFF);
    markup::Editor editor(std::make_shared<const imaging::Picture>(white), text, 96);
    editor.keyDown('5', false); // red
    editor.keyDown('T', false);
    editor.mouseDown(10, 8);
    for (const char* typed : {"M", "a", "r", "k", " ", "\xD0\x96"}) {
        editor.type(typed);
    }
    editor.keyDown(markup::kKeyEnter, false);
    const imaging::Picture& marked = editor.document().picture();
    for (int y = 0; y < wide.height; ++y) {
        for (int x = 0; x < wide.width; ++x) {
            const std::uint8_t a = wide.alpha[static_cast<std::size_t>(y * wide.width + x)];
            const std::uint32_t got = marked.at(10 + x, 8 + y);
            if (a == 255) {
                ASSERT_EQ(got, app::kRed.rgb());
            } else if (a == 0) {
                ASSERT_EQ(got, 0xFFFFFFu);
            }
        }
    }
}

} // namespace
} // namespace pictorn::platform::win32
