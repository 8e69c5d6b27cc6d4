#include "markup/markup_editor.h"

#include "app/colour.h"
#include "platform/headless/fake_text_rasterizer.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace pictorn::markup {
namespace {

using imaging::Picture;

// Every pixel different from its neighbours, so a pixel out of place shows.
Picture sample(int w = 40, int h = 30) {
    Picture p(w, h);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            p.at(x, y) =
                imaging::rgb(static_cast<std::uint8_t>(x * 6), static_cast<std::uint8_t>(y * 8),
                             static_cast<std::uint8_t>((x * 31) ^ (y * 17)));
        }
    }
    return p;
}

bool inside(const Rect& r, int x, int y) {
    return x >= r.left && x < r.right && y >= r.top && y < r.bottom;
}

struct MarkupEditor : ::testing::Test {
    explicit MarkupEditor(Picture picture = sample()) : captured(std::move(picture)) {}
    Picture captured;
    headless::FakeTextRasterizer text;
    Editor editor{std::make_shared<const Picture>(captured), text, 96};

    const Picture& now() const { return editor.document().picture(); }
    Repaint drag(Tool tool, int x0, int y0, int x1, int y1) {
        editor.setTool(tool);
        editor.mouseDown(x0, y0);
        editor.mouseMove((x0 + x1) / 2, (y0 + y1) / 2);
        return editor.mouseUp(x1, y1);
    }
    // Every pixel outside `changed` is as captured.
    void expectUntouchedOutside(const Rect& changed) const {
        for (int y = 0; y < captured.height; ++y) {
            for (int x = 0; x < captured.width; ++x) {
                if (!inside(changed, x, y)) {
                    ASSERT_EQ(now().at(x, y), captured.at(x, y)) << x << "," << y;
                }
            }
        }
    }
};

TEST_F(MarkupEditor, BlackOutAndOutlineWriteExactlyTheirPixels) {
    drag(Tool::BlackOut, 30, 20, 3, 4); // dragged up and left
    const Rect black{3, 4, 31, 21};
    expectUntouchedOutside(black);
    for (int y = black.top; y < black.bottom; ++y) {
        for (int x = black.left; x < black.right; ++x) {
            ASSERT_EQ(now().at(x, y), kBlackOut);
        }
    }

    editor.undo();
    editor.keyDown('6', false);
    drag(Tool::Rectangle, 2, 2, 11, 9);
    const Rect frame{2, 2, 12, 10};
    expectUntouchedOutside(frame);
    for (int y = frame.top; y < frame.bottom; ++y) {
        for (int x = frame.left; x < frame.right; ++x) {
            const bool edge = x < 4 || x >= 10 || y < 4 || y >= 8; // two pixels wide
            EXPECT_EQ(now().at(x, y), edge ? app::kYellow.rgb() : captured.at(x, y));
        }
    }
}

TEST_F(MarkupEditor, EachPixelatedBlockIsTheAverageOfWhatItCovers) {
    // 30 wide: blocks of 12 and 18 (the rest joins the last block); 5 high: grown to 12.
    const Repaint shown = drag(Tool::Pixelate, 5, 10, 34, 14);
    const Rect area{5, 7, 35, 19};
    // What a fitted view is told: rows repeat in bands of a block.
    EXPECT_EQ(shown.bands, area);
    EXPECT_EQ(shown.bandRows, 12);
    expectUntouchedOutside(area);
    for (const Rect& block : {Rect{5, 7, 17, 19}, Rect{17, 7, 35, 19}}) {
        std::uint64_t sum[3] = {};
        for (int y = block.top; y < block.bottom; ++y) {
            for (int x = block.left; x < block.right; ++x) {
                sum[0] += imaging::redOf(captured.at(x, y));
                sum[1] += imaging::greenOf(captured.at(x, y));
                sum[2] += imaging::blueOf(captured.at(x, y));
            }
        }
        const std::uint64_t n = static_cast<std::uint64_t>(block.width() * block.height());
        auto avg = [n](std::uint64_t s) {
            return static_cast<std::uint8_t>((s + n / 2) / n);
        };
        const std::uint32_t expected = imaging::rgb(avg(sum[0]), avg(sum[1]), avg(sum[2]));
        for (int y = block.top; y < block.bottom; ++y) {
            for (int x = block.left; x < block.right; ++x) {
                ASSERT_EQ(now().at(x, y), expected) << x << "," << y;
            }
        }
    }

    // Blocks of 300 rows, more than a 16-bit sum of a channel holds, of white pixels whose
    // fourth byte is set: white, and only white.
    Picture white(30, 600);
    std::fill(white.pixels.begin(), white.pixels.end(), 0xFFFFFFFFu);
    Picture out(30, 600);
    pixelate(white, out, {0, 0, 30, 600}, 300);
    EXPECT_EQ(std::count(out.pixels.begin(), out.pixels.end(), 0xFFFFFFu), 30 * 600);
}

TEST_F(MarkupEditor, HighlighterArrowAndTextPixels) {
    drag(Tool::Highlighter, 0, 0, 1, 0);
    expectUntouchedOutside({0, 0, 2, 1});
    const std::uint32_t c = captured.at(1, 0);
    EXPECT_EQ(now().at(1, 0),
              imaging::rgb(static_cast<std::uint8_t>((imaging::redOf(c) + 255) / 2),
                           static_cast<std::uint8_t>((imaging::greenOf(c) + 255) / 2),
                           static_cast<std::uint8_t>(imaging::blueOf(c) / 2)));
    editor.undo();

    // Along a row between pixel corners: a shaft of exactly two rows, then a head.
    editor.keyDown('1', false);
    drag(Tool::Arrow, 2, 15, 38, 15);
    const std::uint32_t blue = app::kBlue.rgb();
    for (int x = 2; x < 20; ++x) {
        EXPECT_EQ(now().at(x, 14), blue);
        EXPECT_EQ(now().at(x, 15), blue);
        EXPECT_EQ(now().at(x, 13), captured.at(x, 13));
        EXPECT_EQ(now().at(x, 16), captured.at(x, 16));
    }
    EXPECT_EQ(now().at(1, 15), captured.at(1, 15));
    EXPECT_EQ(now().at(36, 14), blue); // near the tip
    EXPECT_EQ(now().at(38, 15), captured.at(38, 15));
    EXPECT_EQ(now().at(30, 12), blue); // the head is wider than the shaft
    editor.undo();

    // Typed in place: letters are text, not tools; Backspace takes one back; Enter ends it.
    editor.keyDown('T', false);
    editor.mouseDown(4, 6);
    for (const char* typed : {"A", "b", "\xC3\xA9"}) { // the last one is two bytes
        EXPECT_FALSE(editor.keyDown(typed[0] & ~0x20, false).handled);
        editor.type(typed);
    }
    editor.keyDown(kKeyBack, false);
    editor.keyDown(kKeyBack, false);
    editor.type("c");
    EXPECT_EQ(editor.tool(), Tool::Text);
    editor.keyDown(kKeyEnter, false);
    EXPECT_FALSE(editor.typing());
    EXPECT_EQ(text.drawn.back(), "Ac");
    const Rect cells{4, 6, 24, 26}; // two 10x20 cells, no caret left behind
    expectUntouchedOutside(cells);
    for (int y = cells.top; y < cells.bottom; ++y) {
        for (int x = cells.left; x < cells.right; ++x) {
            ASSERT_EQ(now().at(x, y), blue);
        }
    }
}

// Whole-picture copies and crops land in memory made ready beforehand or left by steps that
// can no longer be redone: every step still comes back to the byte.
TEST_F(MarkupEditor, UndoAndRedoRestoreEveryStepToTheByte) {
    // The document's state() names the pixels: another for each step, the same again when
    // the step is taken back or redone.
    std::vector<Picture> states{captured};
    std::vector<std::uint64_t> ids{editor.document().state()};
    auto step = [&] {
        states.push_back(now());
        ids.push_back(editor.document().state());
        EXPECT_EQ(std::count(ids.begin(), ids.end(), ids.back()), 1);
    };
    editor.document().prepareMemory();
    drag(Tool::BlackOut, 0, 0, 39, 29);
    editor.undo();
    ASSERT_EQ(now().pixels, captured.pixels);
    ASSERT_EQ(editor.document().state(), ids[0]);
    drag(Tool::BlackOut, 1, 1, 20, 12); // in the memory the dropped black-out left
    step();
    drag(Tool::Pixelate, 10, 5, 39, 29);
    step();
    drag(Tool::Arrow, 35, 2, 3, 27);
    step();
    editor.document().prepareMemory();
    drag(Tool::Crop, 37, 28, 2, 3);
    step();
    EXPECT_EQ(now().width, 36);
    EXPECT_EQ(now().height, 26);
    drag(Tool::Highlighter, 0, 0, 24, 21);
    step();

    // A drag left half-way and a text never ended are no steps.
    editor.setTool(Tool::Rectangle);
    editor.mouseDown(2, 2);
    editor.mouseMove(9, 9);
    EXPECT_TRUE(editor.keyDown(kKeyEscape, false).handled);
    EXPECT_EQ(now().pixels, states.back().pixels);
    EXPECT_EQ(editor.document().state(), ids.back());

    for (std::size_t i = states.size() - 1; i-- > 0;) {
        editor.keyDown('Z', true);
        ASSERT_EQ(now().width, states[i].width);
        ASSERT_EQ(now().pixels, states[i].pixels) << "undo to state " << i;
        ASSERT_EQ(editor.document().state(), ids[i]);
    }
    EXPECT_FALSE(editor.document().changed());
    for (std::size_t i = 1; i < states.size(); ++i) {
        editor.keyDown('Y', true);
        ASSERT_EQ(now().pixels, states[i].pixels) << "redo to state " << i;
        ASSERT_EQ(editor.document().state(), ids[i]);
    }
    // A new step after undoing drops what could have been redone.
    editor.undo();
    drag(Tool::BlackOut, 0, 0, 3, 3);
    EXPECT_FALSE(editor.document().canRedo());
    editor.undo();
    EXPECT_EQ(now().pixels, states[states.size() - 2].pixels);
}

// Past a million pixels, the memory steps drop (a taken-back crop's picture among it, dropped
// by the next step) is freed on other threads or serves that step, while the steps run.
struct LargeMarkupEditor : MarkupEditor {
    LargeMarkupEditor() : MarkupEditor(sample(1200, 900)) {}
};

TEST_F(LargeMarkupEditor, StepsStayExactWhileTheMemoryTheyDropIsPassedOn) {
    // Taken back, done again and taken back once more.
    auto backAndForth = [&] {
        const Picture done = now();
        editor.undo();
        ASSERT_EQ(now().pixels, captured.pixels);
        editor.redo();
        ASSERT_EQ(now().pixels, done.pixels);
        editor.undo();
    };
    for (int round = 0; round < 3; ++round) {
        drag(Tool::Crop, 10, 10, 1100, 800);
        backAndForth();
        drag(Tool::Highlighter, 0, 0, 1199, 899);
        backAndForth();
        drag(Tool::BlackOut, 0, 0, 1199, 899);
        backAndForth();
    }
    EXPECT_EQ(now().pixels, captured.pixels);
}

// Steps keep and repaint only the parts they change (the strips of a frame, bands along an
// arrow); a pixel changed outside them would be shown late and never taken back.
TEST(MarkupEditorAreas, EveryChangedPixelIsRepaintedAndUndone) {
    const Picture before = sample(600, 400);
    headless::FakeTextRasterizer text;
    Editor editor(std::make_shared<const Picture>(before), text, 192); // lines 4 pixels wide
    auto expectWithin = [&](const Repaint& shown, const char* what) {
        const Picture& now = editor.document().picture();
        long long area = 0;
        for (const Rect& r : shown.areas) {
            area += static_cast<long long>(r.width()) * r.height();
        }
        EXPECT_LT(area, 600 * 400 / 2) << what; // a box would be all of it
        for (int y = 0; y < now.height; ++y) {
            for (int x = 0; x < now.width; ++x) {
                if (now.at(x, y) != before.at(x, y)) {
                    ASSERT_TRUE(std::any_of(shown.areas.begin(), shown.areas.end(),
                                            [&](const Rect& r) { return inside(r, x, y); }))
                        << what << " changed " << x << "," << y << " outside its areas";
                }
            }
        }
    };
    const struct {
        Tool tool;
        int x0, y0, x1, y1;
    } drags[] = {{Tool::Rectangle, 5, 5, 590, 390}, {Tool::Arrow, 590, 3, 4, 396},
                 {Tool::Arrow, 3, 200, 596, 260},   {Tool::Arrow, 300, 390, 304, 2},
                 {Tool::Arrow, 10, 100, 580, 100},  {Tool::Arrow, 500, 380, 60, 40}};
    for (const auto& d : drags) {
        editor.setTool(d.tool);
        editor.mouseDown(d.x0, d.y0);
        expectWithin(editor.mouseMove(d.x1 - 1, d.y1 + 1), "preview");
        const Repaint done = editor.mouseUp(d.x1, d.y1);
        ASSERT_TRUE(editor.document().canUndo());
        ASSERT_NE(editor.document().picture().pixels, before.pixels);
        expectWithin(done, "step");
        expectWithin(editor.undo(), "undo");
        ASSERT_EQ(editor.document().picture().pixels, before.pixels);
    }
}

TEST_F(MarkupEditor, CropKeepsTheDraggedPixelsAndKeysAskForApplyOrClose) {
    auto shown = [&] {
        editor.setTool(Tool::Crop);
        editor.mouseDown(33, 21);
        editor.mouseMove(9, 9);
        return editor.mouseUp(5, 3);
    }();
    EXPECT_TRUE(shown.resized);
    ASSERT_EQ(now().width, 29);
    ASSERT_EQ(now().height, 19);
    for (int y = 0; y < now().height; ++y) {
        for (int x = 0; x < now().width; ++x) {
            ASSERT_EQ(now().at(x, y), captured.at(x + 5, y + 3));
        }
    }
    // Off the picture counts as its edge.
    drag(Tool::Crop, -10, -10, 9, 9);
    EXPECT_EQ(now().width, 10);
    EXPECT_EQ(now().at(0, 0), captured.at(5, 3));

    EXPECT_EQ(editor.keyDown(kKeyEnter, false).request, Request::Apply);
    EXPECT_EQ(editor.keyDown(kKeyEscape, false).request, Request::Close);
    EXPECT_FALSE(editor.keyDown('Q', false).handled);
}

} // namespace
} // namespace pictorn::markup
